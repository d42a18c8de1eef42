#include "app/qwgtdisplay.h"
#include "app/viewerapp.h"
#include "support/testapp.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QtTest>

namespace
{

// Every kind with its own extent, so that a lost kind or a wrong view changes the picture.
const QByteArray kDrawing = "endheader\nrect 0 0 40 20 blue\nline -10 5 50 30 red\n"
                            "circle 30 -10 6 green\npt 10 10 black 1\n";
const QSize kSmall(320, 200);

struct Run {
    int exitCode = -1;
    QString output;
};

// Runs vedra-export in the working directory. The platform variable is removed: the program
// must choose the offscreen platform itself.
Run runExport(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(VEDRA_EXPORT), arguments);
    Run run;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.output = QString::fromLocal8Bit(process.readAll());
    return run;
}

// What this program's canvas of the given size shows: fitted when no view is given, and without
// the fix marker, an overlay that exports leave out.
QImage canvasPicture(const QByteArray& drawing, const QByteArray& settings, const QSize& size,
                     const QList<double>& view)
{
    testapp::resetApplication();
    ViewerApp* app = ViewerApp::instance();
    app->readSettings(settings.toStdString());
    app->display->setFixedSize(size);
    if (!QTest::qWaitFor([&] { return app->display->size() == size; }))
        qFatal("the canvas did not take its size");
    testapp::loadText(drawing);
    if (view.isEmpty()) {
        app->fitToView();
    } else {
        app->originX = view[0];
        app->originY = view[1];
        app->ratio = view[2];
    }
    app->fixX = app->fixY = -100.0;
    return app->display->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pngIsTheCanvas_data();
    void pngIsTheCanvas();
    void pdfIsOnePageOfTheCanvasSize();
    void svgHasTheCanvasViewBoxAndTheObjects();
    void seriesRendersTheMembersThatExist();
    void unusableRunsFailWithAMessage_data();
    void unusableRunsFailWithAMessage();
};

void TestExport::initTestCase()
{
    testapp::writeFile(QStringLiteral("drawing.las"), kDrawing);
    QVERIFY(QDir().mkpath(QStringLiteral("adir")));
}

void TestExport::pngIsTheCanvas_data()
{
    QTest::addColumn<QByteArray>("drawing");
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<double>>("view");
    // What the canvas shows when the settings leave object types out.
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("defaults: fitted at 1600x1000")
        << kDrawing << QByteArray() << QStringList() << QSize(1600, 1000) << QList<double>()
        << kDrawing;
    QTest::newRow("given size and view")
        << kDrawing << QByteArray()
        << QStringList{"--view", "20", "150", "3.5", "--size", "320x200"} << kSmall
        << QList<double>{20, 150, 3.5} << kDrawing;
    QTest::newRow("settings file: point size and line width")
        << kDrawing << QByteArray("2\n6\n3\n") << QStringList{"--size", "320x200"} << kSmall
        << QList<double>() << kDrawing;
    QTest::newRow("settings file: types in use")
        << kDrawing << QByteArray("typeusing rect line\n") << QStringList{"--size", "320x200"}
        << kSmall << QList<double>()
        << QByteArray("endheader\nrect 0 0 40 20 blue\nline -10 5 50 30 red\n");
    const QByteArray point = "endheader\npt 30 -20 red 1\n";
    QTest::newRow("nothing to fit: start view with the configured ratio")
        << point << QByteArray("4\n") << QStringList{"--size", "320x200", "--fit"} << kSmall
        << QList<double>() << point;
}

void TestExport::pngIsTheCanvas()
{
    QFETCH(QByteArray, drawing);
    QFETCH(QByteArray, settings);
    QFETCH(QStringList, options);
    QFETCH(QSize, size);
    QFETCH(QList<double>, view);
    QFETCH(QByteArray, shown);
    testapp::writeFile(QStringLiteral("input.las"), drawing);
    if (!settings.isEmpty())
        options << "--config" << QString::fromStdString(testapp::writeFile("set.ini", settings));
    const Run run = runExport(options << "input.las"
                                      << "picture.png");
    QCOMPARE(run.exitCode, 0);
    const QImage exported = QImage(QStringLiteral("picture.png"));
    QCOMPARE(exported.size(), size);
    QCOMPARE(exported.convertToFormat(QImage::Format_RGB32),
             canvasPicture(shown, settings, size, view));
}

