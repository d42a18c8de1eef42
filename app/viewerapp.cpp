#include "app/viewerapp.h"

#include "app/displayfilter.h"
#include "app/filedrophandler.h"
#include "app/layersdock.h"
#include "app/rememberedstate.h"
#include "canvas/qwgtdisplay.h"
#include "commands/explorerfiller.h"
#include "follow/changetracker.h"
#include "follow/fileloader.h"
#include "follow/followcontrol.h"
#include "follow/timelinedock.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "remote/remotecontrol.h"
#include "render/directcanvas.h"
#include "render/sharedstyles.h"
#include "script/textfile.h"
#include "script/wordreader.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

#include <unistd.h>

namespace
{

// Limits that keep a mistyped config.ini from asking for absurd windows or icons.
constexpr int kMinWindowEdge = 200;
constexpr int kMaxWindowEdge = 16384;
// Explorer entries laid out per step, about a millisecond of work (each entry is measured from its
// text): a long listing is laid out between other events, the chunks of a listing still being
// filled among them. The layout starts anew once the last chunk is in, so what it did before is
// done twice; small steps keep that, and the wait of the filling, short.
constexpr int kListLayoutBatch = 100;
constexpr int kMaxToolButtonSize = 512;
// HTML font sizes run from 1 to 7; a larger one shows as 7.
constexpr int kMaxInfoFontSize = 7;

struct NamedColor {
    const char* name;
    int red, green, blue;
};

constexpr NamedColor kBuiltInColors[] = {
    {"white", 255, 255, 255}, {"yellow", 255, 255, 0},   {"fuchsia", 255, 0, 255},
    {"red", 255, 0, 0},       {"silver", 192, 192, 192}, {"gray", 128, 128, 128},
    {"olive", 128, 128, 0},   {"purple", 128, 0, 128},   {"maroon", 128, 0, 0},
    {"aqua", 0, 255, 255},    {"lime", 0, 255, 0},       {"teal", 0, 128, 128},
    {"green", 0, 128, 0},     {"blue", 0, 0, 255},       {"navy", 0, 0, 128},
    {"black", 0, 0, 0},
};

// Wide enough for the usual coordinates, so that the status bar does not jump as they change.
constexpr int kPointerLabelWidth = 220;

// The platform's keys for a standard command; where the platform names none (Quit has none
// outside X11 desktops), the key given.
QList<QKeySequence> standardKeys(QKeySequence::StandardKey command, const QKeySequence& fallback)
{
    const QList<QKeySequence> keys = QKeySequence::keyBindings(command);
    return keys.isEmpty() ? QList<QKeySequence>{fallback} : keys;
}

// One table row per action of the menu and its submenus that has keys: the keys, then the text.
void addKeyRows(const QMenu* menu, QString& rows)
{
    for (const QAction* action : menu->actions()) {
        if (action->menu()) {
            addKeyRows(action->menu(), rows);
        } else if (!action->shortcuts().isEmpty()) {
            const QString keys =
                QKeySequence::listToString(action->shortcuts(), QKeySequence::NativeText);
            rows += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>")
                        .arg(keys.toHtmlEscaped(), action->text().toHtmlEscaped());
        }
    }
}

} // namespace

ViewerApp* ViewerApp::singleton = nullptr;

void ViewerApp::create(int argc, char** argv, bool listen, bool fit)
{
    if (singleton)
        return;
    // A reader of an exported picture's FIFO that leaves fails the write with EPIPE, which the
    // export reports, instead of ending the window and its drawing.
    std::signal(SIGPIPE, SIG_IGN);
    Q_INIT_RESOURCE(icons);
    install(new ViewerApp("config.ini"));
    // The window first: a large file then loads in it, with its progress shown.
    singleton->buildMainWindow();
    if (listen || RememberedState::listenForRemoteControl())
        singleton->remoteControl->startListening();
    if (fit) {
        // A small file is shown before loadFile returns, a large one when its load ends.
        QObject::connect(
            &singleton->commands, &QFunctionality::fileShown, singleton->mainWindow,
            [] { singleton->fitToView(); }, Qt::SingleShotConnection);
    }
    if (argc > 1) {
        singleton->commands.loadFile(argv[1], QFunctionality::FileChange::Open);
    } else {
        singleton->rememberCurrentFile();
        singleton->reportLoad(0);
    }
}

void ViewerApp::createHeadless(const std::string& configPath)
{
    if (!singleton)
        install(new ViewerApp(configPath));
}

