#include "app/viewerapp.h"
#include "model/drawingmodel.h"
#include "model/paintcircle.h"
#include "model/paintline.h"
#include "model/paintpath.h"
#include "model/paintpoint.h"
#include "model/paintpolygon.h"
#include "model/paintrectangle.h"
#include "support/testapp.h"

#include <vedra/dump.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <array>
#include <atomic>
#include <cfloat>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstring>
#include <functional>
#include <thread>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

using DumpSteps = std::function<void(vedra::Dump&)>;
Q_DECLARE_METATYPE(DumpSteps)

namespace
{

// One object as written, and as the loader gave it back: its numbers in record order (the
// vertices' coordinates in turn), and its properties with the declared defaults under them.
struct Object {
    std::string kind, color;
    std::vector<double> numbers;
    int shape = 0;
    QMap<QString, QString> properties;
    QStringList searches, comments;
};

QString latin1(const std::string& bytes)
{
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

// Latin-1 bytes as the UTF-8 text a program gives the writer.
std::string utf8(const std::string& bytes)
{
    return latin1(bytes).toStdString();
}

Object loadedObject(const paintObject* object)
{
    Object loaded;
    loaded.color = object->colorName;
    loaded.properties = object->properties;
    loaded.searches = object->relatedSearches;
    loaded.comments = object->comments;
    const auto vertices = [&loaded](const VertexList& list) {
        for (const QPointF& v : list)
            loaded.numbers.insert(loaded.numbers.end(), {v.x(), v.y()});
    };
    if (const auto* p = dynamic_cast<const paintPoint*>(object)) {
        loaded.kind = "pt";
        loaded.numbers = {p->x, p->y};
        loaded.shape = p->shape;
    } else if (const auto* l = dynamic_cast<const paintLine*>(object)) {
        loaded.kind = "line";
        loaded.numbers = {l->x1, l->y1, l->x2, l->y2};
    } else if (const auto* r = dynamic_cast<const paintRectangle*>(object)) {
        loaded.kind = "rect";
        loaded.numbers = {r->x1, r->y1, r->x2, r->y2};
    } else if (const auto* c = dynamic_cast<const paintCircle*>(object)) {
        loaded.kind = "circle";
        loaded.numbers = {c->cx, c->cy, c->radius};
    } else if (const auto* path = dynamic_cast<const paintPath*>(object)) {
        loaded.kind = "path";
        vertices(path->vertices);
    } else if (const auto* polygon = dynamic_cast<const paintPolygon*>(object)) {
        loaded.kind = "polygon";
        vertices(polygon->vertices);
    }
    return loaded;
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

// Loads the file through the viewer's loader and compares every object and header colour with
// what was written.
void compareLoaded(const QString& file, const std::vector<Object>& written,
                   const std::map<std::string, QColor>& colors)
{
    QFile text(file);
    QVERIFY(text.open(QIODevice::ReadOnly));
    testapp::loadText(text.readAll());
    QCOMPARE(ViewerApp::instance()->fileColors, colors);
    const DrawingModel::ObjectList& objects = DrawingModel::instance()->objects;
    QCOMPARE(objects.size(), written.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
        const Object loaded = loadedObject(objects[i]);
        const Object& expected = written[i];
        const QByteArray where = "record " + QByteArray::number(qulonglong(i));
        QVERIFY2(loaded.kind == expected.kind, where);
        QVERIFY2(sameBits(loaded.numbers, expected.numbers), where);
        QVERIFY2(loaded.shape == expected.shape, where);
        QVERIFY2(loaded.color == expected.color, where);
        QVERIFY2(loaded.properties == expected.properties, where);
        QVERIFY2(loaded.searches == expected.searches, where);
        QVERIFY2(loaded.comments == expected.comments, where);
    }
}

// Doubles from every range the file must carry: ordinary, tiny (down to the smallest
// subnormal), huge (up to the largest finite), zeros of both signs, and any finite bits.
double randomNumber(QRandomGenerator& random)
{
    switch (random.bounded(6)) {
    case 0:
        return random.bounded(2000.0) - 1000.0;
    case 1:
        return std::ldexp(random.bounded(1.0) - 0.5, -1000 - random.bounded(75));
    case 2:
        return (random.bounded(2.0) - 1.0) * DBL_MAX;
    case 3: {
        const double corners[] = {0.0, -0.0, DBL_TRUE_MIN, -DBL_MAX};
        return corners[random.bounded(4)];
    }
    default:
        for (;;) {
            const quint64 bits = random.generate64();
            double value;
            std::memcpy(&value, &bits, sizeof value);
            if (std::isfinite(value))
                return value;
        }
    }
}

// Bytes 1 to 255 but those excluded, with no "!!" or "//" in them. Half are the bytes that
// separate the parts of a record, so that they often stand at the edges of a part.
std::string randomText(QRandomGenerator& random, int length, std::string_view excluded)
{
    constexpr std::string_view kSeparators = "!/# ";
    for (;;) {
        std::string text;
        for (int i = 0; i < length; ++i) {
            const char c =
                random.bounded(2) ? kSeparators[random.bounded(4)] : char(1 + random.bounded(255));
            if (excluded.find(c) == std::string_view::npos)
                text += c;
        }
        if (text.find("!!") == std::string::npos && text.find("//") == std::string::npos)
            return text;
    }
}

std::string randomWord(QRandomGenerator& random)
{
    const std::string word = randomText(random, 1 + random.bounded(8), " \t\n\v\f\r");
    return word.empty() ? "w" : word;
}

// A socket path in a folder of this user's alone, as the writer trusts.
QString privateSocket(const QString& folder = "private")
{
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return QDir(folder).absoluteFilePath("vedra.sock");
}

// A listener standing in for a window: answers each request line with `reply` (a pause with
// `pauseReply` when given), noting the lines.
class FakeWindow
{
public:
    FakeWindow(const QString& path, QByteArray reply, QByteArray pauseReply = QByteArray())
        : reply(std::move(reply)), pauseReply(std::move(pauseReply))
    {
        QLocalServer::removeServer(path);
        server.setSocketOptions(QLocalServer::UserAccessOption);
        QVERIFY(server.listen(path));
        QObject::connect(&server, &QLocalServer::newConnection, [this] {
            QLocalSocket* client = server.nextPendingConnection();
            QObject::connect(client, &QLocalSocket::readyRead, [this, client] {
                while (client->canReadLine()) {
                    requests.append(client->readLine());
                    const bool pause = requests.last().startsWith("pause ");
                    client->write(pause && !this->pauseReply.isEmpty() ? this->pauseReply
                                                                       : this->reply);
                }
            });
        });
    }
    QStringList requests;

private:
    QLocalServer server;
    QByteArray reply;
    QByteArray pauseReply;
};

// Runs work (which blocks on a socket, an answer waited for a minute at most) on a thread while
// this one serves the fake window.
template <class Work> auto whileServing(Work work)
{
    std::atomic<bool> done{false};
    decltype(work()) result{};
    std::thread worker([&] {
        result = work();
        done = true;
    });
    if (!QTest::qWaitFor([&done] { return done.load(); }, 90000))
        qWarning("the socket is still waited for");
    worker.join();
    return result;
}

// A socket at path whose file is this user's but whose listener runs as nobody (uid 65534):
// a child binds it, then becomes nobody before it listens. Needs root; the child's pid.
pid_t listenAsNobody(const QByteArray& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        umask(077);
        const int server = socket(AF_UNIX, SOCK_STREAM, 0);
        if (bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            syscall(SYS_setgid, 65534) != 0 || syscall(SYS_setuid, 65534) != 0 ||
            listen(server, 4) != 0)
            _exit(1);
        (void)!write(ready[1], "x", 1);
        for (;;)
            pause();
    }
    close(ready[1]);
    char byte;
    const bool listening = read(ready[0], &byte, 1) == 1;
    close(ready[0]);
    if (!listening && child > 0)
        waitpid(child, nullptr, 0);
    return listening ? child : -1;
}

// A program's output (standard output and error through one pipe), read until the pipe ends:
// that needs every process holding the pipe to have ended or closed it, so a window the program
// started must not hold it.
class Piped
{
public:
    explicit Piped(const QStringList& arguments)
    {
        std::vector<QByteArray> texts;
        for (const QString& argument : arguments)
            texts.push_back(argument.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& text : texts)
            argv.push_back(text.data());
        argv.push_back(nullptr);
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0)
            return;
        pid = fork();
        if (pid == 0) {
            dup2(ends[1], 1);
            dup2(ends[1], 2);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(ends[1]);
        out = ends[0];
    }
    // Everything written, read until the program has ended; `ended` says whether the pipe had
    // reached its end by then, which it does only when no process of the program's holds it.
    QByteArray read(bool& ended)
    {
        QByteArray text;
        ended = false;
        bool programEnded = false;
        while (out >= 0 && !ended) {
            pollfd waiting{out, POLLIN, 0};
            // Once the program has ended (and its own ends of the pipe with it), whatever is
            // left is read at once: the pipe ends now or is held by another.
            if (poll(&waiting, 1, programEnded ? 0 : 100) <= 0) {
                if (programEnded)
                    break;
                programEnded = pid > 0 && waitpid(pid, nullptr, WNOHANG) == pid;
                if (programEnded)
                    pid = -1;
                continue;
            }
            char buffer[4096];
            const ssize_t n = ::read(out, buffer, sizeof buffer);
            if (n > 0)
                text.append(buffer, n);
            ended = n == 0;
        }
        return text;
    }
    ~Piped()
    {
        if (out >= 0)
            close(out);
        if (pid > 0)
            waitpid(pid, nullptr, 0);
    }

private:
    pid_t pid = -1;
    int out = -1;
};

// The lines of a file, none when it is missing.
QStringList lines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

// Ends the stand-in windows noted in the notes file (they are this test's grandchildren).
void endNotedWindows(const QString& notes)
{
    for (const QString& line : lines(notes)) {
        if (line.startsWith("pid "))
            kill(pid_t(line.mid(4).toInt()), SIGTERM);
    }
}

} // namespace

class TestDumpWriter : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        testapp::resetApplication();
        qunsetenv("VEDRA_SOCKET");
        qunsetenv("VEDRA_PROGRAM");
        qputenv("XDG_STATE_HOME", QDir::current().absoluteFilePath("state").toUtf8());
    }
    void randomObjectsReadBackExactly();
    void pythonObjectsReadBackExactly();
    void refusedInputWritesNothing_data();
    void refusedInputWritesNothing();
    void writtenAsGiven_data();
    void writtenAsGiven();
    void writeFailureNamesTheDump_data();
    void writeFailureNamesTheDump();
    void rewriteFollowsLinksKeepsModeAndClearsLeftovers();
    void seriesMembersAreNumberedAndWhole();
    void showAsksTheListeningWindow_data();
    void showAsksTheListeningWindow();
    void pauseWaitsForTheEngineer_data();
    void pauseWaitsForTheEngineer();
    void showRefusesAnUntrustedSocket_data();
    void showRefusesAnUntrustedSocket();
    void startedWindowIsDetachedOrSaysWhy_data();
    void startedWindowIsDetachedOrSaysWhy();
    void programsShowingAtOnceStartOneWindow();
    void examplesWriteEveryStep_data();
    void examplesWriteEveryStep();
};

