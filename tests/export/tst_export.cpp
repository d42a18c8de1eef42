#include "app/exportimagedialog.h"
#include "app/rememberedstate.h"
#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "support/testapp.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QXmlStreamReader>
#include <QtTest>

#include <atomic>
#include <functional>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace
{

// Whether the thread (a task of this process) waits in an open() call now.
bool waitsInOpen(long task)
{
    QFile calls(QStringLiteral("/proc/self/task/%1/syscall").arg(task));
    if (!calls.open(QIODevice::ReadOnly))
        return false;
    const long number = calls.readAll().split(' ').value(0).toLong();
#ifdef SYS_open
    if (number == SYS_open)
        return true;
#endif
    return number == SYS_openat;
}

// Every kind with its own extent, so that a lost kind or a wrong view changes the picture.
const QByteArray kDrawing = "endheader\nrect 0 0 40 20 blue\nline -10 5 50 30 red\n"
                            "circle 30 -10 6 green\npt 10 10 black 1\n";
const QSize kSmall(320, 200);
// The longest name a folder entry may have, 255 bytes, less an extension: every picture of the
// program is written under such a name, so that no name the system accepts is refused.
const QString kLongName(251, QLatin1Char('n'));

struct Run {
    int exitCode = -1;
    QString output;
};

// Starts vedra-export in the working directory. The platform variable is removed: the program
// must choose the offscreen platform itself. A shell runs the program when `shell` is given, with
// that command line before it (limits to set) and the arguments given as shell words, so that
// they can hold any bytes.
void startExport(QProcess& process, const QStringList& arguments, const QString& shell = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (shell.isNull())
        process.start(QStringLiteral(VEDRA_EXPORT), arguments);
    else
        process.start(QStringLiteral("/bin/sh"),
                      {"-c", shell + " exec \"$0\" " + arguments.join(' '), VEDRA_EXPORT});
}

Run runExport(const QStringList& arguments, const QString& shell = {})
{
    QProcess process;
    startExport(process, arguments, shell);
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

// The smallest rectangle that holds every pixel that is not white.
QRect drawnArea(const QImage& image)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

// Calls `act` on the first window of the type that shows, once: looked for at every pass of the
// event loop, so that a progress dialog is found while the first of its steps is shown. The owner
// ends the looking when it goes.
template <typename Window> void actOnNext(QObject* owner, const std::function<void(Window*)>& act)
{
    auto* poll = new QTimer(owner);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<Window*>(widget);
            if (window && window->isVisible()) {
                poll->stop();
                poll->deleteLater();
                act(window);
                return;
            }
        }
    });
    poll->start(0);
}

// A link made afresh, whatever an earlier run left at its place.
bool relink(const QString& target, const QString& link)
{
    QFile::remove(link);
    return QFile::link(target, link);
}

// The open Export Image dialog with the name typed and the size chosen (the canvas's when
// invalid); null when no such dialog is open.
ExportImageDialog* fillExportDialog(const QString& typed, const QSize& chosen)
{
    auto* dialog = qobject_cast<ExportImageDialog*>(QApplication::activeModalWidget());
    if (!dialog)
        return nullptr;
    dialog->findChild<QLineEdit*>()->setText(typed);
    dialog->findChildren<QRadioButton*>().at(chosen.isValid())->setChecked(true);
    if (chosen.isValid()) {
        const QList<QSpinBox*> edges = dialog->findChildren<QSpinBox*>();
        edges.at(0)->setValue(chosen.width());
        edges.at(1)->setValue(chosen.height());
    }
    return dialog;
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
    void failedWritesKeepThePreviousPicture_data();
    void failedWritesKeepThePreviousPicture();
    void specialOutputsAreWrittenIntoAsTheyAre_data();
    void specialOutputsAreWrittenIntoAsTheyAre();
    void standardOutputTakesThePicture();
    void namesAreTheBytesGiven();
    void outOfMemoryFailsTheExport();
    void exportImageWritesTheCanvasView_data();
    void exportImageWritesTheCanvasView();
    void exportImageRefusesAndKeepsFiles_data();
    void exportImageRefusesAndKeepsFiles();
};

