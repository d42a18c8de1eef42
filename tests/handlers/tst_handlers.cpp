#include "app/qwgtdisplay.h"
#include "app/viewerapp.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "support/testapp.h"

#include <QAction>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QScreen>
#include <QToolBar>
#include <QtTest>

namespace
{

constexpr int kCanvasWidth = 400;
constexpr int kCanvasHeight = 300;
const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kHighlight(255, 128, 0);

// One object of each type in a row along pixel y 50 (origin (0, 300), ratio 1), each with a
// pixel that only it covers.
struct Sample {
    const char* keyword;
    const char* name;
    const char* record;
    QPoint probe;
};

const Sample kSamples[] = {
    {"circle", "Circle", "circle 30 250 10 red", {30, 50}},
    {"line", "Line", "line 70 250 110 250 red", {90, 50}},
    {"path", "Path", "path 3 130 250 150 250 170 250 red", {160, 50}},
    {"polygon", "Polygon", "polygon 4 190 240 230 240 230 260 190 260 red", {210, 50}},
    {"pt", "Point", "pt 260 250 red 1", {260, 50}},
    {"rect", "Rectangle", "rect 290 240 330 260 red", {310, 50}},
};

// What the canvas last put on the screen, without painting it again: commands must redraw it
// themselves.
QImage shownCanvas()
{
    const ViewerApp* app = ViewerApp::instance();
    const QPoint at = app->display->mapTo(app->mainWindow, QPoint(0, 0));
    return app->mainWindow->screen()
        ->grabWindow(app->mainWindow->winId(), at.x(), at.y(), kCanvasWidth, kCanvasHeight)
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

QAction* actionWithToolTip(const QToolBar* toolBar, const QString& toolTip)
{
    for (QAction* action : toolBar->actions())
        if (action->toolTip() == toolTip)
            return action;
    return nullptr;
}

QAction* listMenuAction(const QString& text)
{
    for (QAction* action : ViewerApp::instance()->listMenu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

// Names the samples whose probe pixel is not the expected colour: red when shown, white when
// hidden.
QStringList wrongProbes(const QImage& image, const QString& hiddenKeyword)
{
    QStringList wrong;
    for (const Sample& sample : kSamples) {
        const QColor expected = hiddenKeyword == QLatin1String(sample.keyword) ? kWhite : kRed;
        if (image.pixelColor(sample.probe) != expected)
            wrong << QLatin1String(sample.keyword);
    }
    return wrong;
}

} // namespace

class TestHandlers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void listMenuOffersEveryTypeThenPicked();
    void toolBarActions_data();
    void toolBarActions();
    void shortcuts();
    void hideAndShowAll_data();
    void hideAndShowAll();
    void listMenuEntryClearsEveryHighlight();
};

void TestHandlers::initTestCase()
{
    testapp::resetApplication();
    QVERIFY(testapp::showCanvasAt(QSize(kCanvasWidth, kCanvasHeight)));
}

void TestHandlers::init()
{
    testapp::resetApplication();
    ViewerApp* app = ViewerApp::instance();
    app->originY = kCanvasHeight;
    // The fix marker stays off the canvas so that only objects are painted.
    app->fixX = app->fixY = -100;
}

void TestHandlers::listMenuOffersEveryTypeThenPicked()
{
    const QList<QAction*> actions = ViewerApp::instance()->listMenu->actions();
    QStringList texts;
    for (const QAction* action : actions)
        texts << (action->isSeparator() ? QStringLiteral("---") : action->text());
    QCOMPARE(texts, (QStringList{"Circle", "Line", "Path", "Polygon", "Point", "Rectangle", "---",
                                 "[picked]"}));
}

void TestHandlers::toolBarActions_data()
{
    QTest::addColumn<bool>("main");
    QTest::addColumn<QStringList>("toolTips");
    QTest::newRow("main") << true
                          << QStringList{"Open Script Input",
                                         "Print",
                                         "Reload Script Input",
                                         "Zoom In",
                                         "Zoom Out",
                                         "Resize Figure To Fit Display Region",
                                         "Move Fix Position To ...",
                                         "Change to Pick Mode",
                                         "Conditional Pick",
                                         "Switch to Previous Index File",
                                         "Switch to Next Index File",
                                         "About Vedra"};
    QStringList objectControl{"Point Size Up", "Point Size Down", "Line Widen", "Line Narrow"};
    for (const Sample& sample : kSamples)
        objectControl << QStringLiteral("Show all ") + QLatin1String(sample.name)
                      << QStringLiteral("Hide all ") + QLatin1String(sample.name);
    QTest::newRow("object control") << false << objectControl;
}

// Buttons show icons only; every icon loads, and no two buttons of a bar share one.
void TestHandlers::toolBarActions()
{
    QFETCH(bool, main);
    QFETCH(QStringList, toolTips);
    const ViewerApp* app = ViewerApp::instance();
    const QList<QAction*> actions =
        (main ? app->mainToolBar : app->objectControlToolBar)->actions();
    QStringList actual;
    QList<QImage> icons;
    for (const QAction* action : actions) {
        actual << action->toolTip();
        QVERIFY2(action->text().isEmpty(), qPrintable(action->toolTip()));
        QVERIFY2(!action->icon().isNull(), qPrintable(action->toolTip()));
        const QImage icon = action->icon().pixmap(48, 48).toImage();
        QVERIFY2(!icons.contains(icon), qPrintable(action->toolTip()));
        icons << icon;
    }
    QCOMPARE(actual, toolTips);
}

void TestHandlers::shortcuts()
{
    const ViewerApp* app = ViewerApp::instance();
    QCOMPARE(app->conditionalPickAction->shortcuts(),
             QKeySequence::keyBindings(QKeySequence::Find));
    QVERIFY(
        app->conditionalPickAction->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+F"))));
    QCOMPARE(app->previousFileAction->shortcuts(),
             QKeySequence::keyBindings(QKeySequence::MoveToPreviousWord));
    QCOMPARE(app->nextFileAction->shortcuts(),
             QKeySequence::keyBindings(QKeySequence::MoveToNextWord));
    QVERIFY(!app->previousFileAction->shortcuts().isEmpty());
    QVERIFY(app->previousFileAction->shortcuts() != app->nextFileAction->shortcuts());
    for (const QAction* action : app->mainToolBar->actions())
        if (action != app->conditionalPickAction && action != app->previousFileAction &&
            action != app->nextFileAction)
            QVERIFY2(action->shortcuts().isEmpty(), qPrintable(action->toolTip()));
}

void TestHandlers::hideAndShowAll_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("name");
    for (const Sample& sample : kSamples)
        QTest::newRow(sample.keyword) << sample.keyword << sample.name;
}

// Hiding works on the type's objects only and shows on the canvas; hidden objects stay in the
// explorer; a reload brings everything back.
void TestHandlers::hideAndShowAll()
{
    QFETCH(QString, keyword);
    QFETCH(QString, name);
    ViewerApp* app = ViewerApp::instance();
    QByteArray text("endheader\n");
    for (const Sample& sample : kSamples)
        text += QByteArray(sample.record) + '\n';
    testapp::loadText(text);
    app->display->repaint();
    QCOMPARE(wrongProbes(shownCanvas(), QString()), QStringList());

    QAction* hide =
        actionWithToolTip(app->objectControlToolBar, QStringLiteral("Hide all ") + name);
    QAction* show =
        actionWithToolTip(app->objectControlToolBar, QStringLiteral("Show all ") + name);
    QVERIFY(hide);
    QVERIFY(show);
    hide->trigger();
    QCOMPARE(wrongProbes(shownCanvas(), keyword), QStringList());

    QAction* list = listMenuAction(name);
    QVERIFY(list);
    list->trigger();
    QCOMPARE(app->listedName, keyword.toStdString());
    const DrawingModel::ObjectList& ofType =
        DrawingModel::instance()->objectsOfType(keyword.toStdString());
    QCOMPARE(ofType.size(), std::size_t(1));
    QCOMPARE(app->itemList->count(), 1);
    QCOMPARE(app->itemList->item(0)->text(), ofType.front()->briefText());

    show->trigger();
    QCOMPARE(wrongProbes(shownCanvas(), QString()), QStringList());

    hide->trigger();
    app->commands.doReload();
    QCOMPARE(wrongProbes(shownCanvas(), QString()), QStringList());
}

// Choosing a type in the List Menu starts from a clean canvas, also when the type is listed.
void TestHandlers::listMenuEntryClearsEveryHighlight()
{
    ViewerApp* app = ViewerApp::instance();
    testapp::loadText("endheader\npt 20 20 red 1\nrect 40 10 60 30 blue\npt 80 20 red 1\n");
    DrawingModel* model = DrawingModel::instance();
    QAction* points = listMenuAction(QStringLiteral("Point"));
    QVERIFY(points);
    points->trigger();
    QCOMPARE(app->itemList->count(), 2);
    QListWidgetItem* first = app->itemList->item(0);
    QListWidgetItem* second = app->itemList->item(1);
    app->itemList->selectAll();
    model->objects[1]->highlighted = true;
    for (const paintObject* object : model->objects)
        QVERIFY(object->highlighted);
    app->display->repaint();
    QCOMPARE(shownCanvas().pixelColor(20, 280), kHighlight);

    points->trigger();
    for (const paintObject* object : model->objects)
        QVERIFY(!object->highlighted);
    QCOMPARE(shownCanvas().pixelColor(20, 280), kRed);
    QCOMPARE(app->listedName, std::string("pt"));
    QCOMPARE(app->itemList->count(), 2);
    QCOMPARE(app->itemList->item(0), first);
    QCOMPARE(app->itemList->item(1), second);

    // A highlight that no selected entry stands for goes too.
    app->itemList->clearSelection();
    model->objects[0]->highlighted = true;
    QAction* rectangles = listMenuAction(QStringLiteral("Rectangle"));
    QVERIFY(rectangles);
    app->display->repaint();
    rectangles->trigger();
    for (const paintObject* object : model->objects)
        QVERIFY(!object->highlighted);
    QCOMPARE(shownCanvas().pixelColor(20, 280), kRed);
    QCOMPARE(app->listedName, std::string("rect"));
    QCOMPARE(app->itemList->count(), 1);
}

QTEST_MAIN(TestHandlers)
#include "tst_handlers.moc"