void TestDumpWriter::randomObjectsReadBackExactly()
{
    QRandomGenerator random(32);
    const std::map<std::string, QColor> colors = {{"mine", QColor(10, 20, 30)},
                                                  {"red", QColor(0, 0, 255)}};
    std::vector<Object> written;
    // Properties no declaration names: declared by the writer, double when only numbers came.
    std::map<std::pair<std::string, QString>, bool> undeclared;
    {
        vedra::Dump dump("random.las");
        dump.color("red", 1, 1, 1).color("mine", 10, 20, 30).color("red", 0, 0, 255);
        dump.property("pt", "net", vedra::Kind::String, "none");
        dump.property("path", "w", vedra::Kind::Double, "0");
        const std::map<std::string, QMap<QString, QString>> defaults = {{"pt", {{"net", "none"}}},
                                                                        {"path", {{"w", "0"}}}};
        const char* const kinds[] = {"pt", "line", "rect", "circle", "path", "polygon"};
        const vedra::Color palette[] = {"mine", "red", "navy", 7, "16"};
        for (int i = 0; i < 300; ++i) {
            Object object;
            object.kind = kinds[random.bounded(6)];
            const vedra::Color& color = palette[random.bounded(5)];
            object.color = color.name();
            std::vector<double>& n = object.numbers;
            for (int k = 0; k < 4; ++k)
                n.push_back(randomNumber(random));
            vedra::Record* record = nullptr;
            if (object.kind == "pt") {
                n.resize(2);
                const int shapes[] = {0, 1, 2, 3, 4, 9, -1, INT_MAX, INT_MIN};
                object.shape = shapes[random.bounded(9)];
                record = &dump.pt(n[0], n[1], color, object.shape);
            } else if (object.kind == "line") {
                record = &dump.line({n[0], n[1]}, {n[2], n[3]}, color);
            } else if (object.kind == "rect") {
                record = &dump.rect({n[0], n[1]}, {n[2], n[3]}, color);
            } else if (object.kind == "circle") {
                n.resize(3);
                record = &dump.circle({n[0], n[1]}, n[2], color);
            } else if (object.kind == "path") {
                std::vector<vedra::Point> points(1 + random.bounded(5));
                n.clear();
                for (vedra::Point& p : points) {
                    p = {randomNumber(random), randomNumber(random)};
                    n.insert(n.end(), {p.x, p.y});
                }
                record = &dump.path(points, color);
            } else {
                std::vector<std::array<double, 2>> points(1 + random.bounded(5));
                n.clear();
                for (std::array<double, 2>& p : points) {
                    p = {randomNumber(random), randomNumber(random)};
                    n.insert(n.end(), p.begin(), p.end());
                }
                record = &dump.polygon(points, color);
            }
            const auto declared = defaults.find(object.kind);
            if (declared != defaults.end())
                object.properties = declared->second;
            QSet<QString> named;
            for (int p = random.bounded(4); p > 0; --p) {
                const std::string name = randomWord(random), value = randomWord(random);
                if (named.contains(latin1(name)))
                    continue;
                named.insert(latin1(name));
                record->prop(utf8(name), utf8(value));
                object.properties[latin1(name)] = latin1(value);
                if (declared == defaults.end() || !declared->second.contains(latin1(name)))
                    undeclared[{object.kind, latin1(name)}] = false;
            }
            if (random.bounded(3) == 0 && !named.contains("w")) {
                const double w = randomNumber(random);
                record->prop("w", w);
                object.properties["w"] = latin1(vedra::shortest(w));
                if (object.kind != "path")
                    undeclared.emplace(std::pair(object.kind, QString("w")), true);
            }
            for (int s = random.bounded(3); s > 0; --s) {
                std::string search = randomText(random, random.bounded(12), "#\n\r");
                while (!search.empty() && search.back() == '/')
                    search.pop_back();
                record->search(utf8(search));
                object.searches.append(latin1(search));
            }
            for (int c = random.bounded(3); c > 0; --c) {
                const std::string comment = randomText(random, random.bounded(12), "#\n\r");
                record->comment(utf8(comment));
                object.comments.append(latin1(comment));
            }
            written.push_back(std::move(object));
        }
    }
    for (Object& object : written) {
        for (const auto& [property, numeric] : undeclared) {
            if (property.first == object.kind && !object.properties.contains(property.second))
                object.properties[property.second] = numeric ? "nan" : "none";
        }
    }
    compareLoaded("random.las", written, colors);
}

