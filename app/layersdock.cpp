#include "app/layersdock.h"

#include "app/displayfilter.h"
#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "render/sharedstyles.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

const QString LayersDock::kNoColorName = QStringLiteral("(no colour)");

namespace
{

constexpr int kSwatchSize = 12;
// The rows the table shows at least when the dock opens, where the window has the room (at
// 1280 x 800 beside the other two docks, it has for eight).
constexpr int kRowsShown = 8;
// The field's frame and clear button around its placeholder.
constexpr int kFieldChrome = 48;

// A row that sorts by its count as a number in the count column.
class LayerRow : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override
    {
        if (treeWidget() && treeWidget()->sortColumn() == LayersDock::CountColumn)
            return data(LayersDock::CountColumn, Qt::UserRole).toULongLong() <
                   other.data(LayersDock::CountColumn, Qt::UserRole).toULongLong();
        return QTreeWidgetItem::operator<(other);
    }
};

} // namespace

std::vector<LayersDock::Layer> LayersDock::countLayers()
{
    // The words are counted by views into the objects' own strings: no string is copied per
    // object.
    std::unordered_map<std::string_view, std::size_t> counts;
    for (const paintObject* object : DrawingModel::instance()->objects)
        ++counts[object->colorName];
    std::vector<std::pair<std::string_view, std::size_t>> words(counts.begin(), counts.end());
    std::sort(words.begin(), words.end());
    std::vector<Layer> layers;
    Layer unresolved{kNoColorName, QColor(), {}, 0};
    const ViewerApp* app = ViewerApp::instance();
    for (const auto& [word, count] : words) {
        std::string name(word);
        const QColor color = app->colorOf(name);
        if (!color.isValid()) {
            unresolved.words.push_back(std::move(name));
            unresolved.count += count;
            continue;
        }
        layers.push_back(Layer{QString::fromLatin1(word.data(), static_cast<int>(word.size())),
                               color,
                               {std::move(name)},
                               count});
    }
    if (unresolved.count > 0)
        layers.push_back(std::move(unresolved));
    return layers;
}

LayersDock::LayersDock(QMainWindow* window) : QDockWidget(QStringLiteral("Layers"), window)
{
    setObjectName(QStringLiteral("layersDock"));
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);

    field = new QLineEdit(panel);
    field->setPlaceholderText(QStringLiteral("Display filter, e.g. path:net==clk; rect:layer==1"));
    field->setClearButtonEnabled(true);
    // A line edit keeps 32,767 characters unless told otherwise, and would cut a longer filter
    // without a word.
    field->setMaxLength(std::numeric_limits<int>::max());
    problem = new QLabel(panel);
    problem->setWordWrap(true);
    problem->hide();
    pending = new QLabel(QStringLiteral("Not in force yet: Enter applies it"), panel);
    pending->setWordWrap(true);
    pending->hide();
    // A run over a million objects takes seconds: the bar shows how far it is, Esc stops it.
    progress = new QProgressBar(panel);
    progress->setFormat(QStringLiteral("Filtering %p%, Esc cancels"));
    progress->hide();
    dimBox = new QCheckBox(QStringLiteral("Dim the rest"), panel);
    filter = new DisplayFilter(this);

    rows = new QTreeWidget(panel);
    rows->setColumnCount(2);
    rows->setHeaderLabels({QStringLiteral("Colour"), QStringLiteral("Objects")});
    rows->setRootIsDecorated(false);
    rows->setSortingEnabled(true);
    rows->sortByColumn(CountColumn, Qt::DescendingOrder);
    rows->setContextMenuPolicy(Qt::CustomContextMenu);
    rows->setIconSize(QSize(kSwatchSize, kSwatchSize));

    auto* buttons = new QHBoxLayout;
    auto* showAllButton = new QPushButton(QStringLiteral("Show All"), panel);
    auto* hideAllButton = new QPushButton(QStringLiteral("Hide All"), panel);
    auto* invertButton = new QPushButton(QStringLiteral("Invert"), panel);
    buttons->addWidget(showAllButton);
    buttons->addWidget(hideAllButton);
    buttons->addWidget(invertButton);

    layout->addWidget(field);
    layout->addWidget(problem);
    layout->addWidget(pending);
    layout->addWidget(progress);
    layout->addWidget(dimBox);
    layout->addWidget(rows);
    layout->addLayout(buttons);
    setWidget(panel);

    connect(showAllButton, &QPushButton::clicked, this, &LayersDock::showAll);
    connect(hideAllButton, &QPushButton::clicked, this, &LayersDock::hideAll);
    connect(invertButton, &QPushButton::clicked, this, &LayersDock::invert);
    connect(rows, &QTreeWidget::itemChanged, this, &LayersDock::rowChanged);
    connect(rows, &QTreeWidget::customContextMenuRequested, this, &LayersDock::showRowMenu);
    // The field says at once whether a text is usable; Enter puts a usable one in force.
    connect(field, &QLineEdit::textChanged, this, &LayersDock::fieldEdited);
    connect(field, &QLineEdit::returnPressed, this, [this] { filter->apply(field->text()); });
    connect(
        filter, &DisplayFilter::progressed, this, [this](std::size_t tested, std::size_t total) {
            // Per mille, so that a count of millions fits the bar's int.
            progress->setRange(0, 1000);
            progress->setValue(static_cast<int>(tested * 1000 / std::max<std::size_t>(1, total)));
            progress->show();
            pending->hide();
        });
    connect(filter, &DisplayFilter::changed, this, &LayersDock::showFieldState);
    connect(filter, &DisplayFilter::stopped, this, &LayersDock::revertField);
    connect(dimBox, &QCheckBox::toggled, filter, &DisplayFilter::setDimTheRest);
    // Counting a million objects takes a few tens of milliseconds: only a dock that shows pays.
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible) {
            fillRows();
            // Once the window has laid the dock out.
            QTimer::singleShot(0, this, &LayersDock::giveRoom);
        }
    });
}

