#include "app/viewerapp.h"
#include "follow/changebar.h"
#include "follow/filefollower.h"
#include "follow/fileloader.h"
#include "follow/followcontrol.h"
#include "model/drawingmodel.h"
#include "support/testapp.h"

#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

namespace
{

const QByteArray kOnePoint = "endheader\npt 1 1 red 0\n";

ViewerApp* app()
{
    return ViewerApp::instance();
}

std::size_t objectCount()
{
    return DrawingModel::instance()->objects.size();
}

void appendTo(const QString& path, const QByteArray& text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write(text);
}

// Presses the bar's button with the text.
void choose(const QString& text)
{
    for (QPushButton* button : app()->followControl->bar->findChildren<QPushButton*>()) {
        if (button->text() == text && button->isVisible()) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    }
    QFAIL(qPrintable("no button " + text));
}

// Opens the file as Open Script Input does.
void open(const QString& path)
{
    app()->commands.openFile(path);
}

} // namespace

class TestFileFollower : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void noticesChangesOnDisk_data();
    void noticesChangesOnDisk();
    void followsTheSeries_data();
    void followsTheSeries();
    void followsOnWhenMembersComeDuringALoad();
    void listsTheFolderOncePerSettle_data();
    void listsTheFolderOncePerSettle();
};

void TestFileFollower::init()
{
    testapp::resetApplication();
    app()->followControl->alwaysReloadAction->setChecked(false);
    app()->followControl->followLatestAction->setChecked(false);
    app()->fileLoader->setBackgroundFrom(FileLoader::kBackgroundFrom);
}

void TestFileFollower::noticesChangesOnDisk_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("alwaysReload");
    QTest::addColumn<QString>("barText");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("objects");
    const QString changed = "run.las changed on disk";
    const QString gone = "run.las no longer exists on disk; the drawing stays as it was";
    QTest::newRow("rewritten in place") << "rewrite" << false << changed << "Reload" << 2;
    QTest::newRow("rewritten by rename") << "rename" << false << changed << "Always Reload" << 2;
    QTest::newRow("appended in two writes") << "append" << true << QString() << QString() << 3;
    QTest::newRow("removed") << "remove" << false << gone << "Ignore" << 1;
    QTest::newRow("removed, always reloading") << "remove" << true << gone << "Ignore" << 1;
}

// Whatever the writer does, the settled state is reported once, and the reload reads the whole
// file as it ended up.
void TestFileFollower::noticesChangesOnDisk()
{
    QFETCH(QString, change);
    QFETCH(bool, alwaysReload);
    QFETCH(QString, barText);
    QFETCH(QString, button);
    QFETCH(int, objects);
    QTemporaryDir folder;
    const QString path = folder.filePath("run.las");
    testapp::writeFile(path, kOnePoint);
    open(path);
    FollowControl* control = app()->followControl;
    control->alwaysReloadAction->setChecked(alwaysReload);
    QSignalSpy changes(&control->follower, &FileFollower::changed);
    QSignalSpy vanishings(&control->follower, &FileFollower::vanished);

    const QByteArray grown = kOnePoint + "circle 0 0 1 blue\n";
    if (change == "rewrite") {
        testapp::writeFile(path, grown);
    } else if (change == "rename") {
        testapp::writeFile(folder.filePath("run.las.part"), grown);
        QCOMPARE(std::rename(qPrintable(folder.filePath("run.las.part")), qPrintable(path)), 0);
    } else if (change == "append") {
        appendTo(path, "circle 0 0 1 blue\n");
        QTest::qWait(5);
        appendTo(path, "line 0 0 1 1 red\n");
    } else {
        QVERIFY(QFile::remove(path));
    }
    QTRY_COMPARE_WITH_TIMEOUT(changes.count() + vanishings.count(), 1, 5000);
    // Nothing more comes once the file has settled.
    QTest::qWait(3 * FileFollower::kSettleMilliseconds);
    QCOMPARE(changes.count() + vanishings.count(), 1);
    QCOMPARE(control->bar->isVisible(), !barText.isEmpty());
    if (!barText.isEmpty()) {
        QCOMPARE(control->bar->text(), barText);
        // The drawing stays as it was until the user chooses.
        QCOMPARE(objectCount(), std::size_t(1));
        choose(button);
        QVERIFY(!control->bar->isVisible());
    }
    QCOMPARE(objectCount(), std::size_t(objects));
    if (button == "Always Reload")
        QVERIFY(control->alwaysReloadAction->isChecked());
}

void TestFileFollower::followsTheSeries_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<bool>("followLatest");
    QTest::addColumn<QStringList>("appearing");
    QTest::addColumn<QString>("expected");
    // While following is paused: what the bar says, how the user goes on, and where to.
    QTest::addColumn<QString>("paused");
    QTest::addColumn<QString>("goOn");
    QTest::addColumn<QString>("newest");
    QTest::newRow("offered") << QStringList{"run.1"} << false << QStringList{"run.2"} << "run.2"
                             << ""
                             << ""
                             << "";
    QTest::newRow("followed, member after member")
        << QStringList{"run.1"} << true << QStringList{"run.2", "run.3"} << "run.3"
        << ""
        << ""
        << "";
    QTest::newRow("followed over a gap")
        << QStringList{"run.1"} << true << QStringList{"run.8"} << "run.8"
        << ""
        << ""
        << "";
    QTest::newRow("not the newest: paused, Resume goes on")
        << QStringList{"run.1", "run.5"} << true << QStringList{"run.6"} << "run.1"
        << "Following paused at run.1.las: run.6.las is the newest"
        << "Resume"
        << "run.6";
    QTest::newRow("not the newest: paused, stepping to the newest goes on")
        << QStringList{"run.1", "run.2"} << true << QStringList{} << "run.1"
        << "Following paused at run.1.las: run.2.las is the newest"
        << "next"
        << "run.2";
    QTest::newRow("other names in the folder")
        << QStringList{"run.1"} << true << QStringList{"run.2.las.part", "other.2"} << "run.1"
        << ""
        << ""
        << "";
}