// Python writes random objects and a description of them; the loader must give back each field.
void TestDumpWriter::pythonObjectsReadBackExactly()
{
#ifndef VEDRA_PYTHON
    QSKIP("no Python interpreter was found");
#else
    QProcess python;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PYTHONPATH", VEDRA_PYTHON_PACKAGE);
    python.setProcessEnvironment(environment);
    python.start(VEDRA_PYTHON,
                 {VEDRA_SOURCE_DIR "/write_random_dump.py", "python.las", "python.json", "7"});
    QVERIFY(python.waitForFinished(60000));
    QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());

    QFile file("python.json");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject description = QJsonDocument::fromJson(file.readAll()).object();
    std::map<std::string, QColor> colors;
    const QJsonObject colorTable = description["colors"].toObject();
    for (auto it = colorTable.begin(); it != colorTable.end(); ++it) {
        const QJsonArray rgb = it.value().toArray();
        colors[it.key().toStdString()] = QColor(rgb[0].toInt(), rgb[1].toInt(), rgb[2].toInt());
    }
    const auto strings = [](const QJsonValue& list) {
        QStringList pieces;
        for (const QJsonValue& piece : list.toArray())
            pieces.append(piece.toString());
        return pieces;
    };
    std::vector<Object> written;
    for (const QJsonValue& entry : description["records"].toArray()) {
        const QJsonObject record = entry.toObject();
        Object object;
        object.kind = record["kind"].toString().toStdString();
        object.color = record["color"].toString().toLatin1().toStdString();
        object.shape = record["shape"].toInt();
        for (const QJsonValue& number : record["numbers"].toArray())
            object.numbers.push_back(
                std::strtod(number.toString().toLatin1().constData(), nullptr));
        const QJsonObject properties = record["properties"].toObject();
        for (auto it = properties.begin(); it != properties.end(); ++it)
            object.properties[it.key()] = it.value().toString();
        object.searches = strings(record["searches"]);
        object.comments = strings(record["comments"]);
        written.push_back(std::move(object));
    }
    QCOMPARE(written.size(), std::size_t(300));
    compareLoaded("python.las", written, colors);