void LayersDock::fieldEdited(const QString& text)
{
    // The clear button, or the last character deleted: no filter, at once.
    if (text.isEmpty() && !filter->text().isEmpty())
        filter->apply(QString());
    showFieldState();
}

void LayersDock::showFieldState()
{
    const QString words = DisplayFilter::problemWith(field->text());
    problem->setText(words);
    problem->setVisible(!words.isEmpty());
    pending->setVisible(words.isEmpty() && field->text() != filter->text());
    if (!filter->busy())
        progress->hide();
}

void LayersDock::revertField()
{
    field->setText(filter->text());
    showFieldState();
}

void LayersDock::giveRoom()
{
    auto* window = qobject_cast<QMainWindow*>(parentWidget());
    if (!window || isFloating() || !isVisible())
        return;
    const int wantedWidth = width() - field->width() +
                            field->fontMetrics().horizontalAdvance(field->placeholderText()) +
                            kFieldChrome;
    if (width() < wantedWidth)
        window->resizeDocks({this}, {wantedWidth}, Qt::Horizontal);
    const int rowHeight = std::max(rows->sizeHintForRow(0), rows->fontMetrics().height());
    const int missing = rowHeight * kRowsShown - rows->viewport()->height();
    if (missing > 0)
        window->resizeDocks({this}, {height() + missing}, Qt::Vertical);
}

LayersDock::~LayersDock() = default;

void LayersDock::addViewMenuEntries(QMenu* view)
{
    QAction* toggle = toggleViewAction();
    // L belongs to the canvas, as its other single keys do: elsewhere a letter types or finds.
    toggle->setShortcut(QKeySequence(Qt::Key_L));
    toggle->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    ViewerApp::instance()->display->addAction(toggle);
    view->addAction(toggle);
    QAction* filterAction = view->addAction(QStringLiteral("Display Filter"));
    filterAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    connect(filterAction, &QAction::triggered, this, &LayersDock::focusFilter);
}

void LayersDock::focusFilter()
{
    show();
    raise();
    field->setFocus();
    field->selectAll();
}

void LayersDock::afterLoad(bool kept)
{
    if (!kept)
        hiddenNames.clear();
    layersStale = true;
    if (isVisible())
        fillRows();
    handOverHidden();
    filter->afterLoad(kept);
    if (!kept)
        revertField();
    else
        showFieldState();
}

void LayersDock::countIfStale()
{
    if (layersStale)
        layers = countLayers();
    layersStale = false;
}

