#pragma once

#include "model/boundsindex.h"
#include "model/changeset.h"
#include "query/comparator.h"

#include <QColor>
#include <QMap>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class QMenu;
class QWidget;
class paintObject;
class paintObjectHandler;

// The one store of everything the viewer draws: every object of the loaded script input in load
// order (which is also drawing and picking order), the same objects per type, the handler of
// each enabled type, and the current file's property declarations.
class DrawingModel
{
public:
    // Object lists hold plain pointers; `objects` owns what it points to and clearObjects() is
    // the one place that deletes objects.
    using ObjectList = std::vector<paintObject*>;
    using ComparatorMap = std::map<QString, std::unique_ptr<Comparator>>;
    // A box in world units.
    using Bounds = BoundsIndex::WorldBox;

    // The singleton, created on first use from config.ini in the working directory.
    static DrawingModel* instance();
    // Creates the singleton from the given config file unless it exists already; returns it.
    static DrawingModel* createInstance(const std::string& configPath);

    // A model whose enabled types come from the given config file (a missing file enables all).
    explicit DrawingModel(const std::string& configPath);
    ~DrawingModel();
    DrawingModel(const DrawingModel&) = delete;
    DrawingModel& operator=(const DrawingModel&) = delete;

    std::string registerHandler(std::unique_ptr<paintObjectHandler> handler);
    void registerTypeLists(const std::string& keyword);
    void addJoinList(const std::string& keyword, ObjectList* list);

    void addObjectFromRecord(const std::string& keyword, std::string_view rest);
    // A new object read from the record, owned by the caller; null for a type without handler.
    paintObject* createObjectFromRecord(const std::string& keyword, std::string_view rest);

    // Objects read from records apart from the model, on any thread, for append() to add in one
    // step: a load on several threads reads each part of a file into a batch of its own. While
    // batches are made, the model's handlers and declarations must not change.
    class Batch
    {
    public:
        // The declared defaults, copied down to their texts for the batches of one thread: an
        // object's properties start as a copy of its type's defaults, and threads that copied
        // one map would count its references in the same memory, record after record.
        using Defaults = std::map<std::string, QMap<QString, QString>>;
        static Defaults copyDefaults(const DrawingModel& model);

        Batch(const DrawingModel& model, std::shared_ptr<const Defaults> defaults)
            : model(model), defaults(std::move(defaults))
        {
        }
        // Frees the objects not appended.
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        // As the model's addObjectFromRecord(); true when the record made an object.
        bool addObjectFromRecord(const std::string& keyword, std::string_view rest);

    private:
        friend class DrawingModel;
        // A keyword that has a handler, and its declared defaults (an empty map when none).
        struct Type {
            std::string keyword;
            const paintObjectHandler* handler;
            const QMap<QString, QString>* defaults;
        };
        const Type* typeOf(const std::string& keyword);

        const DrawingModel& model;
        std::shared_ptr<const Defaults> defaults;
        std::vector<Type> types;
        // The objects in record order, owned here, each with its index in `types`.
        std::vector<std::pair<paintObject*, std::size_t>> made;
    };
    // Appends the batch's objects in order, as addObjectFromRecord() of their records would have
    // (the same lists, bounds and declared types); the batch is left empty.
    void append(Batch& batch);

    // A model without objects or declarations, with the types of the given one: a load fills it,
    // then the given model adopts what it holds.
    static std::unique_ptr<DrawingModel> emptyLike(const DrawingModel& model);

    // The objects (and the changes) that adopt() replaced, deleted with it: a drawing of millions
    // of objects takes a while to free, so it can be let go of on another thread.
    struct Discarded {
        Discarded() = default;
        Discarded(const Discarded&) = delete;
        Discarded& operator=(const Discarded&) = delete;
        ~Discarded();
        ObjectList objects;
        std::unique_ptr<ChangeSet> changes;
    };
    // Takes the loaded model's objects, declarations and bounds in place of its own, at once, as
    // one change of the scene; the types stay visible and nothing is highlighted or marked as
    // changed. The loaded model is left empty; what was here before is returned.
    std::unique_ptr<Discarded> adopt(DrawingModel& loaded);

