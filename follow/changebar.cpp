#include "follow/changebar.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

ChangeBar::ChangeBar(QAction* followLatest, QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("changeBar"));
    setFrameShape(QFrame::StyledPanel);
    // A pale yellow, as notices usually are, so that the bar stands apart from the panels.
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 248, 200));
    colours.setColor(QPalette::WindowText, QColor(0, 0, 0));
    setPalette(colours);

    message = new QLabel(this);
    reloadButton = new QPushButton(QStringLiteral("Reload"), this);
    alwaysReloadButton = new QPushButton(QStringLiteral("Always Reload"), this);
    openButton = new QPushButton(QStringLiteral("Open"), this);
    followLatestButton = new QToolButton(this);
    followLatestButton->setDefaultAction(followLatest);
    resumeButton = new QPushButton(QStringLiteral("Resume"), this);
    resumeButton->setToolTip(QStringLiteral("Open the newest member and go on following"));
    ignoreButton = new QPushButton(QStringLiteral("Ignore"), this);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(message, 1);
    const QList<QWidget*> buttons{reloadButton,       alwaysReloadButton, openButton,
                                  followLatestButton, resumeButton,       ignoreButton};
    for (QWidget* button : buttons)
        layout->addWidget(button);

    connect(reloadButton, &QPushButton::clicked, this, &ChangeBar::reloadChosen);
    connect(alwaysReloadButton, &QPushButton::clicked, this, &ChangeBar::alwaysReloadChosen);
    connect(openButton, &QPushButton::clicked, this, &ChangeBar::openChosen);
    connect(resumeButton, &QPushButton::clicked, this, &ChangeBar::resumeChosen);
    connect(ignoreButton, &QPushButton::clicked, this, &ChangeBar::ignored);
    // Each choice settles the offer.
    for (QPushButton* button :
         {reloadButton, alwaysReloadButton, openButton, resumeButton, ignoreButton})
        connect(button, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void ChangeBar::showOffer(const QString& text, bool reload, bool member, bool paused)
{
    message->setText(text);
    reloadButton->setVisible(reload);
    alwaysReloadButton->setVisible(reload);
    openButton->setVisible(member);
    followLatestButton->setVisible(member);
    resumeButton->setVisible(paused);
    show();
}

void ChangeBar::offerReload(const QString& name)
{
    showOffer(QStringLiteral("%1 changed on disk").arg(name), true, false);
}

void ChangeBar::sayVanished(const QString& name)
{
    showOffer(QStringLiteral("%1 no longer exists on disk; the drawing stays as it was").arg(name),
              false, false);
}

void ChangeBar::offerMember(const QString& name)
{
    showOffer(QStringLiteral("%1 is ready").arg(name), false, true);
}

void ChangeBar::sayFollowingPaused(const QString& name, const QString& newest)
{
    showOffer(QStringLiteral("Following paused at %1: %2 is the newest").arg(name, newest), false,
              false, true);
}

void ChangeBar::withdrawPaused()
{
    if (saysPaused())
        hide();
}

bool ChangeBar::saysPaused() const
{
    return isVisibleTo(parentWidget()) && resumeButton->isVisibleTo(this);
}

QString ChangeBar::text() const
{
    return message->text();
}
