#include "follow/timelinedock.h"

#include "app/rememberedstate.h"
#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "follow/changetracker.h"
#include "follow/fileloader.h"
#include "follow/followcontrol.h"
#include "follow/stepchangebars.h"
#include "model/changeset.h"
#include "model/drawingmodel.h"
#include "script/seriesname.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

namespace
{

ViewerApp* app()
{
    return ViewerApp::instance();
}

// The index of the shown file, when it is named as a series member.
std::optional<qint64> shownIndex()
{
    std::string prefix, suffix;
    qint64 index = 0;
    if (!splitSeriesName(app()->fileName, prefix, index, suffix))
        return std::nullopt;
    return index;
}

} // namespace

TimelineDock::TimelineDock(QMainWindow* window) : QDockWidget(QStringLiteral("Timeline"), window)
{
    setObjectName(QStringLiteral("timelineDock"));
    setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    // T belongs to the canvas, as its other single keys do: elsewhere a letter types or finds.
    toggleViewAction()->setShortcut(QKeySequence(Qt::Key_T));
    toggleViewAction()->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    app()->display->addAction(toggleViewAction());
    toggleViewAction()->setToolTip(QStringLiteral("Timeline (T): scrub and play the series"));

    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(6, 2, 6, 2);
    playAction = new QAction(QStringLiteral("Play"), this);
    playAction->setCheckable(true);
    playAction->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    playAction->setShortcut(QKeySequence(Qt::Key_Space));
    // Space belongs to the canvas only: in the explorer or a dialog it types or clicks as usual.
    playAction->setShortcutContext(Qt::WidgetShortcut);
    playAction->setToolTip(QStringLiteral("Play/Pause (Space on the canvas): step through the "
                                          "series at the chosen rate"));
    app()->display->addAction(playAction);
    auto* playButton = new QToolButton(panel);
    playButton->setDefaultAction(playAction);
    rateBox = new QSpinBox(panel);
    rateBox->setRange(kMinRate, kMaxRate);
    rateBox->setSuffix(QStringLiteral(" steps/s"));
    rateBox->setValue(std::clamp(RememberedState::playRate(), kMinRate, kMaxRate));
    rateBox->setToolTip(QStringLiteral("Steps per second while playing"));
    slider = new QSlider(Qt::Horizontal, panel);
    slider->setRange(0, 0);
    slider->setPageStep(10);
    bars = new StepChangeBars(changes, panel);
    bars->hide();
    numberLabel = new QLabel(panel);
    positionLabel = new QLabel(panel);
    // Fixed widths: a new text does not lay the window out again.
    const QFontMetrics metrics = positionLabel->fontMetrics();
    numberLabel->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("member 0000000000000")));
    positionLabel->setFixedWidth(
        metrics.horizontalAdvance(QStringLiteral("step 0000000 of 0000000")));
    grid->addWidget(bars, 0, 2);
    grid->addWidget(playButton, 1, 0);
    grid->addWidget(rateBox, 1, 1);
    grid->addWidget(slider, 1, 2);
    grid->addWidget(numberLabel, 1, 3);
    grid->addWidget(positionLabel, 1, 4);
    grid->setColumnStretch(2, 1);
    setWidget(panel);
    window->addDockWidget(Qt::BottomDockWidgetArea, this);
    hide();

    const FileFollower& follower = app()->followControl->follower;
    connect(&follower, &FileFollower::membersChanged, this, &TimelineDock::membersChanged);
    connect(&app()->commands, &QFunctionality::fileShown, this, &TimelineDock::fileShown);
    connect(slider, &QSlider::valueChanged, this, [this](int value) { goTo(std::size_t(value)); });
    connect(slider, &QSlider::sliderPressed, this, [this] { playAction->setChecked(false); });
    connect(bars, &StepChangeBars::memberClicked, this, &TimelineDock::goTo);
    connect(playAction, &QAction::toggled, this, &TimelineDock::setPlaying);
    connect(rateBox, qOverload<int>(&QSpinBox::valueChanged), this, [this](int rate) {
        RememberedState::setPlayRate(rate);
        playTimer.setInterval(1000 / rate);
    });
    playTimer.setInterval(1000 / rateBox->value());
    connect(&playTimer, &QTimer::timeout, this, &TimelineDock::playStep);
    QAction* showChanges = app()->changeTracker->showChangesAction;
    connect(showChanges, &QAction::toggled, this, [this](bool on) {
        bars->setVisible(on);
        changes.setActive(on);
    });
    membersChanged();
}

