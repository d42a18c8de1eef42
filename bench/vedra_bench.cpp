// Measures Vedra's load, paint, pan and scan times at a million objects, each against a floor
// measured in the same run on the same machine, and the memory per loaded object.
//
//   vedra_bench [WORK_DIRECTORY] [RECORDS]
//
// The generated inputs are written to WORK_DIRECTORY (default: the current directory) and kept
// there for the next run.
#include "app/qwgtdisplay.h"
#include "app/viewerapp.h"
#include "generatelas.h"
#include "model/changeset.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "script/loadscript.h"
#include "script/textfile.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <string>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

constexpr int kCanvasWidth = 1600;
constexpr int kCanvasHeight = 1000;

// The shortest of several runs in milliseconds: the least disturbed by the rest of the machine.
double fastestMs(int runs, const std::function<void()>& work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        best =
            std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

struct Timing {
    double measured;
    double floor;
};

// Rounds of the load and the full repaint and their floors: on a shared machine the fastest of
// a few is often still disturbed, and each round takes well under a second.
constexpr int kRounds = 8;

// Times the work and its floor in turns and gives the fastest of each: on a shared machine the two
// then meet the same spells of disturbance, and the fastest run of each is its least disturbed.
Timing fastestInTurns(int rounds, const std::function<void()>& work,
                      const std::function<void()>& floor)
{
    Timing timing{1e300, 1e300};
    for (int i = 0; i < rounds; ++i) {
        timing.measured = std::min(timing.measured, fastestMs(1, work));
        timing.floor = std::min(timing.floor, fastestMs(1, floor));
    }
    return timing;
}

void report(const char* figure, double measured, double floor, double target)
{
    const double ratio = measured / floor;
    std::printf("%-28s %10.2f ms  floor %10.2f ms  ratio %7.3f  target %5.2f  %s\n", figure,
                measured, floor, ratio, target, ratio <= target ? "ok" : "OVER");
    std::fflush(stdout);
}

// Peak resident memory in bytes since the last reset.
long long peakResidentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stoll(line.substr(6)) * 1024;
    }
    return 0;
}

void resetPeakResident()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

void load(const std::string& path)
{
    ViewerApp* app = ViewerApp::instance();
    app->fileName = path;
    app->loadScript();
}

// Loads the file and gives the growth of peak resident memory per loaded object. The memory that
// the previous file's objects held goes back to the system first: kept by the allocator, it would
// be reused by this load and hide part of its growth.
double bytesPerObject(const std::string& path)
{
    ViewerApp::instance()->fileName.clear();
    ViewerApp::instance()->loadScript();
    malloc_trim(0);
    resetPeakResident();
    const long long before = peakResidentBytes();
    load(path);
    const long long after = peakResidentBytes();
    return static_cast<double>(after - before) /
           static_cast<double>(DrawingModel::instance()->objects.size());
}

// Reading the file and converting every word that is a number: what any loader must do.
void tokenise(const std::string& path)
{
    const std::optional<std::string> text = readTextFile(path, 1LL << 40);
    const char* p = text->data();
    const char* end = p + text->size();
    double sum = 0.0;
    while (p < end) {
        while (p < end && (*p == ' ' || *p == '\n' || *p == '\t' || *p == '\r'))
            ++p;
        const char* word = p;
        while (p < end && *p != ' ' && *p != '\n' && *p != '\t' && *p != '\r')
            ++p;
        double value = 0.0;
        if (std::from_chars(word, p, value).ec == std::errc())
            sum += value;
    }
    if (sum == 1.2345)
        std::puts("");
}

double repaintMs(int runs)
{
    QwgtDisplay* display = ViewerApp::instance()->display;
    return fastestMs(runs, [display] { display->repaint(); });
}

// Every object's pixel bounds at the current view.
std::vector<QRect> pixelBoxes()
{
    const ViewerApp* app = ViewerApp::instance();
    std::vector<QRect> boxes;
    for (const paintObject* object : DrawingModel::instance()->objects)
        boxes.emplace_back(QPoint(app->pixelX(object->minX), app->pixelY(object->maxY)),
                           QPoint(app->pixelX(object->maxX), app->pixelY(object->minY)));
    return boxes;
}

// One plain rectangle per box: the least a full repaint must draw.
void paintRectangles(const std::vector<QRect>& boxes, QImage& image)
{
    QPainter painter(&image);
    painter.setBrush(Qt::blue);
    for (const QRect& box : boxes)
        painter.drawRect(box);
}

struct Box {
    double minX, minY, maxX, maxY;
};

double scanFloor()
{
    std::vector<Box> boxes;
    for (const paintObject* object : DrawingModel::instance()->objects)
        boxes.push_back({object->minX, object->minY, object->maxX, object->maxY});
    return fastestMs(5, [&boxes] {
        std::size_t inside = 0;
        for (const Box& b : boxes)
            inside += b.minX >= 100 && b.minY >= 100 && b.maxX <= 4000 && b.maxY <= 3000;
        if (inside == 1234567)
            std::puts("");
    });
}

