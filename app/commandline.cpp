#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>

namespace
{

// The options that QGuiApplication and QApplication take themselves, with a value or without.
constexpr const char* kQtValueOptions[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
    "style",       "stylesheet",         "qmljsdebugger",
};
constexpr const char* kQtFlagOptions[] = {"reverse", "widgetcount", "nograb", "dograb"};

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

CommandLine::Outcome CommandLine::read(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("Vedra"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VEDRA_VERSION));
    QCoreApplication::setOrganizationName(QStringLiteral("Vedra"));
    QGuiApplication::setDesktopFileName(QStringLiteral("vedra"));

    // A core application only: it needs no platform plugin. It is gone before the real one
    // is made, and works on a copy of the argument count so that nothing is taken out.
    int coreArgc = argc;
    const QCoreApplication core(coreArgc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Views the 2-D geometry dumps (.las) of placement, routing and geometry "
                       "code."));
    // Qt's own options are written with one dash: "-style" is one option, not five.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Not addHelpOption(): its --help-all would list Qt's options, which are hidden here.
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Displays this help."));
    parser.addOption(helpOption);
    const QCommandLineOption versionOption = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("the .las file to open"),
                                 QStringLiteral("[file]"));
    for (const char* name : kQtValueOptions) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : kQtFlagOptions) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    if (!parser.parse(QCoreApplication::arguments())) {
        print(stderr, QStringLiteral("vedra: %1\ntry 'vedra --help'\n").arg(parser.errorText()));
        return Outcome::ExitUsage;
    }
    if (parser.isSet(helpOption)) {
        print(stdout, parser.helpText());
        return Outcome::ExitSucceeded;
    }
    if (parser.isSet(versionOption)) {
        print(stdout, QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                    QCoreApplication::applicationVersion()));
        return Outcome::ExitSucceeded;
    }
    styleGiven = parser.isSet(QStringLiteral("style"));
    return Outcome::Run;
}
