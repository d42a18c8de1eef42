#pragma once

#include "app/descriptionbox.h"
#include "app/objectcountlabel.h"
#include "canvas/colormemo.h"
#include "canvas/sceneview.h"
#include "commands/qfunctionality.h"
#include "model/boundsindex.h"
#include "script/filestamp.h"

#include <QByteArray>
#include <QColor>
#include <QKeySequence>
#include <QList>
#include <QSize>
#include <QString>

#include <map>
#include <memory>
#include <string>
#include <vector>

class QAction;
class ChangeTracker;
class ExplorerFiller;
class FileLoader;
class FollowControl;
class QDockWidget;
class TimelineDock;
class QLabel;
class QListWidget;
class QMainWindow;
class QMenu;
class QPushButton;
class QTimer;
class QToolBar;
class QVBoxLayout;
class QWidget;
class QwgtDisplay;
class RemoteControl;
class paintObject;

// The application controller: owns the main window and its widgets, the view state that every
// drawable object and command reads, the colour tables and the command object. One instance,
// made by create() or createHeadless() and reached through instance().
class LayersDock;
class ViewerApp
{
public:
    // Builds the singleton (a second call does nothing): loads argv[1] if given, reads the
    // settings of config.ini in the working directory, builds and shows the main window. The
    // window listens for remote control when asked to or when the user left it listening, and
    // does so before the file loads, so that requests sent meanwhile wait in turn. With `fit`, the
    // first drawing shown, once it is in, is fitted to the canvas.
    static void create(int argc, char** argv, bool listen = false, bool fit = false);
    // Builds the singleton without a main window, for rendering pictures without a screen (a
    // second call, or one after create(), does nothing). The settings and the drawing model's
    // types in use come from the config file at configPath; a missing file keeps the defaults.
    // mainWindow, display and every other widget stay null: the controller's own operations
    // skip what they would show, and the commands must not be run.
    static void createHeadless(const std::string& configPath);
    // The controller of this thread: the singleton, or on a thread that paints a frame in the
    // background, that frame's painting copy (PaintingThread below).
    static ViewerApp* instance() { return threadController ? threadController : singleton; }

    // A controller that holds only what painting reads: the view, the marker and pen sizes, the
    // highlight colour and the colour tables. No window, no drawing model of its own. Made on the
    // GUI thread; a thread that paints in the background reads it instead of the singleton, which
    // the GUI thread goes on changing.
    std::unique_ptr<ViewerApp> paintingCopy() const;
    // For its lifetime, instance() on this thread returns the given painting copy.
    class PaintingThread
    {
    public:
        explicit PaintingThread(ViewerApp* copy) { threadController = copy; }
        ~PaintingThread() { threadController = nullptr; }
        PaintingThread(const PaintingThread&) = delete;
        PaintingThread& operator=(const PaintingThread&) = delete;
    };

    // The colour of a name: the loaded file's colours first, then the built-in table; an
    // unknown name gives an invalid colour.
    QColor colorOf(const std::string& name) const;
    // The same as the pixel that painting it writes, when it is plain (DirectCanvas::plainColor).
    bool plainPixelOf(const std::string& name, QRgb& pixel) const;
    // While one exists, colorOf() remembers what it resolves: a paint resolves a colour per
    // object, and neither the file's colours nor the built-in table can change during a paint.
    class PaintColors
    {
    public:
        PaintColors();
        ~PaintColors();
        PaintColors(const PaintColors&) = delete;
        PaintColors& operator=(const PaintColors&) = delete;
    };
    void setMode(int m);
    // Resets the rubber band to its far-away empty state and empties the picked list.
    void resetPick();
    // The world position under the canvas pixel, in the status bar, printed as descriptions
    // print numbers; nothing without a main window.
    void showPointer(double x, double y);
    // The same for wherever the pointer is now, when it is over the canvas: after a change of the
    // view that no move of the pointer made (a remote goto, fit or open).
    void showPointerUnderCursor();
    // A short message in the status bar, in place of the last one.
    void showMessage(const QString& text);
    // After a load that took the time given: the object count, and in the status bar either
    // "N objects loaded in T s" or why fileName could not be opened (also on standard error
    // when that is a terminal). Nothing but the count when no file is named.
    void reportLoad(qint64 milliseconds);
    // Remembers the current file among the recent files when it opens for reading, and
    // rebuilds Open Recent.
    void rememberCurrentFile();
    // The same after a step through the series shown, once the steps have paused for
    // kRememberStepAfterMs: scrubbing or playing a series does not write the settings at every
    // step. A step not yet remembered is remembered before another file is shown
    // (rememberPendingStep) and when the application quits.
    static constexpr int kRememberStepAfterMs = 1000;
    void rememberStepLater();
    void rememberPendingStep();
    void updateRecentMenu();
    // Open Recent's entry: opens the file, or, when it cannot be opened, says why and offers to
    // remove the entry.
    void openRecentFile(const std::string& path);
    // The Keys page: every key of the menu bar's actions and what it does, then the mouse
    // gestures on the canvas, as an HTML table.
    QString keysText() const;
    // The window title and the Basic Info text; nothing without a main window.
    void updateTitle();
    void updateInfo();
    // Fits every object, hidden ones included, into the canvas and shows the new view; nothing
    // without a canvas.
    void fitToView();
    // Sets the ratio, origin and fix position that fit every object, hidden ones included, into
    // a canvas of the given size. False, with the view unchanged, when the objects have no
    // extent or fitting them would give a view that is not usable.
    bool fitTo(const QSize& canvas);
    // The same for a world box instead of every object's: the zoom box.
    bool fitBoxTo(const BoundsIndex::WorldBox& box, const QSize& canvas);
    // Reads fileName into the drawing model. False when memory ran out: the drawing is then
    // dropped whole (empty), and the program goes on.
    bool loadScript();
    // Says that fileName was dropped for lack of memory: on standard error, and in a message over
    // the main window when there is one (shown without waiting for it to be closed).
    void reportOutOfMemory() const;
    // The view that the canvas shows, on a device of the given size.
    SceneView sceneView(const QSize& size) const;
    // What the canvas shows, scaled to fit a picture of the given size and centred in it; the
    // canvas's own view when the sizes are equal or the scaled view would not be usable.
    SceneView canvasViewScaledTo(const QSize& size) const;

