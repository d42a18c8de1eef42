#include "app/rememberedstate.h"
#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "follow/fileloader.h"
#include "model/drawingmodel.h"
#include "remote/remotecontrol.h"
#include "support/testapp.h"

#include <vedra/dump.h>

#include <QAction>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMainWindow>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace
{

constexpr int kAnswerWaitMs = 20000;
const QSize kCanvas(400, 300);

// A series of three members with one, two and three objects.
QByteArray member(int objects)
{
    QByteArray text = "property rect cell string none\nendheader\nrect 0 0 10 10 red cell A\n";
    if (objects > 1)
        text += "line 0 0 10 10 blue\n";
    if (objects > 2)
        text += "pt 5 5 black 0\n";
    return text;
}

// A client of the window in this process: it waits with the event loop running, since the window
// answers from it.
class Client
{
public:
    Client() { socket.connectToServer(QString::fromLocal8Bit(qgetenv("VEDRA_SOCKET"))); }

    void send(const QByteArray& bytes)
    {
        socket.write(bytes);
        socket.flush();
    }
    // The next answer: its lines up to and including "ok" or "error: ..."; what came when no end
    // came, and a line saying so when nothing came, so that the answer is never empty.
    QByteArrayList answer()
    {
        QByteArrayList lines;
        while (QTest::qWaitFor([this] { return socket.canReadLine(); }, kAnswerWaitMs)) {
            lines.append(socket.readLine().chopped(1));
            if (lines.last() == "ok" || lines.last().startsWith("error: "))
                break;
        }
        if (lines.isEmpty())
            lines.append("(no answer)");
        return lines;
    }
    QByteArrayList ask(const QByteArray& request)
    {
        send(request + '\n');
        return answer();
    }
    bool dropped()
    {
        return QTest::qWaitFor([this] { return socket.state() == QLocalSocket::UnconnectedState; },
                               kAnswerWaitMs);
    }

    QLocalSocket socket;
};

// The status lines of a new client.
QByteArrayList status()
{
    return Client().ask("status");
}

QByteArray hiddenTypes()
{
    QByteArrayList names;
    for (const std::string& type : DrawingModel::instance()->hiddenTypes())
        names.append(QByteArray::fromStdString(type));
    return names.join(' ');
}

constexpr uid_t kOtherUser = 65534;

sockaddr_un addressOf(const QByteArray& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, path.constData(), sizeof address.sun_path);
    return address;
}

// Waits until the descriptor has input, at most the time given; false when none came.
bool waitForInput(int descriptor, int milliseconds)
{
    pollfd watched{descriptor, POLLIN, 0};
    return ::poll(&watched, 1, milliseconds) == 1;
}

// What a peer sent on a connection until it closed it (or went quiet for the time given).
QByteArray readToEnd(int descriptor, int quietMs)
{
    QByteArray received;
    char buffer[4096];
    while (waitForInput(descriptor, quietMs)) {
        const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got <= 0)
            break;
        received.append(buffer, got);
    }
    return received;
}

// Makes this process, a child of the test, run as another user: its effective and real user is
// kOtherUser, which SO_PEERCRED reports, while its file-system user stays root, so that it can
// still reach the root's 0700 folder of the test. The C library has no call that sets the
// file-system user alone back, hence the system calls themselves.
void becomeOtherUser()
{
    if (::syscall(SYS_setresuid, kOtherUser, kOtherUser, 0) != 0 || ::syscall(SYS_setfsuid, 0) < 0)
        ::_exit(2);
}

// A process forked by the test, whose body returns bytes that come back through a pipe.
class Child
{
public:
    template <typename Body> explicit Child(Body body)
    {
        int ends[2];
        QVERIFY(::pipe2(ends, O_CLOEXEC) == 0);
        pid = ::fork();
        if (pid == 0) {
            ::close(ends[0]);
            const QByteArray result = body();
            [[maybe_unused]] const ssize_t written =
                ::write(ends[1], result.constData(), std::size_t(result.size()));
            ::_exit(0);
        }
        ::close(ends[1]);
        resultEnd = ends[0];
    }
    ~Child()
    {
        ::close(resultEnd);
        if (pid > 0)
            ::waitpid(pid, nullptr, 0);
    }
    // What the body returned, once it has, waiting with the event loop running.
    QByteArray result()
    {
        if (!QTest::qWaitFor([this] { return waitForInput(resultEnd, 0); }, kAnswerWaitMs))
            return QByteArray("no result");
        return readToEnd(resultEnd, kAnswerWaitMs);
    }

private:
    pid_t pid = -1;
    int resultEnd = -1;
};

} // namespace

// Remote control against the real window: requests through the socket, the window's state read
// back through status and through the window itself.
class TestRemoteControl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void requestsChangeWhatTheyShould_data();
    void requestsChangeWhatTheyShould();
    void exportWritesTheCanvasAndSparesTheOpenFile_data();
    void exportWritesTheCanvasAndSparesTheOpenFile();
    void badClientsLeaveTheWindowWorking_data();
    void badClientsLeaveTheWindowWorking();
    void overLongLineIsAnsweredWithoutAReset();
    void displayAnswersWhileTheWindowIsBusy();
    void pauseWaitsForTheUser_data();
    void pauseWaitsForTheUser();
    void librariesPauseHere_data();
    void librariesPauseHere();
    void refusesClientsOfOtherUsers();
    void requestsWaitForTheLoad_data();
    void requestsWaitForTheLoad();
    void clientsAreServedInTurn();
    void commandLineSpeaksToTheWindow_data();
    void commandLineSpeaksToTheWindow();
    void commandLineSendsOnlyToTheUsersOwn_data();
    void commandLineSendsOnlyToTheUsersOwn();
    void programListensBeforeItsFileLoads_data();
    void programListensBeforeItsFileLoads();
    void listensOnlyWhereItIsSafe_data();
    void listensOnlyWhereItIsSafe();

private:
    QString folder;
    QString socketPath;
};

