#include "app/displayfilter.h"
#include "app/layersdock.h"
#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "canvas/scenepicture.h"
#include "canvas/undercursor.h"
#include "follow/followcontrol.h"
#include "handlers/paintobjecthandler.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "support/testapp.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QProgressBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <algorithm>

namespace
{

// Six objects, one rectangle's width apart along y 0..10: file colours, a redefined built-in,
// a numbered colour and two words that name no colour.
const QByteArray kDrawing = "color mine 10 20 30\n"
                            "color red 0 0 200\n"
                            "property rect w double 0\n"
                            "property rect net string none\n"
                            "property pt net string none\n"
                            "endheader\n"
                            "rect 0 0 10 10 mine w 1 net a\n"
                            "rect 20 0 30 10 red w 5 net clk\n"
                            "rect 40 0 50 10 3 w 2\n"
                            "rect 60 0 70 10 nosuch w 7 net clk\n"
                            "pt 85 5 zz 0 net clk\n"
                            "rect 100 0 110 10 red\n";
constexpr int kObjects = 6;

LayersDock* dock()
{
    return ViewerApp::instance()->layersDock;
}

// The canvas pixel at the middle of object i.
QPoint middleOf(int i)
{
    const paintObject* object = DrawingModel::instance()->objects[i];
    const ViewerApp* app = ViewerApp::instance();
    return {app->pixelX((object->minX + object->maxX) / 2),
            app->pixelY((object->minY + object->maxY) / 2)};
}

QImage canvasImage()
{
    return ViewerApp::instance()->display->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage exportedImage()
{
    ViewerApp* app = ViewerApp::instance();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ScenePicture picture;
    if (!picture.write(&buffer, ScenePicture::Format::Png, app->sceneView(app->display->size()),
                       QString()))
        return {};
    return QImage::fromData(buffer.data()).convertToFormat(QImage::Format_RGB32);
}

// The status bar's count.
QString countShown()
{
    return ViewerApp::instance()->objectCountLabel->text();
}

void applyFilter(const QString& text)
{
    dock()->filterField()->setText(text);
    emit dock()->filterField()->returnPressed();
}

} // namespace

class TestLayers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void countsPerColour();
    void hiddenIsHiddenEverywhere_data();
    void hiddenIsHiddenEverywhere();
    void unusableFilterKeepsTheLastGood_data();
    void unusableFilterKeepsTheLastGood();
    void dimTheRestPalesTheOthers();
    void keptAcrossAReload_data();
    void keptAcrossAReload();
    void longFilterRunsInChunksAndEscCancels();
    void fieldShowsTheFilterInForce();
    void rowMenuListsWhatIsShown();
    void dockOpensWithRoomForItsRows();
};

void TestLayers::init()
{
    testapp::resetApplication();
    QVERIFY(testapp::showCanvasAt(QSize(400, 300)));
    testapp::loadText(kDrawing);
    ViewerApp* app = ViewerApp::instance();
    app->originX = 10;
    app->originY = 200;
    app->ratio = 2;
    dock()->show();
}

void TestLayers::cleanup()
{
    dock()->showAll();
    dock()->dimTheRestBox()->setChecked(false);
    applyFilter(QString());
    ViewerApp::instance()->followControl->keepInvestigationAction->setChecked(false);
}

void TestLayers::countsPerColour()
{
    const std::vector<LayersDock::Layer> layers = LayersDock::countLayers();
    QStringList rows;
    for (const LayersDock::Layer& layer : layers)
        rows << QStringLiteral("%1 %2 %3").arg(layer.name).arg(layer.count).arg(layer.color.name());
    // The file's colours win over the built-in ones; the unknown words share one row.
    QCOMPARE(rows, QStringList({"3 1 #ff00ff", "mine 1 #0a141e", "red 2 #0000c8",
                                LayersDock::kNoColorName + " 2 #000000"}));
    QTreeWidget* table = dock()->table();
    QCOMPARE(table->topLevelItemCount(), 4);
    // Sorted by count, then by name with a click on the header.
    QCOMPARE(table->topLevelItem(0)->text(LayersDock::CountColumn), QStringLiteral("2"));
    table->sortByColumn(LayersDock::NameColumn, Qt::AscendingOrder);
    QCOMPARE(table->topLevelItem(1)->text(LayersDock::NameColumn), QStringLiteral("3"));
    table->sortByColumn(LayersDock::CountColumn, Qt::DescendingOrder);
}