ViewerApp::ViewerApp(const ViewerApp& source, PaintingCopyTag)
    : originX(source.originX), originY(source.originY), ratio(source.ratio),
      pointSize(source.pointSize), lineWidth(source.lineWidth),
      highlightColor(source.highlightColor), colorTable(source.colorTable),
      fileColors(source.fileColors)
{
}

std::unique_ptr<ViewerApp> ViewerApp::paintingCopy() const
{
    return std::unique_ptr<ViewerApp>(new ViewerApp(*this, PaintingCopyTag()));
}

void ViewerApp::install(ViewerApp* app)
{
    singleton = app;
    std::atexit([] {
        delete singleton;
        singleton = nullptr;
    });
}

ViewerApp::ViewerApp(const std::string& configPath)
{
    // The model exists before anything is loaded or any per-type action is made.
    DrawingModel::createInstance(configPath);
    versionText = QStringLiteral(VEDRA_VERSION);
    dateText = QStringLiteral("2011.06.12");
    int number = 1;
    for (const NamedColor& entry : kBuiltInColors) {
        const QColor color(entry.red, entry.green, entry.blue);
        colorTable[entry.name] = color;
        colorTable[std::to_string(number++)] = color;
    }
    if (const std::optional<std::string> config = readTextFile(configPath, kMaxConfigBytes))
        readSettings(*config);
    resetPick();
}

// Seven lines, read positionally as one stream of numbers: each setting's values, then the rest
// of its line is dropped. Once a value cannot be read, no later one is read either.
void ViewerApp::readSettings(std::string_view configText)
{
    WordReader words(configText);
    double configRatio = 0.0;
    if (words.readDouble(configRatio) && configRatio >= kMinRatio && configRatio <= kMaxRatio)
        ratio = configRatio;
    words.skipLine();
    int value = 0;
    if (words.readInt(value))
        pointSize = std::clamp(value, 1, kMaxPointSize);
    words.skipLine();
    if (words.readInt(value))
        lineWidth = std::clamp(value, 1, kMaxLineWidth);
    words.skipLine();
    int red = 0, green = 0, blue = 0;
    if (words.readInt(red) && words.readInt(green) && words.readInt(blue))
        highlightColor =
            QColor(std::clamp(red, 0, 255), std::clamp(green, 0, 255), std::clamp(blue, 0, 255));
    words.skipLine();
    int width = 0, height = 0;
    if (words.readInt(width) && words.readInt(height)) {
        windowWidth = std::clamp(width, kMinWindowEdge, kMaxWindowEdge);
        windowHeight = std::clamp(height, kMinWindowEdge, kMaxWindowEdge);
        windowSizeConfigured = true;
    }
    words.skipLine();
    if (words.readInt(value))
        toolButtonSize = std::clamp(value, 1, kMaxToolButtonSize);
    words.skipLine();
    if (words.readInt(value))
        infoFontSize = std::clamp(value, 1, kMaxInfoFontSize);
}

const ColorMemo::Resolved* ViewerApp::memoColor(const std::string& name) const
{
    if (paintColorScopes == 0)
        return nullptr;
    if (const ColorMemo::Resolved* known = paintColors.find(name))
        return known;
    return &paintColors.remember(name, lookUpColor(name));
}

QColor ViewerApp::colorOf(const std::string& name) const
{
    const ColorMemo::Resolved* resolved = memoColor(name);
    return resolved ? resolved->color : lookUpColor(name);
}

bool ViewerApp::plainPixelOf(const std::string& name, QRgb& pixel) const
{
    if (const ColorMemo::Resolved* resolved = memoColor(name)) {
        pixel = resolved->pixel;
        return resolved->plain;
    }
    return DirectCanvas::plainColor(lookUpColor(name), pixel);
}

ViewerApp::PaintColors::PaintColors()
{
    ViewerApp* app = instance();
    if (app->paintColorScopes++ == 0)
        app->paintColors.clear();
}

ViewerApp::PaintColors::~PaintColors()
{
    --instance()->paintColorScopes;
}

QColor ViewerApp::lookUpColor(const std::string& name) const
{
    const auto fromFile = fileColors.find(name);
    if (fromFile != fileColors.end())
        return fromFile->second;
    const auto builtIn = colorTable.find(name);
    if (builtIn != colorTable.end())
        return builtIn->second;
    return QColor();
}

