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
#include <QtTest>

#include <array>
#include <atomic>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <thread>

using Refusal = std::function<void(vedra::Dump&)>;
Q_DECLARE_METATYPE(Refusal)

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

// A listener standing in for a window: answers each request line with `reply`, noting the lines.
class FakeWindow
{
public:
    FakeWindow(const QString& path, QByteArray reply) : reply(std::move(reply))
    {
        QLocalServer::removeServer(path);
        QVERIFY(server.listen(path));
        QObject::connect(&server, &QLocalServer::newConnection, [this] {
            QLocalSocket* client = server.nextPendingConnection();
            QObject::connect(client, &QLocalSocket::readyRead, [this, client] {
                while (client->canReadLine()) {
                    requests.append(client->readLine());
                    client->write(this->reply);
                }
            });
        });
    }
    QStringList requests;

private:
    QLocalServer server;
    QByteArray reply;
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
    }
    void randomObjectsReadBackExactly();
    void pythonObjectsReadBackExactly();
    void refusedInputWritesNothing_data();
    void refusedInputWritesNothing();
    void seriesMembersAreNumberedAndWhole();
    void showAsksTheListeningWindow_data();
    void showAsksTheListeningWindow();
    void showWithoutAWindowStartsOneOrSaysSo();
    void examplesWriteEveryStep_data();
    void examplesWriteEveryStep();
};

void TestDumpWriter::randomObjectsReadBackExactly()
{
    QRandomGenerator random(32);
    const std::map<std::string, QColor> colors = {{"mine", QColor(10, 20, 30)},
                                                  {"red", QColor(0, 0, 255)}};
    std::vector<Object> written;
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
                record->prop(name, value);
                object.properties[latin1(name)] = latin1(value);
            }
            if (random.bounded(3) == 0 && !named.contains("w")) {
                const double w = randomNumber(random);
                record->prop("w", w);
                object.properties["w"] = latin1(vedra::shortest(w));
            }
            for (int s = random.bounded(3); s > 0; --s) {
                std::string search = randomText(random, random.bounded(12), "#\n\r");
                while (!search.empty() && search.back() == '/')
                    search.pop_back();
                record->search(search);
                object.searches.append(latin1(search));
            }
            for (int c = random.bounded(3); c > 0; --c) {
                const std::string comment = randomText(random, random.bounded(12), "#\n\r");
                record->comment(comment);
                object.comments.append(latin1(comment));
            }
            written.push_back(std::move(object));
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
    QTest::addColumn<Refusal>("refused");
    QTest::addColumn<QString>("field");
    const auto row = [](const char* name, const char* field, Refusal refused) {
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
}

// Each refusal names its field, and a record refused in any part is left out whole.
void TestDumpWriter::refusedInputWritesNothing()
{
    QFETCH(Refusal, refused);
    QFETCH(QString, field);
    {
        vedra::Dump dump("refused.las");
        try {
            refused(dump);
            QFAIL("not refused");
        } catch (const vedra::DumpError& error) {
            QVERIFY2(QString::fromLatin1(error.what()).startsWith(field), error.what());
        }
    }
    QFile file("refused.las");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("endheader\n"));
}

void TestDumpWriter::seriesMembersAreNumberedAndWhole()
{
    QDir("run").removeRecursively();
    QVERIFY(QDir().mkpath("run"));
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
    QTest::newRow("opened") << QByteArray("file: x\nobjects: 1\nok\n") << true;
    QTest::newRow("refused") << QByteArray("error: cannot read it\n") << false;
    QTest::newRow("hung up") << QByteArray("file: x\n") << false;
}

void TestDumpWriter::showAsksTheListeningWindow()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, shown);
    const QString socket = QDir::current().absoluteFilePath("window.sock");
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
                 QStringList{"open " + QDir::current().absoluteFilePath("shown.las") + "\n"});
    QVERIFY(QFile::exists("shown.las"));

    if (shown) {
        const std::optional<vedra::Answer> answer =
            whileServing([] { return vedra::request("status"); });
        QVERIFY(answer && answer->ok);
        QCOMPARE(answer->fields.size(), std::size_t(2));
        QCOMPARE(answer->fields[1], (std::pair<std::string, std::string>("objects", "1")));
    }
}

void TestDumpWriter::showWithoutAWindowStartsOneOrSaysSo()
{
    qputenv("VEDRA_SOCKET", QDir::current().absoluteFilePath("nobody.sock").toUtf8());
    QVERIFY(!vedra::request("status"));

    qputenv("VEDRA_PROGRAM", "/nonexistent/vedra");
    vedra::Dump dump("alone.las");
    dump.pt(1, 2);
    QVERIFY(!dump.show());
    QFile written("alone.las");
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray("endheader\npt 1 2 black 0\n"));

    // A stand-in program notes the arguments it was started with.
    testapp::writeFile("window.sh", "#!/bin/sh\necho \"$@\" > started.txt\n");
    QFile::setPermissions("window.sh", QFile::ReadOwner | QFile::ExeOwner);
    qputenv("VEDRA_PROGRAM", QDir::current().absoluteFilePath("window.sh").toUtf8());
    QVERIFY(dump.show());
    QTRY_VERIFY(QFileInfo("started.txt").size() > 0);
    QFile started("started.txt");
    QVERIFY(started.open(QIODevice::ReadOnly));
    QCOMPARE(started.readAll(),
             "--listen " + QDir::current().absoluteFilePath("alone.las").toUtf8() + "\n");
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
