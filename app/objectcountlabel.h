#pragma once

#include <QLabel>

#include <cstddef>

// The status bar's object count: "N objects" while every object is shown in full, "N of M shown"
// while some are hidden (by the display filter, the Layers dock, a kind's Hide all or Changes
// Only), with how many are drawn dimmed when some are. It counts again whenever the canvas it
// watches paints a scene that changed, so that whatever hides objects keeps it true.
class ObjectCountLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ObjectCountLabel(QWidget* parent = nullptr);
    ~ObjectCountLabel() override;

    // Counts the objects of the drawing model the next time the watched canvas paints.
    void watch(QWidget* canvas);
    // Counts them now, unless the scene is the one counted last.
    void refresh();

    // The text for `shown` objects of `total` drawn, `dimmed` of them paled.
    static QString countText(std::size_t shown, std::size_t total, std::size_t dimmed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The scene generation and object count last counted; none at first.
    unsigned long long countedGeneration = ~0ULL;
    std::size_t countedTotal = ~std::size_t(0);
};
