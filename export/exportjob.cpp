#include "export/exportjob.h"

#include "app/viewerapp.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPalette>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <cstdio>

namespace
{

// The resolution at which one unit of a PDF or SVG page is one canvas pixel.
constexpr int kScreenDpi = 96;

// The loader reads a file it cannot open as an empty drawing; an export of that would hide the
// mistake, so inputs are checked first.
bool checkReadable(const QString& path, QString& error)
{
    if (QFileInfo(path).isDir()) {
        error = QStringLiteral("cannot read %1: it is a directory").arg(path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace

ExportJob::ExportJob(const ExportOptions& options) : options(options)
{
}

void ExportJob::report(const QString& message)
{
    std::fprintf(stderr, "vedra-export: %s\n", QFile::encodeName(message).constData());
}

int ExportJob::run()
{
    std::vector<Input> inputs;
    QString error;
    if (!collectInputs(inputs, error)) {
        report(error);
        return kExitUsage;
    }
    if (!checkReadable(options.input, error) || !createViewer(error)) {
        report(error);
        return kExitFailed;
    }
    bool allWritten = true;
    for (const Input& input : inputs) {
        const QString output = options.series ? options.outputFor(input.number) : options.output;
        if (options.series)
            std::fprintf(stderr, "%s -> %s\n", QFile::encodeName(input.path).constData(),
                         QFile::encodeName(output).constData());
        if (!checkReadable(input.path, error)) {
            report(error);
            allWritten = false;
            continue;
        }
        openInput(input.path);
        if (!writeOutput(output, QFileInfo(input.path).fileName(), error)) {
            report(error);
            allWritten = false;
        }
    }
    return allWritten ? kExitSucceeded : kExitFailed;
}

// A series is every NAME.N.las beside the input that has the input's NAME, N any run of digits,
// ordered by number. Paths keep the directory as the input names it, so that the progress lines
// read like the command line.
bool ExportJob::collectInputs(std::vector<Input>& inputs, QString& error) const
{
    if (!options.series) {
        inputs.push_back({0, options.input});
        return true;
    }
    static const QRegularExpression numbered(QStringLiteral("^(.*\\.)\\d+\\.las$"));
    const QFileInfo given(options.input);
    const QRegularExpressionMatch match = numbered.match(given.fileName());
    if (!match.hasMatch()) {
        error =
            QStringLiteral("%1 is no member of a numbered series NAME.N.las").arg(options.input);
        return false;
    }
    const QString directory = options.input.chopped(given.fileName().size());
    const QRegularExpression member(QLatin1Char('^') +
                                    QRegularExpression::escape(match.captured(1)) +
                                    QStringLiteral("(\\d+)\\.las$"));
    const QStringList names = QDir(given.path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const QRegularExpressionMatch found = member.match(name);
        bool ok = false;
        const qint64 number = found.hasMatch() ? found.captured(1).toLongLong(&ok) : 0;
        if (ok)
            inputs.push_back({number, directory + name});
    }
    std::sort(inputs.begin(), inputs.end(), [](const Input& a, const Input& b) {
        return a.number != b.number ? a.number < b.number : a.path < b.path;
    });
    return true;
}

// The settings, the object types in use among them, come from the given file, or as the viewer
// reads them from config.ini in the working directory.
bool ExportJob::createViewer(QString& error)
{
    if (!options.configPath.isEmpty() && !checkReadable(options.configPath, error))
        return false;
    ViewerApp::createHeadless(options.configPath.isEmpty() ? QStringLiteral("config.ini")
                                                           : options.configPath);
    startRatio = ViewerApp::instance()->ratio;
    return true;
}

void ExportJob::openInput(const QString& path) const
{
    ViewerApp* app = ViewerApp::instance();
    app->fileName = QFile::encodeName(path).toStdString();
    app->loadScript();
    if (options.viewGiven) {
        app->originX = options.originX;
        app->originY = options.originY;
        app->ratio = options.ratio;
    } else {
        // The start view, which fitting keeps when nothing has extent.
        app->originX = app->originY = 0.0;
        app->ratio = startRatio;
        app->fitTo(options.size);
    }
}

// Written through a QSaveFile: a failed export leaves no half-written picture behind, and a
// path that cannot be written is reported before anything is painted.
bool ExportJob::writeOutput(const QString& path, const QString& title, QString& error)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    const QSize size = options.size;
    bool painted = false;
    switch (options.format) {
    case ExportOptions::Format::Png: {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        painted = paintScene(&image) && image.save(&file, "PNG");
        break;
    }
    case ExportOptions::Format::Pdf: {
        QPdfWriter writer(&file);
        writer.setResolution(kScreenDpi);
        writer.setPageSize(QPageSize(QSizeF(size) / kScreenDpi, QPageSize::Inch));
        writer.setPageMargins(QMarginsF());
        writer.setCreator(QStringLiteral("Vedra"));
        writer.setTitle(title);
        painted = paintScene(&writer);
        break;
    }
    case ExportOptions::Format::Svg: {
        QSvgGenerator generator;
        generator.setOutputDevice(&file);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setResolution(kScreenDpi);
        generator.setTitle(title);
        painted = paintScene(&generator);
        break;
    }
    }
    if (painted && file.commit())
        return true;
    error = QStringLiteral("cannot write %1: %2")
                .arg(path, painted ? file.errorString() : QStringLiteral("rendering failed"));
    return false;
}

// A painter on the canvas starts with the canvas's foreground colour as its pen, which outlines
// the background: the window text colour of the application's palette, the style's own.
bool ExportJob::paintScene(QPaintDevice* device)
{
    QPainter painter;
    if (!painter.begin(device))
        return false;
    painter.setPen(QApplication::palette().color(QPalette::WindowText));
    scenePainter.paintScene(&painter, ViewerApp::instance()->sceneView(options.size));
    return painter.end();
}
