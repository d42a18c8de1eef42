#include "app/commandline.h"
#include "app/viewerapp.h"
#include "model/drawingmodel.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char** argv)
{
    CommandLine commandLine;
    switch (commandLine.read(argc, argv)) {
    case CommandLine::Outcome::ExitSucceeded:
        return 0;
    case CommandLine::Outcome::ExitUsage:
        return CommandLine::kExitUsage;
    case CommandLine::Outcome::ExitRemote:
        return commandLine.remoteExitCode;
    case CommandLine::Outcome::ExitNoDisplay:
        return CommandLine::kExitNoDisplay;
    case CommandLine::Outcome::Run:
        break;
    }
    // QApplication takes its own options out of argv, so that argv[1] is the file to open.
    QApplication application(argc, argv);
    if (!commandLine.styleGiven)
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    DrawingModel::instance();
    ViewerApp::create(CommandLine::withoutViewerOptions(argc, argv), argv, commandLine.listen,
                      commandLine.fit);
    return QApplication::exec();
}