#endif
}

void TestDumpWriter::refusedInputWritesNothing_data()
{
    using vedra::Dump;
    QTest::addColumn<DumpSteps>("refused");
    QTest::addColumn<QString>("field");
    const auto row = [](const char* name, const char* field, DumpSteps refused) {
        QTest::newRow(name) << refused << QString(field);
    };
    row("NaN coordinate", "pt x is not a number", [](Dump& d) { d.pt(NAN, 0); });
    row("infinite radius", "circle radius is infinite", [](Dump& d) {
        d.circle({0, 0}, INFINITY);
    });
    row("infinite vertex", "path vertex 1 y is infinite", [](Dump& d) {
        d.path({{0, 0}, {1, -INFINITY}});
    });
    row("path without vertices", "path has no vertices",
        [](Dump& d) { d.path(std::vector<vedra::Point>{}); });
    row("polygon without vertices", "polygon has no vertices",
        [](Dump& d) { d.polygon(std::vector<vedra::Point>{}); });
    row("blank in colour", "line color 'dark red' holds a blank", [](Dump& d) {
        d.line({0, 0}, {1, 1}, "dark red");
    });
    row("unknown colour", "rect color 'reed' is neither", [](Dump& d) {
        d.rect({0, 0}, {1, 1}, "reed");
    });
    row("colour number 17", "pt color '17' is neither", [](Dump& d) { d.pt(0, 0, 17); });
    row("empty colour", "pt color is empty", [](Dump& d) { d.pt(0, 0, ""); });
    row("defined colour with !!", "color name 'a!!b' holds \"!!\"",
        [](Dump& d) { d.color("a!!b", 1, 2, 3); });
    row("component above 255", "color c green 256 lies outside",
        [](Dump& d) { d.color("c", 0, 256, 0); });
    row("property of no kind", "property type 'point'",
        [](Dump& d) { d.property("point", "net", vedra::Kind::String, "none"); });
    row("default with a blank", "property net default 'no ne'",
        [](Dump& d) { d.property("pt", "net", vedra::Kind::String, "no ne"); });
    row("blank in property name", "pt property name 'a b' holds a blank",
        [](Dump& d) { d.pt(0, 0).prop("a b", "v"); });
    row("tab in value", "pt property n value 'a\tb' holds a blank",
        [](Dump& d) { d.pt(0, 0).prop("n", "a\tb"); });
    row("!! in value", "pt property n value 'a!!' holds \"!!\"",
        [](Dump& d) { d.pt(0, 0).prop("n", "a!!"); });
    row("// in value", "pt property n value 'http://x' holds \"//\"",
        [](Dump& d) { d.pt(0, 0).prop("n", "http://x"); });
    row("empty value", "pt property n value is empty", [](Dump& d) { d.pt(0, 0).prop("n", ""); });
    row("name given twice", "pt property name 'n' is given twice",
        [](Dump& d) { d.pt(0, 0).prop("n", "1").prop("n", "2"); });
    row("NaN value", "circle property w is not a number", [](Dump& d) {
        d.circle({0, 0}, 1).prop("w", std::nan(""));
    });
    row("# in comment", "pt comment 'a#b' holds '#'", [](Dump& d) { d.pt(0, 0).comment("a#b"); });
    row("// in comment", "pt comment 'see //x' holds \"//\"",
        [](Dump& d) { d.pt(0, 0).comment("see //x"); });
    row("line break in comment", "pt comment 'a\nb' holds a line break",
        [](Dump& d) { d.pt(0, 0).comment("a\nb"); });
    row("# in search", "pt related search 'a#b' holds '#'",
        [](Dump& d) { d.pt(0, 0).search("a#b"); });
    row("!! in search", "pt related search 'a!!b' holds \"!!\"",
        [](Dump& d) { d.pt(0, 0).search("a!!b"); });
    row("search ending in /", "pt related search 'net == a/' ends with '/'",
        [](Dump& d) { d.pt(0, 0).comment("c").search("net == a/"); });
    row("value not UTF-8", "pt property n value is not UTF-8 text (byte 2 of 3)", [](Dump& d) {
        d.pt(0, 0).prop("n", "a\xe9"
                             "b");
    });
    row("cut UTF-8 sequence", "pt comment is not UTF-8 text (byte 2 of 2)",
        [](Dump& d) { d.pt(0, 0).comment("a\xc3"); });
    row("character above U+00FF", "pt comment '5 \u20ac' holds U+20AC",
        [](Dump& d) { d.pt(0, 0).comment("5 \u20ac"); });
    row("colour above U+00FF", "color name '\u0394' holds U+0394",
        [](Dump& d) { d.color("\u0394", 0, 0, 0); });
}