// A member appears as a running program writes it: created, then filled a little later.
void TestFileFollower::followsTheSeries()
{
    QFETCH(QStringList, present);
    QFETCH(bool, followLatest);
    QFETCH(QStringList, appearing);
    QFETCH(QString, expected);
    QFETCH(QString, paused);
    QFETCH(QString, goOn);
    QFETCH(QString, newest);
    QTemporaryDir folder;
    const auto pathOf = [&folder](const QString& stem) {
        return folder.filePath(stem.endsWith(".part") ? stem : stem + ".las");
    };
    const auto appear = [&pathOf](const QString& stem) {
        testapp::writeFile(pathOf(stem), "endheader\n");
        QTest::qWait(50);
        appendTo(pathOf(stem), "pt 1 1 red 0 // " + stem.toLatin1() + "\n");
    };
    for (const QString& stem : present)
        testapp::writeFile(pathOf(stem), kOnePoint);
    open(pathOf(present.front()));
    FollowControl* control = app()->followControl;
    control->followLatestAction->setChecked(followLatest);
    for (const QString& stem : appearing) {
        appear(stem);
        if (stem != expected)
            continue;
        if (!followLatest) {
            QTRY_VERIFY_WITH_TIMEOUT(control->bar->isVisible(), 5000);
            QCOMPARE(control->bar->text(), stem + ".las is ready");
            choose("Open");
        }
        QTRY_COMPARE_WITH_TIMEOUT(QFile::decodeName(app()->fileName.c_str()), pathOf(stem), 5000);
    }
    QTest::qWait(3 * FileFollower::kSettleMilliseconds);
    QCOMPARE(QFile::decodeName(app()->fileName.c_str()), pathOf(expected));
    QCOMPARE(control->bar->isVisible(), !paused.isEmpty());
    // The member was read whole.
    QCOMPARE(objectCount(), std::size_t(1));
    if (paused.isEmpty())
        return;
    QCOMPARE(control->bar->text(), paused);
    if (goOn == "next")
        app()->nextFileAction->trigger();
    else
        choose(goOn);
    QCOMPARE(QFile::decodeName(app()->fileName.c_str()), pathOf(newest));
    QVERIFY(!control->bar->isVisible());
    // Following goes on by itself.
    appear("run.9");
    QTRY_COMPARE_WITH_TIMEOUT(QFile::decodeName(app()->fileName.c_str()), pathOf("run.9"), 5000);
}

// Members that come while Follow Latest's step to a large member loads are not lost: once it is
// shown, following goes on to the newest of them.
void TestFileFollower::followsOnWhenMembersComeDuringALoad()
{
    QTemporaryDir folder;
    const auto pathOf = [&folder](int n) {
        return folder.filePath(QStringLiteral("run.%1.las").arg(n));
    };
    testapp::writeFile(pathOf(1), kOnePoint);
    open(pathOf(1));
    ViewerApp* window = app();
    window->fileLoader->setBackgroundFrom(1);
    window->followControl->followLatestAction->setChecked(true);
    QByteArray large = "endheader\n";
    for (int i = 0; i < 1000000; ++i)
        large += "pt 1 1 red 0\n";
    testapp::writeFile(pathOf(2), large);
    QTRY_VERIFY_WITH_TIMEOUT(window->fileLoader->busy(), 10000);
    testapp::writeFile(pathOf(3), kOnePoint);
    testapp::writeFile(pathOf(4), kOnePoint);
    QTRY_COMPARE_WITH_TIMEOUT(QFile::decodeName(window->fileName.c_str()), pathOf(4), 15000);
    QVERIFY(!window->followControl->bar->isVisible());
}

void TestFileFollower::listsTheFolderOncePerSettle_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<int>("listings");
    // A settle lists once, and a new member needs a second settle to stay.
    QTest::newRow("another file, written 30 times") << "notes.txt" << 1;
    QTest::newRow("the followed file, written 30 times") << "run.1.las" << 1;
    QTest::newRow("a new member, written 30 times") << "run.2.las" << 2;
}

// A burst of writes in a watched folder costs one listing per settle, however many reports the
// watcher sends.
void TestFileFollower::listsTheFolderOncePerSettle()
{
    QFETCH(QString, written);
    QFETCH(int, listings);
    QTemporaryDir folder;
    testapp::writeFile(folder.filePath("run.1.las"), kOnePoint);
    open(folder.filePath("run.1.las"));
    const FileFollower& follower = app()->followControl->follower;
    QSignalSpy members(&follower, &FileFollower::newerMemberReady);
    const std::size_t before = follower.folderListings();
    for (int write = 0; write < 30; ++write) {
        appendTo(folder.filePath(written), "pt 2 2 red 0\n");
        QTest::qWait(2);
    }
    QTRY_COMPARE_WITH_TIMEOUT(follower.folderListings() - before, std::size_t(listings), 5000);
    QTest::qWait(3 * FileFollower::kSettleMilliseconds);
    QCOMPARE(follower.folderListings() - before, std::size_t(listings));
    QCOMPARE(members.count(), written == "run.2.las" ? 1 : 0);
}

QTEST_MAIN(TestFileFollower)
#include "tst_filefollower.moc"
