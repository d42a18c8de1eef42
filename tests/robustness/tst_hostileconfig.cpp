// A config.ini with every value at the edge of its type: the controller must start with usable
// settings, with no arithmetic on them overflowing on the way (the sanitizer build checks that).
#include "app/rememberedstate.h"
#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "model/drawingmodel.h"
#include "support/testapp.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QMainWindow>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest>

#include <memory>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Every kind of object, every marker shape among them, at the view's origin.
const QByteArray kScene = "endheader\n"
                          "pt 0 0 red 0\npt 1 0 red 1\npt 2 0 red 2\npt 3 0 red 3\npt 4 0 red 7\n"
                          "line 0 0 5 5 blue\nrect 0 0 3 3 teal\ncircle 2 2 1 lime\n"
                          "path 3 0 0 1 2 3 1 navy\npolygon 3 0 0 2 0 1 2 olive\n";

QByteArray bytesOf(const QString& path)
{
    return QFile::encodeName(path);
}

// What a path is, links not followed.
QString kindAt(const QString& path)
{
    struct stat status;
    if (::lstat(bytesOf(path).constData(), &status) != 0)
        return QStringLiteral("nothing");
    if (S_ISLNK(status.st_mode))
        return QStringLiteral("a symbolic link");
    if (S_ISFIFO(status.st_mode))
        return QStringLiteral("a FIFO");
    if (S_ISDIR(status.st_mode))
        return QStringLiteral("a directory");
    return QStringLiteral("a regular file");
}

} // namespace

class TestHostileConfig : public QObject
{
    Q_OBJECT

private slots:
    void extremeValuesStartAUsableViewer();
    void extremeSizesPaintWithinTheirBounds_data();
    void extremeSizesPaintWithinTheirBounds();
    void unsafeSettingsAreNeitherReadNorReplaced_data();
    void unsafeSettingsAreNeitherReadNorReplaced();
};

void TestHostileConfig::extremeValuesStartAUsableViewer()
{
    QFile config(QStringLiteral("config.ini"));
    QVERIFY(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
    config.write("4e-320 a ratio too small to zoom from\n"
                 "-2147483648\n"
                 "-2147483648\n"
                 "-2147483648 2147483647 0\n"
                 "-2147483648 2147483647\n"
                 "-2147483648\n"
                 "-2147483648\n"
                 "typeusing pt nosuchtype // remark\n");
    config.close();
    static char name[] = "vedra-test";
    static char* argv[] = {name, nullptr};
    // The user's own settings are neither read nor written.
    QStandardPaths::setTestModeEnabled(true);
    ViewerApp::create(1, argv);
    const ViewerApp* app = ViewerApp::instance();
    QCOMPARE(app->ratio, 1.0);
    QCOMPARE(app->pointSize, 1);
    QCOMPARE(app->lineWidth, 1);
    QCOMPARE(app->highlightColor, QColor(0, 255, 0));
    QCOMPARE(app->windowWidth, 200);
    QCOMPARE(app->windowHeight, 16384);
    QCOMPARE(app->mainToolBar->iconSize(), QSize(1, 1));
    QCOMPARE(app->infoFontSize, 1);
    QCOMPARE(DrawingModel::instance()->handlers.size(), std::size_t(1));
    QCOMPARE(DrawingModel::instance()->handlers.count("pt"), std::size_t(1));
}

void TestHostileConfig::extremeSizesPaintWithinTheirBounds_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<int>("lineWidth");
    QTest::addColumn<int>("toolButtonSize");
    QTest::addColumn<int>("infoFontSize");
    QTest::newRow("largest ints") << QByteArray("1\n2147483647\n2147483647\n0 0 0\n640 480\n"
                                                "2147483647\n2147483647\n")
                                  << ViewerApp::kMaxPointSize << ViewerApp::kMaxLineWidth << 512
                                  << 7;
    QTest::newRow("smallest ints") << QByteArray("1\n-2147483648\n-2147483648\n0 0 0\n640 480\n"
                                                 "-2147483648\n-2147483648\n")
                                   << 1 << 1 << 1 << 1;
    QTest::newRow("just beyond the bounds")
        << QByteArray("1\n4097\n4097\n0 0 0\n640 480\n513\n8\n") << ViewerApp::kMaxPointSize
        << ViewerApp::kMaxLineWidth << 512 << 7;
}

// The settings read are bounded; a scene of every kind paints with them, also after the size
// commands tried to go beyond the bounds (the sanitizer build checks that nothing overflows).
void TestHostileConfig::extremeSizesPaintWithinTheirBounds()
{
    QFETCH(QByteArray, config);
    testapp::resetApplication();
    ViewerApp* app = ViewerApp::instance();
    app->readSettings(
        std::string_view(config.constData(), static_cast<std::size_t>(config.size())));
    QTEST(app->pointSize, "pointSize");
    QTEST(app->lineWidth, "lineWidth");
    QTEST(app->toolButtonSize, "toolButtonSize");
    QTEST(app->infoFontSize, "infoFontSize");
    testapp::loadText(kScene);
    // The objects lie within 60 pixels of (20, 130); the marker reaches the far corner only at
    // the largest size.
    app->display->setFixedSize(200, 150);
    app->originX = 20.0;
    app->originY = 130.0;
    app->ratio = 10.0;
    const auto farCornerCovered = [app] {
        return app->display->grab().toImage().pixelColor(190, 10) != QColor(Qt::white);
    };
    const bool atTop = app->pointSize == ViewerApp::kMaxPointSize;
    QCOMPARE(farCornerCovered(), atTop);
    for (QAction* command : {app->pointSizeUpAction, app->lineWidenAction, app->pointSizeDownAction,
                             app->lineNarrowAction})
        command->trigger();
    QCOMPARE(app->pointSize, atTop ? ViewerApp::kMaxPointSize - 1 : 1);
    QCOMPARE(app->lineWidth, atTop ? ViewerApp::kMaxLineWidth - 1 : 1);
    QCOMPARE(farCornerCovered(), atTop);
}