// Each refusal names its field, and a record refused in any part is left out whole.
void TestDumpWriter::refusedInputWritesNothing()
{
    QFETCH(DumpSteps, refused);
    QFETCH(QString, field);
    {
        vedra::Dump dump("refused.las");
        try {
            refused(dump);
            QFAIL("not refused");
        } catch (const vedra::DumpError& error) {
            QVERIFY2(QString::fromUtf8(error.what()).startsWith(field), error.what());
        }
    }
    QFile file("refused.las");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("endheader\n"));
}

void TestDumpWriter::writtenAsGiven_data()
{
    using vedra::Dump;
    QTest::addColumn<DumpSteps>("steps");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("UTF-8 text as Latin-1")
        << DumpSteps([](Dump& d) {
               d.color("gr\u00fcn", 1, 2, 3)
                   .property("pt", "\u00e9", vedra::Kind::String, "\u00ff");
               d.pt(0, 0, "gr\u00fcn").prop("\u00e9", "na\u00efve").comment("\u00bd ASCII");
           })
        << QByteArray("color gr\xfcn 1 2 3\nproperty pt \xe9 string \xff\nendheader\n"
                      "pt 0 0 gr\xfcn 0 \xe9 na\xefve //\xbd ASCII\n");
    QTest::newRow("undeclared properties declared")
        << DumpSteps([](Dump& d) {
               d.property("rect", "cell", vedra::Kind::String, "none");
               d.pt(0, 0).prop("w", 2.5).prop("net", "a1");
               d.pt(1, 1).prop("w", 3).prop("mixed", 1);
               d.rect({0, 0}, {1, 1}).prop("cell", "c1").prop("w", "wide");
               d.pt(2, 2).prop("mixed", "x");
           })
        << QByteArray("property rect cell string none\nproperty pt w double nan\n"
                      "property pt net string none\nproperty pt mixed string none\n"
                      "property rect w string none\nendheader\npt 0 0 black 0 w 2.5 net a1\n"
                      "pt 1 1 black 0 w 3 mixed 1\nrect 0 0 1 1 black cell c1 w wide\n"
                      "pt 2 2 black 0 mixed x\n");
    // The deque keeps each record in place; a vector would have moved the first long before.
    QTest::newRow("record kept past later ones")
        << DumpSteps([](Dump& d) {
               vedra::Record& first = d.pt(1, 1);
               for (int i = 0; i < 1000; ++i)
                   d.pt(2, 2).comment(std::string(100, 'x'));
               first.prop("n", 7).comment("kept");
               for (int i = 0; i < 999; ++i)
                   d.pt(2, 2);
           })
        << QByteArray("property pt n double nan\nendheader\npt 1 1 black 0 n 7 //kept\n") +
               QByteArray("pt 2 2 black 0 //" + QByteArray(100, 'x') + "\n").repeated(1000) +
               QByteArray("pt 2 2 black 0\n").repeated(999);
}

void TestDumpWriter::writtenAsGiven()
{
    QFETCH(DumpSteps, steps);
    QFETCH(QByteArray, text);
    {
        vedra::Dump dump("given.las");
        steps(dump);
    }
    QFile file("given.las");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), text);
}

void TestDumpWriter::writeFailureNamesTheDump_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("obstacle");
    QTest::addColumn<QString>("reason");
    enum { Folder, Pipe, ReadOnly, FileAsFolder };
    QTest::newRow("folder") << "in/way.las" << int(Folder)
                            << "cannot write in/way.las: it is a folder, not a regular file";
    QTest::newRow("FIFO") << "in/way.las" << int(Pipe)
                          << "cannot write in/way.las: it is a named pipe (FIFO), not a regular";
    QTest::newRow("read-only file")
        << "in/way.las" << int(ReadOnly) << "cannot write in/way.las: it is read-only";
    QTest::newRow("file where a folder must be")
        << "in/way.las/x.las" << int(FileAsFolder)
        << "cannot write in/way.las/x.las: cannot make its folder in/way.las";
}

// The error names the dump and leaves no file beside it; once it was caught, the dump does not
// write again when it goes, even where it now could.
void TestDumpWriter::writeFailureNamesTheDump()
{
    QFETCH(QString, name);
    QFETCH(int, obstacle);
    QFETCH(QString, reason);
    QDir("in").removeRecursively();
    QVERIFY(QDir().mkpath("in"));
    const QByteArray way = "in/way.las";
    if (obstacle == 0)
        QVERIFY(QDir().mkpath(way));
    else if (obstacle == 1)
        QCOMPARE(mkfifo(way.constData(), 0600), 0);
    else
        testapp::writeFile(way, "old\n");
    if (obstacle == 2)
        QVERIFY(QFile::setPermissions(way, QFile::ReadOwner));
    {
        vedra::Dump dump(name.toStdString());
        dump.pt(1, 2);
        try {
            dump.write();
            QFAIL("written");
        } catch (const vedra::WriteError& error) {
            QVERIFY2(QString(error.what()).startsWith(reason), error.what());
            QCOMPARE(error.file(), name.toStdString());
        }
        QCOMPARE(QDir("in").entryList(QDir::Files | QDir::Hidden | QDir::System),
                 obstacle == 0 ? QStringList() : QStringList{"way.las"});
        QVERIFY(QFile::remove(way) || QDir().rmdir(way));
    }
    QVERIFY(!QFileInfo::exists(name));
}