void TestRemoteControl::initTestCase()
{
    folder = QDir::currentPath();
    // The window listens only in a folder of the user's alone.
    const QString socketFolder = folder + QStringLiteral("/private");
    QVERIFY(QDir().mkpath(socketFolder));
    QVERIFY(::chmod(QFile::encodeName(socketFolder).constData(), 0700) == 0);
    socketPath = socketFolder + QStringLiteral("/vedra.sock");
    qputenv("VEDRA_SOCKET", QFile::encodeName(socketPath));
    testapp::resetApplication();
    QVERIFY(testapp::showCanvasAt(kCanvas));
}

// Each test starts with s.2.las open in a listening window, at the start view.
void TestRemoteControl::init()
{
    testapp::resetApplication();
    for (int n = 1; n <= 3; ++n)
        testapp::writeFile(QStringLiteral("s.%1.las").arg(n), member(n));
    ViewerApp* app = ViewerApp::instance();
    QVERIFY(app->remoteControl->startListening());
    app->remoteControl->setIdleTimeout(RemoteControl::kIdleTimeoutMs);
    QCOMPARE(Client().ask("open s.2.las").last(), QByteArray("ok"));
    app->originX = app->originY = 0.0;
    app->ratio = 1.0;
}

void TestRemoteControl::cleanup()
{
    ViewerApp* app = ViewerApp::instance();
    app->remoteControl->stopListening();
    app->fileLoader->setBackgroundFrom(FileLoader::kBackgroundFrom);
    for (const std::string& type : std::set<std::string>(DrawingModel::instance()->hiddenTypes()))
        DrawingModel::instance()->setTypeVisible(type, 1);
}

void TestRemoteControl::requestsChangeWhatTheyShould_data()
{
    QTest::addColumn<QByteArray>("rewrittenSecond");
    QTest::addColumn<QByteArrayList>("requests");
    QTest::addColumn<QByteArray>("lastAnswer");
    QTest::addColumn<QByteArrayList>("statusLines");
    QTest::addColumn<QByteArray>("listed");
    QTest::addColumn<QByteArray>("hidden");
    using L = QByteArrayList;
    QTest::newRow("open") << QByteArray() << L{"open s.3.las"}
                          << QByteArray("file: DIR/s.3.las\nobjects: 3\nok")
                          << L{"file: DIR/s.3.las", "objects: 3"} << QByteArray() << QByteArray();
    QTest::newRow("display answers when it has taken the file, which opens in turn")
        << QByteArray() << L{"display s.3.las"} << QByteArray("file: DIR/s.3.las\nok")
        << L{"file: DIR/s.3.las", "objects: 3"} << QByteArray() << QByteArray();
    QTest::newRow("display of a folder")
        << QByteArray() << L{"display ."}
        << QByteArray("error: cannot display DIR: it is a directory") << L{"file: DIR/s.2.las"}
        << QByteArray() << QByteArray();
    QTest::newRow("open of a missing file keeps the drawing")
        << QByteArray() << L{"open none.las"}
        << QByteArray("error: cannot open DIR/none.las: no such file")
        << L{"file: DIR/s.2.las", "objects: 2"} << QByteArray() << QByteArray();
    QTest::newRow("reload") << member(3) << L{"reload"}
                            << QByteArray("file: DIR/s.2.las\nobjects: 3\nok") << L{"objects: 3"}
                            << QByteArray() << QByteArray();
    QTest::newRow("next") << QByteArray() << L{"next"}
                          << QByteArray("file: DIR/s.3.las\nobjects: 3\nok") << L{"objects: 3"}
                          << QByteArray() << QByteArray();
    QTest::newRow("previous, then a member that is not there")
        << QByteArray() << L{"previous", "previous"} << QByteArray("error: s.0.las does not exist")
        << L{"file: DIR/s.0.las", "objects: 0"} << QByteArray() << QByteArray();
    QTest::newRow("goto") << QByteArray() << L{"goto 5 -3"} << QByteArray("ok")
                          << L{"centre: 5 -3", "ratio: 1"} << QByteArray() << QByteArray();
    QTest::newRow("goto answers the centre asked for, not one worked back from the view")
        << QByteArray() << L{"goto -5 3 0.3"} << QByteArray("ok") << L{"centre: -5 3"}
        << QByteArray() << QByteArray();
    QTest::newRow("goto at a ratio, line ended by CR LF")
        << QByteArray() << L{"goto 5 -3 0.25\r"} << QByteArray("ok")
        << L{"centre: 5 -3", "ratio: 0.25", "origin: 180 138"} << QByteArray() << QByteArray();
    QTest::newRow("goto refuses what is no number")
        << QByteArray() << L{"goto 5 x"}
        << QByteArray("error: goto takes finite numbers: goto X Y [RATIO]") << L{"centre: 200 -150"}
        << QByteArray() << QByteArray();
    QTest::newRow("goto refuses a ratio of 0")
        << QByteArray() << L{"goto 1 2 0"}
        << QByteArray("error: no usable view shows 1 2 at that ratio") << L{"centre: 200 -150"}
        << QByteArray() << QByteArray();
    QTest::newRow("fit") << QByteArray() << L{"goto 1000 1000", "fit"} << QByteArray("ok")
                         << L{"centre: 5 5"} << QByteArray() << QByteArray();
    QTest::newRow("pick") << QByteArray() << L{"pick rect:cell==A"} << QByteArray("picked: 1\nok")
                          << L{"picked: 1"} << QByteArray("picked") << QByteArray();
    QTest::newRow("pick of an unusable query")
        << QByteArray() << L{"pick rect cell==A"}
        << QByteArray("error: wrong format, no such type, or no such property") << L{"picked: 0"}
        << QByteArray() << QByteArray();
    QTest::newRow("list") << QByteArray() << L{"list line"} << QByteArray("ok") << L{}
                          << QByteArray("line") << QByteArray();
    QTest::newRow("list of no type")
        << QByteArray() << L{"list cell"} << QByteArray("error: no object type cell is in use")
        << L{} << QByteArray() << QByteArray();
    QTest::newRow("hide and show") << QByteArray() << L{"hide line", "hide rect", "show line"}
                                   << QByteArray("ok") << L{} << QByteArray() << QByteArray("rect");
    QTest::newRow("status takes no arguments")
        << QByteArray() << L{"status now"} << QByteArray("error: status takes no arguments") << L{}
        << QByteArray() << QByteArray();
    QTest::newRow("unknown request")
        << QByteArray() << L{"zoom 2"} << QByteArray("error: unknown request zoom") << L{}
        << QByteArray() << QByteArray();
    QTest::newRow("control characters are not echoed")
        << QByteArray() << L{"zoom\x1b[2J\xc2\x9b\x7f"}
        << QByteArray("error: unknown request zoom\xef\xbf\xbd[2J\xef\xbf\xbd\xef\xbf\xbd") << L{}
        << QByteArray() << QByteArray();
    QTest::newRow("empty request") << QByteArray() << L{""} << QByteArray("error: empty request")
                                   << L{} << QByteArray() << QByteArray();
    QTest::newRow("not UTF-8") << QByteArray() << L{"open s.3\xff.las"}
                               << QByteArray("error: the request is not UTF-8 text")
                               << L{"file: DIR/s.2.las"} << QByteArray() << QByteArray();
    QTest::newRow("a NUL would open another file")
        << QByteArray() << L{QByteArray("open s.3.las\0.x", 15)}
        << QByteArray("error: the request holds a NUL character") << L{"file: DIR/s.2.las"}
        << QByteArray() << QByteArray();
}

