#include "follow/stepchangebars.h"

#include "follow/stepchanges.h"

#include "script/textfile.h"

#include <QFileInfo>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

const QColor kBar(70, 90, 160);
const QColor kBackground(236, 236, 240);

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

std::size_t StepChangeBars::memberAt(int x) const
{
    const std::size_t n = counts.memberCount();
    if (n == 0 || width() <= 0)
        return 0;
    const qint64 column = std::clamp(x, 0, width() - 1);
    return std::size_t(((column + 1) * qint64(n) - 1) / width());
}

// Member i covers the columns from i * width / n on: one column per member or more when they are
// few, the largest count of the members sharing a column when they are many.
void StepChangeBars::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    const std::size_t n = counts.memberCount();
    if (n < 2 || width() <= 0)
        return;
    std::vector<std::size_t> columns(std::size_t(width()), 0);
    std::vector<qint64> firstColumn(n + 1);
    for (std::size_t i = 0; i <= n; ++i)
        firstColumn[i] = qint64(i) * width() / qint64(n);
    std::size_t largest = 0;
    for (std::size_t i = 1; i < n; ++i) {
        const std::optional<StepCount> count = counts.count(i);
        if (!count || !count->counted())
            continue;
        largest = std::max(largest, count->total());
        const qint64 end = std::max(firstColumn[i + 1], firstColumn[i] + 1);
        for (qint64 x = firstColumn[i]; x < end && x < width(); ++x)
            columns[std::size_t(x)] = std::max(columns[std::size_t(x)], count->total() + 1);
    }
    if (largest == 0)
        largest = 1;
    const int room = height() - 2;
    for (int x = 0; x < width(); ++x) {
        const std::size_t value = columns[std::size_t(x)];
        if (value == 0)
            continue;
        // A counted step that changed nothing still shows a one-pixel line: it was counted.
        const int bar = std::max(1, int(std::lround(double(value - 1) / double(largest) * room)));
        // A gap of one pixel between bars, when bars are three pixels wide or more.
        int left = x;
        while (x + 1 < width() && columns[std::size_t(x + 1)] == value &&
               memberAt(x + 1) == memberAt(left))
            ++x;
        const int span = x - left + 1;
        painter.fillRect(left, height() - 1 - bar, span > 2 ? span - 1 : span, bar, kBar);
    }
}

bool StepChangeBars::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip || counts.memberCount() == 0)
        return QWidget::event(event);
    const std::size_t position = memberAt(static_cast<QHelpEvent*>(event)->pos().x());
    const QString name = QFileInfo(displayName(counts.member(position).name)).fileName();
    const std::optional<StepCount> count = counts.count(position);
    QString text;
    if (position == 0)
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
    if (event->button() != Qt::LeftButton || counts.memberCount() == 0) {
        QWidget::mousePressEvent(event);
        return;
    }
    emit memberClicked(memberAt(int(event->position().x())));
}
