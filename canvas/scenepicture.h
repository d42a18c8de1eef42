#pragma once

#include "canvas/scenepainter.h"
#include "canvas/sceneview.h"

#include <QImage>
#include <QPainter>
#include <QPen>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class FrameRenderer;
class OutputFile;
class QIODevice;
class QPdfWriter;
class QSvgGenerator;

// One picture of the drawing in a view, written as PNG, PDF or SVG: what the canvas shows at that
// view, painted by the scene painter that paints the canvas. The viewer's Export Image command
// and vedra-export both write through it, so their pictures cannot differ.
class ScenePicture
{
public:
    enum class Format { Png, Pdf, Svg };
    // Largest picture edge accepted, pixels: the limit the viewer puts on its window.
    static constexpr int kMaxEdge = 16384;

    // The format a file name asks for by its extension, in any case; none for another extension.
    static std::optional<Format> formatOf(const QString& fileName);
    // The extension, without its dot, that names the format.
    static QString extensionOf(Format format);

    // Called after each step of a long painting with (steps done, steps); a false answer stops it.
    using Between = std::function<bool(int, int)>;

    // Writes the picture of the view to the device, which must be open for writing; the title is
    // stored in PDF and SVG files. Given `between`, the picture is painted in steps with it called
    // after each. False when it could not be painted, was stopped or the device refused it.
    bool write(QIODevice* device, Format format, const SceneView& view, const QString& title,
               const Between& between = nullptr);
    // Writes the picture into an open output file and puts the file in place. Returns why it
    // failed, if it did; the destination is then as it was.
    std::optional<QString> save(OutputFile& file, Format format, const SceneView& view,
                                const QString& title);

    // A PDF or SVG picture painted but not yet written out: its painter holds what it recorded.
    class Recording
    {
    public:
        Recording();
        ~Recording();
        // Writes what was recorded to the device; may run on another thread than the painting,
        // as long as nothing else touches the recording meanwhile. False when the device refused
        // a write.
        bool finish();

    private:
        friend class ScenePicture;
        std::unique_ptr<QPdfWriter> pdfWriter;
        std::unique_ptr<QSvgGenerator> svgGenerator;
        QPainter painter;
    };
    // Paints the PDF or SVG picture of the view for the device, which must be open for writing,
    // in steps as paintImage() does; nothing need reach the device before finish(). Null when it
    // was stopped or could not be begun.
    std::unique_ptr<Recording> record(QIODevice* device, Format format, const SceneView& view,
                                      const QString& title, const Between& between = nullptr);

    // The picture as pixels, painted in steps; after each step `between(steps done, steps)` is
    // called, and a false answer stops the painting. A null image when it was stopped or could
    // not be painted (no memory for the pixels).
    QImage paintImage(const SceneView& view, const Between& between = nullptr);
    // Writes the pixels as a PNG file; false when the device refused a write.
    static bool encodePng(const QImage& image, QIODevice* device);

    // Has write() paint PNG pictures of up to kMostRendererPixels through the renderer's parts,
    // on every core, as the canvas's large frames are (the same pixels); null: on the calling
    // thread. For a caller that waits for each picture anyway (vedra-export).
    void paintThrough(FrameRenderer* frameRenderer) { renderer = frameRenderer; }
    // Each of the renderer's parts holds an image of the whole picture: larger pictures are
    // painted in shares on one image.
    static constexpr qint64 kMostRendererPixels = qint64(1) << 24;

private:
    // The pen that outlines the background, as on the canvas.
    static QPen outlinePen();
    // The scene painted in `shareCount` shares of the objects, one after the other on the
    // painter; false when `between` stopped it.
    static bool paintInShares(QPainter& painter, const SceneView& view, std::size_t shareCount,
                              const Between& between);

    ScenePainter scenePainter;
    FrameRenderer* renderer = nullptr;
};