void TestRemoteControl::requestsChangeWhatTheyShould()
{
    QFETCH(QByteArray, rewrittenSecond);
    QFETCH(QByteArrayList, requests);
    QFETCH(QByteArray, lastAnswer);
    QFETCH(QByteArrayList, statusLines);
    QFETCH(QByteArray, listed);
    QFETCH(QByteArray, hidden);
    if (!rewrittenSecond.isEmpty())
        testapp::writeFile(QStringLiteral("s.2.las"), rewrittenSecond);
    // The pointer stands still over the canvas while the requests move the view.
    ViewerApp* app = ViewerApp::instance();
    const QPoint pointer(30, 40);
    QCursor::setPos(app->display->mapToGlobal(pointer));
    app->pointerLabel->clear();
    Client client;
    QByteArrayList answer;
    for (const QByteArray& request : requests)
        answer = client.ask(request);
    const QByteArray dir = QFile::encodeName(folder);
    QCOMPARE(answer.join('\n'), QByteArray(lastAnswer).replace("DIR", dir));
    const QByteArrayList lines = status();
    QCOMPARE(lines.last(), QByteArray("ok"));
    for (const QByteArray& line : statusLines)
        QVERIFY2(lines.contains(QByteArray(line).replace("DIR", dir)), lines.join('\n'));
    QCOMPARE(QByteArray::fromStdString(ViewerApp::instance()->listedName), listed);
    QCOMPARE(hiddenTypes(), hidden);
    QCOMPARE(app->pointerLabel->text(),
             QString::asprintf("%f %f", app->worldX(pointer.x()), app->worldY(pointer.y())));
}

void TestRemoteControl::exportWritesTheCanvasAndSparesTheOpenFile_data()
{
    QTest::addColumn<QString>("openName");
    QTest::addColumn<QString>("exportName");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("png") << "s.2.las"
                         << "view.png" << QByteArray("ok");
    QTest::newRow("svg") << "s.2.las"
                         << "view.svg" << QByteArray("ok");
    QTest::newRow("no picture format")
        << "s.2.las"
        << "view.txt"
        << QByteArray("error: DIR/view.txt names no picture format: end it in .png, .svg or .pdf");
    QTest::newRow("the open file")
        << "drawing.png"
        << "./drawing.png"
        << QByteArray("error: DIR/drawing.png is the file DIR/drawing.png, "
                      "which this run reads: not overwritten");
}

void TestRemoteControl::exportWritesTheCanvasAndSparesTheOpenFile()
{
    QFETCH(QString, openName);
    QFETCH(QString, exportName);
    QFETCH(QByteArray, answer);
    QFile::remove(exportName);
    testapp::writeFile(openName, member(3));
    Client client;
    QCOMPARE(client.ask("open " + QFile::encodeName(openName)).last(), QByteArray("ok"));
    const QByteArray dir = QFile::encodeName(folder);
    QCOMPARE(client.ask("export " + QFile::encodeName(exportName)).join('\n'),
             QByteArray(answer).replace("DIR", dir));
    if (answer != "ok") {
        // The open file keeps its text; nothing else was written.
        QFile spared(openName);
        QVERIFY(spared.open(QIODevice::ReadOnly) && spared.readAll() == member(3));
        QVERIFY(exportName.endsWith(openName) || !QFile::exists(exportName));
        return;
    }
    const QImage picture(exportName);
    QVERIFY(!picture.isNull());
    if (exportName.endsWith(QLatin1String(".png")))
        QCOMPARE(picture.size(), kCanvas);
}

void TestRemoteControl::badClientsLeaveTheWindowWorking_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("leaves");
    QTest::addColumn<QByteArray>("firstAnswer");
    QTest::addColumn<bool>("dropped");
    QTest::addColumn<QByteArray>("centreAfter");
    QTest::addColumn<int>("idleTimeoutMs");
    // Sent a byte at a time, this long apart; 0 sends them at once.
    QTest::addColumn<int>("trickleMs");
    const int idle = RemoteControl::kIdleTimeoutMs;
    const qsizetype longest = RemoteControl::kMaxLineBytes;
    QTest::newRow("over-long line") << QByteArray(longest + 1, 'a') << false
                                    << QByteArray("error: a request is longer than 1048576 bytes")
                                    << true << QByteArray("centre: 200 -150") << idle << 0;
    QTest::newRow("longest line") << "pick " + QByteArray(longest - 5, 'a') + '\n'
                                  << false
                                  << QByteArray(
                                         "error: wrong format, no such type, or no such property")
                                  << false << QByteArray("centre: 200 -150") << idle << 0;
    QTest::newRow("silent") << QByteArray() << false << QByteArray("error: no request within")
                            << true << QByteArray("centre: 200 -150") << 300 << 0;
    QTest::newRow("half a line, then silence")
        << QByteArray("goto 1") << false << QByteArray("error: a request's line did not end within")
        << true << QByteArray("centre: 200 -150") << 300 << 0;
    QTest::newRow("bytes that trickle in do not extend a line's time")
        << QByteArray("goto 1 2 3 4 5 6 7 8 9 10\n") << false
        << QByteArray("error: a request's line did not end within") << true
        << QByteArray("centre: 200 -150") << 300 << 40;
    QTest::newRow("a slow line within its time")
        << QByteArray("goto 1 2\n") << false << QByteArray("ok") << false
        << QByteArray("centre: 1 2") << 1500 << 40;
    QTest::newRow("leaves half-way; what it sent whole is carried out")
        << QByteArray("goto 7 8\ngoto 9") << true << QByteArray() << true
        << QByteArray("centre: 7 8") << idle << 0;
    QTest::newRow("binary garbage") << QByteArray("\x01\xfe\xff\x00\x7f\n", 6) << false
                                    << QByteArray("error: the request is not UTF-8 text") << false
                                    << QByteArray("centre: 200 -150") << idle << 0;
}

