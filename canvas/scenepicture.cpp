#include "canvas/scenepicture.h"

#include "canvas/framerenderer.h"
#include "script/outputfile.h"

#include <QApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPalette>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <vector>

namespace
{

// The resolution at which one unit of a PDF or SVG page is one canvas pixel.
constexpr int kScreenDpi = 96;
// Qt's PNG writer maps this quality to zlib's fastest level: on a busy canvas a third of the time
// of the default level, for a few percent more bytes. The pixels are the same at every level.
constexpr int kFastPngQuality = 80;
// Shares of the objects a picture's pixels are painted in, between which the viewer answers its
// user.
constexpr std::size_t kShares = 16;
// A PDF or SVG picture is painted in shares of about this many objects (about 50 ms of recording
// drawing commands), at most kMostVectorShares of them.
constexpr std::size_t kObjectsPerVectorShare = 4096;
constexpr std::size_t kMostVectorShares = 1024;

} // namespace

std::optional<ScenePicture::Format> ScenePicture::formatOf(const QString& fileName)
{
    for (const Format format : {Format::Png, Format::Pdf, Format::Svg}) {
        if (fileName.endsWith(QLatin1Char('.') + extensionOf(format), Qt::CaseInsensitive))
            return format;
    }
    return std::nullopt;
}

QString ScenePicture::extensionOf(Format format)
{
    switch (format) {
    case Format::Png:
        return QStringLiteral("png");
    case Format::Pdf:
        return QStringLiteral("pdf");
    case Format::Svg:
        return QStringLiteral("svg");
    }
    return QString();
}

bool ScenePicture::write(QIODevice* device, Format format, const SceneView& view,
                         const QString& title, const Between& between)
{
    const QSize size = view.size;
    switch (format) {
    case Format::Png: {
        // The renderer's frames have an alpha channel, every pixel opaque, so their bits are
        // already those of the same pixels without it: the PNG is written from them as a picture
        // painted here is. (Taken as they are, not converted: Qt converts large images on its
        // thread pool, which waits for ever where no thread can be made.)
        QImage image;
        if (renderer && qint64(size.width()) * size.height() <= kMostRendererPixels) {
            image = renderer->paintNow(view, outlinePen());
            image.reinterpretAsFormat(QImage::Format_RGB32);
        } else {
            image = paintImage(view, between);
        }
        return !image.isNull() && encodePng(image, device);
    }
    case Format::Pdf:
    case Format::Svg: {
        const std::unique_ptr<Recording> recording = record(device, format, view, title, between);
        return recording && recording->finish();
    }
    }
    return false;
}

ScenePicture::Recording::Recording() = default;
ScenePicture::Recording::~Recording() = default;

bool ScenePicture::Recording::finish()
{
    return painter.end();
}

// A PDF's or SVG's painter records every object it is given, so a share of many objects takes
// long: given `between`, the shares are small enough that the window answers between them.
std::unique_ptr<ScenePicture::Recording> ScenePicture::record(QIODevice* device, Format format,
                                                              const SceneView& view,
                                                              const QString& title,
                                                              const Between& between)
{
    auto recording = std::make_unique<Recording>();
    const QSize size = view.size;
    QPaintDevice* target = nullptr;
    if (format == Format::Pdf) {
        recording->pdfWriter = std::make_unique<QPdfWriter>(device);
        QPdfWriter& writer = *recording->pdfWriter;
        writer.setResolution(kScreenDpi);
        writer.setPageSize(QPageSize(QSizeF(size) / kScreenDpi, QPageSize::Inch));
        writer.setPageMargins(QMarginsF());
        writer.setCreator(QStringLiteral("Vedra"));
        writer.setTitle(title);
        target = &writer;
    } else if (format == Format::Svg) {
        recording->svgGenerator = std::make_unique<QSvgGenerator>();
        QSvgGenerator& generator = *recording->svgGenerator;
        generator.setOutputDevice(device);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setResolution(kScreenDpi);
        generator.setTitle(title);
        target = &generator;
    }
    QPainter& painter = recording->painter;
    if (!target || !painter.begin(target))
        return nullptr;
    if (!between) {
        painter.setPen(outlinePen());
        scenePainter.paintScene(&painter, view);
        return recording;
    }
    const std::size_t objects = DrawingModel::instance()->objects.size();
    const std::size_t shares =
        std::clamp<std::size_t>(objects / kObjectsPerVectorShare, 1, kMostVectorShares);
    if (!paintInShares(painter, view, shares, between))
        return nullptr;
    return recording;
}

std::optional<QString> ScenePicture::save(OutputFile& file, Format format, const SceneView& view,
                                          const QString& title)
{
    const bool painted = write(&file, format, view, title);
    if (painted && file.commit())
        return std::nullopt;
    return painted || file.writeFailed() ? file.errorString() : QStringLiteral("rendering failed");
}

// The scene is painted in shares of the objects in load order, as the frame renderer's parts are,
// but one after the other on the one device: every share's plain objects, the first's over the
// background, then every share's highlighted ones, then the added marks. That is what painting it
// whole does, call for call, so the pixels (or a PDF's or SVG's drawing commands) are the same;
// each share keeps the highlighted objects it set aside in a scene painter of its own.
bool ScenePicture::paintInShares(QPainter& painter, const SceneView& view, std::size_t shareCount,
                                 const Between& between)
{
    const QPen outline = outlinePen();
    std::vector<ScenePainter> shares(shareCount);
    std::vector<bool> highlighted(shareCount, false);
    const int steps = 2 * static_cast<int>(shareCount);
    int done = 0;
    for (std::size_t index = 0; index < shareCount; ++index) {
        painter.setPen(outline);
        highlighted[index] = shares[index].paintPartBelow(&painter, view, {index, shareCount});
        if (between && !between(++done, steps))
            return false;
    }
    for (std::size_t index = 0; index < shareCount; ++index) {
        if (highlighted[index])
            shares[index].paintPartAbove(&painter, view);
        if (between && !between(++done, steps))
            return false;
    }
    ScenePainter::paintAddedMarks(&painter, view);
    return true;
}

QImage ScenePicture::paintImage(const SceneView& view, const Between& between)
{
    QImage image(view.size, QImage::Format_RGB32);
    QPainter painter;
    if (image.isNull() || !painter.begin(&image))
        return QImage();
    if (!paintInShares(painter, view, kShares, between))
        return QImage();
    return painter.end() ? image : QImage();
}

bool ScenePicture::encodePng(const QImage& image, QIODevice* device)
{
    return image.save(device, "PNG", kFastPngQuality);
}

// A painter on the canvas starts with the canvas's foreground colour as its pen, which outlines
// the background: the window text colour of the application's palette, the style's own.
QPen ScenePicture::outlinePen()
{
    return QPen(QApplication::palette().color(QPalette::WindowText));
}
