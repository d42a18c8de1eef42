#pragma once

// The viewer's command line, read before the window system starts, so that --help, --version
// and a mistyped option need no display. Qt's own options (-style, -platform, ...) are accepted
// and left for QApplication to take.
class CommandLine
{
public:
    // What main() does next.
    enum class Outcome { Run, ExitSucceeded, ExitUsage };
    // Exit status for a command line that cannot be used, as vedra-export uses it.
    static constexpr int kExitUsage = 2;

    // Names the application (name, version, organization, desktop file) and reads the
    // arguments: --help and --version print to standard output, an unknown option prints its
    // message to standard error. The arguments themselves stay as they are.
    Outcome read(int argc, char** argv);

    // The user chose a widget style with -style.
    bool styleGiven = false;
};
