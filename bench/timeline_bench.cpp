// The Timeline's step against what it is made of, in one run: a series member's load (L) and a
// repaint of the canvas until the exact frame is shown (R), each measured alone on the same files.
// Also H, the load as the window makes it: into a model of its own, with a hash per record (kept
// so that Show Changes, turned on later, compares with the drawing shown), which L does without.
#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "follow/fileloader.h"
#include "follow/followcontrol.h"
#include "follow/timelinedock.h"
#include "generatelas.h"
#include "model/drawingmodel.h"
#include "script/loadscript.h"

#include <QApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QSlider>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void waitForShown()
{
    ViewerApp* app = ViewerApp::instance();
    while (app->fileLoader->busy() || !app->display->showsExactFrame())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

std::string member(const QString& folder, const char* stem, int n)
{
    return QStringLiteral("%1/%2.%3.las").arg(folder).arg(stem).arg(n).toStdString();
}

// Steps through the members with the slider, one at a time, and gives the fastest step; then the
// fastest load, the fastest load as the window makes it and the fastest exact repaint of the same
// members.
void measure(const QString& folder, const char* stem, int objects, int members)
{
    for (int n = 1; n <= members; ++n) {
        const std::string name = member(folder, stem, n);
        if (!QFileInfo::exists(QString::fromStdString(name)))
            generatelas::writeRectangles(name, objects + n);
    }
    ViewerApp* app = ViewerApp::instance();
    app->commands.openFile(QString::fromStdString(member(folder, stem, 1)));
    waitForShown();
    app->fitToView();
    app->display->repaint();
    waitForShown();
    QSlider* slider = app->timelineDock->slider;
    double step = 1e300, load = 1e300, hashed = 1e300, repaint = 1e300;
    for (int n = 2; n <= members; ++n) {
        const auto start = Clock::now();
        slider->setValue(n - 1);
        waitForShown();
        step = std::min(step, msSince(start));
    }
    for (int n = 1; n <= members; ++n) {
        auto start = Clock::now();
        app->fileName = member(folder, stem, n);
        app->loadScript();
        load = std::min(load, msSince(start));
        {
            const std::unique_ptr<DrawingModel> own =
                DrawingModel::emptyLike(*DrawingModel::instance());
            std::map<std::string, QColor> colors;
            std::vector<std::uint64_t> hashes;
            start = Clock::now();
            loadScriptInBlocks(*own, member(folder, stem, n), colors, kScriptBlockBytes, nullptr,
                               &hashes);
            hashed = std::min(hashed, msSince(start));
        }
        start = Clock::now();
        app->originX += n % 2 ? 0.5 : -0.5;
        app->display->repaint();
        waitForShown();
        repaint = std::min(repaint, msSince(start));
    }
    std::printf("%-14s step %6.2f ms  L %6.2f ms  H %6.2f ms  R %6.2f ms  step/(L+R) %5.3f  "
                "step/(H+R) %5.3f  step/50ms %5.3f\n",
                stem, step, load, hashed, repaint, step / (load + repaint),
                step / (hashed + repaint), step / 50.0);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The files opened and the window's layout go to settings of their own, not the user's.
    QStandardPaths::setTestModeEnabled(true);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QApplication application(argc, argv);
    char name[] = "vedra_timeline_bench";
    char* noFile[] = {name, nullptr};
    ViewerApp::create(1, noFile);
    ViewerApp* app = ViewerApp::instance();
    app->display->setFixedSize(1600, 1000);
    app->mainWindow->resize(2200, 1300);
    app->timelineDock->show();
    QApplication::processEvents();
    measure(folder, "timeline-10k", 10000, 21);
    measure(folder, "timeline-100k", 100000, 6);
    // Ends as the application does, through its event loop: the window's painting and loading
    // threads stop before Qt is torn down under them.
    QTimer::singleShot(0, &application, &QCoreApplication::quit);
    return application.exec();
}