void TestExport::initTestCase()
{
    testapp::writeFile(QStringLiteral("drawing.las"), kDrawing);
    QVERIFY(QDir().mkpath(QStringLiteral("adir")));
    // Files the refused runs must leave alone, and special files that are no inputs.
    testapp::writeFile(QStringLiteral("self.png"), kDrawing);
    testapp::writeFile(QStringLiteral("set.ini"), "2\n");
    QVERIFY(relink(QStringLiteral("set.ini"), QStringLiteral("set.png")));
    QVERIFY((::unlink("pipe.las"), ::mkfifo("pipe.las", 0600)) == 0);
    QFile huge(QStringLiteral("huge.ini"));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(3) << 20));
    QVERIFY(QDir().mkpath(QStringLiteral("zeros")) && QDir().mkpath(QStringLiteral("twice")));
    testapp::writeFile(QStringLiteral("zeros/z.1.las"), kDrawing);
    QVERIFY(relink(QStringLiteral("/dev/zero"), QStringLiteral("zeros/z.2.las")));
    for (const char* member : {"twice/t.2.las", "twice/t.002.las", "twice/t.3.las"})
        testapp::writeFile(QString::fromLatin1(member), kDrawing);
    QVERIFY(QDir().mkpath(QStringLiteral("linked")));
    testapp::writeFile(QStringLiteral("linked/l.3.las"), kDrawing);
    QVERIFY(relink(QStringLiteral("l.3.las"), QStringLiteral("linked/m3.png")));
    QVERIFY(relink(QStringLiteral("/dev/full"), QStringLiteral("full.png")));
    // Two members whose outputs name one file by different paths.
    for (const char* folder : {"meet", "sub1", "sub2"})
        QVERIFY(QDir().mkpath(QString::fromLatin1(folder)));
    for (const char* member : {"meet/m.1.las", "meet/m.2.las"})
        testapp::writeFile(QString::fromLatin1(member), kDrawing);
    QVERIFY(relink(QStringLiteral("self.png"), QStringLiteral("ln1.png")));
    QVERIFY(relink(QStringLiteral("./self.png"), QStringLiteral("ln2.png")));
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
    const Run run = runExport(options << "input.las" << kLongName + ".png");
    QCOMPARE(run.exitCode, 0);
    const QImage exported = QImage(kLongName + ".png");
    QCOMPARE(exported.size(), size);
    QCOMPARE(exported.convertToFormat(QImage::Format_RGB32),
             canvasPicture(shown, settings, size, view));
}