void TestExport::pdfIsOnePageOfTheCanvasSize()
{
    QCOMPARE(runExport({"--size", "320x200", "drawing.las", "picture.pdf"}).exitCode, 0);
    QFile file(QStringLiteral("picture.pdf"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(pdf.startsWith("%PDF"));
    // 96 pixels to the inch are 72 points: 320x200 pixels are 240x150 points.
    static const QRegularExpression mediaBox(
        QStringLiteral("/MediaBox \\[0 0 ([\\d.]+) ([\\d.]+)"));
    const QRegularExpressionMatch box = mediaBox.match(QString::fromLatin1(pdf));
    QVERIFY(box.hasMatch());
    QCOMPARE(box.captured(1).toDouble(), 240.0);
    QCOMPARE(box.captured(2).toDouble(), 150.0);
}

void TestExport::svgHasTheCanvasViewBoxAndTheObjects()
{
    QCOMPARE(runExport({"--size", "320x200", "drawing.las", "picture.svg"}).exitCode, 0);
    QFile file(QStringLiteral("picture.svg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name(), QLatin1String("svg"));
    QCOMPARE(xml.attributes().value("viewBox"), QLatin1String("0 0 320 200"));
    // The objects' own colours: a blue rectangle, a red line, a green circle.
    QSet<QString> colours;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement)
            colours << xml.attributes().value("stroke").toString()
                    << xml.attributes().value("fill").toString();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    for (const char* colour : {"#0000ff", "#ff0000", "#008000"})
        QVERIFY2(colours.contains(colour), colour);
}

void TestExport::seriesRendersTheMembersThatExist()
{
    QVERIFY(QDir().mkpath(QStringLiteral("series")) && QDir().mkpath(QStringLiteral("frames")));
    // Members 1, 2 and 5, each with its own extent, among names that are no members.
    const auto member = [](int size) {
        return "endheader\nrect 0 0 " + QByteArray::number(size) + " 10 blue\n";
    };
    for (const int number : {1, 2, 5})
        testapp::writeFile(QStringLiteral("series/s.%1.las").arg(number), member(number * 10));
    for (const char* other : {"series/s.x.las", "series/s.3.las.bak", "series/t.4.las"})
        testapp::writeFile(other, member(30));
    const Run run =
        runExport({"--series", "--size", "160x100", "series/s.2.las", "frames/f%d.png"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QDir(QStringLiteral("frames")).entryList(QDir::Files),
             QStringList({"f1.png", "f2.png", "f5.png"}));
    const QStringList progress = run.output.split(QLatin1Char('\n')).filter(QStringLiteral(" -> "));
    QCOMPARE(progress,
             QStringList({"series/s.1.las -> frames/f1.png", "series/s.2.las -> frames/f2.png",
                          "series/s.5.las -> frames/f5.png"}));
    QCOMPARE(QImage(QStringLiteral("frames/f1.png")).convertToFormat(QImage::Format_RGB32),
             canvasPicture(member(10), QByteArray(), QSize(160, 100), {}));
    QCOMPARE(QImage(QStringLiteral("frames/f5.png")).convertToFormat(QImage::Format_RGB32),
             canvasPicture(member(50), QByteArray(), QSize(160, 100), {}));
}

void TestExport::unusableRunsFailWithAMessage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("help") << QStringList{"--help"} << 0 << "are not exported";
    QTest::newRow("missing input")
        << QStringList{"none.las", "out.png"} << 1 << "cannot read none.las";
    QTest::newRow("directory input") << QStringList{"adir", "out.png"} << 1 << "directory";
    QTest::newRow("output not writable")
        << QStringList{"drawing.las", "nodir/out.png"} << 1 << "cannot write nodir/out.png";
    QTest::newRow("unknown output type")
        << QStringList{"drawing.las", "out.bmp"} << 2 << "unknown output type";
    QTest::newRow("bad size") << QStringList{"--size", "0x100", "drawing.las", "out.png"} << 2
                              << "bad size";
    QTest::newRow("missing value")
        << QStringList{"drawing.las", "out.png", "--size"} << 2 << "--size needs";
    QTest::newRow("unknown option")
        << QStringList{"--colour", "drawing.las", "out.png"} << 2 << "unknown option --colour";
    QTest::newRow("series output without %d")
        << QStringList{"--series", "drawing.1.las", "out.png"} << 2 << "needs %d";
}

void TestExport::unusableRunsFailWithAMessage()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const Run run = runExport(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.output.contains(message), qPrintable(run.output));
    QVERIFY(!QFile::exists(QStringLiteral("out.png")));
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
