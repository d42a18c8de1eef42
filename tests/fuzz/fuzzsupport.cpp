#include "fuzzsupport.h"

#include "app/viewerapp.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace fuzzsupport
{

namespace
{

std::string scratchPath()
{
    return QDir::temp().filePath(QStringLiteral("vedra-fuzz-%1.las").arg(getpid())).toStdString();
}

} // namespace

void startApplication()
{
    if (ViewerApp::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // QApplication keeps references to argc and argv for its whole life.
    static int argc = 1;
    static char name[] = "vedra-fuzz";
    static char* argv[] = {name, nullptr};
    // Never destroyed: the fuzzer exits with the window and its painting threads still there,
    // and tearing Qt down under them ends in Qt's per-thread cleanup of threads gone by then. The
    // pointer keeps it reachable, so the leak checker does not count it.
    static QApplication* const application = new QApplication(argc, argv);
    Q_UNUSED(application);
    // The user's own settings are neither read nor written.
    QStandardPaths::setTestModeEnabled(true);
    ViewerApp::create(argc, argv);
}

const std::string& writeScratchFile(const uint8_t* data, std::size_t size)
{
    static const std::string path = [] {
        std::atexit([] { std::remove(scratchPath().c_str()); });
        return scratchPath();
    }();
    // A new file each time: rewriting a truncated one makes ext4 flush it to disk at every
    // close, which would keep the fuzzer waiting most of its time.
    std::remove(path.c_str());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out)
        fail("cannot write the scratch file");
    return path;
}

void resetView()
{
    ViewerApp* app = ViewerApp::instance();
    app->commands.clearItemList(app->itemList);
    app->relatedList->clear();
    app->listedName.clear();
    app->resetPick();
    app->originX = app->originY = 0.0;
    app->ratio = 1.0;
    app->fixX = app->fixY = 0.0;
}

void deliverPostedEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void fail(const char* what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    __builtin_trap();
}

} // namespace fuzzsupport