void TestRemoteControl::badClientsLeaveTheWindowWorking()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, leaves);
    QFETCH(QByteArray, firstAnswer);
    QFETCH(bool, dropped);
    QFETCH(QByteArray, centreAfter);
    QFETCH(int, idleTimeoutMs);
    QFETCH(int, trickleMs);
    ViewerApp::instance()->remoteControl->setIdleTimeout(idleTimeoutMs);
    {
        Client bad;
        if (trickleMs == 0)
            bad.send(bytes);
        for (qsizetype i = 0; trickleMs > 0 && i < bytes.size(); ++i) {
            bad.send(bytes.mid(i, 1));
            QTest::qWait(trickleMs);
        }
        if (leaves) {
            bad.socket.disconnectFromServer();
        } else {
            const QByteArrayList answer = bad.answer();
            QVERIFY2(!answer.isEmpty() && answer.first().startsWith(firstAnswer),
                     answer.join('\n'));
        }
        if (dropped)
            QVERIFY(bad.dropped());
        else
            QCOMPARE(bad.ask("status").last(), QByteArray("ok"));
    }
    ViewerApp::instance()->remoteControl->setIdleTimeout(RemoteControl::kIdleTimeoutMs);
    const QByteArrayList lines = status();
    QVERIFY2(lines.contains(centreAfter), lines.join('\n'));
    QCOMPARE(lines.last(), QByteArray("ok"));
}

// A line of more than 1 MiB sent whole, as a program writes it: the writer is never cut off while
// it writes, reads its error, and then sees the connection end in order, not reset.
void TestRemoteControl::overLongLineIsAnsweredWithoutAReset()
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = addressOf(QFile::encodeName(socketPath));
    QVERIFY(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0);
    const QByteArray line = QByteArray(3 * RemoteControl::kMaxLineBytes, 'a') + '\n';
    std::atomic<int> writeError{-1};
    std::thread writer([&] {
        qsizetype sent = 0;
        while (sent < line.size()) {
            const ssize_t wrote =
                ::send(fd, line.constData() + sent, std::size_t(line.size() - sent), MSG_NOSIGNAL);
            if (wrote < 0) {
                writeError = errno;
                return;
            }
            sent += wrote;
        }
        writeError = 0;
    });
    QVERIFY(QTest::qWaitFor([&] { return writeError != -1; }, kAnswerWaitMs));
    writer.join();
    QCOMPARE(int(writeError), 0);
    QByteArray answer;
    QVERIFY(QTest::qWaitFor(
        [&] {
            char buffer[256];
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got > 0)
                answer.append(buffer, got);
            return got == 0 || (got < 0 && errno != EAGAIN);
        },
        kAnswerWaitMs));
    const int endError = errno;
    ::close(fd);
    QCOMPARE(answer, QByteArray("error: a request is longer than 1048576 bytes\n"));
    QVERIFY2(endError != ECONNRESET, "the connection was reset");
}

// A program that shows a file is not held by a load in the window: `display` answers at once and
// opens the file in turn, after the load.
void TestRemoteControl::displayAnswersWhileTheWindowIsBusy()
{
    testapp::writeFile(QStringLiteral("held.las"), member(1));
    ViewerApp* app = ViewerApp::instance();
    app->fileLoader->setBackgroundFrom(0);
    // The load is held on its thread until the answer has come.
    std::atomic<bool> hold{true};
    app->fileLoader->setStopPoint(0, [&hold] {
        while (hold)
            std::this_thread::yield();
    });
    app->commands.openFile(QStringLiteral("held.las"));
    Client client;
    client.send("display s.3.las\nstatus\n");
    const bool answered =
        QTest::qWaitFor([&] { return client.socket.canReadLine(); }, kAnswerWaitMs);
    const bool busyWhenAnswered = app->fileLoader->busy();
    hold = false;
    app->fileLoader->setStopPoint(-1, nullptr);
    QVERIFY(answered && busyWhenAnswered);
    const QByteArray dir = QFile::encodeName(folder);
    QCOMPARE(client.answer().join('\n'), "file: " + dir + "/s.3.las\nok");
    const QByteArrayList lines = client.answer();
    QVERIFY2(lines.contains("file: " + dir + "/s.3.las"), lines.join('\n'));
}

void TestRemoteControl::pauseWaitsForTheUser_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("F8") << "f8" << QByteArray("continued: once\nok");
    QTest::newRow("Continue") << "Continue" << QByteArray("continued: once\nok");
    QTest::newRow("Don't Stop Here Again")
        << "Don't Stop Here Again" << QByteArray("continued: skip-site\nok");
    // A program that ends while it waits takes its pause with it.
    QTest::newRow("program gone") << "gone" << QByteArray();
}