    void clearObjects();
    // Empties the model as clearObjects() does, handing its objects and changes to `into`
    // (empty before) instead of freeing them: a load frees them on another thread while it reads.
    void releaseObjects(Discarded& into);
    void clearPropertyDeclarations();
    void clearHighlight();
    // Sets the highlight of the objects (which must be the model's) and marks the scene changed.
    // Highlights are set only here, so that the model knows how many there are: taking them off
    // objects of which none is highlighted (emptying a listing that nobody selected in) then reads
    // none of the objects.
    void setHighlighted(paintObject* object, bool highlighted);
    void setHighlighted(const ObjectList& objects, bool highlighted);
    void setTypeVisible(const std::string& keyword, int visible);

    // The reasons an object is hidden, as bits of paintObject::hiddenBy; an object is visible
    // when none is set, so a kind shown by its button stays hidden while its colour or the
    // display filter hides it, and the other way round.
    enum HiddenBy : std::uint8_t {
        HiddenByKind = 1,
        HiddenByColor = 2,
        HiddenByFilter = 4,
        HiddenByChanges = 8
    };
    // The reasons an object is drawn dimmed, as bits of paintObject::dimmedBy: the display
    // filter's "Dim the rest" and Dim Unchanged add up the same way.
    enum DimmedBy : std::uint8_t { DimmedByFilter = 1, DimmedByChanges = 2 };
    // Hides the objects whose colour word is one of the names and shows again those of other
    // words that their colour hid. Nothing hidden by colour and no names: no object is read.
    void setColorsHidden(const std::unordered_set<std::string>& names);
    // The display filter: the objects listed (the model's own) are shown, every other is hidden,
    // or drawn dimmed when `dimTheRest`. Null: no filter. One scene change, and none when no flag
    // changes.
    void setFilter(const ObjectList* shown, bool dimTheRest);
    bool filterActive() const { return filtered; }
    // What changed since the previous file, painted over the drawing while changesShown():
    // ghosts of the removed objects under it, marks on the added ones. Replacing the changes or
    // showing them counts as a change of the scene.
    const ChangeSet* changes() const { return changeSet.get(); }
    void setChanges(std::unique_ptr<ChangeSet> changes);
    bool changesShown() const { return showChanges; }
    void setChangesShown(bool shown);
    // How the objects that did not change are drawn while changes are shown: as they are (the
    // marks alone tell the changes), dimmed, or not at all. Applies to each change set in turn,
    // with no change set (nothing compared yet) to no object.
    enum class UnchangedLook : std::uint8_t { Plain, Dimmed, Hidden };
    UnchangedLook unchangedLook() const { return unchanged; }
    void setUnchangedLook(UnchangedLook look);
    // The colours of the marks around the added objects and of the removed ones' ghosts.
    struct ChangeColors {
        QColor added;
        QColor removed;
    };
    const ChangeColors& changeColors() const { return changeColorsShown; }
    void setChangeColors(const ChangeColors& colors);
    // The hashes of the records of `objects`, index for index, while changes are worked out;
    // empty otherwise (see hashScriptRecords).
    std::vector<std::uint64_t> recordHashes;

    // The types whose objects setTypeVisible() hid since the objects were last cleared.
    const std::set<std::string>& hiddenTypes() const { return typesHidden; }
    ObjectList& objectsOfType(const std::string& keyword);

    // The bounds of `objects`, index for index, compact and in one array, and their extent: the
    // scans that visit every object (painting, picking, fitting) read them instead of the
    // objects. Rebuilt when the objects have changed since.
    const BoundsIndex& boundsIndex();

    void addListActions(QMenu* menu) const;
    void addVisibilityActions(QWidget* toolBar) const;

    // Records a "property" header line: the default always, a comparator for the kinds
    // "string" and "double".
    void declareProperty(const std::string& keyword, const QString& name, const std::string& kind,
                         const QString& defaultValue);

    // Fills typesInUse from the last "typeusing" line of the config file; with none, or an
    // empty one, every given handler's type is in use.
    void readTypeUsing(const std::string& configPath,
                       const std::vector<std::unique_ptr<paintObjectHandler>>& candidates);