void LayersDock::fillRows()
{
    countIfStale();
    const QSignalBlocker quiet(rows);
    rows->setSortingEnabled(false);
    rows->clear();
    for (const Layer& layer : layers) {
        auto* row = new LayerRow(rows);
        row->setText(NameColumn, layer.name);
        row->setIcon(NameColumn, SharedStyles::colorIcon(layer.color, kSwatchSize, kSwatchSize));
        row->setText(CountColumn, QString::number(layer.count));
        row->setData(CountColumn, Qt::UserRole, QVariant::fromValue<qulonglong>(layer.count));
        row->setTextAlignment(CountColumn, Qt::AlignRight | Qt::AlignVCenter);
        row->setCheckState(NameColumn,
                           hiddenNames.count(layer.name) != 0 ? Qt::Unchecked : Qt::Checked);
    }
    rows->setSortingEnabled(true);
}

const LayersDock::Layer* LayersDock::layerNamed(const QString& name) const
{
    const auto found = std::find_if(layers.begin(), layers.end(),
                                    [&name](const Layer& layer) { return layer.name == name; });
    return found != layers.end() ? &*found : nullptr;
}

void LayersDock::handOverHidden()
{
    if (!hiddenNames.empty())
        countIfStale();
    std::unordered_set<std::string> words;
    for (const QString& name : hiddenNames) {
        if (const Layer* layer = layerNamed(name))
            words.insert(layer->words.begin(), layer->words.end());
    }
    DrawingModel::instance()->setColorsHidden(words);
}

void LayersDock::applyHidden()
{
    handOverHidden();
    if (QwgtDisplay* display = ViewerApp::instance()->display)
        display->repaint();
}

void LayersDock::setLayerShown(const QString& name, bool shown)
{
    if (shown)
        hiddenNames.erase(name);
    else
        hiddenNames.insert(name);
    const QSignalBlocker quiet(rows);
    for (int i = 0; i < rows->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = rows->topLevelItem(i);
        if (row->text(NameColumn) == name)
            row->setCheckState(NameColumn, shown ? Qt::Checked : Qt::Unchecked);
    }
    applyHidden();
}

void LayersDock::rowChanged(QTreeWidgetItem* item, int column)
{
    if (column == NameColumn)
        setLayerShown(item->text(NameColumn), item->checkState(NameColumn) == Qt::Checked);
}

void LayersDock::showAll()
{
    hiddenNames.clear();
    fillRows();
    applyHidden();
}

void LayersDock::hideAll()
{
    countIfStale();
    for (const Layer& layer : layers)
        hiddenNames.insert(layer.name);
    fillRows();
    applyHidden();
}

void LayersDock::invert()
{
    countIfStale();
    std::set<QString> inverted;
    for (const Layer& layer : layers) {
        if (hiddenNames.count(layer.name) == 0)
            inverted.insert(layer.name);
    }
    hiddenNames.swap(inverted);
    fillRows();
    applyHidden();
}

void LayersDock::showRowMenu(const QPoint& position)
{
    const QTreeWidgetItem* row = rows->itemAt(position);
    if (!row)
        return;
    const QString name = row->text(NameColumn);
    QMenu menu(this);
    // Only what is shown is listed: a hidden object selected in the explorer would highlight
    // nothing on the canvas.
    QAction* list = menu.addAction(QStringLiteral("List Shown in Item Explorer"), this,
                                   [this, name] { listRow(name); });
    if (row->checkState(NameColumn) != Qt::Checked) {
        list->setText(QStringLiteral("List in Item Explorer (colour hidden)"));
        list->setEnabled(false);
    }
    menu.exec(rows->viewport()->mapToGlobal(position));
}

void LayersDock::listRow(const QString& name)
{
    countIfStale();
    const Layer* layer = layerNamed(name);
    if (!layer)
        return;
    const std::unordered_set<std::string_view> words(layer->words.begin(), layer->words.end());
    std::vector<paintObject*> listed;
    for (paintObject* object : DrawingModel::instance()->objects) {
        if (object->visible && words.count(object->colorName) != 0)
            listed.push_back(object);
    }
    // Named apart from the kinds and "[picked]", so that no colour word stands for one of them.
    // The same row listed again may show other objects now: the listing is made anew.
    ViewerApp* app = ViewerApp::instance();
    app->listedName.clear();
    app->commands.listObjects("colour " + name.toStdString(), listed);
}