// A pause holds its program, not the window: the bar names it, other programs are answered, and
// the user lets it go on.
void TestRemoteControl::pauseWaitsForTheUser()
{
    QFETCH(QString, how);
    QFETCH(QByteArray, answer);
    ViewerApp* app = ViewerApp::instance();
    auto* bar = app->mainWindow->findChild<QFrame*>(QStringLiteral("pauseBar"));
    QVERIFY(bar);
    auto paused = std::make_unique<Client>();
    paused->send("pause run.py (pid 7) at run.py:12: after legalize\n");
    QTRY_VERIFY(bar->isVisible());
    const QLabel* text = bar->findChild<QLabel*>();
    QCOMPARE(text->text(), QStringLiteral("Paused: run.py (pid 7) at run.py:12: after legalize"));
    QVERIFY(status().contains("ok"));
    QVERIFY(!paused->socket.canReadLine());
    if (how == QLatin1String("gone")) {
        paused.reset();
        QTRY_VERIFY(!bar->isVisible());
        return;
    }
    if (how == QLatin1String("f8")) {
        app->mainWindow->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(app->mainWindow));
        QTest::keyClick(app->mainWindow->windowHandle(), Qt::Key_F8);
    } else {
        for (QPushButton* button : bar->findChildren<QPushButton*>()) {
            if (button->text() == how)
                QTest::mouseClick(button, Qt::LeftButton);
        }
    }
    QCOMPARE(paused->answer().join('\n'), answer);
    QVERIFY(!bar->isVisible());
    // The program's next request is served as any other.
    QVERIFY(paused->ask("status").contains("ok"));
}

namespace
{

// A program's run through the writer library: two pauses at one place, then one at another.
// Each pause's outcome goes to the run's output, one word a line.
const char kPausingPython[] = R"(import sys
sys.path.insert(0, sys.argv[1])
import vedra_dump
steps = vedra_dump.Series("paused/step")
for step in range(2):
    steps.next().pt(step, 0)
    print(steps.pause("same place"), flush=True)
steps.next().pt(9, 9)
print(steps.pause("another place"), flush=True)
)";
constexpr int kPythonSamePlace = 7;
constexpr int kPythonOtherPlace = 9;

} // namespace

void TestRemoteControl::librariesPauseHere_data()
{
    QTest::addColumn<QString>("language");
    // At each pause shown, in turn: the button pressed, or "close" to stop listening.
    QTest::addColumn<QStringList>("choices");
    // The places of the pauses shown, in turn, as "same" or "other".
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("outcomes");
    for (const char* language : {"C++", "Python"}) {
        QTest::addRow("%s, Continue each time", language)
            << language << QStringList{"Continue", "Continue", "Continue"}
            << QStringList{"same", "same", "other"} << "True True True";
        // Never a hang: the pause ends when the window goes, and no window is found after.
        QTest::addRow("%s, the window goes", language)
            << language << QStringList{"close"} << QStringList{"same"} << "False False False";
        // The place skipped, and that place alone; last, since a skip lasts for the rest of the
        // run, and the C++ rows are one run.
        QTest::addRow("%s, Don't Stop Here Again", language)
            << language << QStringList{"Don't Stop Here Again", "Continue"}
            << QStringList{"same", "other"} << "True True True";
    }
}

// What a program's pause shows in this window, and what the user's choice gives the program.
void TestRemoteControl::librariesPauseHere()
{
    QFETCH(QString, language);
    QFETCH(QStringList, choices);
    QFETCH(QStringList, shown);
    QFETCH(QString, outcomes);
    ViewerApp* app = ViewerApp::instance();
    auto* bar = app->mainWindow->findChild<QFrame*>(QStringLiteral("pauseBar"));
    QVERIFY(bar);
    qputenv("VEDRA_PROGRAM", "/nonexistent/vedra");
    QString place;
    int samePlace = 0;
    int otherPlace = 0;
    QProcess python;
    std::atomic<bool> ran{false};
    std::string cppOutcomes;
    std::thread cpp;
    if (language == QLatin1String("Python")) {
#ifdef VEDRA_PYTHON
        testapp::writeFile(QStringLiteral("pausing.py"), kPausingPython);
        place = QDir::current().absoluteFilePath(QStringLiteral("pausing.py"));
        samePlace = kPythonSamePlace;
        otherPlace = kPythonOtherPlace;
        python.start(QStringLiteral(VEDRA_PYTHON),
                     {QStringLiteral("pausing.py"), QStringLiteral(VEDRA_PYTHON_PACKAGE)});
#else
        QSKIP("no Python to run the package with");
#endif
    } else {
        place = QStringLiteral(__FILE__);
        samePlace = __LINE__ + 6;
        otherPlace = __LINE__ + 8;
        cpp = std::thread([&cppOutcomes, &ran] {
            vedra::Series steps("paused/step");
            for (int step = 0; step < 2; ++step) {
                steps.next().pt(step, 0);
                cppOutcomes += steps.pause("same place") ? "True " : "False ";
            }
            steps.next().pt(9, 9);
            cppOutcomes += steps.pause("another place") ? "True" : "False";
            ran = true;
        });
    }
    for (int k = 0; k < choices.size(); ++k) {
        QTRY_VERIFY_WITH_TIMEOUT(bar->isVisible(), 20000);
        const QString text = bar->findChild<QLabel*>()->text();
        const int line = shown[k] == QLatin1String("same") ? samePlace : otherPlace;
        const QString message = shown[k] == QLatin1String("same") ? "same place" : "another place";
        QVERIFY2(
            text.startsWith("Paused: ") && text.contains(" (pid ") &&
                text.endsWith(QStringLiteral(" at %1:%2: %3").arg(place).arg(line).arg(message)),
            qPrintable(text));
        if (choices[k] == QLatin1String("close")) {
            app->remoteControl->stopListening();
        } else {
            for (QPushButton* button : bar->findChildren<QPushButton*>()) {
                if (button->text() == choices[k])
                    QTest::mouseClick(button, Qt::LeftButton);
            }
        }
        QVERIFY(!bar->isVisible());
    }
    if (cpp.joinable()) {
        QVERIFY(QTest::qWaitFor([&ran] { return ran.load(); }, 20000));
        cpp.join();
        QCOMPARE(QString::fromStdString(cppOutcomes), outcomes);
    } else {
        // The window answers the program's last requests from the event loop.
        QVERIFY(
            QTest::qWaitFor([&python] { return python.state() == QProcess::NotRunning; }, 20000));
        QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()).simplified(), outcomes);
    }
    qunsetenv("VEDRA_PROGRAM");
}

