#pragma once

#include <QByteArray>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Carries out the requests of remote control on the window, one at a time, through the commands
// that its menus and keys run. A request answers once it has been carried out: one that loads a
// file answers when the loader has handed the new drawing over (or the load was stopped). The
// answer is zero or more "key: value" lines, then "ok" or "error: REASON", each ended by a line
// feed. docs/DESIGN.md, "Remote control".
class RemoteRequests : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(const QByteArray& answer)>;

    using QObject::QObject;

    // Whether a request may start now: no file loads (its drawing is about to go) and no modal
    // dialog waits for the user (a long conditional pick lets events through under its own).
    static bool windowReady();
    // Carries out one request line, without its line feed; calls done exactly once, at once or
    // after a load. Only when windowReady() and no request is carried out.
    void carryOut(const QByteArray& line, Done done);

    // A request answered as soon as it is read, whatever the window is doing: `display FILE`,
    // which programs send to show a file without waiting on the window. Its answer, and the
    // request to carry out in turn later, with nobody to answer (empty when it was refused).
    struct TakenAtOnce {
        QByteArray answer;
        QByteArray later;
    };
    // None for a line that is carried out in turn.
    static std::optional<TakenAtOnce> takeAtOnce(const QByteArray& line);

    // Text without control characters (C0, DEL, C1), each written as U+FFFD: a line feed in a
    // file name must not end an answer's line, and an escape sequence in a request must not reach
    // the terminal that shows its answer.
    static QString printable(QString text);
    // A request waits for its load.
    bool waiting() const { return static_cast<bool>(pendingDone); }

    // The running background load ended; the waiting request answers once no load runs.
    void loadEnded(bool handedOver);

private:
    // What a request does: fills `lines` and returns an error, if any.
    using Result = std::optional<QString>;
    // The view that goto made and the centre it was asked for: status gives that centre rather
    // than the one worked back from the view (which rounding moves by a few units in the last
    // place) for as long as the view stays the one goto made.
    struct GotoView {
        double originX = 0.0;
        double originY = 0.0;
        double ratio = 0.0;
        QSize canvas;
        QString centre;
    };

    // The line as text, or why it is refused: not UTF-8, or holding a NUL.
    static Result decode(const QByteArray& line, QString& text);
    // The answer of the given lines and result, ready to send.
    static QByteArray answerOf(const QStringList& lines, const Result& result);
    // How a load's answer is given once the drawing is in.
    enum class LoadKind { Open, Reload, Step };

    Result run(const QString& word, const QString& rest);
    Result open(const QString& name);
    Result reload();
    Result step(bool forward);
    Result stepNext();
    Result stepPrevious();
    Result fit();
    Result goTo(const QStringList& words);
    Result pick(const QString& query);
    Result typeCommand(const QString& word, const QString& type);
    Result exportImage(const QString& name);
    Result status();
    // After a command that loads: answers now when the load is done, else when it ends.
    void awaitLoad(LoadKind kind, Done done);
    // The answer of a load that has ended.
    QByteArray loadAnswer(LoadKind kind, bool handedOver);

    void add(const QString& key, const QString& value);
    // The answer of lines and the result, ready to send.
    QByteArray finish(const Result& result);

    QStringList lines;
    std::optional<GotoView> gotoView;
    // Set by a request that started a load.
    std::optional<LoadKind> loadStarted;
    // The request that waits for its load, and whether the last load that ended was handed over.
    Done pendingDone;
    LoadKind pendingKind = LoadKind::Open;
    QString pendingName;
    bool lastHandedOver = true;
};