    // Reads the seven positional viewer settings; what is missing or unusable keeps its
    // default. Public so that the settings can be read from any text.
    void readSettings(std::string_view configText);

    // World to screen, truncated toward zero to whole pixels. Values beyond kPixelLimit (and NaN)
    // are clamped first: nothing that far can be on any screen, and truncating them to int
    // would be undefined. Inline: every vertex of every painted object passes through here.
    int pixelX(double x) const { return toPixel(originX + ratio * x); }
    int pixelY(double y) const { return toPixel(originY - ratio * y); }
    int pixelLength(double length) const { return toPixel(ratio * length); }
    static int toPixel(double value)
    {
        if (!(value > -kPixelLimit))
            return static_cast<int>(-kPixelLimit);
        if (value > kPixelLimit)
            return static_cast<int>(kPixelLimit);
        return static_cast<int>(value);
    }
    // Screen to world, not truncated: the inverse of pixelX() and pixelY() before truncation.
    double worldX(double px) const { return (px - originX) / ratio; }
    double worldY(double py) const { return (originY - py) / ratio; }
    static constexpr double kPixelLimit = 5.0e8;
    // The zoom ratios a view may have: far beyond what any drawing needs, and far enough from
    // the limits of a double that pixels / ratio and ratio * coordinate keep their meaning.
    static constexpr double kMinRatio = 1e-200;
    static constexpr double kMaxRatio = 1e200;
    // The largest marker half-size and pen width that config.ini or the size commands give: far
    // beyond any real use, and small enough that no pixel arithmetic with them (marker corners,
    // outline reaches, stamp areas, culling margins) can overflow an int.
    static constexpr int kMaxPointSize = 4096;
    static constexpr int kMaxLineWidth = 4096;
    // Whether a view keeps every number derived from it finite: a ratio within its range, a
    // finite origin, and finite world coordinates for every pixel value up to kPixelLimit. The
    // commands that move or zoom the view refuse one that is not.
    static bool isUsableView(double originX, double originY, double ratio);

