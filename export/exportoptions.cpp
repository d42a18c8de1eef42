#include "export/exportoptions.h"

#include "script/textfile.h"

#include <QRegularExpression>

#include <cmath>

namespace
{

// A real number that is finite: origins and ratios beyond that cannot place anything.
bool readFinite(const QString& text, double& value)
{
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && std::isfinite(value);
}

bool readSize(const QString& text, QSize& size)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    const auto usable = [](int edge) { return edge >= 1 && edge <= ScenePicture::kMaxEdge; };
    if (!usable(width) || !usable(height))
        return false;
    size = QSize(width, height);
    return true;
}

} // namespace

// Options and their values are read as text; the paths keep their bytes.
bool ExportOptions::parse(const std::vector<std::string>& bytes, QString& error)
{
    QStringList arguments;
    for (const std::string& argument : bytes)
        arguments << displayName(argument);
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) || argument == "-") {
            positional.push_back(bytes[static_cast<std::size_t>(i)]);
            continue;
        }
        // Whether the values an option needs follow it; when not, the message names them.
        const auto takeValues = [&](qsizetype count, const char* names) {
            if (arguments.size() - i - 1 >= count)
                return true;
            error = QStringLiteral("%1 needs %2").arg(argument, QLatin1String(names));
            return false;
        };
        if (argument == "--help" || argument == "-h") {
            help = true;
            return true;
        } else if (argument == "--version") {
            version = true;
            return true;
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--fit") {
            viewGiven = false;
        } else if (argument == "--series") {
            series = true;
        } else if (argument == "--size") {
            if (!takeValues(1, "WIDTHxHEIGHT"))
                return false;
            if (!readSize(arguments[++i], size)) {
                error = QStringLiteral("bad size \"%1\": WIDTHxHEIGHT, each 1 to %2")
                            .arg(arguments[i])
                            .arg(ScenePicture::kMaxEdge);
                return false;
            }
        } else if (argument == "--view") {
            if (!takeValues(3, "ORIGINX ORIGINY RATIO"))
                return false;
            const QString& x = arguments[++i];
            const QString& y = arguments[++i];
            const QString& r = arguments[++i];
            if (!readFinite(x, originX) || !readFinite(y, originY) || !readFinite(r, ratio) ||
                ratio <= 0.0) {
                error = QStringLiteral("bad view \"%1 %2 %3\": ORIGINX ORIGINY RATIO, with a "
                                       "positive ratio")
                            .arg(x, y, r);
                return false;
            }
            viewGiven = true;
        } else if (argument == "--config") {
            if (!takeValues(1, "a FILE"))
                return false;
            configPath = bytes[static_cast<std::size_t>(++i)];
        } else {
            error = QStringLiteral("unknown option %1").arg(argument);
            return false;
        }
    }

    if (positional.size() != 2) {
        error =
            QStringLiteral("expected INPUT and OUTPUT, got %1 argument(s)").arg(positional.size());
        return false;
    }
    input = positional[0];
    output = positional[1];
    const std::optional<ScenePicture::Format> outputFormat =
        ScenePicture::formatOf(displayName(output));
    if (!outputFormat) {
        error = QStringLiteral("unknown output type of %1: use .png, .pdf or .svg")
                    .arg(displayName(output));
        return false;
    }
    format = *outputFormat;
    if (series && output.find("%d") == std::string::npos) {
        error = QStringLiteral("--series needs %d in the output name, e.g. frame-%d.png");
        return false;
    }
    return true;
}

std::string ExportOptions::outputFor(qint64 number) const
{
    const std::string digits = std::to_string(number);
    std::string name;
    std::size_t from = 0;
    for (std::size_t at; (at = output.find("%d", from)) != std::string::npos; from = at + 2)
        name.append(output, from, at - from).append(digits);
    return name.append(output, from);
}

QString ExportOptions::usage()
{
    return QStringLiteral(
        "Usage: vedra-export [--size WxH] [--fit | --view ORIGINX ORIGINY RATIO]\n"
        "                    [--config FILE] [--series] INPUT.las OUTPUT\n"
        "\n"
        "Renders a Vedra script input (.las) to a picture without opening a window, with the\n"
        "viewer's own loader and canvas painting: the picture is what the canvas of that size\n"
        "shows in that view. The fix marker and the rubber band are interaction overlays and\n"
        "are not exported.\n"
        "\n"
        "OUTPUT's extension chooses the format:\n"
        "  .png   the canvas pixel for pixel\n"
        "  .pdf   one page of WxH at 96 dpi (one unit per canvas pixel)\n"
        "  .svg   a WxH drawing with viewBox 0 0 W H\n"
        "\n"
        "Options:\n"
        "  --size WxH        canvas size in pixels, each 1 to 16384 (default 1600x1000)\n"
        "  --fit             fit every object into the canvas, as \"Resize Figure To Fit\n"
        "                    Display Region\" does (the default); a drawing without extent\n"
        "                    keeps the start view: origin (0, 0) and the configured ratio\n"
        "  --view X Y RATIO  world (0, 0) at canvas pixel (X, Y), RATIO pixels per world unit\n"
        "                    (as the Basic Info panel shows it); the last of --fit and --view\n"
        "                    counts\n"
        "  --config FILE     read the settings (ratio, point size, line width, highlight colour,\n"
        "                    typeusing ...) from FILE instead of ./config.ini\n"
        "  --series          INPUT is one member of a numbered series NAME.N.las: render every\n"
        "                    NAME.N.las in its directory, by number, each fitted to itself\n"
        "                    unless --view is given; every %d in OUTPUT becomes N, and each\n"
        "                    file is reported on standard error as \"INPUT -> OUTPUT\"\n"
        "  -h, --help        show this text and exit\n"
        "  --version         show the version and exit\n"
        "\n"
        "Exit status: 0 when every picture was written, 1 when an input could not be read or a\n"
        "picture could not be written, 2 for a command line that cannot be used.\n"
        "\n"
        "Examples:\n"
        "  vedra-export examples/demo.las demo.png\n"
        "  vedra-export --size 1200x800 --view 100 700 8 examples/demo.las demo.pdf\n"
        "  vedra-export --series examples/step.1.las frame-%d.png\n");
}
