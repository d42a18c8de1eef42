// vedra-export: renders script inputs to PNG, PDF or SVG pictures without a screen.
#include "export/exportjob.h"
#include "export/exportoptions.h"

#include <QApplication>
#include <QStyleFactory>

#include <csignal>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // Read before Qt starts, so that help and usage errors need no platform at all.
    std::vector<std::string> arguments(argv + 1, argv + argc);
    ExportOptions options;
    QString error;
    if (!options.parse(arguments, error)) {
        ExportJob::report(error);
        ExportJob::report(QStringLiteral("try 'vedra-export --help'"));
        return ExportJob::kExitUsage;
    }
    if (options.help) {
        std::fputs(options.usage().toLocal8Bit().constData(), stdout);
        return ExportJob::kExitSucceeded;
    }
    if (options.version) {
        std::fputs("vedra-export " VEDRA_VERSION "\n", stdout);
        return ExportJob::kExitSucceeded;
    }

    // No window is made, but fonts and the style need a platform: unless the caller chose one,
    // Qt's offscreen one needs no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The viewer's style, whose palette colours the outline of the canvas.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // A picture too large for the file size limit fails its write, instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    // A reader of a FIFO or pipe that leaves fails the write with EPIPE, reported as any other.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        return ExportJob(options).run();
    } catch (const std::bad_alloc&) {
        ExportJob::report(QStringLiteral("out of memory"));
        return ExportJob::kExitFailed;
    }
}