void TestDumpWriter::rewriteFollowsLinksKeepsModeAndClearsLeftovers()
{
    QDir("kept").removeRecursively();
    QVERIFY(QDir().mkpath("kept/real"));
    testapp::writeFile("kept/real/target.las", "old\n");
    QCOMPARE(chmod("kept/real/target.las", 0640), 0);
    QVERIFY(QFile::link("real/target.las", "kept/link.las"));
    // Temporaries of the target: one of a process that has ended, one of a running process
    // (this one's parent), one without a process noted (an older writer's) and an hour old, one
    // just as old but of another dump.
    const pid_t ended = fork();
    if (ended == 0)
        _exit(0);
    waitpid(ended, nullptr, 0);
    const QString gone = QString(".target.las.%1.7.tmp").arg(ended);
    const QString running = QString(".target.las.%1.8.tmp").arg(getppid());
    for (const QString& name :
         {gone, running, QString(".target.las.9.tmp"), QString(".other.las.9.tmp")})
        testapp::writeFile("kept/real/" + name, "partial");
    const utimbuf old{time(nullptr) - 7200, time(nullptr) - 7200};
    for (const char* name : {"kept/real/.target.las.9.tmp", "kept/real/.other.las.9.tmp"})
        QCOMPARE(utime(name, &old), 0);

    vedra::Dump dump("kept/link.las");
    dump.pt(1, 2);
    dump.write();
    QVERIFY(QFileInfo("kept/link.las").isSymLink());
    QFile target("kept/real/target.las");
    QVERIFY(target.open(QIODevice::ReadOnly));
    QCOMPARE(target.readAll(), QByteArray("endheader\npt 1 2 black 0\n"));
    struct stat info;
    QCOMPARE(stat("kept/real/target.las", &info), 0);
    QCOMPARE(info.st_mode & 07777, mode_t(0640));
    QCOMPARE(QDir("kept/real").entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{".other.las.9.tmp", running, "target.las"}));
}

void TestDumpWriter::seriesMembersAreNumberedAndWhole()
{
    QDir("run").removeRecursively(); // the series makes the folder
    vedra::Series series("run/step", 9);
    series.color("mine", 1, 2, 3);
    series.next().pt(1, 1, "mine");
    series.property("pt", "net", vedra::Kind::String, "none");
    series.next().pt(2, 2, "mine");
    QCOMPARE(QDir("run").entryList(QDir::Files | QDir::Hidden), QStringList{"step.9.las"});
    series.write();
    QCOMPARE(QDir("run").entryList(QDir::Files | QDir::Hidden),
             (QStringList{"step.10.las", "step.9.las"}));
    QFile first("run/step.9.las"), second("run/step.10.las");
    QVERIFY(first.open(QIODevice::ReadOnly) && second.open(QIODevice::ReadOnly));
    QCOMPARE(first.readAll(), QByteArray("color mine 1 2 3\nendheader\npt 1 1 mine 0\n"));
    QCOMPARE(second.readAll(), QByteArray("color mine 1 2 3\nproperty pt net string none\n"
                                          "endheader\npt 2 2 mine 0\n"));
}

void TestDumpWriter::showAsksTheListeningWindow_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("shown");
    QTest::newRow("taken") << QByteArray("file: x\nobjects: 1\nok\n") << true;
    QTest::newRow("refused") << QByteArray("error: cannot read it\n") << false;
    QTest::newRow("hung up") << QByteArray("file: x\n") << false;
}

void TestDumpWriter::showAsksTheListeningWindow()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, shown);
    const QString socket = privateSocket();
    qputenv("VEDRA_SOCKET", socket.toUtf8());
    // A program that would fail to start, so that only the listener can make show() succeed.
    qputenv("VEDRA_PROGRAM", "/nonexistent/vedra");
    auto window = std::make_unique<FakeWindow>(socket, reply);
    vedra::Dump dump("shown.las");
    dump.pt(1, 2);
    if (reply.endsWith("x\n")) // the window goes away before its final line
        QTimer::singleShot(300, [&window] { window.reset(); });
    QCOMPARE(whileServing([&dump] { return dump.show(); }), shown);
    if (window)
        QCOMPARE(window->requests,
                 QStringList{"display " + QDir::current().absoluteFilePath("shown.las") + "\n"});
    QVERIFY(QFile::exists("shown.las"));

    if (shown) {
        const std::optional<vedra::Answer> answer =
            whileServing([] { return vedra::request("status"); });
        QVERIFY(answer && answer->ok);
        QCOMPARE(answer->fields.size(), std::size_t(2));
        QCOMPARE(answer->fields[1], (std::pair<std::string, std::string>("objects", "1")));
    }
}

void TestDumpWriter::pauseWaitsForTheEngineer_data()
{
    // The window's answer to a pause (a display is taken).
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("pauseSetting");
    // Of three pauses at one place of the program.
    QTest::addColumn<int>("pausesSent");
    QTest::addColumn<bool>("continued");
    QTest::newRow("continued each time")
        << QByteArray("continued: once\nok\n") << QByteArray() << 3 << true;
    QTest::newRow("pausing turned off for a batch run")
        << QByteArray("file: x\nok\n") << QByteArray("0") << 0 << true;
    // A window that ends a pause without the engineer (closed): the program goes on at once.
    QTest::newRow("the window closed")
        << QByteArray("error: the window was closed\n") << QByteArray() << 3 << false;
}