void TimelineDock::addViewMenuEntries(QMenu* view) const
{
    view->addAction(toggleViewAction());
    view->addAction(playAction);
}

const std::vector<SeriesMember>& TimelineDock::members() const
{
    return app()->followControl->follower.seriesMembers();
}

// Members are ordered by index, so the shown file is looked for among those of its index only.
std::optional<std::size_t> TimelineDock::shownPosition() const
{
    const std::optional<qint64> index = shownIndex();
    if (!index)
        return std::nullopt;
    const std::vector<SeriesMember>& all = members();
    auto at = std::lower_bound(all.begin(), all.end(), *index,
                               [](const SeriesMember& m, qint64 i) { return m.index < i; });
    for (; at != all.end() && at->index == *index; ++at)
        if (at->name == app()->fileName)
            return std::size_t(at - all.begin());
    return std::nullopt;
}

void TimelineDock::membersChanged()
{
    const std::size_t n = members().size();
    {
        const QSignalBlocker blocker(slider);
        slider->setRange(0, n > 0 ? int(std::min<std::size_t>(n - 1, INT_MAX)) : 0);
    }
    slider->setEnabled(n > 0);
    playAction->setEnabled(n > 0);
    changes.setMembers(members(), shownPosition().value_or(0));
    showPosition();
    bars->update();
}

void TimelineDock::fileShown()
{
    const std::optional<std::size_t> position = shownPosition();
    // The comparison of a step from the member before is that member's count.
    const ChangeSet* shown = DrawingModel::instance()->changes();
    if (position && *position > 0 && shown && shown->previousName == members()[*position - 1].name)
        changes.note(shown->previousName, app()->fileName,
                     StepCount{shown->added.size(), shown->removed.size(), QString()});
    if (app()->fileLoader->busy())
        return;
    showPosition();
}

void TimelineDock::showPosition()
{
    const std::size_t n = members().size();
    const std::optional<std::size_t> position = shownPosition();
    if (position && !slider->isSliderDown()) {
        const QSignalBlocker blocker(slider);
        slider->setValue(int(*position));
    }
    const std::optional<qint64> index = shownIndex();
    numberLabel->setText(index ? QStringLiteral("member %1").arg(*index) : QString());
    if (n == 0)
        positionLabel->setText(QStringLiteral("no series"));
    else if (position)
        positionLabel->setText(QStringLiteral("step %1 of %2").arg(*position + 1).arg(n));
    else
        positionLabel->setText(QStringLiteral("%1 members").arg(n));
}

// A position already shown or on its way is not loaded again; any other stops what is loading.
void TimelineDock::goTo(std::size_t position)
{
    const std::vector<SeriesMember>& all = members();
    if (position >= all.size())
        return;
    const std::string& name = all[position].name;
    const FileLoader* loader = app()->fileLoader;
    if (loader->busy() ? loader->loadingName() == name : app()->fileName == name)
        return;
    app()->commands.stepToFile(name);
}

// Play from the last member starts over from the first, unless Follow Latest waits for more.
void TimelineDock::setPlaying(bool on)
{
    playAction->setText(on ? QStringLiteral("Pause") : QStringLiteral("Play"));
    playAction->setIcon(style()->standardIcon(on ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    if (!on) {
        playTimer.stop();
        return;
    }
    const std::optional<std::size_t> position = shownPosition();
    const bool waits = app()->followControl->followLatestAction->isChecked();
    if (!waits && position && *position + 1 == members().size())
        goTo(0);
    playTimer.start();
}

// A step waits for the load before it: a member that loads slower than the rate is shown whole
// before the next one is asked for.
void TimelineDock::playStep()
{
    if (app()->fileLoader->busy())
        return;
    const std::vector<SeriesMember>& all = members();
    const std::optional<qint64> index = shownIndex();
    const auto next =
        index ? std::upper_bound(all.begin(), all.end(), *index,
                                 [](qint64 i, const SeriesMember& m) { return i < m.index; })
              : all.begin();
    if (next != all.end()) {
        app()->commands.stepToFile(next->name);
        return;
    }
    // At the last member, Follow Latest opens the next one once it has settled; play goes on
    // from there.
    if (!app()->followControl->followLatestAction->isChecked())
        playAction->setChecked(false);
}
