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
#include <QEvent>
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

// The index of a file, when it is named as a series member.
std::optional<qint64> indexOf(const std::string& name)
{
    std::string prefix, suffix;
    qint64 index = 0;
    if (!splitSeriesName(name, prefix, index, suffix))
        return std::nullopt;
    return index;
}

// "FIRST–LAST" of the numbers, or the one number.
QString numbers(quint64 first, quint64 last)
{
    return first == last ? QString::number(first)
                         : QStringLiteral("%1\u2013%2").arg(first).arg(last);
}

// The most runs of missing numbers that the position label's tooltip lists.
constexpr int kListed = 40;

// The numbers missing from the series, run by run: "missing 17" or "missing 17, 20–22" for one
// or two runs, a count beyond; and the tooltip's list of them all, up to kListed runs.
std::pair<QString, QString> missingText(const StepChanges& series)
{
    QStringList runs;
    quint64 missing = 0;
    for (std::size_t i = 1; i < series.memberCount(); ++i) {
        const quint64 count = series.missingBefore(i);
        if (count == 0)
            continue;
        missing += count;
        const quint64 stride = series.numberStride();
        if (runs.size() <= kListed)
            runs << numbers(quint64(series.member(i - 1).index) + stride,
                            quint64(series.member(i).index) - stride);
    }
    if (runs.isEmpty())
        return {};
    const QString shortText =
        runs.size() <= 2 ? QStringLiteral("missing %1").arg(runs.join(QStringLiteral(", ")))
                         : QStringLiteral("%1 missing").arg(missing);
    if (runs.size() > kListed)
        runs.last() = QStringLiteral("\u2026");
    return {shortText, QStringLiteral("Missing from the series: %1").arg(runs.join(", "))};
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
    const auto canvasKey = [this](const QString& text, Qt::Key key) {
        auto* action = new QAction(text, this);
        action->setShortcut(QKeySequence(key));
        action->setShortcutContext(Qt::WidgetShortcut);
        app()->display->addAction(action);
        return action;
    };
    firstAction = canvasKey(QStringLiteral("First Member"), Qt::Key_Home);
    lastAction = canvasKey(QStringLiteral("Last Member"), Qt::Key_End);
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
        metrics.horizontalAdvance(QStringLiteral("of 0000000\u20130000000, missing 0000, 0000")));
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
    connect(firstAction, &QAction::triggered, this, [this] {
        reveal();
        goTo(0);
    });
    connect(lastAction, &QAction::triggered, this, [this] {
        reveal();
        if (!members().empty())
            goTo(members().size() - 1);
    });
    app()->display->installEventFilter(this);
    connect(playAction, &QAction::toggled, this, &TimelineDock::setPlaying);
    // Nothing plays out of sight: closing the Timeline pauses it.
    connect(toggleViewAction(), &QAction::toggled, this, [this](bool open) {
        if (!open)
            playAction->setChecked(false);
    });
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
    view->addAction(firstAction);
    view->addAction(lastAction);
}

const std::vector<SeriesMember>& TimelineDock::members() const
{
    return app()->followControl->follower.seriesMembers();
}

std::optional<std::size_t> TimelineDock::shownPosition() const
{
    return positionOf(app()->fileName);
}

// Members are ordered by index, so the file is looked for among those of its index only.
std::optional<std::size_t> TimelineDock::positionOf(const std::string& name) const
{
    const std::optional<qint64> index = indexOf(name);
    if (!index)
        return std::nullopt;
    const std::vector<SeriesMember>& all = members();
    auto at = std::lower_bound(all.begin(), all.end(), *index,
                               [](const SeriesMember& m, qint64 i) { return m.index < i; });
    for (; at != all.end() && at->index == *index; ++at)
        if (at->name == name)
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
    pictureAwaited = true;
    followPicture();
}

// A canvas out of sight paints nothing: the labels then follow the file at once.
void TimelineDock::followPicture()
{
    const QwgtDisplay* canvas = app()->display;
    if (!pictureAwaited || (canvas->isVisible() && !canvas->showsExactFrame()))
        return;
    pictureAwaited = false;
    pictured = app()->fileName;
    showPosition();
}

// A frame painted in the background is taken into the canvas's picture just before the paint
// that shows it; the labels change right after that paint.
bool TimelineDock::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && pictureAwaited && watched == app()->display)
        QMetaObject::invokeMethod(this, &TimelineDock::followPicture, Qt::QueuedConnection);
    return QDockWidget::eventFilter(watched, event);
}

void TimelineDock::showPosition()
{
    const std::vector<SeriesMember>& all = members();
    const std::optional<std::size_t> position = positionOf(pictured);
    if (position && !slider->isSliderDown()) {
        const QSignalBlocker blocker(slider);
        slider->setValue(int(*position));
    }
    bars->setShown(position);
    const std::optional<qint64> index = indexOf(pictured);
    numberLabel->setText(index ? QStringLiteral("member %1").arg(*index) : QString());
    const auto [missing, missingList] = missingText(changes);
    positionLabel->setToolTip(missingList);
    if (all.empty()) {
        positionLabel->setText(QStringLiteral("no series"));
        return;
    }
    QString text = numbers(quint64(all.front().index), quint64(all.back().index));
    text = position ? QStringLiteral("of %1").arg(text)
                    : QStringLiteral("%1 members, %2").arg(all.size()).arg(text);
    positionLabel->setText(missing.isEmpty() ? text : text + QStringLiteral(", ") + missing);
}

void TimelineDock::reveal()
{
    show();
    raise();
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
    reveal();
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
    const std::optional<qint64> index = indexOf(app()->fileName);
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
