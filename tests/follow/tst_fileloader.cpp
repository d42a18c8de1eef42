#include "app/viewerapp.h"
#include "follow/changetracker.h"
#include "follow/fileloader.h"
#include "follow/followcontrol.h"
#include "model/drawingmodel.h"
#include "support/testapp.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QProgressDialog>
#include <QSemaphore>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

namespace
{

ViewerApp* app()
{
    return ViewerApp::instance();
}

// The first `count` rectangles of one row, a line each: every version of the test's file is a
// run of them, so that a version is known by its object count.
QByteArray rectangles(int from, int count)
{
    QByteArray text;
    for (int i = from; i < from + count; ++i)
        text += "rect " + QByteArray::number(i) + " 0 " + QByteArray::number(i + 1) + " 1 blue\n";
    return text;
}

QByteArray version(int count)
{
    return "endheader\n" + rectangles(0, count);
}

// Called from the writer thread, where no test macro may fail: a write that fails shows in what
// the test finds loaded.
void writeIn(const QString& path, QIODevice::OpenMode mode, const QByteArray& text)
{
    QFile file(path);
    if (file.open(mode))
        file.write(text);
}

// Every message the status bar shows while the object lives.
class LoadMessages
{
public:
    LoadMessages()
    {
        connection = QObject::connect(app()->mainWindow->statusBar(), &QStatusBar::messageChanged,
                                      [this](const QString& text) { seen << text; });
    }
    ~LoadMessages() { QObject::disconnect(connection); }
    QStringList seen;

private:
    QMetaObject::Connection connection;
};

// The object count of every drawing the window adopts while the object lives.
class AdoptedCounts
{
public:
    AdoptedCounts()
    {
        connection = QObject::connect(&app()->commands, &QFunctionality::fileShown, [this] {
            seen.push_back(int(DrawingModel::instance()->objects.size()));
        });
    }
    ~AdoptedCounts() { QObject::disconnect(connection); }
    QList<int> seen;

private:
    QMetaObject::Connection connection;
};

} // namespace

class TestFileLoader : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        testapp::resetApplication();
        app()->changeTracker->showChangesAction->setChecked(false);
    }
    void cleanup()
    {
        app()->fileLoader->setStopPoint(-1, {});
        app()->fileLoader->setBackgroundFrom(FileLoader::kBackgroundFrom);
    }
    void aChangeDuringALoadIsNeverShown_data();
    void aChangeDuringALoadIsNeverShown();
    void aFileChangingFasterThanItIsReadKeepsTheLastWholeVersion();
    void noLoadIsAdoptedWhileAQueryReadsTheObjects();
    void slowWritersShowOnlyWholeVersions_data();
    void slowWritersShowOnlyWholeVersions();
    void aLastLineWithoutItsEnd_data();
    void aLastLineWithoutItsEnd();
};

void TestFileLoader::aChangeDuringALoadIsNeverShown_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("background");
    QTest::addColumn<int>("settled");
    QTest::newRow("rewritten in place in pieces") << "rewrite" << true << 15000;
    QTest::newRow("rewritten in place, read at once") << "rewrite" << false << 15000;
    QTest::newRow("replaced by a rename") << "rename" << true << 17000;
    QTest::newRow("truncated") << "truncate" << true << 12000;
    QTest::newRow("appended to") << "append" << false << 25000;
}