void TestExport::pdfIsOnePageOfTheCanvasSize()
{
    QCOMPARE(runExport({"--size", "320x200", "drawing.las", kLongName + ".pdf"}).exitCode, 0);
    QFile file(kLongName + ".pdf");
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
    QCOMPARE(runExport({"--size", "320x200", "drawing.las", kLongName + ".svg"}).exitCode, 0);
    QFile file(kLongName + ".svg");
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
    QTest::newRow("version") << QStringList{"--version", "drawing.las"} << 0
                             << "vedra-export " VEDRA_VERSION "\n";
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
    QTest::newRow("fifo input") << QStringList{"pipe.las", "out.png"} << 1 << "not a regular file";
    QTest::newRow("device input") << QStringList{"/dev/zero", "out.png"} << 1
                                  << "not a regular file";
    QTest::newRow("series member links to a device")
        << QStringList{"--series", "zeros/z.1.las", "out-%d.png"} << 1
        << "cannot read zeros/z.2.las: not a regular file";
    QTest::newRow("fifo settings") << QStringList{"--config", "pipe.las", "drawing.las", "out.png"}
                                   << 1 << "cannot read pipe.las: not a regular file";
    QTest::newRow("settings file too large")
        << QStringList{"--config", "huge.ini", "drawing.las", "out.png"} << 1 << "larger than";
    QTest::newRow("output is the input")
        << QStringList{"self.png", "self.png"} << 2 << "self.png is the file self.png";
    QTest::newRow("output links to the settings")
        << QStringList{"--config", "set.ini", "drawing.las", "set.png"} << 2
        << "set.png is the file set.ini";
    QTest::newRow("output links to a series member")
        << QStringList{"--series", "linked/l.3.las", "linked/m%d.png"} << 2
        << "linked/m3.png is the file linked/l.3.las";
    QTest::newRow("members share an output")
        << QStringList{"--series", "twice/t.3.las", "out%d.png"} << 2
        << "twice/t.002.las and twice/t.2.las would both be written to out2.png";
    const QString here = QDir::current().canonicalPath();
    QTest::newRow("members' outputs meet through ..")
        << QStringList{"--series", "meet/m.1.las", "sub%d/../out.png"} << 2
        << "meet/m.1.las and meet/m.2.las would both be written to " + here + "/out.png";
    QTest::newRow("members' outputs are two links to one file")
        << QStringList{"--series", "meet/m.1.las", "ln%d.png"} << 2
        << "meet/m.1.las and meet/m.2.las would both be written to " + here + "/self.png";
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
    QVERIFY(!QFile::exists(QStringLiteral("out2.png")));
    QFile self(QStringLiteral("self.png"));
    QVERIFY(self.open(QIODevice::ReadOnly) && self.readAll() == kDrawing);
    QVERIFY(QFileInfo(QStringLiteral("linked/m3.png")).isSymLink());
}

// Every failed write fails the export, the last buffered one included, and a picture that did not
// arrive whole leaves the previous one as it was, with nothing else beside it.
void TestExport::failedWritesKeepThePreviousPicture_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("limits");
    // The file size limit, in blocks of 512 or 1024 bytes, is far below any of the pictures.
    QTest::newRow("png over the file size limit") << "keep.png"
                                                  << "ulimit -f 2;";
    QTest::newRow("svg over the file size limit") << "keep.svg"
                                                  << "ulimit -f 2;";
    QTest::newRow("pdf over the file size limit") << "keep.pdf"
                                                  << "ulimit -f 2;";
    QTest::newRow("link to a full device") << "full.png"
                                           << "";
    // A reader that takes a little and leaves: the write fails, it does not end the program.
    QTest::newRow("fifo whose reader leaves")
        << "gone.svg"
        << "mkfifo gone.svg && { dd if=gone.svg of=/dev/null bs=100 count=1 2>/dev/null & };";
}

void TestExport::failedWritesKeepThePreviousPicture()
{
    QFETCH(QString, output);
    QFETCH(QString, limits);
    const bool kept = limits.startsWith(QLatin1String("ulimit"));
    if (limits.isEmpty() && !QFileInfo::exists(output))
        QSKIP("no full device here");
    QFile::remove(QStringLiteral("gone.svg"));
    // Many lines in many colours, so that every format takes a few kilobytes.
    QByteArray lines = "endheader\n";
    for (int i = 0; i < 400; ++i)
        lines += "line " + QByteArray::number(i) + " 0 " + QByteArray::number(400 - i) + " " +
                 QByteArray::number(i % 37) + " " + QByteArray::number(1 + i % 16) + "\n";
    testapp::writeFile(QStringLiteral("lines.las"), lines);
    if (kept)
        testapp::writeFile(output, "the previous picture");
    const QStringList before = QDir().entryList(QDir::Files | QDir::Hidden | QDir::System);
    const Run run = runExport({"lines.las", output}, limits);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.output.contains("cannot write " + output), qPrintable(run.output));
    if (kept) {
        QFile previous(output);
        QVERIFY(previous.open(QIODevice::ReadOnly));
        QCOMPARE(previous.readAll(), QByteArray("the previous picture"));
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden | QDir::System), before);
    }
}