void sendMouse(QEvent::Type type, QPointF position, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QwgtDisplay* display = ViewerApp::instance()->display;
    QMouseEvent event(type, position, display->mapToGlobal(position), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(display, &event);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString directory = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const int records = argc > 2 ? std::atoi(argv[2]) : 1000000;
    QApplication application(argc, argv);
    char name[] = "vedra_bench";
    char* noFile[] = {name, nullptr};
    ViewerApp::create(1, noFile);
    ViewerApp* app = ViewerApp::instance();
    app->display->setFixedSize(kCanvasWidth, kCanvasHeight);
    app->mainWindow->resize(kCanvasWidth + 600, kCanvasHeight + 200);
    QApplication::processEvents();

    const std::string mixed = (directory + "/bench-mixed.las").toStdString();
    const std::string rectangles = (directory + "/bench-rectangles.las").toStdString();
    const QString stamp = QStringLiteral(".%1").arg(records);
    if (!QFileInfo::exists(QString::fromStdString(mixed) + stamp)) {
        std::fprintf(stderr, "generating %d records into %s\n", records, qPrintable(directory));
        generatelas::writeMixed(mixed, records);
        generatelas::writeRectangles(rectangles, records);
        std::ofstream((QString::fromStdString(mixed) + stamp).toStdString()) << records;
    }
    std::printf("records %d, canvas %dx%d\n", records, kCanvasWidth, kCanvasHeight);

    const double rectangleMemory = bytesPerObject(rectangles);
    const double mixedMemory = bytesPerObject(mixed);

    const Timing loading = fastestInTurns(
        kRounds, [&mixed] { load(mixed); }, [&mixed] { tokenise(mixed); });
    report("L load (mixed)", loading.measured, loading.floor, 2.5);
    // What Show Changes adds to a reload: the new file's record hashes and their comparison with
    // the previous file's, against the load itself.
    const ChangeSet::Hashes previous = hashScriptRecords(mixed);
    const double changesMs = fastestMs(5, [&mixed, &previous] {
        std::vector<std::size_t> removed, added;
        ChangeSet::compare(previous, hashScriptRecords(mixed), removed, added);
    });
    report("D changes of a reload", changesMs, loading.measured, 1.0);

    app->fitToView();
    const std::vector<QRect> boxes = pixelBoxes();
    QImage floorImage(kCanvasWidth, kCanvasHeight, QImage::Format_ARGB32_Premultiplied);
    const Timing repainting = fastestInTurns(
        kRounds, [app] { app->display->repaint(); },
        [&boxes, &floorImage] { paintRectangles(boxes, floorImage); });
    const double fullMs = repainting.measured;
    report("R full repaint", fullMs, repainting.floor, 1.2);

    // Ten times the fitted ratio about the canvas centre leaves about 1% of the area in view.
    const double fittedRatio = app->ratio, fittedX = app->originX, fittedY = app->originY;
    app->ratio = fittedRatio * 10;
    app->originX = app->fixX - 10 * (app->fixX - fittedX);
    app->originY = app->fixY + 10 * (fittedY - app->fixY);
    report("C zoomed repaint", repaintMs(5), fullMs, 0.05);
    app->fitToView();

    app->setMode(0);
    const QPointF centre(kCanvasWidth / 2.0, kCanvasHeight / 2.0);
    sendMouse(QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
    int step = 0;
    const double panMs = fastestMs(5, [&step] {
        ++step;
        sendMouse(QEvent::MouseMove, QPointF(800 + 10 * step, 500), Qt::NoButton, Qt::LeftButton);
    });
    sendMouse(QEvent::MouseButtonRelease, QPointF(800 + 10 * step, 500), Qt::LeftButton,
              Qt::NoButton);
    report("P pan step", panMs, fullMs, 0.05);

    // The scans are timed without the repaint that fitting ends with.
    app->fitToView();
    app->mainWindow->hide();
    const double floorMs = scanFloor();
    app->pickRect[0] = 0;
    app->pickRect[1] = kCanvasHeight / 2;
    app->pickRect[2] = kCanvasWidth / 5;
    app->pickRect[3] = 0;
    report("S rubber-band pick", fastestMs(5, [app] { app->display->pickInRect(); }), floorMs, 2.0);
    report("S fitToView", fastestMs(5, [app] { app->fitToView(); }), floorMs, 2.0);

    std::printf("%-28s %10.1f bytes per object  target 300  %s\n", "M memory (mixed)", mixedMemory,
                mixedMemory <= 300 ? "ok" : "OVER");
    std::printf("%-28s %10.1f bytes per object  target 200  %s\n", "M memory (rectangles)",
                rectangleMemory, rectangleMemory <= 200 ? "ok" : "OVER");
    return 0;
}