// f.las shows 3,000 rectangles; it is rewritten with 20,000 and reloaded, and once the load has
// read its first block, a writer thread changes the file under it. The model never takes what
// was read (a mix of versions, or a version older than the file): it keeps the 3,000 until the
// file has settled, then shows that version, compared with the 3,000 shown.
void TestFileLoader::aChangeDuringALoadIsNeverShown()
{
    QFETCH(QString, change);
    QFETCH(bool, background);
    QFETCH(int, settled);
    QTemporaryDir folder;
    const QString path = folder.filePath("f.las");
    testapp::writeFile(path, version(3000));
    app()->commands.openFile(path);
    app()->changeTracker->showChangesAction->setChecked(true);
    testapp::writeFile(path, version(20000));

    // The writer's pieces: the load goes on once the first is written, while the rest are.
    std::vector<std::function<void()>> pieces;
    if (change == "rewrite") {
        const QByteArray text = version(settled);
        const int third = text.size() / 3;
        pieces = {
            [=] { writeIn(path, QIODevice::WriteOnly | QIODevice::Truncate, text.left(third)); },
            [=] { writeIn(path, QIODevice::Append, text.mid(third, third)); },
            [=] { writeIn(path, QIODevice::Append, text.mid(2 * third)); }};
    } else if (change == "rename") {
        pieces = {[=] {
            writeIn(path + ".new", QIODevice::WriteOnly, version(settled));
            std::rename(QFile::encodeName(path + ".new").constData(),
                        QFile::encodeName(path).constData());
        }};
    } else if (change == "truncate") {
        pieces = {[=] { QFile::resize(path, version(settled).size()); }};
    } else {
        pieces = {[=] { writeIn(path, QIODevice::Append, rectangles(20000, settled - 20000)); }};
    }
    QSemaphore firstWritten;
    std::thread writer;
    std::atomic<int> stops{0};
    app()->fileLoader->setStopPoint(1, [&] {
        if (stops++ > 0)
            return;
        writer = std::thread([&] {
            for (std::size_t i = 0; i < pieces.size(); ++i) {
                pieces[i]();
                if (i == 0)
                    firstWritten.release();
            }
        });
        firstWritten.acquire();
    });
    app()->fileLoader->setBackgroundFrom(background ? 0 : FileLoader::kBackgroundFrom);

    const LoadMessages messages;
    app()->commands.doReload();
    QVERIFY(testapp::waitForLoad());
    writer.join();

    QCOMPARE(stops.load(), 2);
    QCOMPARE(DrawingModel::instance()->objects.size(), std::size_t(settled));
    QVERIFY2(messages.seen.contains("f.las changed while it was read: reading it again"),
             qPrintable(messages.seen.join('|')));
    // One drawing was shown, the whole one.
    const QStringList loaded = messages.seen.filter(" loaded in ");
    QCOMPARE(loaded.size(), 1);
    QVERIFY2(loaded.front().startsWith(QString::number(settled) + " objects"),
             qPrintable(loaded.front()));
    QCOMPARE(app()->changeTracker->summaryLabel->text(),
             QString("+%1 \u22120 since f.las").arg(settled - 3000));
}

// A program that rewrites the file during every read: the window keeps the last whole version
// and says why, until a read gets through, which shows the version then on disk.
void TestFileLoader::aFileChangingFasterThanItIsReadKeepsTheLastWholeVersion()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("f.las");
    testapp::writeFile(path, version(3000));
    app()->commands.openFile(path);
    std::atomic<int> written{20000};
    testapp::writeFile(path, version(written));
    app()->fileLoader->setBackgroundFrom(0);
    app()->fileLoader->setStopPoint(1, [&] { testapp::writeFile(path, version(++written)); });
    app()->commands.doReload();
    QVERIFY(QTest::qWaitFor([] {
        return app()->mainWindow->statusBar()->currentMessage() ==
               "f.las is changing faster than it can be read";
    }));
    QCOMPARE(DrawingModel::instance()->objects.size(), std::size_t(3000));
    QVERIFY(app()->fileLoader->busy());

    app()->fileLoader->setStopPoint(-1, {});
    QVERIFY(testapp::waitForLoad());
    QCOMPARE(DrawingModel::instance()->objects.size(), std::size_t(written.load()));
}

// A query long enough to show its progress handles events while it reads the objects; a reload
// that ends meanwhile must not free them under it. The reload is asked for from inside the run,
// and the run is cancelled a few checks later, so that it lasts no longer than it must.
void TestFileLoader::noLoadIsAdoptedWhileAQueryReadsTheObjects()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("q.las");
    QByteArray text = "property pt net string none\nendheader\n";
    for (int i = 0; i < 100000; ++i)
        text +=
            "pt " + QByteArray::number(i % 300) + " 1 red 0 net n" + QByteArray::number(i) + "\n";
    testapp::writeFile(path, text);
    app()->commands.openFile(path);
    testapp::writeFile(path, "endheader\npt 1 1 red 0\n");
    QString query = "pt:net==x0";
    for (int i = 1; i < 3000; ++i)
        query += "||net==x" + QString::number(i);

    int checks = 0;
    std::size_t shownDuringTheRun = 0;
    QTimer watch;
    watch.setInterval(0);
    connect(&watch, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (++checks == 1) {
            app()->commands.doReload();
        } else {
            shownDuringTheRun = DrawingModel::instance()->objects.size();
            dialog->cancel();
        }
    });
    watch.start();
    app()->commands.runConditionalPick(query);
    watch.stop();

    QVERIFY(checks >= 2);
    QCOMPARE(shownDuringTheRun, std::size_t(100000));
    QVERIFY(QTest::qWaitFor([] { return DrawingModel::instance()->objects.size() == 1; }));
}

void TestFileLoader::slowWritersShowOnlyWholeVersions_data()
{
    QTest::addColumn<bool>("inPlace");
    QTest::addColumn<bool>("atLineEnds");
    QTest::newRow("truncated, then appended in pieces cut within lines") << false << false;
    QTest::newRow("truncated, then appended in pieces of whole lines") << false << true;
    QTest::newRow("written over in place in pieces") << true << false;
}