// A FIFO, or a link to one, takes the picture as it comes and stays what it was.
void TestExport::specialOutputsAreWrittenIntoAsTheyAre_data()
{
    QTest::addColumn<QString>("output");
    QTest::newRow("fifo") << "fifo.png";
    QTest::newRow("link to a fifo") << "fifolink.png";
}

void TestExport::specialOutputsAreWrittenIntoAsTheyAre()
{
    QFETCH(QString, output);
    if (!QFileInfo::exists(QStringLiteral("fifo.png"))) {
        QVERIFY(::mkfifo("fifo.png", 0600) == 0);
        QVERIFY(relink(QStringLiteral("fifo.png"), QStringLiteral("fifolink.png")));
    }
    QProcess process;
    startExport(process, {"--size", "320x200", "drawing.las", output});
    // Read without blocking, so that a run that never opens the FIFO cannot hang the test.
    const int reader = ::open("fifo.png", O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    QByteArray picture;
    char block[65536];
    for (bool finished = false; !finished;) {
        finished = process.state() == QProcess::NotRunning;
        for (ssize_t count; (count = ::read(reader, block, sizeof block)) > 0;)
            picture.append(block, count);
        process.waitForFinished(10);
    }
    ::close(reader);
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(QImage::fromData(picture).convertToFormat(QImage::Format_RGB32),
             canvasPicture(kDrawing, QByteArray(), kSmall, {}));
    struct stat status;
    QVERIFY(::lstat("fifo.png", &status) == 0 && S_ISFIFO(status.st_mode));
    QVERIFY(QFileInfo(QStringLiteral("fifolink.png")).isSymLink());
}

// Standard output, a pipe here, is reached through a link whose target is no path.
void TestExport::standardOutputTakesThePicture()
{
    QVERIFY(relink(QStringLiteral("/dev/stdout"), QStringLiteral("stdout.png")));
    const Run run = runExport({"--size", "320x200", "drawing.las", "stdout.png"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.output.contains("PNG"), qPrintable(run.output.left(200)));
    QVERIFY(QFileInfo(QStringLiteral("stdout.png")).isSymLink());
}

// Names that are not valid in the local encoding are read and written as the bytes given, also
// when a series is listed from its folder.
void TestExport::namesAreTheBytesGiven()
{
    for (const char* name : {"\xff.1.las", "\xff.2.las"}) {
        QFile file;
        const int descriptor = ::open(name, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(descriptor >= 0 &&
                file.open(descriptor, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        file.write(kDrawing);
    }
    for (const char* name : {"\xfe"
                             "1.png",
                             "\xfe"
                             "2.png"})
        ::unlink(name);
    const Run run = runExport({"--series", "--size", "320x200", R"x("$(printf '\377.2.las')")x",
                               R"x("$(printf '\376%%d.png')")x"},
                              "");
    QCOMPARE(run.exitCode, 0);
    for (const char* name : {"\xfe"
                             "1.png",
                             "\xfe"
                             "2.png"}) {
        QFile file;
        const int descriptor = ::open(name, O_RDONLY);
        QVERIFY2(descriptor >= 0, name);
        QVERIFY(file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
        QCOMPARE(QImage::fromData(file.readAll()).size(), kSmall);
    }
}

// An input too large for the address space allowed ends the run with a message, not an abort.
void TestExport::outOfMemoryFailsTheExport()
{
#if defined(VEDRA_ADDRESS_SANITIZER)
    QSKIP("the sanitizer's allocator cannot run under an address-space limit");
#endif
    // The least limit, in steps of 32 MiB, under which a small drawing is exported; the large
    // one needs some 400 MiB more. Below that least limit the run fails, and says so: no room for
    // its painting threads is no crash.
    int megabytes = 64;
    for (Run small; (small = runExport({"drawing.las", "small.png"},
                                       QStringLiteral("ulimit -v %1;").arg(megabytes << 10)))
                        .exitCode != 0;) {
        // (At the least limits the system cannot even load the program's libraries.)
        QVERIFY2(small.exitCode == 1 ||
                     small.output.contains(QStringLiteral("error while loading shared libraries")),
                 qPrintable(small.output));
        megabytes += 32;
        QVERIFY(megabytes < 4096);
    }
    QFile large(QStringLiteral("large.las"));
    QVERIFY(large.open(QIODevice::WriteOnly));
    large.write("endheader\n");
    const QByteArray records = QByteArray("pt 1 2 red 0\n").repeated(100000);
    for (int i = 0; i < 20; ++i)
        large.write(records);
    large.close();
    const Run run = runExport({"large.las", "large.png"},
                              QStringLiteral("ulimit -v %1;").arg((megabytes + 64) << 10));
    QFile::remove(QStringLiteral("large.las"));
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.output.contains("out of memory"), qPrintable(run.output));
    QVERIFY(!QFile::exists(QStringLiteral("large.png")));
}

void TestExport::exportImageWritesTheCanvasView_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    // Empty: the canvas's size.
    QTest::addColumn<QSize>("chosen");
    // Whether a file is there before, which the user agrees to replace.
    QTest::addColumn<bool>("existing");
    QTest::newRow("png at the canvas size") << "view.png"
                                            << "view.png" << QSize() << false;
    QTest::newRow("over an existing file, replacing agreed") << "view.png"
                                                             << "view.png" << QSize() << true;
    QTest::newRow("no extension: png") << "plain"
                                       << "plain.png" << QSize() << false;
    QTest::newRow("pdf by its extension") << "view.PDF"
                                          << "view.PDF" << QSize() << false;
    QTest::newRow("twice the canvas: the view scaled") << "big.png"
                                                       << "big.png" << kSmall * 2 << false;
    QTest::newRow("wider than the canvas: centred")
        << "wide.png"
        << "wide.png" << QSize(kSmall.width() * 2, kSmall.height()) << false;
    for (const char* format : {".png", ".svg", ".pdf"})
        QTest::addRow("longest name, %s", format)
            << kLongName + format << kLongName + format << QSize() << false;
}

// File > Export Image writes what the canvas shows, through the code vedra-export uses.
void TestExport::exportImageWritesTheCanvasView()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(QSize, chosen);
    QFETCH(bool, existing);
    // An interior object, so that the picture's extent is the drawing's and not the border's.
    const QByteArray drawing = "endheader\nrect 0 0 40 20 blue\ncircle 30 -10 6 green\n";
    const QImage canvas = canvasPicture(drawing, QByteArray(), kSmall, {40, 150, 3});
    QFile::remove(written);
    if (existing)
        testapp::writeFile(written, "the previous picture");
    ViewerApp* app = ViewerApp::instance();
    QObject scope;
    QTimer::singleShot(0, [&] {
        ExportImageDialog* const dialog = fillExportDialog(typed, chosen);
        QVERIFY(dialog);
        if (existing)
            actOnNext<QMessageBox>(
                &scope, [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->click();
    });
    app->exportImageAction->trigger();
    // The next export offers the file and the size of this one.
    QString offered;
    QSize offeredSize;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<ExportImageDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        offered = dialog->findChild<QLineEdit*>()->text();
        offeredSize = dialog->chosenSize();
        dialog->reject();
    });
    app->exportImageAction->trigger();
    QCOMPARE(offered, QFileInfo(written).absoluteFilePath());
    QCOMPARE(offeredSize, chosen);
    QFile file(written);
    QVERIFY(file.open(QIODevice::ReadOnly));
    if (!written.endsWith(QStringLiteral(".png"))) {
        QVERIFY(file.readAll().startsWith(written.endsWith(".svg") ? "<?xml" : "%PDF"));
        return;
    }
    const QImage picture = QImage(written).convertToFormat(QImage::Format_RGB32);
    if (!chosen.isValid()) {
        QCOMPARE(picture, canvas);
        return;
    }
    // The canvas's view scaled by the smaller factor and centred: the drawing scales with it,
    // within the pixel that each mapping truncates.
    QCOMPARE(picture.size(), chosen);
    const double scale = std::min(double(chosen.width()) / kSmall.width(),
                                  double(chosen.height()) / kSmall.height());
    const QRect before = drawnArea(canvas.copy(QRect(QPoint(1, 1), kSmall - QSize(2, 2))));
    const QRect after = drawnArea(picture.copy(QRect(QPoint(1, 1), chosen - QSize(2, 2))));
    const QPointF margin((chosen.width() - kSmall.width() * scale) / 2,
                         (chosen.height() - kSmall.height() * scale) / 2);
    const QPointF expected = QPointF(before.topLeft() + QPoint(1, 1)) * scale + margin;
    QVERIFY2(std::abs(after.left() + 1 - expected.x()) <= 2 &&
                 std::abs(after.top() + 1 - expected.y()) <= 2,
             qPrintable(QStringLiteral("drawing at %1,%2, expected near %3,%4")
                            .arg(after.left() + 1)
                            .arg(after.top() + 1)
                            .arg(expected.x())
                            .arg(expected.y())));
    QVERIFY(std::abs(after.width() - before.width() * scale) <= 3);
}

void TestExport::exportImageRefusesAndKeepsFiles_data()
{
    QTest::addColumn<QString>("typed");
    // Empty: the canvas's size.
    QTest::addColumn<QSize>("chosen");
    // What comes after Save: "warning", whose text holds the message; "cancel", the progress
    // cancelled, the message then in the status bar; "decline", the file not to be replaced.
    QTest::addColumn<QString>("then");
    QTest::addColumn<QString>("message");
    QTest::newRow("link to the open file")
        << "openlink.png" << QSize() << "warning"
        << "openlink.png is the file %1, which this run reads: not overwritten";
    QTest::newRow("link to the remembered settings")
        << "settingslink.svg" << QSize() << "warning"
        << "settingslink.svg is the file %2, which this run reads: not overwritten";
    QTest::newRow("fifo whose reader leaves") << "leaving.png" << QSize() << "warning"
                                              << "Cannot write leaving.png: Broken pipe";
    QTest::newRow("fifo that nothing reads") << "lonely.png" << QSize() << "warning"
                                             << "Cannot write lonely.png: nothing is reading it";
    QTest::newRow("missing folder") << "nodir/x.png" << QSize() << "warning"
                                    << "Cannot write nodir/x.png: No such file or directory";
    QTest::newRow("cancelled while a large picture is painted")
        << "kept.png" << QSize(2100, 2100) << "cancel"
        << "Export cancelled: kept.png not written";
    QTest::newRow("cancelled while a drawing of many objects is recorded as SVG")
        << "kept.svg" << QSize() << "cancel"
        << "Export cancelled: kept.svg not written";
    QTest::newRow("replacing declined") << "kept.png" << QSize() << "decline" << QString();
}

// A refused, failed or cancelled Export Image writes nothing, leaves every file as it was and
// takes back the status bar's word of an earlier export.
void TestExport::exportImageRefusesAndKeepsFiles()
{
    QFETCH(QString, typed);
    QFETCH(QSize, chosen);
    QFETCH(QString, then);
    QFETCH(QString, message);
    testapp::resetApplication();
    testapp::loadText(kDrawing);
    ViewerApp* app = ViewerApp::instance();
    const QString open = QString::fromStdString(app->fileName);
    const QString settings = RememberedState::settingsFile();
    RememberedState::addRecentFile(open);
    if (message.contains(QStringLiteral("%1")))
        message = message.arg(open);
    else if (message.contains(QStringLiteral("%2")))
        message = message.arg(settings);
    QVERIFY(relink(open, QStringLiteral("openlink.png")));
    QVERIFY(relink(settings, QStringLiteral("settingslink.svg")));
    QFile settingsFile(settings);
    QVERIFY(settingsFile.open(QIODevice::ReadOnly));
    const QByteArray settingsBefore = settingsFile.readAll();
    settingsFile.close();
    // A reader that opens the FIFO and leaves before the picture is written.
    if (!QFileInfo::exists(QStringLiteral("leaving.png")))
        QVERIFY(::mkfifo("leaving.png", 0600) == 0);
    std::thread leavingReader;
    if (typed == QLatin1String("leaving.png")) {
        std::atomic<long> readerTask{0};
        leavingReader = std::thread([&readerTask] {
            readerTask = ::syscall(SYS_gettid);
            ::close(::open("leaving.png", O_RDONLY));
        });
        // The export finds a reader only once the thread waits in its open.
        QVERIFY(
            QTest::qWaitFor([&readerTask] { return readerTask != 0 && waitsInOpen(readerTask); }));
    }
    if (!QFileInfo::exists(QStringLiteral("lonely.png")))
        QVERIFY(::mkfifo("lonely.png", 0600) == 0);
    testapp::writeFile(QStringLiteral("kept.png"), "the previous picture");
    testapp::writeFile(QStringLiteral("kept.svg"), "the previous picture");
    const QStringList before = QDir().entryList(QDir::Files | QDir::Hidden | QDir::System);
    app->showMessage(QStringLiteral("Image written to earlier.png"));
    QString warning;
    bool stayedOpen = false;
    QObject scope;
    QTimer::singleShot(0, [&] {
        ExportImageDialog* const dialog = fillExportDialog(typed, chosen);
        QVERIFY(dialog);
        // Replacing an existing file is agreed to unless the row declines it.
        std::function<void(QMessageBox*)> answer = [&](QMessageBox* box) {
            if (QAbstractButton* yes = box->button(QMessageBox::Yes)) {
                if (then == QLatin1String("decline")) {
                    box->button(QMessageBox::No)->click();
                    return;
                }
                yes->click();
                actOnNext<QMessageBox>(&scope, answer);
                return;
            }
            warning = box->text();
            box->close();
        };
        actOnNext<QMessageBox>(&scope, answer);
        if (then == QLatin1String("cancel")) {
            actOnNext<QProgressDialog>(&scope, [](QProgressDialog* progress) {
                progress->findChild<QPushButton*>()->click();
            });
        }
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->click();
        stayedOpen = dialog->isVisible();
        if (stayedOpen)
            dialog->reject();
    });
    // A cancelled export is one of a drawing of many objects: here, a few make many.
    const std::size_t threshold = QwgtDisplay::backgroundPaintThreshold();
    if (then == QLatin1String("cancel"))
        QwgtDisplay::setBackgroundPaintFrom(1);
    app->exportImageAction->trigger();
    QwgtDisplay::setBackgroundPaintFrom(threshold);
    // Declining keeps the dialog open for another name.
    QCOMPARE(stayedOpen, then == QLatin1String("decline"));
    QCOMPARE(warning, then == QLatin1String("warning") ? message : QString());
    const QString shown = then == QLatin1String("cancel")    ? message
                          : then == QLatin1String("decline") ? "Image written to earlier.png"
                                                             : QString();
    QCOMPARE(app->mainWindow->statusBar()->currentMessage(), shown);
    QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden | QDir::System), before);
    for (const QString& name : {open, QStringLiteral("kept.png"), QStringLiteral("kept.svg")}) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), name == open ? kDrawing : QByteArray("the previous picture"));
    }
    struct stat status;
    QVERIFY(::lstat("lonely.png", &status) == 0 && S_ISFIFO(status.st_mode));
    QVERIFY(settingsFile.open(QIODevice::ReadOnly));
    QCOMPARE(settingsFile.readAll(), settingsBefore);
    if (leavingReader.joinable())
        leavingReader.join();
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
