// Ten million records, the size of a full-chip dump: loading must finish, keep every object and
// leave the view usable. In a test program of its own (label "huge") so that it can be left out.
#include "hostile.h"

#include "app/viewerapp.h"
#include "model/drawingmodel.h"
#include "support/testapp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QtTest>

class TestHugeFile : public QObject
{
    Q_OBJECT

private slots:
    void tenMillionRecordsLoad();
};

void TestHugeFile::tenMillionRecordsLoad()
{
    constexpr qint64 kRecords = 10000000;
    testapp::resetApplication();
    const QString path = QDir::current().filePath(QStringLiteral("huge.las"));
    hostile::writeRepeated(path, "endheader\n", "pt 1 2 red 0\n", kRecords - 1,
                           "polygon 3 -5 -5 5 -5 0 5 navy\n");
    QElapsedTimer timer;
    timer.start();
    const qint64 before = hostile::restartPeakRss();
    ViewerApp::instance()->commands.openFile(path);
    const qint64 growthMB = (hostile::peakRss() - before) >> 10;
    QFile::remove(path);
    qInfo("loaded in %lld ms, peak resident set grew by %lld MiB", timer.elapsed(), growthMB);

    DrawingModel* model = DrawingModel::instance();
    QCOMPARE(model->objects.size(), std::size_t(kRecords));
    QCOMPARE(model->objectsOfType("pt").size(), std::size_t(kRecords - 1));
    QCOMPARE(model->objectsOfType("polygon").size(), std::size_t(1));
    // About 200 bytes an object with the model's lists; twice that is the most allowed.
    QVERIFY2(growthMB < 4096, qPrintable(QStringLiteral("%1 MiB").arg(growthMB)));
    ViewerApp* app = ViewerApp::instance();
    app->fitToView();
    QVERIFY(app->ratio > 1.0);
    hostile::verifyViewIsFinite();
}

QTEST_MAIN(TestHugeFile)
#include "tst_hugefile.moc"