void ViewerApp::setMode(int m)
{
    mode = m;
    if (pickModeAction)
        pickModeAction->setChecked(mode == 1);
    updateTitle();
}

void ViewerApp::resetPick()
{
    std::fill(std::begin(pickRect), std::end(pickRect), -999999999);
    pickedList.clear();
}

bool ViewerApp::isUsableView(double originX, double originY, double ratio)
{
    if (!(ratio >= kMinRatio && ratio <= kMaxRatio) || !std::isfinite(originX) ||
        !std::isfinite(originY))
        return false;
    SceneView view;
    view.originX = originX;
    view.originY = originY;
    view.ratio = ratio;
    for (const double pixel : {-kPixelLimit, kPixelLimit}) {
        if (!std::isfinite(view.worldX(pixel)) || !std::isfinite(view.worldY(pixel)))
            return false;
    }
    return true;
}

int ViewerApp::iconSize() const
{
    // A button of 6 pixels or less still gets an icon of one pixel.
    return std::max(toolButtonSize, 7) - 6;
}

void ViewerApp::buildMainWindow()
{
    mainWindow = new QMainWindow;
    mode = 0;
    updateTitle();
    mainWindow->setWindowIcon(SharedStyles::resourceIcon(QStringLiteral(":/icon/logo.png")));
    // A .las file dropped on the window opens as "Open Script Input" opens it.
    const auto* drops = new FileDropHandler(mainWindow);
    QObject::connect(drops, &FileDropHandler::fileDropped, &commands, &QFunctionality::openFile);
    mainWindow->resize(windowWidth, windowHeight);

    display = new QwgtDisplay(mainWindow);
    // Moves without a button show the world position under the pointer.
    display->setMouseTracking(true);
    display->setFocus();
    mainWindow->setCentralWidget(display);
    followControl = new FollowControl(mainWindow);
    remoteControl = new RemoteControl(mainWindow);
    originX = originY = 0.0;
    fixX = fixY = 0.0;

    buildInfoDock();
    buildExplorerDock();
    layersDock = new LayersDock(mainWindow);
    mainWindow->addDockWidget(Qt::RightDockWidgetArea, layersDock);
    // Closed until the user opens it; the remembered layout may open it below.
    layersDock->hide();
    changeTracker = new ChangeTracker(mainWindow);
    timelineDock = new TimelineDock(mainWindow);
    buildToolBars();
    buildMenuBar();
    buildStatusBar();
    fileLoader = new FileLoader(mainWindow);
    QObject::connect(fileLoader, &FileLoader::loadEnded, followControl, [this](bool handedOver) {
        if (!handedOver)
            followControl->loadCancelled();
    });
    // Moving the view acts on the drawing shown, which stays whole while another loads or a
    // display filter is tested; the Timeline's keys ask for another member, which replaces the
    // one loading.
    const QList<QAction*> viewActions =
        display->navigator().actions() +
        QList<QAction*>{zoomInAction, zoomOutAction, resizeFitAction};
    fileLoader->letPass(viewActions + timelineDock->keyActions(), display);
    layersDock->displayFilter()->letPass(viewActions, display);
    defaultLayout = mainWindow->saveState();
    // The docks and toolbars where the user left them; the window's size stays config.ini's.
    mainWindow->restoreState(RememberedState::windowLayout());
    if (!windowSizeConfigured)
        growToShowToolBars();
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, mainWindow,
                     [this] {
                         RememberedState::setWindowLayout(mainWindow->saveState());
                         rememberPendingStep();
                     });
    mainWindow->show();
}

// The default size leaves some toolbar buttons behind the extension arrow, so the window grows
// to the size its toolbars and docks ask for, as far as the screen's free area allows (less room
// for the title bar), and never below the default.
void ViewerApp::growToShowToolBars()
{
    constexpr int kTitleBarAllowance = 40;
    QSize size = mainWindow->sizeHint().expandedTo(mainWindow->size());
    if (const QScreen* screen = mainWindow->screen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(0, kTitleBarAllowance));
    mainWindow->resize(size.expandedTo(QSize(windowWidth, windowHeight)));
}