void TestLayers::hiddenIsHiddenEverywhere_data()
{
    QTest::addColumn<QStringList>("hiddenLayers");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("hiddenKind");
    QTest::addColumn<QList<int>>("hidden");
    // Once the kind is shown again.
    QTest::addColumn<QList<int>>("stillHidden");
    const QStringList none;
    QTest::newRow("nothing") << none << QString() << QString() << QList<int>{} << QList<int>{};
    QTest::newRow("redefined built-in")
        << QStringList{"red"} << QString() << QString() << QList<int>{1, 5} << QList<int>{};
    QTest::newRow("unknown words") << QStringList{LayersDock::kNoColorName} << QString()
                                   << QString() << QList<int>{3, 4} << QList<int>{};
    QTest::newRow("double condition, other kinds hidden")
        << none << "rect:w>=2" << QString() << QList<int>{0, 4, 5} << QList<int>{};
    QTest::newRow("string conditions, a clause per kind")
        << none << "rect:net==clk; pt:net==clk" << QString() << QList<int>{0, 2, 5} << QList<int>{};
    QTest::newRow("a clause after 32,760 blanks")
        << none << "rect:net==clk;" + QString(32760, QLatin1Char(' ')) + "pt:net==clk" << QString()
        << QList<int>{0, 2, 5} << QList<int>{};
    QTest::newRow("either conjunction")
        << none << "rect:w<2||net==clk" << QString() << QList<int>{2, 4} << QList<int>{};
    QTest::newRow("not equal, defaults included")
        << none << "pt:net!=a;rect:net!=clk" << QString() << QList<int>{1, 3} << QList<int>{};
    QTest::newRow("colour and filter") << QStringList{"red"} << "rect:net==clk" << QString()
                                       << QList<int>{0, 1, 2, 4, 5} << QList<int>{};
    QTest::newRow("kind and colour")
        << QStringList{"mine"} << QString() << "pt" << QList<int>{0, 4} << QList<int>{0};
    QTest::newRow("kind and filter") << none << "pt:net==clk;rect:w>1"
                                     << "rect" << QList<int>{0, 1, 2, 3, 5} << QList<int>{0, 5};
}

// What is hidden is absent from the canvas, the exported picture, the under-cursor list and the
// rubber band; every object still counts for fitting.
void TestLayers::hiddenIsHiddenEverywhere()
{
    QFETCH(QStringList, hiddenLayers);
    QFETCH(QString, filter);
    QFETCH(QString, hiddenKind);
    QFETCH(QList<int>, hidden);
    QFETCH(QList<int>, stillHidden);
    ViewerApp* app = ViewerApp::instance();
    DrawingModel* model = DrawingModel::instance();
    for (const QString& layer : hiddenLayers)
        dock()->setLayerShown(layer, false);
    applyFilter(filter);
    QCOMPARE(dock()->displayFilter()->text(), filter);
    if (!hiddenKind.isEmpty())
        model->handlers.at(hiddenKind.toStdString())->hideAllObject();
    const QImage canvas = canvasImage();
    QCOMPARE(countShown(), hidden.isEmpty()
                               ? QStringLiteral("6 objects")
                               : QStringLiteral("%1 of 6 shown").arg(kObjects - hidden.size()));
    // The picture has no fix marker: the two are compared where the objects lie.
    const QImage exported = exportedImage();
    QCOMPARE(exported.size(), canvas.size());
    app->pickRect[0] = 0;
    app->pickRect[1] = 299;
    app->pickRect[2] = 399;
    app->pickRect[3] = 0;
    app->display->pickInRect();
    for (int i = 0; i < kObjects; ++i) {
        paintObject* object = model->objects[i];
        const bool shown = !hidden.contains(i);
        QCOMPARE(object->visible, shown);
        const std::vector<paintObject*> under = UnderCursor::objectsAt(middleOf(i)).topmostFirst;
        QCOMPARE(std::count(under.begin(), under.end(), object), shown ? 1 : 0);
        QCOMPARE(std::count(app->pickedList.begin(), app->pickedList.end(), object), shown ? 1 : 0);
        QCOMPARE(exported.pixelColor(middleOf(i)), canvas.pixelColor(middleOf(i)));
        if (object->colorName != "nosuch" && object->colorName != "zz")
            QCOMPARE(canvas.pixelColor(middleOf(i)) == QColor(Qt::white), !shown);
    }
    // Showing the kind again leaves the colours and the filter hiding what they hide.
    if (!hiddenKind.isEmpty()) {
        model->handlers.at(hiddenKind.toStdString())->showAllObject();
        for (int i = 0; i < kObjects; ++i)
            QCOMPARE(model->objects[i]->visible, !stillHidden.contains(i));
    }
    app->fitToView();
    QCOMPARE(app->worldX(0) <= 0 && app->worldX(app->display->width()) >= 110, true);
    dock()->showAll();
    applyFilter(QString());
    if (!hiddenKind.isEmpty())
        model->handlers.at(hiddenKind.toStdString())->showAllObject();
    for (const paintObject* object : model->objects)
        QVERIFY(object->visible && !object->dimmed);
    canvasImage();
    QCOMPARE(countShown(), QStringLiteral("6 objects"));
}

