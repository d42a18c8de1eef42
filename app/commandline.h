#pragma once

// The viewer's command line, read before the window system starts, so that --help, --version
// and a mistyped option need no display. Qt's own options (-style, -platform, ...) are accepted
// and left for QApplication to take.
class CommandLine
{
public:
    // What main() does next.
    enum class Outcome { Run, ExitSucceeded, ExitUsage, ExitRemote, ExitNoDisplay };
    // Exit status for a command line that cannot be used, as vedra-export uses it.
    static constexpr int kExitUsage = 2;
    // Exit status when there is no display to open the window on.
    static constexpr int kExitNoDisplay = 1;

    // Names the application (name, version, organization, desktop file) and reads the
    // arguments: --help and --version print to standard output, an unknown option prints its
    // message to standard error. --remote sends the request made of every argument after it to
    // the listening window (remoteExitCode). A window with no display to open on (no DISPLAY or
    // WAYLAND_DISPLAY, and no platform chosen) says so on standard error. The arguments
    // themselves stay as they are.
    Outcome read(int argc, char** argv);
    // Takes --listen and --fit out of the arguments that QApplication left, so that the file to
    // open is argv[1] again; returns the new count. Arguments after "--" are files and stay.
    static int withoutViewerOptions(int argc, char** argv);

    // The user chose a widget style with -style.
    bool styleGiven = false;
    // The window listens for remote control from its start (--listen).
    bool listen = false;
    // The first drawing is fitted to the canvas once it is in (--fit).
    bool fit = false;
    // What --remote exits with: RemoteClient's statuses.
    int remoteExitCode = 0;
};
