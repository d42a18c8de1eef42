#pragma once

#include "canvas/framerenderer.h"
#include "canvas/scenepicture.h"
#include "export/exportoptions.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

// Renders what the options ask for without a screen, through the viewer's own code: a controller
// without a main window is created from the settings, each input is loaded into the drawing
// model as the viewer loads it, the view is set (or fitted to the requested size) and the scene
// is painted into the output by the scene painter that paints the canvas.
class ExportJob
{
public:
    static constexpr int kExitSucceeded = 0;
    // An input could not be read or an output could not be written.
    static constexpr int kExitFailed = 1;
    // The command line cannot be used.
    static constexpr int kExitUsage = 2;

    explicit ExportJob(const ExportOptions& options);

    // Renders every input; problems go to standard error. Returns the exit status.
    int run();
    // One line on standard error, naming the program.
    static void report(const QString& message);

private:
    // One input, the number it has in its series (0 outside a series) and its picture's path.
    struct Picture {
        qint64 number;
        std::string input;
        std::string output;
    };

    // The pictures to render, in order: the input given, or every member of its series.
    bool collectPictures(std::vector<Picture>& pictures, QString& error) const;
    // Refuses a run that would write one picture over another or over a file it reads.
    bool checkOutputs(const std::vector<Picture>& pictures, QString& error) const;
    bool createViewer(QString& error);
    // Loads the input and sets the view on it; false when it ran out of memory.
    bool openInput(const std::string& path) const;
    bool writeOutput(const Picture& picture, QString& error);

    const ExportOptions options;
    // The configured ratio, the one of the start view, for inputs that cannot be fitted.
    double startRatio = 1.0;
    ScenePicture scenePicture;
    // Paints the PNG pictures on every core, as the canvas's large frames are.
    std::unique_ptr<FrameRenderer> frameRenderer;
};