// The pause names the program, its place and the message, and holds the program until the
// window answers.
void TestDumpWriter::pauseWaitsForTheEngineer()
{
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, pauseSetting);
    QFETCH(int, pausesSent);
    QFETCH(bool, continued);
    const QString socket = privateSocket();
    qputenv("VEDRA_SOCKET", socket.toUtf8());
    qputenv("VEDRA_PROGRAM", "/nonexistent/vedra");
    if (pauseSetting.isEmpty())
        qunsetenv("VEDRA_PAUSE");
    else
        qputenv("VEDRA_PAUSE", pauseSetting);
    FakeWindow window(socket, "file: x\nok\n", reply);
    vedra::Series steps("paused/step");
    int line = 0;
    const std::vector<bool> results = whileServing([&steps, &line] {
        std::vector<bool> outcomes;
        for (int step = 0; step < 3; ++step) {
            steps.next().pt(step, 0);
            line = __LINE__ + 1;
            outcomes.push_back(steps.pause("after legalize"));
        }
        return outcomes;
    });
    qunsetenv("VEDRA_PAUSE");
    QCOMPARE(results, std::vector<bool>(3, continued));
    const QStringList pauses = window.requests.filter(QRegularExpression("^pause "));
    QCOMPARE(pauses.size(), pausesSent);
    QCOMPARE(window.requests.size() - pauses.size(), 3);
    const QString place = QStringLiteral(" at %1:%2: after legalize\n").arg(__FILE__).arg(line);
    for (const QString& pause : pauses)
        QVERIFY2(pause.startsWith("pause ") && pause.contains(" (pid ") && pause.endsWith(place),
                 qPrintable(pause));
}

void TestDumpWriter::showRefusesAnUntrustedSocket_data()
{
    QTest::addColumn<int>("situation");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("answered"); // request() answers with the refusal, not "no window"
    QTest::newRow("socket of another user") << 0 << "vedra.sock: it belongs to " << true;
    QTest::newRow("folder others reach") << 1 << "others can reach it (mode 0777)" << true;
    QTest::newRow("window of another user") << 2 << "refusing the window at " << true;
    QTest::newRow("missing folder") << 3 << "cannot start a window: the socket's folder " << false;
}

// No byte goes to a socket or window that is not the user's alone, and no window is started
// over it; the refusal names the path and the owner.
void TestDumpWriter::showRefusesAnUntrustedSocket()
{
    QFETCH(int, situation);
    QFETCH(QString, reason);
    QFETCH(bool, answered);
    if ((situation == 0 || situation == 2) && geteuid() != 0)
        QSKIP("a socket or window of another user can only be made as root (as CI runs)");
    QDir("trust").removeRecursively();
    const QString socket = situation == 3 ? QDir::current().absoluteFilePath("trust/vedra.sock")
                                          : privateSocket("trust");
    QVERIFY(situation != 1 || chmod("trust", 0777) == 0);
    QLocalServer server;
    server.setSocketOptions(QLocalServer::UserAccessOption);
    pid_t listener = -1;
    if (situation == 0)
        QVERIFY(server.listen(socket) && chown(socket.toUtf8().constData(), 65534, 65534) == 0);
    if (situation == 2)
        QVERIFY((listener = listenAsNobody(socket.toUtf8())) > 0);
    const QString owner = situation == 0 || situation == 2 ? "(uid 65534)" : "";
    qputenv("VEDRA_SOCKET", socket.toUtf8());
    testapp::writeFile("start.sh", "#!/bin/sh\ntouch started\n");
    QFile::setPermissions("start.sh", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("VEDRA_PROGRAM", QDir::current().absoluteFilePath("start.sh").toUtf8());

    vedra::Dump dump("trusted.las");
    dump.pt(1, 2);
    std::string why;
    const bool shown = dump.show(why);
    const std::optional<vedra::Answer> answer = vedra::request("status");
    if (listener > 0) {
        kill(listener, SIGKILL);
        waitpid(listener, nullptr, 0);
    }
    QVERIFY(!shown);
    QVERIFY2(QString::fromStdString(why).contains(reason) &&
                 QString::fromStdString(why).contains(owner),
             why.c_str());
    QVERIFY(QFileInfo::exists("trusted.las"));
    QVERIFY(!QFileInfo::exists("started"));
    QCOMPARE(bool(answer), answered);
    if (answer)
        QVERIFY2(!answer->ok && QString::fromStdString(answer->error).contains(reason),
                 answer->error.c_str());
}

void TestDumpWriter::startedWindowIsDetachedOrSaysWhy_data()
{
    QTest::addColumn<QByteArray>("script"); // the window's program; none: the stand-in window
    QTest::addColumn<QString>("reason");
    QTest::newRow("window listens") << QByteArray() << QString();
    QTest::newRow("window ends saying why")
        << QByteArray("echo started >> \"$VEDRA_FAKE_NOTES\"\necho 'first'\n"
                      "echo 'qt.qpa.xcb: could not connect to display' >&2\necho >&2\nexit 1\n")
        << "ended before it listened at %1: qt.qpa.xcb: could not connect to display";
    QTest::newRow("window ends silently")
        << QByteArray("echo started >> \"$VEDRA_FAKE_NOTES\"\nexit 3\n")
        << "ended before it listened at %1: exit status 3";
    QTest::newRow("program missing") << QByteArray("missing") << "could not be started";
}

// A program shows three files: the window it starts holds none of its descriptors (its output
// pipe ends when the program does), runs in its own session and reads nothing; or the program
// says why the window could not come, once, and then once that it started one already.
void TestDumpWriter::startedWindowIsDetachedOrSaysWhy()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, reason);
    const QString socket = privateSocket("started");
    QFile::remove(socket);
    const QString notes = QDir::current().absoluteFilePath("notes.txt");
    QFile::remove(notes);
    qputenv("VEDRA_SOCKET", socket.toUtf8());
    qputenv("VEDRA_FAKE_NOTES", notes.toUtf8());
    qunsetenv("VEDRA_FAKE_DELAY_MS");
    QString program = VEDRA_SDK_HELPER;
    if (script == "missing") {
        program = "/nonexistent/vedra";
    } else if (!script.isEmpty()) {
        testapp::writeFile("window.sh", "#!/bin/sh\n" + script);
        QFile::setPermissions("window.sh", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        program = QDir::current().absoluteFilePath("window.sh");
    }
    qputenv("VEDRA_PROGRAM", program.toUtf8());

    bool ended = false;
    const QByteArray output =
        Piped({VEDRA_SDK_HELPER, "show", "a.las", "b.las", "c.las"}).read(ended);
    const QStringList noted = lines(notes);
    endNotedWindows(notes);
    QVERIFY2(ended, "the program's output did not end when it did: the window holds it");
    const QString a = QDir::current().absoluteFilePath("a.las");
    if (reason.isEmpty()) {
        QCOMPARE(output, QByteArray("shown a.las\nshown b.las\nshown c.las\n"));
        QCOMPARE(noted.filter("started").size(), 1);
        QCOMPARE(noted.first(), "started --listen --fit " + a);
        QVERIFY(noted.contains("session own"));
        QVERIFY(noted.contains("stdin /dev/null"));
        QVERIFY(noted.contains("inherited none"));
        QCOMPARE(noted.filter("request ").size(), 2);
        QVERIFY(noted.contains("request display " + QDir::current().absoluteFilePath("c.las")));
        return;
    }
    const QStringList said = QString::fromUtf8(output).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(said.size(), 5);
    QVERIFY2(said[0].contains(QString(reason).replace("%1", socket)), qPrintable(said[0]));
    QCOMPARE(said[1], "not shown a.las");
    QVERIFY2(said[2].contains("started its one window already"), qPrintable(said[2]));
    QCOMPARE(said.mid(3), (QStringList{"not shown b.las", "not shown c.las"}));
    QCOMPARE(noted.filter("started").size(), script == "missing" ? 0 : 1);
}

