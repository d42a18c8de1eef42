#include "remote/pausebar.h"

#include <QAction>
#include <QBoxLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>

namespace
{

// A pause text longer than this is cut for the bar: a message is a line, not a document.
constexpr int kMostShownChars = 400;

} // namespace

PauseBar::PauseBar(QWidget* window) : QFrame(window)
{
    setObjectName(QStringLiteral("pauseBar"));
    setFrameShape(QFrame::StyledPanel);
    // A pale orange, apart from the changed-on-disk bar's yellow: a program waits on the user.
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 224, 178));
    colours.setColor(QPalette::WindowText, QColor(0, 0, 0));
    setPalette(colours);

    message = new QLabel(this);
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    continueButton = new QPushButton(QStringLiteral("Continue"), this);
    continueButton->setToolTip(QStringLiteral("Let the program go on (F8)"));
    skipSiteButton = new QPushButton(QStringLiteral("Don't Stop Here Again"), this);
    skipSiteButton->setToolTip(
        QStringLiteral("Let the program go on, and not pause at this place again in this run"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(message, 1);
    layout->addWidget(continueButton);
    layout->addWidget(skipSiteButton);

    // F8, as debuggers continue; F5 stays Reload.
    continueAction = new QAction(QStringLiteral("Continue the Paused Program"), window);
    continueAction->setShortcut(QKeySequence(Qt::Key_F8));
    continueAction->setShortcutContext(Qt::WindowShortcut);
    continueAction->setEnabled(false);
    window->addAction(continueAction);
    connect(continueAction, &QAction::triggered, this, [this] { emit continued(false); });
    connect(continueButton, &QPushButton::clicked, this, [this] { emit continued(false); });
    connect(skipSiteButton, &QPushButton::clicked, this, [this] { emit continued(true); });

    // Under the canvas, in the window's central column when it has one, as the changed-on-disk
    // bar is: the canvas keeps the top, so that the bar showing moves no drawing.
    if (auto* mainWindow = qobject_cast<QMainWindow*>(window)) {
        QWidget* column = mainWindow->centralWidget();
        if (auto* columnLayout = column ? qobject_cast<QBoxLayout*>(column->layout()) : nullptr) {
            setParent(column);
            columnLayout->insertWidget(1, this);
        }
    }
    hide();
}

void PauseBar::showPause(const QString& text, int waitingBehind)
{
    QString shown =
        QStringLiteral("Paused: ") +
        (text.size() > kMostShownChars ? text.left(kMostShownChars) + QChar(0x2026) : text);
    if (waitingBehind > 0)
        shown += QStringLiteral("  (%1 more waiting)").arg(waitingBehind);
    message->setText(shown);
    continueAction->setEnabled(true);
    show();
}

void PauseBar::clear()
{
    continueAction->setEnabled(false);
    hide();
}
