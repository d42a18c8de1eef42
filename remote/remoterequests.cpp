#include "remote/remoterequests.h"

#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "canvas/scenepicture.h"
#include "commands/qfunctionality.h"
#include "follow/fileloader.h"
#include "handlers/paintobjecthandler.h"
#include "model/drawingmodel.h"
#include "script/seriesname.h"
#include "script/textfile.h"
#include "script/wordreader.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>

#include <cmath>
#include <limits>

namespace
{

// Numbers as the shortest text that reads back to the same double.
QString number(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// A whole word as a finite number; none for anything else ("1x", "nan", "1e999").
std::optional<double> finiteNumber(const QString& word)
{
    const QByteArray bytes = word.toLatin1();
    WordReader reader(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    double value = 0.0;
    if (word.isEmpty() || !reader.readDouble(value) || !reader.atEnd() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// A path relative to the window's working folder made absolute.
QString absolute(const QString& name)
{
    return QFileInfo(name).absoluteFilePath();
}

// The handler of an object type in use; null for any other word.
paintObjectHandler* handlerOf(const QString& type)
{
    DrawingModel* model = DrawingModel::instance();
    const std::string keyword = type.toStdString();
    const auto handler = model->handlers.find(keyword);
    if (handler == model->handlers.end() || model->objectsByType.count(keyword) == 0)
        return nullptr;
    return handler->second.get();
}

} // namespace

QString RemoteRequests::printable(QString text)
{
    for (QChar& c : text) {
        const char16_t code = c.unicode();
        if (code < 0x20 || (code >= 0x7f && code <= 0x9f))
            c = QChar::ReplacementCharacter;
    }
    return text;
}

bool RemoteRequests::windowReady()
{
    return !ViewerApp::instance()->fileLoader->busy() && !QApplication::activeModalWidget();
}

RemoteRequests::Result RemoteRequests::decode(const QByteArray& line, QString& text)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = decoder(line);
    if (decoder.hasError())
        return QStringLiteral("the request is not UTF-8 text");
    // A NUL would end a file name early: the window would open another file than the one named.
    if (line.contains('\0'))
        return QStringLiteral("the request holds a NUL character");
    return std::nullopt;
}

std::optional<RemoteRequests::TakenAtOnce> RemoteRequests::takeAtOnce(const QByteArray& line)
{
    if (line != "display" && !line.startsWith("display "))
        return std::nullopt;
    QString text;
    if (const Result refused = decode(line, text))
        return TakenAtOnce{answerOf({}, refused), {}};
    const qsizetype space = text.indexOf(QLatin1Char(' '));
    const QString name = space < 0 ? QString() : text.mid(space + 1);
    if (name.isEmpty())
        return TakenAtOnce{answerOf({}, QStringLiteral("usage: display FILE")), {}};
    const QString path = absolute(name);
    if (const std::optional<QString> reason =
            whyNotRegularFile(QFile::encodeName(path).toStdString()))
        return TakenAtOnce{answerOf({}, QStringLiteral("cannot display %1: %2").arg(path, *reason)),
                           {}};
    return TakenAtOnce{answerOf({QStringLiteral("file: ") + printable(path)}, std::nullopt),
                       "open " + path.toUtf8()};
}

void RemoteRequests::carryOut(const QByteArray& line, Done done)
{
    lines.clear();
    loadStarted.reset();
    QString text;
    if (const Result refused = decode(line, text)) {
        done(finish(refused));
        return;
    }
    const qsizetype space = text.indexOf(QLatin1Char(' '));
    const QString word = space < 0 ? text : text.left(space);
    const QString rest = space < 0 ? QString() : text.mid(space + 1);
    const Result result = run(word, rest);
    if (result || !loadStarted) {
        done(finish(result));
        return;
    }
    awaitLoad(*loadStarted, std::move(done));
}

// A request word, then its arguments separated by single spaces; where the last argument is a
// file or a query, it is the rest of the line, verbatim.
RemoteRequests::Result RemoteRequests::run(const QString& word, const QString& rest)
{
    const auto usage = [](const char* form) { return QStringLiteral("usage: %1").arg(form); };
    if (word == QLatin1String("open"))
        return rest.isEmpty() ? usage("open FILE") : open(rest);
    if (word == QLatin1String("pick"))
        return rest.isEmpty() ? usage("pick QUERY") : pick(rest);
    if (word == QLatin1String("export"))
        return rest.isEmpty() ? usage("export FILE") : exportImage(rest);
    const QStringList words = rest.isEmpty() ? QStringList() : rest.split(QLatin1Char(' '));
    if (word == QLatin1String("goto"))
        return words.size() == 2 || words.size() == 3 ? goTo(words) : usage("goto X Y [RATIO]");
    if (word == QLatin1String("list") || word == QLatin1String("hide") ||
        word == QLatin1String("show")) {
        if (words.size() != 1)
            return QStringLiteral("usage: %1 TYPE").arg(word);
        return typeCommand(word, words[0]);
    }
    using Request = Result (RemoteRequests::*)();
    const std::pair<const char*, Request> plain[] = {
        {"reload", &RemoteRequests::reload},         {"next", &RemoteRequests::stepNext},
        {"previous", &RemoteRequests::stepPrevious}, {"fit", &RemoteRequests::fit},
        {"status", &RemoteRequests::status},
    };
    for (const auto& [name, request] : plain) {
        if (word != QLatin1String(name))
            continue;
        if (!rest.isEmpty())
            return QStringLiteral("%1 takes no arguments").arg(word);
        return (this->*request)();
    }
    if (word.isEmpty())
        return QStringLiteral("empty request");
    constexpr int kLongestWordShown = 40;
    return QStringLiteral("unknown request %1").arg(word.left(kLongestWordShown));
}

RemoteRequests::Result RemoteRequests::open(const QString& name)
{
    const QString path = absolute(name);
    if (const std::optional<QString> reason =
            whyNotRegularFile(QFile::encodeName(path).toStdString()))
        return QStringLiteral("cannot open %1: %2").arg(path, *reason);
    ViewerApp::instance()->commands.openFile(path);
    loadStarted = LoadKind::Open;
    return std::nullopt;
}

RemoteRequests::Result RemoteRequests::reload()
{
    ViewerApp* app = ViewerApp::instance();
    if (app->fileName.empty())
        return QStringLiteral("no file is open");
    app->commands.doReload();
    loadStarted = LoadKind::Reload;
    return std::nullopt;
}

// The steps refuse here what the keys pass over in silence: no series, or no member that way.
RemoteRequests::Result RemoteRequests::step(bool forward)
{
    QFunctionality& commands = ViewerApp::instance()->commands;
    std::string prefix, suffix;
    qint64 index = 0;
    if (!commands.splitIndexFileName(prefix, index, suffix))
        return QStringLiteral("the open file is no member of a numbered series NAME.N.las");
    if (forward ? index == std::numeric_limits<qint64>::max() : index < 1)
        return QStringLiteral("the series has no %1 member").arg(forward ? "next" : "previous");
    if (forward)
        commands.doSwitchNextFile();
    else
        commands.doSwitchPreFile();
    loadStarted = LoadKind::Step;
    return std::nullopt;
}

RemoteRequests::Result RemoteRequests::stepNext()
{
    return step(true);
}

RemoteRequests::Result RemoteRequests::stepPrevious()
{
    return step(false);
}

RemoteRequests::Result RemoteRequests::fit()
{
    ViewerApp::instance()->commands.dotResizefit();
    return std::nullopt;
}

// The world point goes to the canvas's centre; RATIO is in world units per pixel, as status
// gives it.
RemoteRequests::Result RemoteRequests::goTo(const QStringList& words)
{
    const std::optional<double> x = finiteNumber(words[0]);
    const std::optional<double> y = finiteNumber(words[1]);
    const std::optional<double> unitsPerPixel =
        words.size() > 2 ? finiteNumber(words[2]) : std::optional<double>(0.0);
    if (!x || !y || !unitsPerPixel)
        return QStringLiteral("goto takes finite numbers: goto X Y [RATIO]");
    ViewerApp* app = ViewerApp::instance();
    const double ratio = words.size() > 2 ? 1.0 / *unitsPerPixel : app->ratio;
    const double originX = app->display->width() / 2.0 - *x * ratio;
    const double originY = app->display->height() / 2.0 + *y * ratio;
    if (!(ratio > 0.0) || !ViewerApp::isUsableView(originX, originY, ratio))
        return QStringLiteral("no usable view shows %1 %2 at that ratio").arg(words[0], words[1]);
    app->display->navigator().jump([app, originX, originY, ratio] {
        app->ratio = ratio;
        app->originX = originX;
        app->originY = originY;
        app->display->repaint();
        app->updateInfo();
    });
    gotoView = GotoView{app->originX, app->originY, app->ratio, app->display->size(),
                        number(*x) + QLatin1Char(' ') + number(*y)};
    return std::nullopt;
}

RemoteRequests::Result RemoteRequests::pick(const QString& query)
{
    ViewerApp* app = ViewerApp::instance();
    switch (app->commands.pickAndList(query)) {
    case QFunctionality::PickOutcome::Unusable:
        return QFunctionality::unusableQueryReason();
    case QFunctionality::PickOutcome::Cancelled:
        return QStringLiteral("the pick was cancelled");
    case QFunctionality::PickOutcome::Picked:
        break;
    }
    add(QStringLiteral("picked"), QString::number(app->pickedList.size()));
    return std::nullopt;
}

// The type's own list entry and show and hide buttons.
RemoteRequests::Result RemoteRequests::typeCommand(const QString& word, const QString& type)
{
    paintObjectHandler* handler = handlerOf(type);
    if (!handler)
        return QStringLiteral("no object type %1 is in use").arg(type);
    if (word == QLatin1String("list"))
        handler->doListAnItemType();
    else if (word == QLatin1String("hide"))
        handler->hideAllObject();
    else
        handler->showAllObject();
    return std::nullopt;
}

// Export Image's picture at the canvas's own size.
RemoteRequests::Result RemoteRequests::exportImage(const QString& name)
{
    const QString path = absolute(name);
    if (!ScenePicture::formatOf(path))
        return QStringLiteral("%1 names no picture format: end it in .png, .svg or .pdf").arg(path);
    ViewerApp* app = ViewerApp::instance();
    const std::optional<QFunctionality::ExportFailure> failure =
        app->commands.writeImage(path, app->display->size());
    if (!failure)
        return std::nullopt;
    if (failure->cancelled)
        return QStringLiteral("the export of %1 was cancelled").arg(path);
    return failure->reason;
}

RemoteRequests::Result RemoteRequests::status()
{
    const ViewerApp* app = ViewerApp::instance();
    add(QStringLiteral("file"),
        app->fileName.empty() ? QString() : absolute(displayName(app->fileName)));
    add(QStringLiteral("objects"), QString::number(DrawingModel::instance()->objects.size()));
    add(QStringLiteral("origin"), number(app->originX) + QLatin1Char(' ') + number(app->originY));
    if (gotoView && (gotoView->originX != app->originX || gotoView->originY != app->originY ||
                     gotoView->ratio != app->ratio || gotoView->canvas != app->display->size()))
        gotoView.reset();
    add(QStringLiteral("centre"), gotoView ? gotoView->centre
                                           : number(app->worldX(app->display->width() / 2.0)) +
                                                 QLatin1Char(' ') +
                                                 number(app->worldY(app->display->height() / 2.0)));
    add(QStringLiteral("ratio"), number(1.0 / app->ratio));
    add(QStringLiteral("picked"), QString::number(app->pickedList.size()));
    return std::nullopt;
}

void RemoteRequests::awaitLoad(LoadKind kind, Done done)
{
    if (!ViewerApp::instance()->fileLoader->busy()) {
        done(loadAnswer(kind, true));
        return;
    }
    pendingDone = std::move(done);
    pendingKind = kind;
    pendingName = displayName(ViewerApp::instance()->fileLoader->loadingName());
}

void RemoteRequests::loadEnded(bool handedOver)
{
    lastHandedOver = handedOver;
    if (!pendingDone || ViewerApp::instance()->fileLoader->busy())
        return;
    const Done done = std::move(pendingDone);
    pendingDone = nullptr;
    done(loadAnswer(pendingKind, lastHandedOver));
}

QByteArray RemoteRequests::loadAnswer(LoadKind kind, bool handedOver)
{
    lines.clear();
    if (!handedOver)
        return finish(QStringLiteral("loading %1 was cancelled").arg(pendingName));
    const ViewerApp* app = ViewerApp::instance();
    const QString name = displayName(app->fileName);
    if (const std::optional<QString> reason = whyNotRegularFile(app->fileName)) {
        if (kind == LoadKind::Step)
            return finish(QStringLiteral("%1 does not exist").arg(QFileInfo(name).fileName()));
        return finish(QStringLiteral("cannot open %1: %2").arg(name, *reason));
    }
    add(QStringLiteral("file"), absolute(name));
    add(QStringLiteral("objects"), QString::number(DrawingModel::instance()->objects.size()));
    return finish(std::nullopt);
}

void RemoteRequests::add(const QString& key, const QString& value)
{
    lines.append(key + QStringLiteral(": ") + printable(value));
}

QByteArray RemoteRequests::answerOf(const QStringList& lines, const Result& result)
{
    QByteArray answer;
    for (const QString& line : lines)
        answer += line.toUtf8() + '\n';
    answer += result ? QStringLiteral("error: %1\n").arg(printable(*result)).toUtf8()
                     : QByteArrayLiteral("ok\n");
    return answer;
}

QByteArray RemoteRequests::finish(const Result& result)
{
    const QByteArray answer = answerOf(lines, result);
    lines.clear();
    return answer;
}