void ViewerApp::buildInfoDock()
{
    basicInfoDock = new QDockWidget(QStringLiteral("Basic Info"), mainWindow);
    basicInfoDock->setObjectName(QStringLiteral("basicInfoDock"));
    basicInfoDock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                               QDockWidget::DockWidgetFloatable);
    basicInfoLabel = new QLabel(basicInfoDock);
    basicInfoLabel->setAlignment(Qt::AlignTop);
    basicInfoLabel->setTextFormat(Qt::RichText);
    // The numbers can be selected and copied.
    basicInfoLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A coordinate far out prints hundreds of digits; the panel shows what fits rather than
    // widening the window to hold them.
    basicInfoLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    updateInfo();
    basicInfoDock->setWidget(basicInfoLabel);
    mainWindow->addDockWidget(Qt::RightDockWidgetArea, basicInfoDock);
}

void ViewerApp::buildExplorerDock()
{
    explorerDock = new QDockWidget(QStringLiteral("Item Explorer"), mainWindow);
    explorerDock->setObjectName(QStringLiteral("explorerDock"));
    explorerPanel = new QWidget(explorerDock);
    explorerLayout = new QVBoxLayout(explorerPanel);

    const int s = iconSize();
    listMenuButton =
        new QPushButton(SharedStyles::resourceIcon(QStringLiteral(":/icon/listmenu.png")),
                        QStringLiteral("List Menu"), explorerPanel);
    listMenuButton->setIconSize(QSize(s, s));
    listMenuButton->setGeometry(0, 0, 100, s);
    listMenu = new QMenu;
    DrawingModel::instance()->addListActions(listMenu);
    listMenu->addSeparator();
    listMenu->addAction(QStringLiteral("[picked]"), &commands, &QFunctionality::doListPicked);
    listMenuButton->setMenu(listMenu);

    itemList = new QListWidget(explorerPanel);
    itemList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Each entry's size is measured from its text, some 9 us an entry: a listing of a million
    // is laid out a batch at a time between events, so the window keeps answering meanwhile.
    itemList->setLayoutMode(QListView::Batched);
    itemList->setBatchSize(kListLayoutBatch);
    itemListFiller = new ExplorerFiller(itemList);
    relatedList = new QListWidget(explorerPanel);
    itemText = new DescriptionBox(explorerPanel);
    itemText->setGeometry(0, 0, 100, 200);

    explorerLayout->addWidget(listMenuButton);
    explorerLayout->addWidget(itemList);
    explorerLayout->addWidget(relatedList);
    explorerLayout->addWidget(itemText);
    explorerDock->setWidget(explorerPanel);
    mainWindow->addDockWidget(Qt::RightDockWidgetArea, explorerDock);

    QObject::connect(itemList, &QListWidget::itemDoubleClicked, &commands,
                     &QFunctionality::doMoveToObject);
    // Moving to an entry's object is looking at the canvas: its keys take over from the list's.
    QObject::connect(itemList, &QListWidget::itemDoubleClicked, display,
                     [this] { display->setFocus(); });
    QObject::connect(itemList, &QListWidget::currentRowChanged, &commands,
                     qOverload<int>(&QFunctionality::doUpdateItemInExplorer));
    QObject::connect(itemList, &QListWidget::itemPressed, &commands,
                     qOverload<QListWidgetItem*>(&QFunctionality::doUpdateItemInExplorer));
    QObject::connect(itemList, &QListWidget::itemSelectionChanged, &commands,
                     &QFunctionality::doUpdateHighlight);
    QObject::connect(relatedList, &QListWidget::itemDoubleClicked, &commands,
                     &QFunctionality::doExpandRelatedSearch);
    QObject::connect(relatedList, &QListWidget::currentRowChanged, &commands,
                     qOverload<int>(&QFunctionality::doHighlightItemRelatedSearch));
    QObject::connect(relatedList, &QListWidget::itemPressed, &commands,
                     qOverload<QListWidgetItem*>(&QFunctionality::doHighlightItemRelatedSearch));
}

QAction* ViewerApp::addCommand(QToolBar* toolBar, const char* iconPath, const char* toolTip,
                               void (QFunctionality::*slot)())
{
    const QString text = QString::fromLatin1(toolTip);
    auto* action =
        new QAction(SharedStyles::resourceIcon(QString::fromLatin1(iconPath)), text, mainWindow);
    action->setToolTip(text);
    QObject::connect(action, &QAction::triggered, &commands, slot);
    toolBar->addAction(action);
    return action;
}