// A process of another user that reaches the socket (here: root's, with the user changed) is
// answered that it may not, and the user learns who tried.
void TestRemoteControl::refusesClientsOfOtherUsers()
{
    if (::geteuid() != 0)
        QSKIP("needs root, to run a client as another user");
    const QByteArray path = QFile::encodeName(socketPath);
    Child other([&path] {
        becomeOtherUser();
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_un address = addressOf(path);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            return QByteArray("cannot connect");
        return readToEnd(fd, kAnswerWaitMs);
    });
    QCOMPARE(other.result(),
             QByteArray("error: this window takes requests from its own user only\n"));
    const QString said = ViewerApp::instance()->mainWindow->statusBar()->currentMessage();
    QVERIFY2(said.contains(QStringLiteral("(uid %1)").arg(kOtherUser)), qPrintable(said));
    QCOMPARE(status().last(), QByteArray("ok"));
}

// A load started by the user, and one asked for remotely: the requests that come meanwhile see the
// drawing that is in once it ends, never the one about to go.
void TestRemoteControl::requestsWaitForTheLoad_data()
{
    QTest::addColumn<bool>("userLoads");
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<QByteArray>("openAnswer");
    QTest::addColumn<QByteArray>("statusFile");
    QTest::newRow("the user's load") << true << false << QByteArray() << QByteArray("big.las");
    QTest::newRow("the user's load, cancelled")
        << true << true << QByteArray() << QByteArray("s.2.las");
    QTest::newRow("a remote open")
        << false << false << QByteArray("objects: 200000") << QByteArray("big.las");
    QTest::newRow("a remote open, cancelled")
        << false << true << QByteArray("error: loading DIR/big.las was cancelled")
        << QByteArray("s.2.las");
}

void TestRemoteControl::requestsWaitForTheLoad()
{
    QFETCH(bool, userLoads);
    QFETCH(bool, cancelled);
    QFETCH(QByteArray, openAnswer);
    QFETCH(QByteArray, statusFile);
    // Large enough that its load lasts many turns of the event loop.
    QByteArray big = "endheader\n";
    for (int i = 0; i < 200000; ++i)
        big += "pt " + QByteArray::number(i) + " 1 black 0\n";
    testapp::writeFile(QStringLiteral("big.las"), big);
    ViewerApp* app = ViewerApp::instance();
    app->fileLoader->setBackgroundFrom(0);
    Client opener;
    if (userLoads)
        app->commands.openFile(QStringLiteral("big.las"));
    else
        opener.send("open big.las\n");
    QVERIFY(QTest::qWaitFor([app] { return app->fileLoader->busy(); }, kAnswerWaitMs));
    Client asker;
    asker.send("status\n");
    if (cancelled)
        app->fileLoader->cancel();
    if (!userLoads) {
        const QByteArray dir = QFile::encodeName(folder);
        const QByteArrayList answer = opener.answer();
        QVERIFY2(answer.contains(QByteArray(openAnswer).replace("DIR", dir)), answer.join('\n'));
    }
    const QByteArrayList lines = asker.answer();
    QVERIFY2(!lines.isEmpty() && lines.first().endsWith(statusFile), lines.join('\n'));
    QCOMPARE(lines.last(), QByteArray("ok"));
}

// Three requests from one client and one from another that came at once: the second client's
// comes second. Clients beyond the limit are turned away, and the rest still answered.
void TestRemoteControl::clientsAreServedInTurn()
{
    // The window sees the clients of init() and of the tests before leave: they count no more.
    QTRY_COMPARE(ViewerApp::instance()->remoteControl->clientCount(), std::size_t(0));
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < RemoteControl::kMaxClients + 2; ++i)
        clients.push_back(std::make_unique<Client>());
    Client& first = *clients[0];
    Client& second = *clients[1];
    first.send("goto 1 0\ngoto 2 0\ngoto 3 0\n");
    second.send("status\n");
    QVERIFY2(second.answer().contains("centre: 1 0"), "the second client waited for all three");
    for (int i = 0; i < 3; ++i)
        QCOMPARE(first.answer().last(), QByteArray("ok"));
    for (std::size_t i = 2; i < clients.size(); ++i) {
        const QByteArrayList answer = clients[i]->ask("fit");
        QCOMPARE(answer.last(), i < static_cast<std::size_t>(RemoteControl::kMaxClients)
                                    ? QByteArray("ok")
                                    : QByteArray("error: too many clients at once"));
    }
}

// The real program's --remote, while this window listens: exit 0 with the answer's lines, 1 with
// the window's reason; arguments that look like options belong to the request.
void TestRemoteControl::commandLineSpeaksToTheWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("standardOutput");
    QTest::addColumn<QString>("standardError");
    QTest::newRow("goto to negative coordinates")
        << QStringList{"--remote", "goto", "-5", "-3"} << 0 << QString() << QString();
    QTest::newRow("status") << QStringList{"--remote", "status"} << 0
                            << "file: " + folder + "/s.2.las\nobjects: 2\n"
                            << QString();
    QTest::newRow("refused") << QStringList{"--remote", "list", "cell"} << 1 << QString()
                             << "no object type cell is in use\n";
}

void TestRemoteControl::commandLineSpeaksToTheWindow()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, standardOutput);
    QFETCH(QString, standardError);
    QProcess process;
    process.start(QStringLiteral(VEDRA_PROGRAM), arguments);
    QVERIFY(
        QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, kAnswerWaitMs));
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(process.exitCode() == exitCode, qPrintable(out + err));
    QVERIFY2(out.startsWith(standardOutput), qPrintable(out));
    QCOMPARE(err, standardError);
}

