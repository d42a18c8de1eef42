#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "support/testapp.h"

#include <QAction>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
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
    void shortcuts_data();
    void shortcuts();
    void keysReachTheirActionsFromEveryDock_data();
    void keysReachTheirActionsFromEveryDock();
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
                                 "Added Objects", "Removed Objects", "[picked]"}));
}

void TestHandlers::toolBarActions_data()
{
    QTest::addColumn<bool>("main");
    QTest::addColumn<QStringList>("toolTips");
    QTest::newRow("main") << true
                          << QStringList{"Open Script Input (Ctrl+O)",
                                         "Print (Ctrl+P)",
                                         "Reload Script Input (F5)",
                                         "Zoom In (Ctrl++)",
                                         "Zoom Out (Ctrl+-)",
                                         "Resize Figure To Fit Display Region (Ctrl+0)",
                                         "Move Fix Position To ...",
                                         "Change to Pick Mode",
                                         "Conditional Pick (Ctrl+F)",
                                         "Switch to Previous Index File (Ctrl+Left)",
                                         "Switch to Next Index File (Ctrl+Right)",
                                         "About Vedra"};
    QStringList objectControl{"Point Size Up", "Point Size Down", "Line Widen", "Line Narrow"};
    for (const Sample& sample : kSamples)
        objectControl << QStringLiteral("Show all ") + QLatin1String(sample.name)
                      << QStringLiteral("Hide all ") + QLatin1String(sample.name);
    QTest::newRow("object control") << false << objectControl;
}

// Buttons show icons only, and the same actions in the menus show the tooltip's text; every icon
// loads, and no two buttons of a bar share one.
void TestHandlers::toolBarActions()
{
    QFETCH(bool, main);
    QFETCH(QStringList, toolTips);
    const ViewerApp* app = ViewerApp::instance();
    const QToolBar* toolBar = main ? app->mainToolBar : app->objectControlToolBar;
    QCOMPARE(toolBar->toolButtonStyle(), Qt::ToolButtonIconOnly);
    QStringList actual;
    QList<QImage> icons;
    for (const QAction* action : toolBar->actions()) {
        actual << action->toolTip();
        QVERIFY2(!action->text().isEmpty() && action->toolTip().startsWith(action->text()),
                 qPrintable(action->toolTip()));
        const QList<QObject*> shownIn = action->associatedObjects();
        QVERIFY2(std::any_of(shownIn.begin(), shownIn.end(),
                             [](QObject* object) { return qobject_cast<QMenu*>(object); }),
                 qPrintable(action->toolTip()));
        QVERIFY2(!action->icon().isNull(), qPrintable(action->toolTip()));
        const QImage icon = action->icon().pixmap(48, 48).toImage();
        QVERIFY2(!icons.contains(icon), qPrintable(action->toolTip()));
        icons << icon;
    }
    QCOMPARE(actual, toolTips);
}

void TestHandlers::shortcuts_data()
{
    QTest::addColumn<QAction*>("action");
    QTest::addColumn<QString>("keys");
    const ViewerApp* app = ViewerApp::instance();
    QTest::newRow("open") << app->openAction << "Ctrl+O";
    QTest::newRow("print") << app->printAction << "Ctrl+P";
    QTest::newRow("reload") << app->reloadAction << "F5";
    QTest::newRow("zoom in") << app->zoomInAction << "Ctrl++; Ctrl+=";
    QTest::newRow("zoom out") << app->zoomOutAction << "Ctrl+-";
    QTest::newRow("fit") << app->resizeFitAction << "Ctrl+0";
    QTest::newRow("conditional pick") << app->conditionalPickAction << "Ctrl+F";
    QTest::newRow("previous file") << app->previousFileAction << "Ctrl+Left";
    QTest::newRow("next file") << app->nextFileAction << "Ctrl+Right";
    QTest::newRow("leave pick mode") << app->leavePickModeAction << "Esc";
    QTest::newRow("quit") << app->quitAction << "Ctrl+Q";
    QTest::newRow("keys page") << app->keysAction << "F1";
    QTest::newRow("pick mode") << app->pickModeAction << "";
    QTest::newRow("go to") << app->gotoFixAction << "";
    QTest::newRow("about") << app->aboutAction << "";
    QTest::newRow("point size") << app->pointSizeUpAction << "";
}

// Each key belongs to one action of the window (a key that two share would run neither) and is
// listed on the Keys page.
void TestHandlers::shortcuts()
{
    QFETCH(QAction*, action);
    QFETCH(QString, keys);
    const ViewerApp* app = ViewerApp::instance();
    QCOMPARE(QKeySequence::listToString(action->shortcuts(), QKeySequence::PortableText), keys);
    if (keys.isEmpty())
        return;
    for (const QAction* other : app->mainWindow->findChildren<QAction*>())
        if (other != action)
            for (const QKeySequence& key : action->shortcuts())
                QVERIFY2(!other->shortcuts().contains(key), qPrintable(other->text()));
    const QString row =
        QStringLiteral("<tr><td>%1</td><td>%2</td></tr>")
            .arg(QKeySequence::listToString(action->shortcuts(), QKeySequence::NativeText),
                 action->text().toHtmlEscaped());
    QVERIFY2(app->keysText().contains(row), qPrintable(app->keysText()));
}

void TestHandlers::keysReachTheirActionsFromEveryDock_data()
{
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<QAction*>("action");
    const ViewerApp* app = ViewerApp::instance();
    QTest::newRow("zoom in") << QKeySequence(QStringLiteral("Ctrl++")) << app->zoomInAction;
    QTest::newRow("zoom in by Ctrl+=")
        << QKeySequence(QStringLiteral("Ctrl+=")) << app->zoomInAction;
    QTest::newRow("zoom out") << QKeySequence(QStringLiteral("Ctrl+-")) << app->zoomOutAction;
    QTest::newRow("fit") << QKeySequence(QStringLiteral("Ctrl+0")) << app->resizeFitAction;
    QTest::newRow("reload") << QKeySequence(QStringLiteral("F5")) << app->reloadAction;
    QTest::newRow("next file") << QKeySequence(QStringLiteral("Ctrl+Right")) << app->nextFileAction;
    QTest::newRow("leave pick mode")
        << QKeySequence(QStringLiteral("Esc")) << app->leavePickModeAction;
}

// The keys are the window's: they work whichever widget of the docks has the focus.
void TestHandlers::keysReachTheirActionsFromEveryDock()
{
    QFETCH(QKeySequence, key);
    QFETCH(QAction*, action);
    ViewerApp* app = ViewerApp::instance();
    app->mainWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(app->mainWindow));
    const QList<QWidget*> focusable{app->itemList, app->relatedList, app->itemText,
                                    app->listMenuButton};
    for (QWidget* widget : focusable) {
        widget->setFocus();
        QVERIFY(QTest::qWaitFor([widget] { return widget->hasFocus(); }));
        QSignalSpy triggered(action, &QAction::triggered);
        QTest::keySequence(widget, key);
        QVERIFY2(triggered.count() == 1, widget->metaObject()->className());
    }
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
    model->setHighlighted(model->objects[1], true);
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
    model->setHighlighted(model->objects[0], true);
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