void ViewerApp::buildToolBars()
{
    const QSize icons(iconSize(), iconSize());
    mainToolBar = new QToolBar(QStringLiteral("Main Tool Bar"), mainWindow);
    mainToolBar->setFloatable(true);
    mainToolBar->setMovable(true);
    mainToolBar->setIconSize(icons);
    mainToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    mainToolBar->setObjectName(QStringLiteral("mainToolBar"));
    mainWindow->addToolBar(Qt::TopToolBarArea, mainToolBar);
    openAction = addCommand(mainToolBar, ":/icon/openfile.png", "Open Script Input",
                            &QFunctionality::doOpenfile);
    printAction = addCommand(mainToolBar, ":/icon/print.png", "Print", &QFunctionality::doPrint);
    reloadAction = addCommand(mainToolBar, ":/icon/reload.png", "Reload Script Input",
                              &QFunctionality::doReload);
    zoomInAction =
        addCommand(mainToolBar, ":/icon/zoomin.png", "Zoom In", &QFunctionality::doZoomin);
    zoomOutAction =
        addCommand(mainToolBar, ":/icon/zoomout.png", "Zoom Out", &QFunctionality::doZoomout);
    resizeFitAction =
        addCommand(mainToolBar, ":/icon/resizefit.png", "Resize Figure To Fit Display Region",
                   &QFunctionality::dotResizefit);
    gotoFixAction = addCommand(mainToolBar, ":/icon/gotocdt.png", "Move Fix Position To ...",
                               &QFunctionality::doGotoCdt);
    pickModeAction = addCommand(mainToolBar, ":/icon/pickmode.png", "Change to Pick Mode",
                                &QFunctionality::doChange2PickMode);
    conditionalPickAction = addCommand(mainToolBar, ":/icon/conditionalpick.png",
                                       "Conditional Pick", &QFunctionality::doConditionalPick);
    pickModeAction->setCheckable(true);
    previousFileAction =
        addCommand(mainToolBar, ":/icon/prefile.png", "Switch to Previous Index File",
                   &QFunctionality::doSwitchPreFile);
    nextFileAction = addCommand(mainToolBar, ":/icon/nextfile.png", "Switch to Next Index File",
                                &QFunctionality::doSwitchNextFile);
    aboutAction =
        addCommand(mainToolBar, ":/icon/logo.png", "About Vedra", &QFunctionality::doShowAbout);

    objectControlToolBar = new QToolBar(QStringLiteral("Object Control Tool Bar"), mainWindow);
    objectControlToolBar->setFloatable(true);
    objectControlToolBar->setMovable(true);
    objectControlToolBar->setIconSize(icons);
    objectControlToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    objectControlToolBar->setObjectName(QStringLiteral("objectControlToolBar"));
    mainWindow->addToolBar(Qt::LeftToolBarArea, objectControlToolBar);
    pointSizeUpAction = addCommand(objectControlToolBar, ":/icon/pointsizeup.png", "Point Size Up",
                                   &QFunctionality::doPointSizeup);
    pointSizeDownAction = addCommand(objectControlToolBar, ":/icon/pointsizedown.png",
                                     "Point Size Down", &QFunctionality::doPointSizedown);
    lineWidenAction = addCommand(objectControlToolBar, ":/icon/linewiden.png", "Line Widen",
                                 &QFunctionality::doLineWiden);
    lineNarrowAction = addCommand(objectControlToolBar, ":/icon/linenarrow.png", "Line Narrow",
                                  &QFunctionality::doLineNarrow);
    DrawingModel::instance()->addVisibilityActions(objectControlToolBar);
}

void ViewerApp::setKeys(QAction* action, const QList<QKeySequence>& keys)
{
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    if (!keys.isEmpty())
        action->setToolTip(QStringLiteral("%1 (%2)").arg(
            action->toolTip(), keys.first().toString(QKeySequence::NativeText)));
}