// `vedra --remote` sends nothing to a window it cannot trust: a socket in a folder others can
// reach, a socket file of another user, a window run by another user; and prints no control
// character that a window answers. The socket here is a stand-in window in a folder of its own;
// what it received is checked.
void TestRemoteControl::commandLineSendsOnlyToTheUsersOwn_data()
{
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("standardError");
    QTest::newRow("a folder others can reach")
        << "folder 0777" << 1
        << "vedra: refusing DIR: others can reach it (mode 0777); the socket's folder must be "
           "yours alone\n";
    QTest::newRow("a socket file of another user")
        << "socket owner" << 1
        << "vedra: refusing DIR/vedra.sock: it belongs to USER, not to you\n";
    QTest::newRow("a window of another user")
        << "peer" << 1 << "vedra: refusing the window at DIR/vedra.sock: it runs as USER\n";
    QTest::newRow("a window that answers with control characters")
        << "answer" << 1 << "bad\uFFFD[2J\uFFFD\n";
}

void TestRemoteControl::commandLineSendsOnlyToTheUsersOwn()
{
    QFETCH(QString, trouble);
    QFETCH(int, exitCode);
    QFETCH(QString, standardError);
    if (trouble != "folder 0777" && trouble != "answer" && ::geteuid() != 0)
        QSKIP("needs root, to give a file or a process to another user");
    const QString windowFolder = folder + QStringLiteral("/window");
    QDir(windowFolder).removeRecursively();
    QVERIFY(QDir().mkpath(windowFolder));
    QVERIFY(::chmod(QFile::encodeName(windowFolder).constData(),
                    trouble == "folder 0777" ? 0777 : 0700) == 0);
    const QString windowSocket = windowFolder + QStringLiteral("/vedra.sock");
    const QByteArray path = QFile::encodeName(windowSocket);
    const QByteArray ready = QFile::encodeName(windowFolder + QStringLiteral("/ready"));
    // The stand-in window, a process of its own: what the client sent it comes back. It makes
    // the file `ready` once it listens.
    Child window([&path, &ready, &trouble] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_un address = addressOf(path);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::chmod(path.constData(), 0600) != 0)
            return QByteArray("cannot bind");
        if (trouble == "socket owner" && ::chown(path.constData(), kOtherUser, kOtherUser) != 0)
            return QByteArray("cannot chown");
        if (trouble == "peer")
            becomeOtherUser();
        if (::listen(fd, 1) != 0)
            return QByteArray("cannot listen");
        ::close(::open(ready.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
        if (!waitForInput(fd, kAnswerWaitMs))
            return QByteArray();
        const int connection = ::accept(fd, nullptr, nullptr);
        if (trouble == "answer") [[maybe_unused]]
            const ssize_t wrote = ::write(connection, "error: bad\x1b[2J\xc2\x9b\n", 17);
        return readToEnd(connection, 5000);
    });
    QVERIFY(QTest::qWaitFor([&ready] { return QFileInfo::exists(QFile::decodeName(ready)); },
                            kAnswerWaitMs));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VEDRA_SOCKET"), windowSocket);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VEDRA_PROGRAM), {"--remote", "status"});
    QVERIFY(process.waitForFinished(kAnswerWaitMs));
    // Wakes the stand-in if the client never came.
    QLocalSocket wake;
    wake.connectToServer(windowSocket);
    wake.waitForConnected(1000);
    wake.abort();
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(process.exitCode() == exitCode, qPrintable(err));
    QCOMPARE(err, QString(standardError)
                      .replace("DIR", windowFolder)
                      .replace("USER", QStringLiteral("user nobody (uid %1)").arg(kOtherUser)));
    QCOMPARE(window.result(), trouble == "answer" ? QByteArray("status\n") : QByteArray());
    ::chmod(QFile::encodeName(windowFolder).constData(), 0700);
}

// The real program: with --listen it listens before its first file is in (a request sent at once
// is answered once the drawing is in, fitted with --fit), and says on standard error why it
// cannot listen.
void TestRemoteControl::programListensBeforeItsFileLoads_data()
{
    QTest::addColumn<QString>("socket");
    QTest::addColumn<QString>("standardError");
    QTest::newRow("listens, loads, fits") << "private/program.sock" << QString();
    const QString tooLong = QStringLiteral("private/") + QString(120, QLatin1Char('s'));
    QTest::newRow("a path too long for a socket")
        << tooLong
        << QStringLiteral("vedra: not listening for remote control at %1/%2: the path is %3 bytes "
                          "long, and a socket's path holds at most 107 bytes\n")
               .arg(folder, tooLong)
               .arg(folder.size() + 1 + tooLong.size());
}

void TestRemoteControl::programListensBeforeItsFileLoads()
{
    QFETCH(QString, socket);
    QFETCH(QString, standardError);
    // Large enough to load in the background.
    QByteArray big = "endheader\n";
    big.reserve(9 << 20);
    for (int i = 0; big.size() < FileLoader::kBackgroundFrom; ++i)
        big += "rect " + QByteArray::number(i % 1000) + " 0 1 1 black\n";
    testapp::writeFile(QStringLiteral("large.las"), big);
    const QString path = folder + QLatin1Char('/') + socket;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VEDRA_SOCKET"), path);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(VEDRA_PROGRAM), {"--listen", "--fit", "large.las"});
    QVERIFY(program.waitForStarted());
    const auto stop = qScopeGuard([&program] {
        program.kill();
        program.waitForFinished();
    });
    if (!standardError.isEmpty()) {
        QByteArray err;
        const bool said = QTest::qWaitFor(
            [&] {
                err += program.readAllStandardError();
                return err.contains("vedra: not listening") && err.endsWith('\n');
            },
            kAnswerWaitMs);
        QVERIFY2(said, err.constData());
        const QByteArray line = err.mid(err.indexOf("vedra: not listening"));
        QCOMPARE(QString::fromLocal8Bit(line.left(line.indexOf('\n') + 1)), standardError);
        return;
    }
    QLocalSocket client;
    QVERIFY(QTest::qWaitFor(
        [&] {
            client.connectToServer(path);
            return client.waitForConnected(100);
        },
        kAnswerWaitMs));
    client.write("status\n");
    QByteArrayList lines;
    while (client.waitForReadyRead(kAnswerWaitMs * 3)) {
        while (client.canReadLine())
            lines.append(client.readLine().chopped(1));
        if (!lines.isEmpty() && lines.last() == "ok")
            break;
    }
    QVERIFY2(lines.contains("file: " + QFile::encodeName(folder) + "/large.las"), lines.join('\n'));
    // Fitted: the drawing, 1000 units wide, fills most of the 1280 or so pixels of the canvas.
    QVERIFY2(!lines.contains("ratio: 1"), lines.join('\n'));
}