// With Always Reload on, a writer writes two versions of f.las (4,000 and 5,000 rectangles) over
// the 3,000 shown, each in three pieces with a pause after each that is longer than the settle
// time. Every drawing the window adopts is one whole version, the first pause is said to be a
// write in progress, and the last version is shown once the writer is done.
void TestFileLoader::slowWritersShowOnlyWholeVersions()
{
    QFETCH(bool, inPlace);
    QFETCH(bool, atLineEnds);
    constexpr int kPieces = 3;
    constexpr auto kPause = std::chrono::milliseconds(400);
    const QList<int> versions{4000, 5000};
    QTemporaryDir folder;
    const QString path = folder.filePath("f.las");
    testapp::writeFile(path, version(3000));
    app()->commands.openFile(path);
    app()->followControl->alwaysReloadAction->setChecked(true);
    const LoadMessages messages;
    const AdoptedCounts adopted;

    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (const int count : versions) {
            // No piece of it is a piece of another version: a mixture is never a version.
            const QByteArray text = "endheader\n" + rectangles(count, count);
            qsizetype from = 0;
            for (int piece = 1; piece <= kPieces; ++piece) {
                qsizetype to = text.size() * piece / kPieces;
                if (atLineEnds && piece < kPieces)
                    to = text.indexOf('\n', to) + 1;
                QFile file(path);
                if (inPlace ? file.open(QIODevice::ReadWrite)
                            : file.open(piece == 1 ? QIODevice::WriteOnly | QIODevice::Truncate
                                                   : QIODevice::Append)) {
                    file.seek(inPlace ? from : file.size());
                    file.write(text.mid(from, to - from));
                }
                file.close();
                from = to;
                std::this_thread::sleep_for(kPause);
            }
        }
        done = true;
    });
    const bool finished = QTest::qWaitFor(
        [&] { return done && !adopted.seen.isEmpty() && adopted.seen.back() == versions.back(); },
        15000);
    writer.join();
    QVERIFY2(finished, qPrintable(messages.seen.join('|')));
    for (const int count : adopted.seen)
        QVERIFY2(versions.contains(count), qPrintable(QString::number(count) + " objects adopted"));
    QVERIFY2(messages.seen.contains("f.las is being written: the drawing shown stays until it is "
                                    "whole"),
             qPrintable(messages.seen.join('|')));
    app()->followControl->alwaysReloadAction->setChecked(false);
}

void TestFileLoader::aLastLineWithoutItsEnd_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("savedLongAgo");
    QTest::addColumn<QByteArray>("writtenOn");
    QTest::addColumn<int>("objects");
    QTest::addColumn<bool>("heldAsWritten");
    const QByteArray cut = "endheader\npt 1 1 red 0\npt 2 2 re";
    const QByteArray unended = "endheader\npt 1 1 red 0\npt 2 2 red 0";
    QTest::newRow("saved a minute ago") << unended << true << QByteArray() << 2 << false;
    QTest::newRow("cut by a writer that goes on")
        << cut << false << QByteArray("d 0\npt 3 3 red 0\n") << 3 << true;
    QTest::newRow("saved just now, nothing more comes")
        << unended << false << QByteArray() << 2 << true;
}

// A file opened whose last line has no line end: one not changed for a while loads that line's
// record at once; a fresh one is held as a write in progress, and is shown whole once the writer
// ends the line, or as it is once it has stayed unchanged long enough.
void TestFileLoader::aLastLineWithoutItsEnd()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, savedLongAgo);
    QFETCH(QByteArray, writtenOn);
    QFETCH(int, objects);
    QFETCH(bool, heldAsWritten);
    QTemporaryDir folder;
    const QString path = folder.filePath("f.las");
    testapp::writeFile(path, text);
    if (savedLongAgo) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                 QFileDevice::FileModificationTime));
    }
    const LoadMessages messages;
    const AdoptedCounts adopted;
    app()->commands.openFile(path);
    std::thread writer;
    if (!writtenOn.isEmpty())
        writer = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            writeIn(path, QIODevice::Append, writtenOn);
        });
    const bool loaded = testapp::waitForLoad();
    if (writer.joinable())
        writer.join();
    QVERIFY(loaded);
    QCOMPARE(adopted.seen, QList<int>{objects});
    QCOMPARE(messages.seen.contains("f.las is being written: the drawing shown stays until it is "
                                    "whole"),
             heldAsWritten);
}

QTEST_MAIN(TestFileLoader)
#include "tst_fileloader.moc"