void TestHostileConfig::unsafeSettingsAreNeitherReadNorReplaced_data()
{
    // What stands at the settings file (or, "lock ...", at its lock), whether the settings file
    // is a link to it, and why the settings cannot be saved (none when they can).
    QTest::addColumn<QString>("hazard");
    QTest::addColumn<bool>("linked");
    QTest::addColumn<QString>("reason");
    QTest::newRow("FIFO") << "fifo" << false << "is a FIFO";
    QTest::newRow("link to a FIFO being written") << "fed fifo" << true << "is a link to a FIFO";
    QTest::newRow("directory") << "directory" << false << "is a directory";
    QTest::newRow("larger than the bound") << "big" << false << "is larger than 1 MiB";
    QTest::newRow("link to a regular file") << "regular" << true << "";
    QTest::newRow("lock a FIFO") << "lock fifo" << false << "is a FIFO";
    QTest::newRow("lock a directory") << "lock directory" << false << "is a directory";
    QTest::newRow("lock held") << "lock held" << false << "is held by another program";
}

// Settings that are not a regular file are never opened (a FIFO would keep the window from ever
// showing) nor written (a write would replace what a link points to), a large one is not read,
// and a lock that cannot be taken at once is given up: the status bar says why, once, and what
// was there is left as it was. A regular file behind a link is written in place of its target.
void TestHostileConfig::unsafeSettingsAreNeitherReadNorReplaced()
{
    QFETCH(QString, hazard);
    QFETCH(bool, linked);
    QFETCH(QString, reason);
    testapp::resetApplication();
    ViewerApp* app = ViewerApp::instance();
    const QString settings = RememberedState::settingsFile();
    const QString lock = settings + QStringLiteral(".lock");
    QVERIFY(QDir().mkpath(QFileInfo(settings).path()));
    const bool onLock = hazard.startsWith(QLatin1String("lock "));
    const QString kind = onLock ? hazard.mid(5) : hazard;
    const QString place = onLock   ? lock
                          : linked ? QDir::current().absoluteFilePath(QStringLiteral("target"))
                                   : settings;
    if (linked)
        QVERIFY(QFile::link(place, settings));
    const QByteArray text = "[recent]\nfiles=@ByteArray(/remembered.las)\n";
    std::unique_ptr<QLockFile> held;
    // A writer that waits for a reader, so that a FIFO read would end rather than wait.
    std::thread feeder;
    if (kind.endsWith(QLatin1String("fifo"))) {
        QCOMPARE(::mkfifo(bytesOf(place).constData(), 0600), 0);
        if (kind == QLatin1String("fed fifo"))
            feeder = std::thread([fifo = bytesOf(place), text] {
                const int descriptor = ::open(fifo.constData(), O_WRONLY | O_CLOEXEC);
                if (descriptor >= 0 && ::write(descriptor, text.constData(), text.size()) >= 0)
                    ::close(descriptor);
            });
    } else if (kind == QLatin1String("directory")) {
        QVERIFY(QDir().mkdir(place));
    } else if (kind == QLatin1String("held")) {
        held = std::make_unique<QLockFile>(lock);
        QVERIFY(held->lock());
    } else {
        const QByteArray padding = QByteArray(1023, ';').append('\n').repeated(2048);
        testapp::writeFile(place, kind == QLatin1String("big") ? text + padding : text);
    }
    const QString before = kindAt(place);

    app->showMessage(QString());
    RememberedState::addRecentPath("/opened.las");
    const std::vector<std::string> remembered = RememberedState::recentPaths();
    const QString said = app->mainWindow->statusBar()->currentMessage();
    app->showMessage(QStringLiteral("unchanged"));
    RememberedState::addRecentPath("/again.las");
    const QString saidAgain = app->mainWindow->statusBar()->currentMessage();
    const QString after = kindAt(place);
    const QString settingsAfter = kindAt(settings);

    held.reset();
    if (feeder.joinable()) {
        // Never read: a reader that does not wait lets the writer write and end.
        const int reader = ::open(bytesOf(place).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        feeder.join();
        ::close(reader);
    }
    QDir(place).removeRecursively();
    QFile::remove(place);
    QFile::remove(settings);
    // Saving works again, and a reason met again is said again.
    RememberedState::clearRecentFiles();

    QCOMPARE(after, before);
    QCOMPARE(settingsAfter, linked   ? QStringLiteral("a symbolic link")
                            : onLock ? "nothing"
                                     : before);
    if (reason.isEmpty()) {
        QCOMPARE(remembered, std::vector<std::string>({"/opened.las", "/remembered.las"}));
        QCOMPARE(said, QString());
        return;
    }
    QVERIFY(remembered.empty());
    QCOMPARE(said, QStringLiteral("Settings cannot be saved: %1%2 %3")
                       .arg(onLock ? QStringLiteral("the lock ") : QString(),
                            onLock ? lock : settings, reason));
    QCOMPARE(saidAgain, QStringLiteral("unchanged"));
}

QTEST_MAIN(TestHostileConfig)
#include "tst_hostileconfig.moc"