void ViewerApp::buildMenuBar()
{
    setKeys(openAction, QKeySequence::keyBindings(QKeySequence::Open));
    setKeys(printAction, QKeySequence::keyBindings(QKeySequence::Print));
    setKeys(reloadAction, QKeySequence::keyBindings(QKeySequence::Refresh));
    // Ctrl+= too: the key that carries + on most keyboards, without Shift.
    setKeys(zoomInAction, QKeySequence::keyBindings(QKeySequence::ZoomIn) +
                              QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    setKeys(zoomOutAction, QKeySequence::keyBindings(QKeySequence::ZoomOut));
    setKeys(resizeFitAction, {QKeySequence(Qt::CTRL | Qt::Key_0)});
    setKeys(conditionalPickAction, QKeySequence::keyBindings(QKeySequence::Find));
    setKeys(previousFileAction, QKeySequence::keyBindings(QKeySequence::MoveToPreviousWord));
    setKeys(nextFileAction, QKeySequence::keyBindings(QKeySequence::MoveToNextWord));

    QMenuBar* bar = mainWindow->menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->addAction(openAction);
    recentMenu = file->addMenu(QStringLiteral("Open Recent"));
    updateRecentMenu();
    rememberStepTimer = new QTimer(mainWindow);
    rememberStepTimer->setSingleShot(true);
    rememberStepTimer->setInterval(kRememberStepAfterMs);
    QObject::connect(rememberStepTimer, &QTimer::timeout, mainWindow,
                     [this] { rememberCurrentFile(); });
    file->addAction(reloadAction);
    followControl->addFileMenuEntries(file);
    remoteControl->addFileMenuEntry(file);
    file->addSeparator();
    file->addAction(previousFileAction);
    file->addAction(nextFileAction);
    file->addSeparator();
    exportImageAction =
        file->addAction(QStringLiteral("Export Image…"), &commands, &QFunctionality::doExportImage);
    setKeys(exportImageAction, {QKeySequence(Qt::CTRL | Qt::Key_E)});
    file->addAction(printAction);
    file->addSeparator();
    quitAction = file->addAction(QStringLiteral("Quit"), mainWindow, &QWidget::close);
    setKeys(quitAction, standardKeys(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q)));

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    view->addActions({zoomInAction, zoomOutAction, resizeFitAction, gotoFixAction});
    display->addViewActions(view);
    view->addSeparator();
    view->addActions({pointSizeUpAction, pointSizeDownAction, lineWidenAction, lineNarrowAction});
    // The show and hide buttons that the object types added after the four size commands.
    QMenu* types = view->addMenu(QStringLiteral("Show and Hide"));
    for (QAction* action : objectControlToolBar->actions().mid(4)) {
        if (action->text().isEmpty())
            action->setText(action->toolTip());
        types->addAction(action);
    }
    view->addSeparator();
    view->addActions({mainToolBar->toggleViewAction(), objectControlToolBar->toggleViewAction(),
                      basicInfoDock->toggleViewAction(), explorerDock->toggleViewAction()});
    resetLayoutAction = view->addAction(QStringLiteral("Reset Layout"), mainWindow,
                                        [this] { mainWindow->restoreState(defaultLayout); });
    layersDock->addViewMenuEntries(view);
    timelineDock->addViewMenuEntries(view);

    QMenu* pick = bar->addMenu(QStringLiteral("&Pick"));
    pick->addAction(pickModeAction);
    leavePickModeAction = pick->addAction(QStringLiteral("Leave Pick Mode"), &commands,
                                          &QFunctionality::doLeavePickMode);
    setKeys(leavePickModeAction, {QKeySequence(Qt::Key_Escape)});
    pick->addAction(conditionalPickAction);
    QMenu* list = pick->addMenu(QStringLiteral("List"));
    list->addActions(listMenu->actions());

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    keysAction = help->addAction(QStringLiteral("Keys"), &commands, &QFunctionality::doShowKeys);
    setKeys(keysAction, standardKeys(QKeySequence::HelpContents, QKeySequence(Qt::Key_F1)));
    help->addAction(aboutAction);
    changeTracker->addViewMenuEntry(view);

    // A command of the menus (chosen there or by its key), the List Menu's included, leaves the
    // focus on the canvas, so that the canvas's keys work at once without a click.
    for (const QAction* entry : bar->actions())
        if (const QMenu* menu = entry->menu())
            QObject::connect(menu, &QMenu::triggered, display, [this] { display->setFocus(); });
    QObject::connect(listMenu, &QMenu::triggered, display, [this] { display->setFocus(); });
}

void ViewerApp::buildStatusBar()
{
    QStatusBar* bar = mainWindow->statusBar();
    pointerLabel = new QLabel(bar);
    // Far coordinates print hundreds of digits: the bar keeps its width and shows what fits.
    pointerLabel->setFixedWidth(kPointerLabelWidth);
    objectCountLabel = new ObjectCountLabel(bar);
    objectCountLabel->watch(display);
    bar->addPermanentWidget(pointerLabel);
    bar->addPermanentWidget(objectCountLabel);
}

void ViewerApp::keepLayers(bool kept)
{
    if (layersDock)
        layersDock->afterLoad(kept);
}

