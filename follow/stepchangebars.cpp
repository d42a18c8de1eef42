#include "follow/stepchangebars.h"

#include "follow/stepchanges.h"

#include "script/seriesname.h"
#include "script/textfile.h"

#include <QFileInfo>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>

namespace
{

const QColor kAdded(60, 150, 80);
const QColor kRemoved(200, 70, 60);
const QColor kUnchanged(120, 120, 130);
const QColor kMissing(170, 170, 180);
const QColor kShown(255, 228, 160);
const QColor kShownMark(50, 60, 90);
// The strip over the member shown, pixels; bars stay below it, so that it shows over the largest.
constexpr int kMarkHeight = 3;
const QColor kBackground(236, 236, 240);

// The file name of the member at another number of its series, folder left out.
QString nameAt(const std::string& member, quint64 number)
{
    std::string prefix, suffix;
    qint64 index = 0;
    splitSeriesName(member, prefix, index, suffix);
    return QFileInfo(displayName(prefix + std::to_string(number) + suffix)).fileName();
}

} // namespace

StepChangeBars::StepChangeBars(const StepChanges& counts, QWidget* parent)
    : QWidget(parent), counts(counts)
{
    connect(&counts, &StepChanges::countsChanged, this, qOverload<>(&QWidget::update));
}

QSize StepChangeBars::sizeHint() const
{
    return {120, kHeight};
}

void StepChangeBars::setShown(std::optional<std::size_t> position)
{
    if (position != shown) {
        shown = position;
        update();
    }
}

std::vector<StepChangeBars::Slot> StepChangeBars::allSlots() const
{
    std::vector<Slot> all;
    all.reserve(counts.memberCount());
    for (std::size_t i = 0; i < counts.memberCount(); ++i) {
        if (counts.missingBefore(i) > 0)
            all.push_back({i, true});
        all.push_back({i, false});
    }
    return all;
}

std::size_t StepChangeBars::slotAt(int x, std::size_t count) const
{
    const qint64 column = std::clamp(x, 0, width() - 1);
    return std::size_t(((column + 1) * qint64(count) - 1) / width());
}

std::optional<std::size_t> StepChangeBars::memberAt(int x) const
{
    const std::vector<Slot> all = allSlots();
    if (all.empty() || width() <= 0)
        return std::nullopt;
    const Slot& slot = all[slotAt(x, all.size())];
    if (slot.missing)
        return std::nullopt;
    return slot.member;
}

QString StepChangeBars::missingText(std::size_t before) const
{
    const quint64 missing = counts.missingBefore(before);
    const std::string& name = counts.member(before).name;
    const quint64 first = quint64(counts.member(before - 1).index) + counts.numberStride();
    if (missing == 1)
        return QStringLiteral("%1: missing").arg(nameAt(name, first));
    const quint64 last = quint64(counts.member(before).index) - counts.numberStride();
    return QStringLiteral("%1 to %2: %3 missing")
        .arg(nameAt(name, first), nameAt(name, last))
        .arg(missing);
}

// Slot j covers the columns from j * width / slots on: one column per slot or more when they are
// few. Where they are many, the members are painted from the smallest count to the largest, so
// that a column shows the largest of those that share it.
void StepChangeBars::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    const std::vector<Slot> all = allSlots();
    if (all.empty() || width() <= 0)
        return;
    const auto columns = [&](std::size_t j) {
        const qint64 first = qint64(j) * width() / qint64(all.size());
        const qint64 end = std::max(qint64(j + 1) * width() / qint64(all.size()), first + 1);
        const int span = int(end - first);
        // A gap of one pixel between slots, when slots are three pixels wide or more.
        return std::make_pair(int(first), span > 2 ? span - 1 : span);
    };
    std::vector<std::size_t> order(all.size());
    std::iota(order.begin(), order.end(), 0);
    std::size_t largest = 1;
    for (std::size_t i = 1; i < counts.memberCount(); ++i)
        if (const std::optional<StepCount> count = counts.count(i); count && count->counted())
            largest = std::max(largest, count->total());
    const auto total = [&](std::size_t j) -> qint64 {
        if (all[j].missing)
            return -2;
        const std::optional<StepCount> count = counts.count(all[j].member);
        return count && count->counted() ? qint64(count->total()) : -1;
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return total(a) < total(b); });
    const int room = height() - 2 - kMarkHeight;
    for (const std::size_t j : order) {
        const auto [left, span] = columns(j);
        if (all[j].member == shown && !all[j].missing) {
            painter.fillRect(left, 0, span, height(), kShown);
            painter.fillRect(left, 0, span, kMarkHeight, kShownMark);
        }
        if (all[j].missing) {
            painter.fillRect(left, 1, span, height() - 2, QBrush(kMissing, Qt::BDiagPattern));
            continue;
        }
        const std::optional<StepCount> count = counts.count(all[j].member);
        if (!count || !count->counted() || all[j].member == 0)
            continue;
        if (count->total() == 0) {
            painter.fillRect(left, height() - 2, span, 1, kUnchanged);
            continue;
        }
        const double share = std::sqrt(double(count->total()) / double(largest));
        const int bar = std::clamp(int(std::lround(share * room)), kLeastBar, room);
        // The added part in proportion, each part that is not empty at least a pixel.
        int added = int(std::lround(double(bar) * double(count->added) / double(count->total())));
        if (count->added > 0)
            added = std::max(added, 1);
        if (count->removed > 0)
            added = std::min(added, bar - 1);
        const int bottom = height() - 1;
        painter.fillRect(left, bottom - added, span, added, kAdded);
        painter.fillRect(left, bottom - bar, span, bar - added, kRemoved);
    }
}

bool StepChangeBars::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip || counts.memberCount() == 0 || width() <= 0)
        return QWidget::event(event);
    const std::vector<Slot> all = allSlots();
    const Slot& slot = all[slotAt(static_cast<QHelpEvent*>(event)->pos().x(), all.size())];
    const std::size_t position = slot.member;
    const QString name = QFileInfo(displayName(counts.member(position).name)).fileName();
    const std::optional<StepCount> count = counts.count(position);
    QString text;
    if (slot.missing)
        text = missingText(position);
    else if (position == 0)
        text = QStringLiteral("%1: the first member").arg(name);
    else if (!count)
        text = QStringLiteral("%1: not counted yet").arg(name);
    else if (!count->counted())
        text = QStringLiteral("%1: no count: %2").arg(name, count->failure);
    else
        text = QStringLiteral("%1: +%2 \u2212%3").arg(name).arg(count->added).arg(count->removed);
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text, this);
    return true;
}

void StepChangeBars::mousePressEvent(QMouseEvent* event)
{
    const std::optional<std::size_t> member =
        event->button() == Qt::LeftButton ? memberAt(int(event->position().x())) : std::nullopt;
    if (!member) {
        QWidget::mousePressEvent(event);
        return;
    }
    emit memberClicked(*member);
}