void TestLayers::unusableFilterKeepsTheLastGood_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("problem");
    const QString unusable = QStringLiteral("wrong format, no such type, or no such property");
    QTest::newRow("no type") << "w>=2" << unusable;
    QTest::newRow("no such type") << "square:w>=2" << unusable;
    QTest::newRow("no operand") << "rect:w>=" << unusable;
    QTest::newRow("no property name") << "rect:==clk" << unusable;
    QTest::newRow("two colons") << "rect:w>1:pt" << unusable;
    QTest::newRow("a kind twice") << "rect:w>1; rect:w<3"
                                  << "rect has two clauses: join their conditions with ||";
    // It would never hold: the whole kind would vanish.
    QTest::newRow("undeclared property") << "rect:wdth>=2"
                                         << "no such property: rect declares no wdth";
    QTest::newRow("another kind's property, after an alternative")
        << "pt:net==clk||w>1"
        << "no such property: pt declares no w";
}

void TestLayers::unusableFilterKeepsTheLastGood()
{
    QFETCH(QString, text);
    QFETCH(QString, problem);
    applyFilter("rect:w>=5");
    const unsigned long long generation = DrawingModel::instance()->sceneGeneration;
    QVERIFY(!dock()->filterProblem()->isVisibleTo(dock()));
    applyFilter(text);
    QCOMPARE(dock()->filterProblem()->text(), problem);
    QVERIFY(dock()->filterProblem()->isVisibleTo(dock()));
    QCOMPARE(dock()->displayFilter()->text(), QStringLiteral("rect:w>=5"));
    QCOMPARE(DrawingModel::instance()->sceneGeneration, generation);
}

// The rest is drawn a quarter of the way from white to its colour, its grey outline too; the
// matches as they are.
void TestLayers::dimTheRestPalesTheOthers()
{
    dock()->dimTheRestBox()->setChecked(true);
    applyFilter("rect:w>=5");
    const QImage canvas = canvasImage();
    const QImage exported = exportedImage();
    QCOMPARE(countShown(), QStringLiteral("6 objects, 4 dimmed"));
    const ViewerApp* app = ViewerApp::instance();
    for (const QImage& image : {canvas, exported}) {
        QCOMPARE(image.pixelColor(middleOf(0)), QColor(194, 197, 199));
        QCOMPARE(image.pixelColor(middleOf(1)), QColor(0, 0, 200));
        QCOMPARE(image.pixelColor(middleOf(2)), QColor(255, 192, 255));
        // The upper left corners: rectangle 0 dimmed, rectangle 1 matched.
        QCOMPARE(image.pixelColor(app->pixelX(0), app->pixelY(10)), QColor(217, 217, 217));
        QCOMPARE(image.pixelColor(app->pixelX(20), app->pixelY(10)), QColor(100, 100, 100));
    }
    dock()->dimTheRestBox()->setChecked(false);
    QCOMPARE(canvasImage().pixelColor(middleOf(0)), QColor(Qt::white));
}

void TestLayers::keptAcrossAReload_data()
{
    QTest::addColumn<bool>("keep");
    QTest::newRow("kept") << true;
    QTest::newRow("not kept") << false;
}

void TestLayers::keptAcrossAReload()
{
    QFETCH(bool, keep);
    ViewerApp* app = ViewerApp::instance();
    app->followControl->keepInvestigationAction->setChecked(keep);
    dock()->setLayerShown("mine", false);
    applyFilter("rect:w>=2");
    app->reloadAction->trigger();
    QVERIFY(testapp::waitForLoad());
    QVERIFY(!dock()->displayFilter()->busy());
    QCOMPARE(dock()->displayFilter()->text(), keep ? QStringLiteral("rect:w>=2") : QString());
    QCOMPARE(dock()->filterField()->text(), dock()->displayFilter()->text());
    QVERIFY(!dock()->filterPending()->isVisibleTo(dock()));
    const DrawingModel::ObjectList& objects = DrawingModel::instance()->objects;
    QCOMPARE(int(objects.size()), kObjects);
    const QList<bool> shown = {!keep, true, true, true, !keep, !keep};
    for (int i = 0; i < kObjects; ++i)
        QCOMPARE(objects[i]->visible, shown[i]);
    const QTreeWidgetItem* mine =
        dock()->table()->findItems("mine", Qt::MatchExactly, LayersDock::NameColumn).value(0);
    QVERIFY(mine);
    QCOMPARE(mine->checkState(LayersDock::NameColumn), keep ? Qt::Unchecked : Qt::Checked);
}