void ViewerApp::showPointer(double x, double y)
{
    if (pointerLabel)
        pointerLabel->setText(QString::asprintf("%f %f", worldX(x), worldY(y)));
}

void ViewerApp::showPointerUnderCursor()
{
    if (!display)
        return;
    const QPoint at = display->mapFromGlobal(QCursor::pos());
    if (display->rect().contains(at))
        showPointer(at.x(), at.y());
}

void ViewerApp::showMessage(const QString& text)
{
    if (mainWindow)
        mainWindow->statusBar()->showMessage(text);
}

void ViewerApp::reportLoad(qint64 milliseconds)
{
    if (!mainWindow)
        return;
    const std::size_t count = DrawingModel::instance()->objects.size();
    objectCountLabel->refresh();
    if (fileName.empty()) {
        mainWindow->statusBar()->clearMessage();
        return;
    }
    const QString name = displayName(fileName);
    if (const std::optional<QString> reason = whyNotRegularFile(fileName)) {
        const QString message = QStringLiteral("Cannot open %1: %2").arg(name, *reason);
        showMessage(message);
        if (isatty(STDERR_FILENO))
            std::fprintf(stderr, "vedra: %s\n", message.toLocal8Bit().constData());
        return;
    }
    showMessage(QStringLiteral("%1 loaded in %2 s")
                    .arg(ObjectCountLabel::countText(count, count, 0))
                    .arg(static_cast<double>(milliseconds) / 1000.0, 0, 'f', 2));
}

void ViewerApp::rememberCurrentFile()
{
    QFile file;
    if (fileName.empty() || !openRegularFile(file, fileName, QIODevice::ReadOnly))
        return;
    RememberedState::addRecentPath(fileName);
    updateRecentMenu();
}

void ViewerApp::rememberStepLater()
{
    if (rememberStepTimer)
        rememberStepTimer->start();
    else
        rememberCurrentFile();
}

void ViewerApp::rememberPendingStep()
{
    if (!rememberStepTimer || !rememberStepTimer->isActive())
        return;
    rememberStepTimer->stop();
    rememberCurrentFile();
}

void ViewerApp::openRecentFile(const std::string& path)
{
    const std::optional<QString> reason = whyNotRegularFile(path);
    if (!reason) {
        commands.loadFile(path, QFunctionality::FileChange::Open);
        return;
    }
    // The drawing shown stays: a file that is gone is not opened as an empty one.
    const QString question = QStringLiteral("Cannot open %1: %2.\nRemove it from Open Recent?")
                                 .arg(displayName(path), *reason);
    if (QMessageBox::question(mainWindow, QStringLiteral("Open Recent"), question) ==
        QMessageBox::Yes) {
        RememberedState::removeRecentPath(path);
        updateRecentMenu();
    }
}

void ViewerApp::updateRecentMenu()
{
    if (!recentMenu)
        return;
    recentMenu->clear();
    const std::vector<std::string> files = RememberedState::recentPaths();
    for (const std::string& path : files) {
        // An ampersand in a name is shown, not taken for a shortcut's mark.
        QString text = displayName(path);
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        recentMenu->addAction(text, &commands, [this, path] { openRecentFile(path); });
    }
    recentMenu->addSeparator();
    QAction* clear = recentMenu->addAction(QStringLiteral("Clear Menu"), &commands, [this] {
        RememberedState::clearRecentFiles();
        updateRecentMenu();
    });
    clear->setEnabled(!files.empty());
}

QString ViewerApp::keysText() const
{
    QString rows;
    if (mainWindow) {
        for (const QAction* action : mainWindow->menuBar()->actions())
            if (action->menu())
                addKeyRows(action->menu(), rows);
    }
    // The canvas's mouse gestures, which no menu entry names.
    static const char* const kGestures[][2] = {
        {"Drag", "Pan"},
        {"Shift+Drag", "Zoom to the box dragged"},
        {"Ctrl+Click", "List the objects under the pointer"},
        {"Right Click", "Set the fix position"},
        {"Wheel", "Zoom in or out about the fix position"},
        {"Drag in Pick Mode", "Pick the objects wholly inside the band"},
        {"Drag in Measure Mode", "Lay a ruler"},
    };
    for (const auto& gesture : kGestures)
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>")
                    .arg(QLatin1String(gesture[0]), QLatin1String(gesture[1]));
    return QStringLiteral("<table cellspacing=4>%1</table>").arg(rows);
}