// Programs that show at the same moment start one window between them; the others hand it their
// files once it listens.
void TestDumpWriter::programsShowingAtOnceStartOneWindow()
{
    const QString socket = privateSocket("together");
    QFile::remove(socket);
    const QString notes = QDir::current().absoluteFilePath("together.txt");
    QFile::remove(notes);
    qputenv("VEDRA_SOCKET", socket.toUtf8());
    qputenv("VEDRA_FAKE_NOTES", notes.toUtf8());
    qputenv("VEDRA_FAKE_DELAY_MS", "400"); // long enough for all to find no window
    qputenv("VEDRA_PROGRAM", VEDRA_SDK_HELPER);
    std::vector<std::unique_ptr<Piped>> programs;
    for (const char* name : {"p", "q", "r"})
        programs.push_back(std::make_unique<Piped>(
            QStringList{VEDRA_SDK_HELPER, "show", name + QString(".1.las"),
                        name + QString(".2.las"), name + QString(".3.las")}));
    QByteArray output;
    bool allEnded = true;
    for (const auto& program : programs) {
        bool ended = false;
        output += program->read(ended);
        allEnded = allEnded && ended;
    }
    qunsetenv("VEDRA_FAKE_DELAY_MS");
    const QStringList noted = lines(notes);
    endNotedWindows(notes);
    QVERIFY(allEnded);
    QCOMPARE(output.count("shown "), 9);
    QCOMPARE(output.count("not shown "), 0);
    QCOMPARE(noted.filter("started").size(), 1);
    QCOMPARE(noted.filter("request display ").size(), 8);
}

void TestDumpWriter::examplesWriteEveryStep_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("C++") << QString(VEDRA_CPP_EXAMPLE) << QStringList();
#ifdef VEDRA_PYTHON
    QTest::newRow("Python") << QString(VEDRA_PYTHON)
                            << QStringList{VEDRA_EXAMPLES_DIR "/force_layout.py"};
#endif
}

// 300 cells and their 374 nets in each of the 50 steps, with the centre marked, and no window.
void TestDumpWriter::examplesWriteEveryStep()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    qputenv("VEDRA_SOCKET", QDir::current().absoluteFilePath("nobody.sock").toUtf8());
    QDir("out").removeRecursively();
    QProcess example;
    example.start(program, arguments << "--no-show"
                                     << "--out"
                                     << "out");
    QVERIFY(example.waitForFinished(120000));
    QVERIFY2(example.exitCode() == 0, example.readAllStandardError().constData());
    QCOMPARE(QDir("out").entryList(QDir::Files | QDir::Hidden).size(), 50);
    QFile last("out/layout.50.las");
    QVERIFY(last.open(QIODevice::ReadOnly));
    testapp::loadText(last.readAll());
    DrawingModel* model = DrawingModel::instance();
    QCOMPARE(model->objectsOfType("rect").size(), std::size_t(300));
    QCOMPARE(model->objectsOfType("line").size(), std::size_t(299 + 75));
    QCOMPARE(model->objectsOfType("pt").size(), std::size_t(1));
    QCOMPARE(model->objectsOfType("pt").front()->comments.front(), QString("step 50"));
}

QTEST_MAIN(TestDumpWriter)
#include "tst_dumpwriter.moc"