// A filter over more objects than a chunk tests goes on between events; Esc stops it and leaves
// the filter in force as it was.
void TestLayers::longFilterRunsInChunksAndEscCancels()
{
    const int count = int(DisplayFilter::kTestsPerChunk) + 1000;
    QByteArray text = "property rect w double 0\nendheader\n";
    for (int i = 0; i < count; ++i)
        text += QByteArray("rect 0 0 1 1 red w ") + QByteArray::number(i) + '\n';
    testapp::loadText(text);
    DisplayFilter* filter = dock()->displayFilter();
    ViewerApp* app = ViewerApp::instance();
    applyFilter("rect:w<10");
    QVERIFY(filter->busy());
    QTRY_VERIFY(dock()->filterProgress()->isVisibleTo(dock()));
    QVERIFY(filter->busy());
    // The wheel zooms the drawing as it is shown meanwhile.
    const double ratio = app->ratio;
    const QPoint inside(50, 50);
    QWheelEvent wheel(inside, app->display->mapToGlobal(inside), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(app->display, &wheel);
    QVERIFY(app->ratio != ratio);
    QVERIFY(filter->busy());
    QTest::keyClick(app->display, Qt::Key_Escape);
    QVERIFY(!filter->busy());
    QCOMPARE(filter->text(), QString());
    // The field shows the filter in force again.
    QCOMPARE(dock()->filterField()->text(), QString());
    QVERIFY(!dock()->filterProgress()->isVisibleTo(dock()));
    const DrawingModel::ObjectList& objects = DrawingModel::instance()->objects;
    QVERIFY(std::all_of(objects.begin(), objects.end(),
                        [](const paintObject* object) { return object->visible; }));
    applyFilter("rect:w<10");
    QTRY_VERIFY(!filter->busy());
    QCOMPARE(filter->text(), QStringLiteral("rect:w<10"));
    QCOMPARE(std::count_if(objects.begin(), objects.end(),
                           [](const paintObject* object) { return object->visible; }),
             10);
}

// Text typed and not entered is marked as not in force; emptying the field, as its clear button
// does, takes the filter off at once.
void TestLayers::fieldShowsTheFilterInForce()
{
    QLineEdit* field = dock()->filterField();
    applyFilter("rect:w>=5");
    QVERIFY(!dock()->filterPending()->isVisibleTo(dock()));
    QTest::keyClicks(field, "x");
    QVERIFY(dock()->filterPending()->isVisibleTo(dock()));
    QCOMPARE(dock()->displayFilter()->text(), QStringLiteral("rect:w>=5"));
    auto* clear = field->findChild<QToolButton*>();
    QVERIFY(clear);
    QTest::mouseClick(clear, Qt::LeftButton);
    QCOMPARE(dock()->displayFilter()->text(), QString());
    QVERIFY(!dock()->filterPending()->isVisibleTo(dock()));
    canvasImage();
    QCOMPARE(countShown(), QStringLiteral("6 objects"));
}

// "List in Item Explorer" lists the row's objects that are shown, and none of a hidden row.
void TestLayers::rowMenuListsWhatIsShown()
{
    ViewerApp* app = ViewerApp::instance();
    applyFilter("rect:w>=5");
    QTreeWidget* table = dock()->table();
    const auto openMenu = [table](bool listEnabled) {
        QTreeWidgetItem* red = table->findItems("red", Qt::MatchExactly, LayersDock::NameColumn)[0];
        const QPoint at = table->visualItemRect(red).center();
        bool enabled = !listEnabled;
        QTimer::singleShot(0, [&enabled] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QAction* list = menu->actions().value(0);
            enabled = list->isEnabled();
            if (enabled)
                list->trigger();
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, table->viewport()->mapToGlobal(at));
        QApplication::sendEvent(table->viewport(), &event);
        QCOMPARE(enabled, listEnabled);
    };
    // Of the two red rectangles, the filter shows the one of w 5.
    openMenu(true);
    QTRY_COMPARE(app->itemList->count(), 1);
    dock()->setLayerShown("red", false);
    openMenu(false);
}

// Opened beside the window's other docks at 1280 x 800, the dock is widened to its field's hint
// and heightened to show eight rows (it had room for four).
void TestLayers::dockOpensWithRoomForItsRows()
{
    ViewerApp* app = ViewerApp::instance();
    dock()->hide();
    app->display->setMinimumSize(0, 0);
    app->display->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    app->mainWindow->resize(1280, 800);
    dock()->show();
    QTreeWidget* table = dock()->table();
    const int rowHeight = table->visualItemRect(table->topLevelItem(0)).height();
    QTRY_VERIFY(table->viewport()->height() >= 8 * rowHeight);
    QLineEdit* field = dock()->filterField();
    QVERIFY(field->width() > field->fontMetrics().horizontalAdvance(field->placeholderText()));
}

QTEST_MAIN(TestLayers)
#include "tst_layers.moc"
