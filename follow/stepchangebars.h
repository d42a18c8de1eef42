#pragma once

#include <QWidget>

#include <cstddef>
#include <optional>
#include <vector>

class StepChanges;

// A bar per member of the series, of what its step changed since the member before it: the
// objects it added (lower part) and removed (upper part) stacked. Heights go by the square root
// of the count against the largest (which fills the height), at least kLeastBar pixels for any
// change, so that a step of a few objects stays visible beside one of ten thousand; a step that
// changed nothing is a one-pixel line, and a member not counted yet, or not countable (its
// tooltip says why), has no bar. Numbers missing from the series (see
// StepChanges::missingBefore) take a hatched slot of their own, one per run of them, between the
// members around them. The member on the canvas has its slot marked. Where slots are more than
// pixels, a column shows the largest of its members. A click on a member's slot goes to it.
class StepChangeBars : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kHeight = 28;
    // The least height of a bar that changed something, pixels.
    static constexpr int kLeastBar = 3;

    // The counts are borrowed: they outlive the bars.
    StepChangeBars(const StepChanges& counts, QWidget* parent);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // The member whose slot covers the x position in pixels (the last slot whose first column is
    // at or before it, the same rounding as the painting's); none over a run of missing numbers.
    std::optional<std::size_t> memberAt(int x) const;
    // The member whose picture the canvas shows, marked; none when it is no member.
    void setShown(std::optional<std::size_t> position);

signals:
    void memberClicked(std::size_t position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // The tooltip names the member under the pointer and what its step added and removed, or why
    // it has no count, or the numbers missing there.
    bool event(QEvent* event) override;

private:
    // A slot is a member, or the run of numbers missing before the member.
    struct Slot {
        std::size_t member;
        bool missing;
    };
    std::vector<Slot> allSlots() const;
    // The slot under the x position, of `count` slots.
    std::size_t slotAt(int x, std::size_t count) const;
    QString missingText(std::size_t before) const;

    const StepChanges& counts;
    std::optional<std::size_t> shown;
};
