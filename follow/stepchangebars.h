#pragma once

#include <QWidget>

#include <cstddef>

class StepChanges;

// A bar per member of the series, as high as the count of objects it added and removed since the
// member before it (the largest count fills the height), so that the steps where much happened
// stand out; a member not counted yet, or not countable (its tooltip says why), has no bar. Where
// members are more than pixels, a column shows the largest of its members. A click goes to the
// member under it.
class StepChangeBars : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kHeight = 28;

    // The counts are borrowed: they outlive the bars.
    StepChangeBars(const StepChanges& counts, QWidget* parent);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // The member whose bar covers the x position in pixels: the last one whose first column is at
    // or before it, the same rounding as the painting's.
    std::size_t memberAt(int x) const;

signals:
    void memberClicked(std::size_t position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // The tooltip names the member under the pointer and what its step added and removed, or why
    // it has no count.
    bool event(QEvent* event) override;

private:
    const StepChanges& counts;
};
