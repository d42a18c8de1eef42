#include "app/viewerapp.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "support/testapp.h"

#include <QMainWindow>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

class TestFileDropHandler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void dropOpensOneScriptInput_data();
    void dropOpensOneScriptInput();

private:
    QUrl local(const QString& name) const { return QUrl::fromLocalFile(directory.filePath(name)); }

    QTemporaryDir directory;
};

// Each file ends its last line: one written just now without its end would be taken for a write
// in progress, and opened only once it had stayed unchanged for a while.
void TestFileDropHandler::initTestCase()
{
    for (const char* name : {"a.las", "b.las", "B.LAS", "notes.txt"})
        testapp::writeFile(directory.filePath(name),
                           QByteArray("endheader\npt 1 1 red 0 //") + name + '\n');
}

void TestFileDropHandler::dropOpensOneScriptInput_data()
{
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<bool>("opens");
    QTest::newRow("one .las file") << QList<QUrl>{local("a.las")} << true;
    QTest::newRow("upper-case extension") << QList<QUrl>{local("B.LAS")} << true;
    QTest::newRow("two files") << QList<QUrl>{local("a.las"), local("b.las")} << false;
    QTest::newRow("other type") << QList<QUrl>{local("notes.txt")} << false;
    QTest::newRow("remote file") << QList<QUrl>{QUrl("https://example.org/a.las")} << false;
}

void TestFileDropHandler::dropOpensOneScriptInput()
{
    QFETCH(QList<QUrl>, urls);
    QFETCH(bool, opens);
    testapp::resetApplication();
    ViewerApp* app = ViewerApp::instance();
    app->listedName = "pt";
    QMimeData mime;
    mime.setUrls(urls);

    QVERIFY(app->mainWindow->acceptDrops());
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(app->mainWindow, &enter);
    QCOMPARE(enter.isAccepted(), opens);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(app->mainWindow, &drop);
    QCOMPARE(drop.isAccepted(), opens);

    // Opened as "Open Script Input" opens a file: loaded, explorer list reset, named in the title.
    const QString path = opens ? urls.front().toLocalFile() : QString();
    QCOMPARE(QFile::decodeName(app->fileName.c_str()), path);
    QCOMPARE(app->listedName, std::string(opens ? "" : "pt"));
    QCOMPARE(app->mainWindow->windowTitle().startsWith(path + " - Vedra"), opens);
    const DrawingModel::ObjectList& objects = DrawingModel::instance()->objects;
    QCOMPARE(objects.size(), std::size_t(opens ? 1 : 0));
}

QTEST_MAIN(TestFileDropHandler)
#include "tst_filedrophandler.moc"