// Listening replaces only a socket file of the user's that nobody answers on, never another
// window's, never a file that is no socket, and only in a folder of the user's alone; the socket
// is the user's alone too, and stopping removes it only while it is the one made. The File menu's
// toggle is remembered.
void TestRemoteControl::listensOnlyWhereItIsSafe_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("nothing there") << ""
                                   << "";
    QTest::newRow("a crashed window's socket") << "stale"
                                               << "";
    QTest::newRow("another window's socket") << "live"
                                             << "another Vedra window listens there";
    QTest::newRow("a file that is no socket")
        << "file"
        << "refusing DIR/private/vedra.sock: it is not a socket";
    QTest::newRow("a crashed window's socket of another user")
        << "stale of another user"
        << "refusing DIR/private/vedra.sock: it belongs to user nobody (uid 65534), not to you";
    QTest::newRow("a folder others can reach")
        << "open folder"
        << "refusing DIR/open: others can reach it (mode 0777); the socket's folder must be "
           "yours alone";
    QTest::newRow("a folder that is not there") << "missing folder"
                                                << "the folder DIR/none does not exist";
    QTest::newRow("fallback folder") << "fallback"
                                     << "";
    QTest::newRow("fallback folder open to others")
        << "fallback 0755"
        << "refusing FALLBACK: others can reach it (mode 0755); the socket's folder must be "
           "yours alone";
}

void TestRemoteControl::listensOnlyWhereItIsSafe()
{
    QFETCH(QString, before);
    QFETCH(QString, refusal);
    if (before.endsWith("another user") && ::geteuid() != 0)
        QSKIP("needs root, to give a socket file to another user");
    RemoteControl* control = ViewerApp::instance()->remoteControl;
    control->stopListening();
    QVERIFY(!QFile::exists(socketPath));
    const QString fallbackFolder = QStringLiteral("/tmp/vedra-%1").arg(::getuid());
    QString path = socketPath;
    if (before == "open folder") {
        path = folder + QStringLiteral("/open/vedra.sock");
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/open")));
        QVERIFY(::chmod(QFile::encodeName(folder + QStringLiteral("/open")).constData(), 0777) ==
                0);
    } else if (before == "missing folder") {
        path = folder + QStringLiteral("/none/vedra.sock");
    } else if (before.startsWith("fallback")) {
        path = fallbackFolder + QStringLiteral("/vedra.sock");
        if (before.endsWith("0755")) {
            QDir().mkpath(fallbackFolder);
            QVERIFY(::chmod(QFile::encodeName(fallbackFolder).constData(), 0755) == 0);
        }
    }
    const QByteArray name = QFile::encodeName(path);
    QLocalServer other;
    if (before.startsWith("stale")) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const sockaddr_un address = addressOf(name);
        QVERIFY(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0);
        ::close(fd);
        if (before.endsWith("another user"))
            QVERIFY(::chown(name.constData(), kOtherUser, kOtherUser) == 0);
    } else if (before == "live") {
        QVERIFY(other.listen(path));
    } else if (before == "file") {
        testapp::writeFile(path, "mine");
    }
    const QByteArray runtimeFolder = qgetenv("XDG_RUNTIME_DIR");
    if (before.startsWith("fallback")) {
        qunsetenv("VEDRA_SOCKET");
        qunsetenv("XDG_RUNTIME_DIR");
    } else {
        qputenv("VEDRA_SOCKET", name);
    }
    QString reason;
    const bool listens = control->startListening(&reason);
    qputenv("VEDRA_SOCKET", QFile::encodeName(socketPath));
    if (!runtimeFolder.isEmpty())
        qputenv("XDG_RUNTIME_DIR", runtimeFolder);
    ::chmod(QFile::encodeName(fallbackFolder).constData(), 0700);
    QCOMPARE(reason, QString(refusal).replace("DIR", folder).replace("FALLBACK", fallbackFolder));
    QCOMPARE(listens, refusal.isEmpty());
    QCOMPARE(control->listening(), listens);
    if (!listens) {
        // What was there stays as it was.
        QCOMPARE(QFileInfo::exists(path),
                 before.startsWith("stale") || before == "live" || before == "file");
        if (before == "file")
            QCOMPARE(QFileInfo(path).size(), 4);
        if (before == "live")
            QVERIFY(other.isListening());
        else
            QFile::remove(path);
        return;
    }
    struct stat status;
    QVERIFY(::stat(name.constData(), &status) == 0);
    QCOMPARE(status.st_mode & 0777, 0600u);
    if (before.startsWith("fallback")) {
        QVERIFY(::stat(QFile::encodeName(fallbackFolder).constData(), &status) == 0);
        QCOMPARE(status.st_mode & 0777, 0700u);
    }
    // The menu's toggle: off closes the socket, and what the user chose is remembered.
    QAction* toggle = nullptr;
    for (QAction* action : ViewerApp::instance()->mainWindow->findChildren<QAction*>()) {
        if (action->text() == QLatin1String("Listen for Remote Control"))
            toggle = action;
    }
    QVERIFY(toggle && toggle->isChecked());
    toggle->trigger();
    QVERIFY(!QFile::exists(path));
    QVERIFY(!RememberedState::listenForRemoteControl());
    toggle->trigger();
    QVERIFY(RememberedState::listenForRemoteControl());
    QCOMPARE(control->socketPath(), socketPath);
    // A file that took the socket's place since is another's, and stays.
    QVERIFY(QFile::remove(socketPath));
    testapp::writeFile(socketPath, "other");
    toggle->trigger();
    QVERIFY(QFile::exists(socketPath));
    QFile::remove(socketPath);
}

QTEST_MAIN(TestRemoteControl)
#include "tst_remotecontrol.moc"
