#include "app/rememberedstate.h"
#include "app/viewerapp.h"
#include "follow/fileloader.h"
#include "model/drawingmodel.h"
#include "remote/remotecontrol.h"
#include "support/testapp.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMainWindow>
#include <QProcess>
#include <QtTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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
    // came.
    QByteArrayList answer()
    {
        QByteArrayList lines;
        while (QTest::qWaitFor([this] { return socket.canReadLine(); }, kAnswerWaitMs)) {
            lines.append(socket.readLine().chopped(1));
            if (lines.last() == "ok" || lines.last().startsWith("error: "))
                break;
        }
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
    void requestsWaitForTheLoad_data();
    void requestsWaitForTheLoad();
    void clientsAreServedInTurn();
    void commandLineSpeaksToTheWindow_data();
    void commandLineSpeaksToTheWindow();
    void listensOnlyWhereItIsSafe_data();
    void listensOnlyWhereItIsSafe();

private:
    QString folder;
    QString socketPath;
};

void TestRemoteControl::initTestCase()
{
    folder = QDir::currentPath();
    socketPath = folder + QStringLiteral("/vedra.sock");
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
    const int idle = RemoteControl::kIdleTimeoutMs;
    const qsizetype longest = RemoteControl::kMaxLineBytes;
    QTest::newRow("over-long line") << QByteArray(longest + 1, 'a') << false
                                    << QByteArray("error: a request is longer than 1048576 bytes")
                                    << true << QByteArray("centre: 200 -150") << idle;
    QTest::newRow("longest line") << "pick " + QByteArray(longest - 5, 'a') + '\n'
                                  << false
                                  << QByteArray(
                                         "error: wrong format, no such type, or no such property")
                                  << false << QByteArray("centre: 200 -150") << idle;
    QTest::newRow("silent") << QByteArray() << false << QByteArray("error: no request within")
                            << true << QByteArray("centre: 200 -150") << 300;
    QTest::newRow("half a line, then silence")
        << QByteArray("goto 1") << false << QByteArray("error: no request within") << true
        << QByteArray("centre: 200 -150") << 300;
    QTest::newRow("leaves half-way; what it sent whole is carried out")
        << QByteArray("goto 7 8\ngoto 9") << true << QByteArray() << true
        << QByteArray("centre: 7 8") << idle;
    QTest::newRow("binary garbage") << QByteArray("\x01\xfe\xff\x00\x7f\n", 6) << false
                                    << QByteArray("error: the request is not UTF-8 text") << false
                                    << QByteArray("centre: 200 -150") << idle;
}

void TestRemoteControl::badClientsLeaveTheWindowWorking()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, leaves);
    QFETCH(QByteArray, firstAnswer);
    QFETCH(bool, dropped);
    QFETCH(QByteArray, centreAfter);
    QFETCH(int, idleTimeoutMs);
    ViewerApp::instance()->remoteControl->setIdleTimeout(idleTimeoutMs);
    {
        Client bad;
        bad.send(bytes);
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

// Listening replaces only a socket file nobody answers on, never another window's, never a file
// that is no socket, and never in a fallback folder others can reach; the socket is the user's
// alone. The File menu's toggle is remembered.
void TestRemoteControl::listensOnlyWhereItIsSafe_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("nothing there") << ""
                                   << "";
    QTest::newRow("a crashed window's socket") << "stale"
                                               << "";
    QTest::newRow("another window's socket") << "live"
                                             << "another Vedra window listens at ";
    QTest::newRow("a file that is no socket") << "file"
                                              << " is there and is no socket";
    QTest::newRow("fallback folder") << "fallback"
                                     << "";
    QTest::newRow("fallback folder open to others") << "fallback 0755"
                                                    << " is open to other users";
}

void TestRemoteControl::listensOnlyWhereItIsSafe()
{
    QFETCH(QString, before);
    QFETCH(QString, refusal);
    RemoteControl* control = ViewerApp::instance()->remoteControl;
    control->stopListening();
    QVERIFY(!QFile::exists(socketPath));
    QString path = socketPath;
    QLocalServer other;
    const QByteArray name = QFile::encodeName(socketPath);
    if (before == "stale") {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, name.constData(), sizeof address.sun_path);
        QVERIFY(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        ::close(fd);
    } else if (before == "live") {
        QVERIFY(other.listen(socketPath));
    } else if (before == "file") {
        testapp::writeFile(socketPath, "mine");
    }
    const QString fallbackFolder = QStringLiteral("/tmp/vedra-%1").arg(::getuid());
    const QByteArray runtimeFolder = qgetenv("XDG_RUNTIME_DIR");
    if (before.startsWith("fallback")) {
        qunsetenv("VEDRA_SOCKET");
        qunsetenv("XDG_RUNTIME_DIR");
        path = fallbackFolder + QStringLiteral("/vedra.sock");
        if (before.endsWith("0755")) {
            QDir().mkpath(fallbackFolder);
            QVERIFY(::chmod(QFile::encodeName(fallbackFolder).constData(), 0755) == 0);
        }
    }
    QString reason;
    const bool listens = control->startListening(&reason);
    qputenv("VEDRA_SOCKET", name);
    if (!runtimeFolder.isEmpty())
        qputenv("XDG_RUNTIME_DIR", runtimeFolder);
    ::chmod(QFile::encodeName(fallbackFolder).constData(), 0700);
    QVERIFY2(listens == refusal.isEmpty(), qPrintable(reason));
    QVERIFY2(reason.contains(refusal), qPrintable(reason));
    QCOMPARE(ViewerApp::instance()->remoteControl->listening(), listens);
    if (before == "live")
        QVERIFY(other.isListening());
    if (before == "file") {
        QCOMPARE(QFileInfo(socketPath).size(), 4);
        QFile::remove(socketPath);
    }
    if (!listens)
        return;
    struct stat status;
    QVERIFY(::stat(QFile::encodeName(path).constData(), &status) == 0);
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
    toggle->trigger();
}

QTEST_MAIN(TestRemoteControl)
#include "tst_remotecontrol.moc"
