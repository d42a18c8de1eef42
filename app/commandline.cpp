#include "app/commandline.h"

#include "remote/remoteclient.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <optional>

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

bool isOption(const char* argument, const char* name)
{
    return std::strcmp(argument, name) == 0 ||
           (argument[0] == '-' && std::strcmp(argument + 1, name) == 0);
}

// Everything after --remote is the request, numbers such as -5 included, so it is found before
// the options are parsed. Its words go as they are, joined by single spaces; a line feed in one
// would start a second request, and is refused.
std::optional<CommandLine::Outcome> sendRemote(int argc, char** argv, int& exitCode)
{
    int first = 1;
    while (first < argc && !isOption(argv[first], "-remote"))
        ++first;
    if (first == argc)
        return std::nullopt;
    QByteArray request;
    for (int i = first + 1; i < argc; ++i) {
        if (i > first + 1)
            request += ' ';
        request += argv[i];
    }
    if (request.isEmpty() || request.contains('\n')) {
        print(stderr, QStringLiteral("vedra: --remote needs a request of one line\n"
                                     "try 'vedra --help'\n"));
        return CommandLine::Outcome::ExitUsage;
    }
    exitCode = RemoteClient::send(request);
    return CommandLine::Outcome::ExitRemote;
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
    if (const std::optional<Outcome> remote = sendRemote(argc, argv, remoteExitCode))
        return *remote;
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
    const QCommandLineOption listenOption(
        QStringLiteral("listen"),
        QStringLiteral("Takes requests from vedra --remote and from programs that write dumps."));
    parser.addOption(listenOption);
    const QCommandLineOption fitOption(
        QStringLiteral("fit"),
        QStringLiteral("Fits the first drawing to the window once it is in."));
    parser.addOption(fitOption);
    const QCommandLineOption remoteOption(
        QStringLiteral("remote"),
        QStringLiteral("Sends the request (the arguments after it) to the listening window, "
                       "prints its answer and exits: 0 when done, 1 when refused, 3 when no "
                       "window listens."),
        QStringLiteral("request"));
    parser.addOption(remoteOption);
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
    listen = parser.isSet(listenOption);
    fit = parser.isSet(fitOption);
    // Without a display Qt would end the program with a page about platform plugins; a program
    // that started the window reads the last line its window wrote, so this says what is wrong.
    if (!parser.isSet(QStringLiteral("platform")) &&
        !qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        print(stderr, QStringLiteral("vedra: cannot open a window: no display (DISPLAY is not "
                                     "set); vedra-export draws pictures without one\n"));
        return Outcome::ExitNoDisplay;
    }
    return Outcome::Run;
}

int CommandLine::withoutViewerOptions(int argc, char** argv)
{
    int kept = 1;
    bool filesOnly = false;
    for (int i = 1; i < argc; ++i) {
        filesOnly = filesOnly || std::strcmp(argv[i], "--") == 0;
        if (filesOnly || (!isOption(argv[i], "-listen") && !isOption(argv[i], "-fit")))
            argv[kept++] = argv[i];
    }
    argv[kept] = nullptr;
    return kept;
}
