#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "canvas/undercursor.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "support/testapp.h"

#include <QListWidget>
#include <QMainWindow>
#include <QStatusBar>
#include <QTextEdit>
#include <QtTest>

namespace
{

// At origin (0, 300) and ratio 1, world (x, y) is canvas pixel (x, 300 - y).
const QByteArray kScene = "endheader\n"
                          "pt 50 250 red 0\n"                                  // 0: (50, 50)
                          "pt 50 250 blue 1\n"                                 // 1: same place
                          "line 100 250 200 250 red\n"                         // 2: row 50
                          "rect 300 150 380 230 navy\n"                        // 3: filled
                          "path 5 200 50 280 50 280 130 200 130 200 50 teal\n" // 4: hollow
                          "circle 100 100 20 purple\n"                         // 5: filled
                          "pt 60 250 green 2\n";                               // 6: a cross

QwgtDisplay* canvas()
{
    return ViewerApp::instance()->display;
}

// The objects' places in load order.
QList<int> indicesOf(const std::vector<paintObject*>& objects)
{
    const std::vector<paintObject*>& all = DrawingModel::instance()->objects;
    QList<int> indices;
    for (const paintObject* object : objects)
        indices << static_cast<int>(std::find(all.begin(), all.end(), object) - all.begin());
    return indices;
}

} // namespace

class TestUnderCursor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void objectsWhosePixelsAreNear_data();
    void objectsWhosePixelsAreNear();
    void ctrlClickListsThenStepsThroughTheStack();
    void ctrlClickOverADeepStackListsTheTopmost();
};

void TestUnderCursor::initTestCase()
{
    testapp::resetApplication();
    QVERIFY(testapp::showCanvasAt(QSize(400, 300)));
}

void TestUnderCursor::init()
{
    testapp::resetApplication();
    ViewerApp::instance()->originY = 300;
    testapp::loadText(kScene);
}

void TestUnderCursor::objectsWhosePixelsAreNear_data()
{
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QString>("hiddenType");
    QTest::addColumn<int>("highlighted");
    QTest::addColumn<QList<int>>("expected");
    // Markers of half-size 3 at 50: the circle covers 47..52, the square 47..54; the cross at 60
    // reaches 57.
    QTest::newRow("stacked markers") << QPoint(50, 50) << "" << -1 << QList<int>{1, 0};
    QTest::newRow("three pixels off the circle") << QPoint(50, 55) << "" << -1 << QList<int>{1, 0};
    QTest::newRow("three pixels off the square") << QPoint(50, 57) << "" << -1 << QList<int>{1};
    QTest::newRow("four pixels off") << QPoint(50, 58) << "" << -1 << QList<int>{};
    QTest::newRow("diagonal within 3") << QPoint(56, 56) << "" << -1 << QList<int>{1};
    QTest::newRow("diagonal beyond 3") << QPoint(57, 57) << "" << -1 << QList<int>{};
    QTest::newRow("between markers") << QPoint(55, 50) << "" << -1 << QList<int>{6, 1, 0};
    QTest::newRow("thin line") << QPoint(150, 53) << "" << -1 << QList<int>{2};
    QTest::newRow("beside the thin line") << QPoint(150, 54) << "" << -1 << QList<int>{};
    QTest::newRow("filled rectangle") << QPoint(340, 110) << "" << -1 << QList<int>{3};
    QTest::newRow("inside the open path") << QPoint(240, 210) << "" << -1 << QList<int>{};
    QTest::newRow("on the open path") << QPoint(240, 172) << "" << -1 << QList<int>{4};
    QTest::newRow("filled circle") << QPoint(100, 200) << "" << -1 << QList<int>{5};
    QTest::newRow("hidden type") << QPoint(100, 200) << "circle" << -1 << QList<int>{};
    QTest::newRow("hidden markers") << QPoint(55, 50) << "pt" << -1 << QList<int>{};
    // A highlighted object is painted last, so it lies on top.
    QTest::newRow("highlighted") << QPoint(50, 50) << "" << 0 << QList<int>{0, 1};
}

void TestUnderCursor::objectsWhosePixelsAreNear()
{
    QFETCH(QPoint, pixel);
    QFETCH(QString, hiddenType);
    QFETCH(int, highlighted);
    QFETCH(QList<int>, expected);
    DrawingModel* model = DrawingModel::instance();
    if (!hiddenType.isEmpty())
        model->setTypeVisible(hiddenType.toStdString(), 0);
    if (highlighted >= 0)
        model->setHighlighted(model->objects[highlighted], true);
    const UnderCursor::Stack stack = UnderCursor::objectsAt(pixel);
    QCOMPARE(indicesOf(stack.topmostFirst), expected);
    QVERIFY(!stack.moreNotShown);
}

// Ctrl and a click list what is under the pointer and select the topmost; each further click
// there selects the next, with its description, round to the first. The view does not move.
void TestUnderCursor::ctrlClickListsThenStepsThroughTheStack()
{
    ViewerApp* app = ViewerApp::instance();
    const std::vector<paintObject*>& objects = DrawingModel::instance()->objects;
    for (const int expected : {6, 1, 0, 6}) {
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::ControlModifier, QPoint(55, 50));
        QCOMPARE(app->itemList->count(), 3);
        QCOMPARE(app->itemText->toPlainText(), objects[expected]->description());
        QCOMPARE(app->itemList->selectedItems().size(), 1);
        QVERIFY(objects[expected]->highlighted);
    }
    QCOMPARE(app->originX, 0.0);
    QCOMPARE(app->originY, 300.0);
    QCOMPARE(app->pickedList.size(), std::size_t(3));
    // Elsewhere, a new list.
    QTest::mouseClick(canvas(), Qt::LeftButton, Qt::ControlModifier, QPoint(340, 110));
    QCOMPARE(app->itemList->count(), 1);
    QCOMPARE(app->itemText->toPlainText(), objects[3]->description());
    QVERIFY(!objects[6]->highlighted);
    // Nothing there: the listing, the description and the related searches all go.
    app->relatedList->addItem("pt: a == 1");
    QTest::mouseClick(canvas(), Qt::LeftButton, Qt::ControlModifier, QPoint(240, 210));
    QCOMPARE(app->itemList->count(), 0);
    QVERIFY(app->itemText->toPlainText().isEmpty());
    QCOMPARE(app->relatedList->count(), 0);
}

// Over more stacked objects than are painted, only the topmost are listed, and the status bar
// says that more lie below.
void TestUnderCursor::ctrlClickOverADeepStackListsTheTopmost()
{
    const int stacked = 3 * int(UnderCursor::kMostPainted);
    QByteArray text = "endheader\n";
    for (int i = 0; i < stacked; ++i)
        text += "pt 50 250 red 0\n";
    testapp::loadText(text);
    ViewerApp* app = ViewerApp::instance();
    QTest::mouseClick(canvas(), Qt::LeftButton, Qt::ControlModifier, QPoint(50, 50));
    QCOMPARE(app->itemList->count(), int(UnderCursor::kMostPainted));
    QCOMPARE(app->pickedList.front(), DrawingModel::instance()->objects.back());
    QCOMPARE(
        app->mainWindow->statusBar()->currentMessage(),
        QString("%1 objects under the pointer, more not shown").arg(UnderCursor::kMostPainted));
}

QTEST_MAIN(TestUnderCursor)
#include "tst_undercursor.moc"
