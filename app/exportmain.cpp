// vedra-export: renders script inputs to PNG, PDF or SVG pictures without a screen.
#include "app/exportjob.h"
#include "app/exportoptions.h"

#include <QApplication>
#include <QFile>
#include <QStyleFactory>

#include <cstdio>

namespace
{

QtMessageHandler qtHandler = nullptr;

// Qt's offscreen platform warns about window features it goes without ("This plugin does not
// support propagateSizeHints()"); none of them touches the picture, so they are not passed on.
void dropOffscreenNotices(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!message.startsWith(QLatin1String("This plugin does not support")))
        qtHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    // Read before Qt starts, so that help and usage errors need no platform at all.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
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

    // The main window is built but never meant to be seen: unless the caller chose a platform,
    // Qt's offscreen one needs no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qtHandler = qInstallMessageHandler(dropOffscreenNotices);
    QApplication application(argc, argv);
    // The viewer's style, so that the canvas is the viewer's.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    return ExportJob(options).run();
}