    QMainWindow* mainWindow = nullptr;
    QwgtDisplay* display = nullptr;
    QDockWidget* basicInfoDock = nullptr;
    QLabel* basicInfoLabel = nullptr;
    QToolBar* mainToolBar = nullptr;
    QAction* openAction = nullptr;
    QAction* printAction = nullptr;
    QAction* exportImageAction = nullptr;
    QAction* reloadAction = nullptr;
    QAction* zoomInAction = nullptr;
    QAction* zoomOutAction = nullptr;
    QAction* resizeFitAction = nullptr;
    QAction* gotoFixAction = nullptr;
    QAction* pointSizeUpAction = nullptr;
    QAction* pointSizeDownAction = nullptr;
    QAction* lineWidenAction = nullptr;
    QAction* lineNarrowAction = nullptr;
    QAction* pickModeAction = nullptr;
    QAction* conditionalPickAction = nullptr;
    QAction* previousFileAction = nullptr;
    QAction* nextFileAction = nullptr;
    QAction* aboutAction = nullptr;
    // Menu-bar only: closing the window, the Keys page, leaving pick mode without a pick.
    QAction* quitAction = nullptr;
    QAction* keysAction = nullptr;
    QAction* leavePickModeAction = nullptr;
    // View > Reset Layout: the docks and toolbars back where a first start puts them.
    QAction* resetLayoutAction = nullptr;
    // File > Open Recent: the remembered files, newest first, then "Clear Menu".
    QMenu* recentMenu = nullptr;
    // Runs out kRememberStepAfterMs after the last step not yet remembered; a child of the main
    // window.
    QTimer* rememberStepTimer = nullptr;
    QToolBar* objectControlToolBar = nullptr;
    // Status bar, right side: the world position under the pointer and how many objects are
    // shown.
    QLabel* pointerLabel = nullptr;
    ObjectCountLabel* objectCountLabel = nullptr;
    QDockWidget* explorerDock = nullptr;
    QWidget* explorerPanel = nullptr;
    QVBoxLayout* explorerLayout = nullptr;
    QPushButton* listMenuButton = nullptr;
    // Has no parent and lives as long as the program.
    QMenu* listMenu = nullptr;
    QListWidget* itemList = nullptr;
    // Fills itemList a chunk at a time; its child.
    ExplorerFiller* itemListFiller = nullptr;
    QListWidget* relatedList = nullptr;
    DescriptionBox* itemText = nullptr;
    // Watches the open file on disk and shows the change bar under the canvas; a child of the
    // main window.
    FollowControl* followControl = nullptr;
    // The colours shown and the display filter; null without a window.
    LayersDock* layersDock = nullptr;
    // After a load, before its repaint: the hidden colours and the display filter kept on the new
    // drawing, or dropped (LayersDock::afterLoad).
    void keepLayers(bool kept);
    // Show Changes: each load compared with the one before; a child of the main window.
    ChangeTracker* changeTracker = nullptr;
    // The Timeline dock of the series.
    TimelineDock* timelineDock = nullptr;
    // Loads files, the large ones in the background; a child of the main window.
    FileLoader* fileLoader = nullptr;
    // Takes requests on a local socket when asked to; a child of the main window.
    RemoteControl* remoteControl = nullptr;
    QString versionText;
    QString dateText;
    // Screen pixels of world (0, 0).
    double originX = 0.0;
    double originY = 0.0;
    // Pixels per world unit; always within [kMinRatio, kMaxRatio].
    double ratio = 1.0;
    // Last mouse position on the canvas, screen pixels.
    double mouseX = 0.0;
    double mouseY = 0.0;
    // The fix position that zooming keeps still, screen pixels.
    double fixX = 0.0;
    double fixY = 0.0;
    // Marker half-size in pixels; within [1, kMaxPointSize].
    int pointSize = 3;
    // Pen width of lines and paths in pixels; within [1, kMaxLineWidth].
    int lineWidth = 1;
    QColor highlightColor{255, 128, 0};
    // What itemList shows: a type keyword, "picked", or empty when it must be rebuilt.
    std::string listedName;
    // The conditional-pick query whose matches itemList shows; empty when it shows anything else.
    QString listedQuery;
    // 0 = move, 1 = pick.
    int mode = 0;
    // The rubber band in screen pixels: left, bottom, right, top (bottom is the larger y).
    int pickRect[4] = {0, 0, 0, 0};
    // Picked objects, borrowed from the drawing model; emptied at every load.
    std::vector<paintObject*> pickedList;
    int windowWidth = 1280;
    int windowHeight = 800;
    // Whether config.ini gave the window size, which then holds as given.
    bool windowSizeConfigured = false;
    // Within [1, 512]; icons are 6 pixels smaller, and at least 1.
    int toolButtonSize = 54;
    // HTML font size of the Basic Info text; within [1, 7].
    int infoFontSize = 3;
    std::string fileName;
    // The file as it was when the drawing shown was read from it.
    FileStamp fileStamp;
    std::map<std::string, QColor> colorTable;
    std::map<std::string, QColor> fileColors;
    QFunctionality commands;

private:
    // The window's state as built, before the remembered layout is restored: what Reset Layout
    // goes back to.
    QByteArray defaultLayout;
    // What colorOf() resolved since the outermost PaintColors began, and how many are alive.
    mutable ColorMemo paintColors;
    int paintColorScopes = 0;

    // Reads the settings and creates the drawing model from the config file at configPath.
    explicit ViewerApp(const std::string& configPath);
    // A painting copy of the source (paintingCopy()).
    struct PaintingCopyTag {
    };
    ViewerApp(const ViewerApp& source, PaintingCopyTag);
    // Makes the instance the singleton, deleted at exit.
    static void install(ViewerApp* app);
    // colorOf() without the memo.
    QColor lookUpColor(const std::string& name) const;
    // The colour of the name from the memo, resolved now if it has none; null outside a paint.
    const ColorMemo::Resolved* memoColor(const std::string& name) const;
    void buildMainWindow();
    void growToShowToolBars();
    void buildInfoDock();
    void buildExplorerDock();
    void buildToolBars();
    // The menu bar holds the toolbars' own actions, so that a key, a menu entry and a button
    // are one command; it is built after the toolbars and the docks.
    void buildMenuBar();
    void buildStatusBar();
    // Gives the action its keys, window-wide, and names the first in its tooltip after the
    // text it had: "Zoom In (Ctrl++)".
    static void setKeys(QAction* action, const QList<QKeySequence>& keys);
    // An action with the icon, the tooltip (also its menu text) and the command it runs, added
    // to the toolbar, whose buttons show the icon only.
    QAction* addCommand(QToolBar* toolBar, const char* iconPath, const char* toolTip,
                        void (QFunctionality::*slot)());
    // The icon edge in pixels for toolbar buttons.
    int iconSize() const;

    static ViewerApp* singleton;
    static inline thread_local ViewerApp* threadController = nullptr;
};