    std::map<std::string, std::unique_ptr<paintObjectHandler>> handlers;
    std::map<std::string, std::vector<ObjectList*>> joinLists;
    ObjectList objects;
    std::map<std::string, ObjectList> objectsByType;
    std::map<std::string, QMap<QString, QString>> propertyDefaults;
    std::map<std::string, ComparatorMap> comparators;
    std::set<std::string> typesInUse;
    // Counts the changes of what the canvas shows (objects, their visibility and highlight), so
    // that a picture kept from an earlier paint can tell that it is out of date.
    unsigned long long sceneGeneration = 0;

    // Called on the GUI thread before anything that a paint reads changes (objects added or
    // cleared, their visibility or highlight, the changes shown, the bounds index): a frame that
    // is being painted in the background must stop reading first. One hook; empty: none.
    void setBeforeSceneChange(std::function<void()> hook) { beforeSceneChange = std::move(hook); }

    // Taken, on the GUI thread, by whatever goes on reading the objects while the window handles
    // events (a long query with its progress): no loaded drawing is adopted in their place while
    // one is held. When the last hold ends, the hook set here is called (one hook; empty: none).
    class ObjectsInUse
    {
    public:
        explicit ObjectsInUse(DrawingModel& model);
        ~ObjectsInUse();
        ObjectsInUse(const ObjectsInUse&) = delete;
        ObjectsInUse& operator=(const ObjectsInUse&) = delete;

    private:
        DrawingModel& model;
    };
    bool objectsInUse() const { return objectHolds > 0; }
    void setAfterObjectsInUse(std::function<void()> hook) { afterObjectsInUse = std::move(hook); }

private:
    DrawingModel() = default;
    void registerHandlersInUse(std::vector<std::unique_ptr<paintObjectHandler>>& created);
    // Called by every operation that changes what the canvas shows, after the change.
    void sceneChanged() { ++sceneGeneration; }
    // Called by every such operation before it changes anything.
    void prepareSceneChange() const
    {
        if (beforeSceneChange)
            beforeSceneChange();
    }
    std::function<void()> beforeSceneChange;
    int objectHolds = 0;
    std::function<void()> afterObjectsInUse;

    // Where a record's keyword leads: found once per keyword, instead of by three map lookups
    // per record. Points into map nodes, which stay in place until erased; forgotten whenever an
    // entry may go or a handler be replaced.
    struct TypeRoute {
        std::string keyword;
        paintObjectHandler* handler;
        QMap<QString, QString>* defaults;
        std::vector<ObjectList*>* lists;
    };
    // The route of a keyword that has a handler, else null.
    const TypeRoute* routeOf(const std::string& keyword);
    std::unique_ptr<paintObject> createObject(const TypeRoute& route, std::string_view rest);

    static std::unique_ptr<DrawingModel> singleton;
    std::vector<TypeRoute> routes;
    BoundsIndex objectBounds;
    std::set<std::string> typesHidden;
    std::unique_ptr<ChangeSet> changeSet;
    bool showChanges = false;
    UnchangedLook unchanged = UnchangedLook::Plain;
    // Green frames and pale red outlines, as differences are usually coloured.
    ChangeColors changeColorsShown{QColor(0, 170, 60), QColor(235, 110, 110)};
    // Whether some object has HiddenByChanges or DimmedByChanges set.
    bool unchangedMarked = false;
    // Sets the unchanged objects' flags to what the look, the change set and its being shown ask
    // for; false when none changed.
    bool markUnchanged();
    // How many of the objects are highlighted; countHighlight() notes one object's change.
    std::size_t highlightedCount = 0;
    void countHighlight(bool highlighted)
    {
        if (highlighted)
            ++highlightedCount;
        else
            --highlightedCount;
    }
    // Whether objectBounds describes `objects` as they are.
    bool boundsCurrent = true;
    // Whether any object has HiddenByColor set, and whether a filter is in force: what lets
    // the default of nothing hidden skip the objects.
    bool colorHiding = false;
    bool filtered = false;
    // Sets or clears the reason on the object, with `visible` following; true when it changed.
    static bool setHiddenBy(paintObject& object, HiddenBy reason, bool hidden);
    // The same for a reason to dim it, with `dimmed` following.
    static bool setDimmedBy(paintObject& object, DimmedBy reason, bool dimmedNow);
};
