#include "app/descriptionbox.h"

#include "app/releasethread.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QStringList>
#include <QTextCursor>

#include <algorithm>
#include <memory>
#include <optional>

namespace
{

// What the box shows at most: lines, characters of one line, characters in all. Shown this way, a
// description lays out in milliseconds, where a single line of 10,000 characters without a blank
// takes tens of milliseconds and one of 100,000 characters takes seconds.
constexpr qsizetype kMaxShownLines = 1000;
constexpr qsizetype kMaxShownLineLength = 1000;
constexpr qsizetype kMaxShownCharacters = 64 * 1024;

const QChar kEllipsis(0x2026);

// The last line of a shortened description: what is left out, and how to get it.
QString noteOf(qsizetype linesLeftOut, bool linesCut)
{
    QStringList parts;
    if (linesLeftOut > 0)
        parts << QStringLiteral("%1 more %2 not shown")
                     .arg(linesLeftOut)
                     .arg(linesLeftOut == 1 ? QStringLiteral("line") : QStringLiteral("lines"));
    if (linesCut)
        parts << QStringLiteral("long lines cut short");
    parts << QStringLiteral("Copy Full Description (Ctrl+Shift+C) copies the whole text");
    return QLatin1Char('[') + parts.join(QStringLiteral("; ")) + QLatin1Char(']');
}

// The text as the box shows it when the description does not fit the bounds: the lines that fit,
// a cut line ending in an ellipsis, then the note. Nothing when the whole text fits. `firstLines`
// holds the description's first kMaxShownLines lines, or all of them; `lineCount` counts all.
std::optional<QString> excerptOf(const QString& firstLines, qsizetype lineCount)
{
    const QStringView all(firstLines);
    QStringList lines;
    qsizetype from = 0;
    qsizetype characters = 0;
    bool cut = false;
    while (from <= all.size() && lines.size() < kMaxShownLines &&
           characters < kMaxShownCharacters) {
        qsizetype end = all.indexOf(QLatin1Char('\n'), from);
        if (end < 0)
            end = all.size();
        QStringView line = all.sliced(from, end - from);
        const qsizetype room = std::min(kMaxShownLineLength, kMaxShownCharacters - characters);
        if (line.size() > room) {
            line = line.first(room);
            // A surrogate pair is kept whole or left out whole.
            if (line.back().isHighSurrogate())
                line.chop(1);
            lines << line.toString() + kEllipsis;
            cut = true;
        } else {
            lines << line.toString();
        }
        characters += line.size();
        from = end + 1;
    }
    const qsizetype leftOut = lineCount - lines.size();
    if (leftOut == 0 && !cut)
        return std::nullopt;
    lines << noteOf(leftOut, cut);
    return lines.join(QLatin1Char('\n'));
}

// Lets go of a description on the release thread. When the box holds the last reference to its
// parts (a reload deleted the object), freeing them frees every property string, tens of
// milliseconds for a million, which the next selection would otherwise wait for. The parts are
// implicitly shared, with atomic reference counts, so they may be dropped on any thread.
void releaseInBackground(ObjectDescription&& parts)
{
    ReleaseThread::release([parts = std::move(parts)] {});
}

} // namespace

DescriptionBox::DescriptionBox(QWidget* parent) : QTextEdit(parent)
{
    // A description is the file's, not the user's: it can be selected and copied, not typed into.
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    copyFullAction = new QAction(QStringLiteral("Copy Full Description"), this);
    copyFullAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    copyFullAction->setShortcutContext(Qt::WidgetShortcut);
    copyFullAction->setEnabled(false);
    addAction(copyFullAction);
    connect(copyFullAction, &QAction::triggered, this, &DescriptionBox::copyFullDescription);
    connect(this, &QTextEdit::textChanged, this, &DescriptionBox::forgetDescription);
}

void DescriptionBox::showDescription(const ObjectDescription& shown)
{
    const QString firstLines = shown.firstLines(kMaxShownLines);
    const std::optional<QString> excerpt = excerptOf(firstLines, shown.lineCount());
    // Setting the text forgets the previous description; the new one is kept after it.
    setPlainText(excerpt ? *excerpt : firstLines);
    description = shown;
    shortened = excerpt.has_value();
    copyFullAction->setEnabled(true);
}

QString DescriptionBox::fullDescription() const
{
    return description ? description->text() : QString();
}

void DescriptionBox::copyFullDescription() const
{
    QGuiApplication::clipboard()->setText(fullDescription());
}

void DescriptionBox::forgetDescription()
{
    if (description)
        releaseInBackground(std::move(*description));
    description.reset();
    shortened = false;
    copyFullAction->setEnabled(false);
}

void DescriptionBox::contextMenuEvent(QContextMenuEvent* event)
{
    const std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    menu->addSeparator();
    menu->addAction(copyFullAction);
    menu->exec(event->globalPos());
}

// Everything selected in a shortened description stands for the whole of it.
QMimeData* DescriptionBox::createMimeDataFromSelection() const
{
    const QTextCursor selection = textCursor();
    const bool everything = selection.selectionStart() == 0 &&
                            selection.selectionEnd() == document()->characterCount() - 1;
    if (!shortened || !everything)
        return QTextEdit::createMimeDataFromSelection();
    auto* data = new QMimeData;
    data->setText(fullDescription());
    return data;
}
