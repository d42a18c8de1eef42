#pragma once

#include "app/scenepainter.h"
#include "export/exportoptions.h"

#include <QString>

#include <vector>

class QPaintDevice;

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
    // One input and the number it has in its series (0 outside a series).
    struct Input {
        qint64 number;
        QString path;
    };

    // The inputs to render, in order: the one given, or every member of its series.
    bool collectInputs(std::vector<Input>& inputs, QString& error) const;
    bool createViewer(QString& error);
    // Loads the input and sets the view on it.
    void openInput(const QString& path) const;
    bool writeOutput(const QString& path, const QString& title, QString& error);
    // Paints the canvas's scene into the device; false when the device cannot be painted on.
    bool paintScene(QPaintDevice* device);

    const ExportOptions options;
    // The configured ratio, the one of the start view, for inputs that cannot be fitted.
    double startRatio = 1.0;
    ScenePainter scenePainter;
};