SceneView ViewerApp::sceneView(const QSize& size) const
{
    SceneView view;
    view.originX = originX;
    view.originY = originY;
    view.ratio = ratio;
    view.size = size;
    view.pointSize = pointSize;
    view.lineWidth = lineWidth;
    view.highlightColor = highlightColor;
    return view;
}

// A canvas pixel p lands on picture pixel scale * p + margin, so the picture keeps the canvas's
// proportions; marker and pen sizes stay in pixels, as on the canvas.
SceneView ViewerApp::canvasViewScaledTo(const QSize& size) const
{
    SceneView view = sceneView(size);
    const QSize canvas = display ? display->size() : size;
    if (canvas == size || canvas.isEmpty())
        return view;
    const double scale = std::min(static_cast<double>(size.width()) / canvas.width(),
                                  static_cast<double>(size.height()) / canvas.height());
    const double scaledX = originX * scale + (size.width() - canvas.width() * scale) / 2.0;
    const double scaledY = originY * scale + (size.height() - canvas.height() * scale) / 2.0;
    if (isUsableView(scaledX, scaledY, ratio * scale)) {
        view.originX = scaledX;
        view.originY = scaledY;
        view.ratio = ratio * scale;
    }
    return view;
}

void ViewerApp::reportOutOfMemory() const
{
    const QString message = QStringLiteral("Not enough memory to load %1: the drawing was dropped.")
                                .arg(displayName(fileName));
    std::fprintf(stderr, "vedra: %s\n", message.toLocal8Bit().constData());
    if (!mainWindow)
        return;
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Vedra"), message,
                                QMessageBox::Ok, mainWindow);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void ViewerApp::updateTitle()
{
    if (!mainWindow)
        return;
    const QString prefix =
        fileName.empty() ? QString() : QFile::decodeName(fileName.c_str()) + QStringLiteral(" - ");
    QString format = QStringLiteral("%1Vedra %2 [ move - default ]");
    if (mode == 1)
        format = QStringLiteral("%1Vedra %2 [ pick ]");
    else if (display && display->measure().measuring())
        format = QStringLiteral("%1Vedra %2 [ measure ]");
    mainWindow->setWindowTitle(format.arg(prefix, versionText));
}

void ViewerApp::updateInfo()
{
    if (!basicInfoLabel)
        return;
    basicInfoLabel->setText(QString::asprintf(
        " <font color=blue size=%d><font color=black>Mouse=</font>( %.2f , %.2f )<br><font "
        "color=black>Fix=</font>( %.2f , %.2f ) <br><font color=black>Ratio=</font>%f</font>",
        infoFontSize, worldX(mouseX), worldY(mouseY), worldX(fixX), worldY(fixY), ratio));
}

void ViewerApp::fitToView()
{
    if (!display || !fitTo(display->size()))
        return;
    display->repaint();
    updateInfo();
}

bool ViewerApp::fitTo(const QSize& canvas)
{
    return fitBoxTo(DrawingModel::instance()->boundsIndex().extent(), canvas);
}

// The ratio leaves a 5% margin; the box centre lands at (w / 2, h - h / 2), the fix position
// when the height is even.
bool ViewerApp::fitBoxTo(const BoundsIndex::WorldBox& box, const QSize& canvas)
{
    constexpr double kFitMargin = 0.95;
    constexpr double kMinExtent = 1e-9;
    const double xmin = box.minX, ymin = box.minY, xmax = box.maxX, ymax = box.maxY;
    const double boxWidth = xmax - xmin;
    const double boxHeight = ymax - ymin;
    if (!(boxWidth > kMinExtent) && !(boxHeight > kMinExtent))
        return false;
    const int w = canvas.width();
    const int h = canvas.height();
    const double newRatio = kFitMargin * std::min(w / boxWidth, h / boxHeight);
    const double newFixX = w / 2;
    const double newFixY = h / 2;
    // Each bound is halved before adding, so that a box near the largest doubles has a centre.
    const double newOriginX = newFixX - newRatio * (xmin * 0.5 + xmax * 0.5);
    const double newOriginY = newRatio * (ymin * 0.5 + ymax * 0.5) - newFixY + h;
    if (!isUsableView(newOriginX, newOriginY, newRatio))
        return false;
    ratio = newRatio;
    fixX = newFixX;
    fixY = newFixY;
    originX = newOriginX;
    originY = newOriginY;
    return true;
}
