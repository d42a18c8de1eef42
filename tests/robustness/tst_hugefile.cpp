// Ten million records, the size of a full-chip dump: loading must finish, keep every object and
// leave the view usable; and a file too large for the memory left is dropped, not fatal. In a test
// program of its own (label "huge") so that it can be left out, as it is under the sanitizers,
// whose own allocator cannot run under an address-space limit.
#include "hostile.h"

#include "app/viewerapp.h"
#include "follow/changetracker.h"
#include "follow/stepchanges.h"
#include "follow/timelinedock.h"
#include "model/drawingmodel.h"
#include "support/testapp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>
#include <unistd.h>

class TestHugeFile : public QObject
{
    Q_OBJECT

private slots:
    void tenMillionRecordsLoad();
    void reloadBeyondTheMemoryLeftKeepsTheWindow();
    void countingBeyondTheMemoryLeftFailsThoseSteps();
};

namespace
{

// Limits the address space to what the process uses now and `spare` bytes more, until it goes.
class AddressSpaceLimit
{
public:
    explicit AddressSpaceLimit(rlim_t spare)
    {
        QFile status(QStringLiteral("/proc/self/statm"));
        const bool read = status.open(QIODevice::ReadOnly);
        const rlim_t pages = read ? status.readAll().split(' ').first().toULongLong() : 0;
        limited = read && ::getrlimit(RLIMIT_AS, &previous) == 0;
        const rlimit limit{pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + spare,
                           previous.rlim_max};
        limited = limited && ::setrlimit(RLIMIT_AS, &limit) == 0;
    }
    ~AddressSpaceLimit()
    {
        if (limited)
            ::setrlimit(RLIMIT_AS, &previous);
    }
    bool holds() const { return limited; }

private:
    rlimit previous{};
    bool limited = false;
};

} // namespace

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
    QVERIFY(testapp::waitForLoad());
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

// A dump grown past what the address space allows is reloaded: the load is dropped whole and said
// to be, and the viewer goes on loading what fits.
void TestHugeFile::reloadBeyondTheMemoryLeftKeepsTheWindow()
{
    testapp::resetApplication();
    const QString path = QDir::current().filePath(QStringLiteral("grown.las"));
    testapp::writeFile(path, "endheader\npt 1 2 red 0\n");
    ViewerApp* app = ViewerApp::instance();
    app->commands.openFile(path);
    DrawingModel* model = DrawingModel::instance();
    QCOMPARE(model->objects.size(), std::size_t(1));

    // Two million records need some 400 MiB; 128 MiB more than now is allowed.
    hostile::writeRepeated(path, "endheader\n", "pt 1 2 red 0\n", 2000000, "");
    bool loaded = false;
    {
        const AddressSpaceLimit limit(rlim_t(128) << 20);
        QVERIFY(limit.holds());
        app->commands.doReload();
        loaded = testapp::waitForLoad();
    }
    QVERIFY(loaded);

    QCOMPARE(model->objects.size(), std::size_t(0));
    QCOMPARE(model->objectsOfType("pt").size(), std::size_t(0));
    const auto* box = app->mainWindow->findChild<QMessageBox*>();
    QVERIFY(box && box->isVisible());
    QVERIFY2(box->text().startsWith("Not enough memory to load"), qPrintable(box->text()));
    delete box;

    testapp::writeFile(path, "endheader\npt 1 2 red 0\nline 0 0 1 1 blue\n");
    app->commands.doReload();
    QFile::remove(path);
    QCOMPARE(model->objects.size(), std::size_t(2));
}

// A member of a series that the Timeline's counting thread cannot hold (a dump whose writer died
// in a line of a gigabyte) fails the counts of the steps it is part of, with the reason, and the
// others are counted; nothing ends the program.
void TestHugeFile::countingBeyondTheMemoryLeftFailsThoseSteps()
{
    testapp::resetApplication();
    QTemporaryDir folder;
    const auto member = [&folder](int n) {
        return folder.filePath(QStringLiteral("run.%1.las").arg(n));
    };
    testapp::writeFile(member(1), "endheader\npt 1 2 red 0\n");
    QFile cut(member(2));
    QVERIFY(cut.open(QIODevice::WriteOnly) && cut.write("endheader\npt 1 2 red 0 ") > 0 &&
            cut.resize(qint64(1) << 30));
    cut.close();
    testapp::writeFile(member(3), "endheader\npt 1 2 red 0\nline 0 0 1 1 blue\n");
    testapp::writeFile(member(4), "endheader\nline 0 0 1 1 blue\n");
    ViewerApp* app = ViewerApp::instance();
    app->commands.openFile(member(4));
    QVERIFY(testapp::waitForLoad());
    app->timelineDock->show();
    const StepChanges& changes = app->timelineDock->changes;
    QTRY_COMPARE(changes.memberCount(), std::size_t(4));
    {
        const AddressSpaceLimit limit(rlim_t(128) << 20);
        QVERIFY(limit.holds());
        app->changeTracker->showChangesAction->setChecked(true);
        QTRY_VERIFY_WITH_TIMEOUT(changes.count(1) && changes.count(2) && changes.count(3), 60000);
    }
    for (const std::size_t failed : {1, 2}) {
        QVERIFY(!changes.count(failed)->counted());
        QVERIFY2(changes.count(failed)->failure.startsWith("not enough memory to read"),
                 qPrintable(changes.count(failed)->failure));
    }
    QVERIFY(changes.count(3)->counted());
    QCOMPARE(changes.count(3)->added, std::size_t(0));
    QCOMPARE(changes.count(3)->removed, std::size_t(1));
}

QTEST_MAIN(TestHugeFile)
#include "tst_hugefile.moc"
