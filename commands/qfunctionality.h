#pragma once

#include "follow/fileloader.h"

#include <QObject>
#include <QPointF>
#include <QString>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QListWidget;
class QListWidgetItem;
class QPrinter;
class QSize;
class Query;
class paintObject;

// Receives every user command: the toolbar actions, the List Menu's "[picked]" entry, the
// signals of the two explorer lists and the print preview. It holds no state; each slot works
// on the application controller, the drawing model and the canvas, and redraws at once.
class QFunctionality : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Clears the highlight of every listed object, then empties the list. No repaint.
    void clearItemList(QListWidget* list);
    // Splits the current file name "PREFIX.N.las" into "PREFIX.", N and ".las". N is read as a
    // 64-bit number, so that names indexed by a time stamp step too; a name whose index does not
    // fit has no index.
    bool splitIndexFileName(std::string& prefix, qint64& index, std::string& suffix) const;
    // "type:conditions" as a query of an enabled type; null when the text is not usable that way.
    // A long text is read asking goOn, when given, now and then whether to go on; the query is
    // cancelled when it said no.
    std::unique_ptr<Query> parseQuery(const QString& text, QString& typeName,
                                      const std::function<bool()>& goOn = {}) const;
    // Opens the file as the current script input, as "Open Script Input" does once a file is
    // chosen: reload, then the title.
    void openFile(const QString& path);
    // Opens the file as a step through the series does; a member that is not there is named in
    // the status bar.
    void stepToFile(const std::string& name);
    // How a file comes to be shown: opened (a new view history), reloaded, or stepped to.
    enum class FileChange { Open, Reload, Step };
    // Loads the file in place of the drawing (in the background when it is large) and, once it
    // is in, shows it as the change asks: the explorer reset, the title and status bar.
    void loadFile(const std::string& name, FileChange change);
    // Picks what the query text selects and lists it; an unusable text shows the warning instead.
    void runConditionalPick(const QString& text);
    // The same without a warning box: whether the objects were picked and listed, the text was
    // not usable (unusableQueryReason() says why) or the user cancelled a long run.
    enum class PickOutcome { Picked, Unusable, Cancelled };
    PickOutcome pickAndList(const QString& text);
    static QString unusableQueryReason();
    // What became of an export that did not write its picture: the user's Cancel, or the reason
    // as the user reads it.
    struct ExportFailure {
        bool cancelled = false;
        QString reason;
    };
    // Writes what the canvas shows, scaled to the picture size, to the file (PNG, PDF or SVG by
    // its suffix, which must name one), as Export Image does: refused where it would overwrite a
    // file the window reads, with progress and Cancel for a large picture.
    std::optional<ExportFailure> writeImage(const QString& name, const QSize& pictureSize);
    // Lists the objects in the explorer under the name (listedName), unless it lists that name
    // already.
    void listObjects(const std::string& name, const std::vector<paintObject*>& objects);
    // The explorer's title says how many objects its list holds under the name ("picked" says so),
    // or of how many found when those were more; its bare name once the list is emptied.
    void showListedCount(const std::string& name = {}, std::size_t count = 0,
                         std::size_t found = 0) const;
    // The zoom about the fix position to the new ratio; nothing when the view would not be
    // usable.
    void zoomTo(double newRatio);

signals:
    // A loaded file is shown: the model holds it and the window has followed.
    void fileShown();

public slots:
    void doOpenfile();
    void doPrint();
    void doExportImage();
    void doReload();
    void doZoomin();
    void doZoomout();
    void dotResizefit();
    void doGotoCdt();
    void doPointSizeup();
    void doPointSizedown();
    void doLineWiden();
    void doLineNarrow();
    void doChange2PickMode();
    // Back to move mode without picking; the last pick stays. In move mode, the canvas's
    // gesture in progress is dropped instead.
    void doLeavePickMode();
    void doConditionalPick();
    void doSwitchPreFile();
    void doSwitchNextFile();
    void doListAnItemType(std::string itemType);
    void doListPicked();
    void doUpdateItemInExplorer(QListWidgetItem* item);
    void doUpdateItemInExplorer(int currentRow);
    void doUpdateHighlight();
    void doHighlightItemRelatedSearch(QListWidgetItem* item);
    void doHighlightItemRelatedSearch(int currentRow);
    void doExpandRelatedSearch(QListWidgetItem* item);
    void doMoveToObject(QListWidgetItem* item);
    void doShowAbout();
    // The Keys page: every key and its command.
    void doShowKeys();
    void doPrintAllPaintObject(QPrinter* printer);

private:
    // Shows a finished load: the model adopts the new drawing, and the window follows.
    void showLoaded(FileLoader::Result& result, FileChange change);
    // Moves the view so that the world point lies at the fix position; the ratio stays.
    void bringToFix(const QPointF& world);
    void runHighlightSearch(const QString& text);
    // The modal "Warning" box with the rich text and a single Yes button.
    void showWarning(const QString& text) const;
};
