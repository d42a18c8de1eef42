#include "model/drawingmodel.h"

#include "handlers/paintcirclehandler.h"
#include "handlers/paintlinehandler.h"
#include "handlers/paintpathhandler.h"
#include "handlers/paintpointhandler.h"
#include "handlers/paintpolygonhandler.h"
#include "handlers/paintrectanglehandler.h"
#include "model/paintobject.h"
#include "query/comparator.h"
#include "storage/objectarena.h"
#include "storage/sharedrecordparts.h"

#include <QMenu>

#include <algorithm>

#include <cstdlib>
#include <utility>

std::unique_ptr<DrawingModel> DrawingModel::singleton;

DrawingModel* DrawingModel::instance()
{
    return singleton ? singleton.get() : createInstance("config.ini");
}

DrawingModel* DrawingModel::createInstance(const std::string& configPath)
{
    if (!singleton) {
        singleton = std::make_unique<DrawingModel>(configPath);
        std::atexit([] { singleton.reset(); });
    }
    return singleton.get();
}

namespace
{

std::vector<std::unique_ptr<paintObjectHandler>> everyHandler()
{
    std::vector<std::unique_ptr<paintObjectHandler>> created;
    created.push_back(std::make_unique<paintPointHandler>());
    created.push_back(std::make_unique<paintLineHandler>());
    created.push_back(std::make_unique<paintRectangleHandler>());
    created.push_back(std::make_unique<paintPathHandler>());
    created.push_back(std::make_unique<paintCircleHandler>());
    created.push_back(std::make_unique<paintPolygonHandler>());
    return created;
}

} // namespace

DrawingModel::DrawingModel(const std::string& configPath)
{
    ObjectArena::tuneProcessAllocator();
    std::vector<std::unique_ptr<paintObjectHandler>> created = everyHandler();
    readTypeUsing(configPath, created);
    registerHandlersInUse(created);
}

std::unique_ptr<DrawingModel> DrawingModel::emptyLike(const DrawingModel& model)
{
    std::unique_ptr<DrawingModel> empty(new DrawingModel);
    empty->typesInUse = model.typesInUse;
    std::vector<std::unique_ptr<paintObjectHandler>> created = everyHandler();
    empty->registerHandlersInUse(created);
    return empty;
}

void DrawingModel::registerHandlersInUse(std::vector<std::unique_ptr<paintObjectHandler>>& created)
{
    for (std::unique_ptr<paintObjectHandler>& handler : created) {
        if (typesInUse.count(handler->typeKeyword()) == 0)
            continue;
        const std::string keyword = registerHandler(std::move(handler));
        registerTypeLists(keyword);
    }
}

DrawingModel::Discarded::~Discarded()
{
    const ObjectArena::ReleaseBatch batch;
    for (paintObject* object : objects)
        delete object;
}

std::unique_ptr<DrawingModel::Discarded> DrawingModel::adopt(DrawingModel& loaded)
{
    prepareSceneChange();
    auto discarded = std::make_unique<Discarded>();
    discarded->objects.swap(objects);
    objects.swap(loaded.objects);
    discarded->changes = std::move(changeSet);
    for (auto& [keyword, list] : objectsByType) {
        list.clear();
        const auto fresh = loaded.objectsByType.find(keyword);
        if (fresh != loaded.objectsByType.end())
            list.swap(fresh->second);
    }
    routes.clear();
    loaded.routes.clear();
    propertyDefaults.swap(loaded.propertyDefaults);
    comparators.swap(loaded.comparators);
    std::swap(objectBounds, loaded.objectBounds);
    boundsCurrent = loaded.boundsCurrent;
    typesHidden.clear();
    colorHiding = false;
    filtered = false;
    unchangedMarked = false;
    highlightedCount = std::exchange(loaded.highlightedCount, 0);
    recordHashes.clear();
    sceneChanged();
    return discarded;
}

DrawingModel::ObjectsInUse::ObjectsInUse(DrawingModel& model) : model(model)
{
    ++model.objectHolds;
}

DrawingModel::ObjectsInUse::~ObjectsInUse()
{
    if (--model.objectHolds == 0 && model.afterObjectsInUse)
        model.afterObjectsInUse();
}

DrawingModel::~DrawingModel()
{
    clearObjects();
}

std::string DrawingModel::registerHandler(std::unique_ptr<paintObjectHandler> handler)
{
    routes.clear();
    std::string keyword = handler->typeKeyword();
    handlers[keyword] = std::move(handler);
    return keyword;
}

void DrawingModel::registerTypeLists(const std::string& keyword)
{
    ObjectList& own = objectsByType[keyword];
    std::vector<ObjectList*>& lists = joinLists[keyword];
    lists.push_back(&objects);
    lists.push_back(&own);
}

void DrawingModel::addJoinList(const std::string& keyword, ObjectList* list)
{
    joinLists[keyword].push_back(list);
}

const DrawingModel::TypeRoute* DrawingModel::routeOf(const std::string& keyword)
{
    for (const TypeRoute& route : routes) {
        if (route.keyword == keyword)
            return &route;
    }
    const auto handler = handlers.find(keyword);
    if (handler == handlers.end())
        return nullptr;
    return &routes.emplace_back(
        TypeRoute{keyword, handler->second.get(), &propertyDefaults[keyword], &joinLists[keyword]});
}

void DrawingModel::addObjectFromRecord(const std::string& keyword, std::string_view rest)
{
    const TypeRoute* route = routeOf(keyword);
    if (!route)
        return;
    // Owned here until `objects` holds it, so that running out of memory on the way leaks nothing.
    std::unique_ptr<paintObject> owned = createObject(*route, rest);
    paintObject* object = owned.get();
    prepareSceneChange();
    sceneChanged();
    boundsCurrent = false;
    for (ObjectList* list : *route->lists) {
        list->push_back(object);
        if (list == &objects) {
            owned.release();
            objectBounds.noteAppended(*object);
        }
    }
}

DrawingModel::Batch::~Batch()
{
    for (const auto& [object, type] : made)
        delete object;
}

const DrawingModel::Batch::Type* DrawingModel::Batch::typeOf(const std::string& keyword)
{
    for (const Type& type : types) {
        if (type.keyword == keyword)
            return &type;
    }
    const auto handler = model.handlers.find(keyword);
    if (handler == model.handlers.end())
        return nullptr;
    static const QMap<QString, QString> noDefaults;
    const auto declared = defaults->find(keyword);
    return &types.emplace_back(Type{keyword, handler->second.get(),
                                    declared == defaults->end() ? &noDefaults : &declared->second});
}

DrawingModel::Batch::Defaults DrawingModel::Batch::copyDefaults(const DrawingModel& model)
{
    const auto copy = [](const QString& text) { return QString(text.constData(), text.size()); };
    Defaults copied;
    for (const auto& [keyword, declared] : model.propertyDefaults) {
        QMap<QString, QString>& own = copied[keyword];
        for (auto entry = declared.cbegin(); entry != declared.cend(); ++entry)
            own.insert(copy(entry.key()), copy(entry.value()));
    }
    return copied;
}

bool DrawingModel::Batch::addObjectFromRecord(const std::string& keyword, std::string_view rest)
{
    const Type* type = typeOf(keyword);
    if (!type)
        return false;
    std::unique_ptr<paintObject> object(type->handler->createObject());
    object->readRecord(rest, *type->defaults);
    // Released only once listed, so that running out of memory on the way leaks nothing.
    made.emplace_back(object.get(), static_cast<std::size_t>(type - types.data()));
    object.release();
    return true;
}

// Every list is made long enough first, so that nothing can fail once the first object is in.
void DrawingModel::append(Batch& batch)
{
    if (batch.made.empty())
        return;
    // The lists of each type (`routes` may move as it grows; the lists stay in place).
    std::vector<std::vector<ObjectList*>*> typeLists;
    for (const Batch::Type& type : batch.types)
        typeLists.push_back(routeOf(type.keyword)->lists);
    std::vector<std::size_t> perType(batch.types.size());
    for (const auto& [object, type] : batch.made)
        ++perType[type];
    std::vector<std::pair<ObjectList*, std::size_t>> growth;
    for (std::size_t type = 0; type < typeLists.size(); ++type) {
        for (ObjectList* list : *typeLists[type]) {
            const auto known =
                std::find_if(growth.begin(), growth.end(),
                             [list](const auto& entry) { return entry.first == list; });
            if (known == growth.end())
                growth.emplace_back(list, perType[type]);
            else
                known->second += perType[type];
        }
    }
    // Grown as push_back grows them, so that many batches in a row copy each list a few times.
    for (const auto& [list, count] : growth) {
        if (list->size() + count > list->capacity())
            list->reserve(std::max(list->size() + count, 2 * list->capacity()));
    }
    prepareSceneChange();
    sceneChanged();
    boundsCurrent = false;
    for (const auto& [object, type] : batch.made) {
        for (ObjectList* list : *typeLists[type])
            list->push_back(object);
        objectBounds.noteAppended(*object);
    }
    batch.made.clear();
}

const BoundsIndex& DrawingModel::boundsIndex()
{
    if (!boundsCurrent || objectBounds.size() != objects.size()) {
        prepareSceneChange();
        objectBounds.rebuild(objects);
        boundsCurrent = true;
    }
    return objectBounds;
}

paintObject* DrawingModel::createObjectFromRecord(const std::string& keyword, std::string_view rest)
{
    const TypeRoute* route = routeOf(keyword);
    return route ? createObject(*route, rest).release() : nullptr;
}

std::unique_ptr<paintObject> DrawingModel::createObject(const TypeRoute& route,
                                                        std::string_view rest)
{
    std::unique_ptr<paintObject> object(route.handler->createObject());
    object->readRecord(rest, *route.defaults);
    return object;
}

void DrawingModel::clearObjects()
{
    Discarded discarded;
    releaseObjects(discarded);
}

void DrawingModel::releaseObjects(Discarded& into)
{
    prepareSceneChange();
    into.objects.swap(objects);
    // The added objects were these; the removed ones go with them.
    into.changes = std::move(changeSet);
    objects.clear();
    objectBounds.clear();
    typesHidden.clear();
    colorHiding = false;
    filtered = false;
    unchangedMarked = false;
    highlightedCount = 0;
    recordHashes.clear();
    sceneChanged();
    for (auto& entry : objectsByType)
        entry.second.clear();
}

void DrawingModel::setChanges(std::unique_ptr<ChangeSet> changes)
{
    prepareSceneChange();
    changeSet = std::move(changes);
    markUnchanged();
    sceneChanged();
}

void DrawingModel::setChangesShown(bool shown)
{
    prepareSceneChange();
    showChanges = shown;
    markUnchanged();
    sceneChanged();
}

void DrawingModel::setUnchangedLook(UnchangedLook look)
{
    if (look == unchanged)
        return;
    prepareSceneChange();
    unchanged = look;
    if (markUnchanged())
        sceneChanged();
}

void DrawingModel::setChangeColors(const ChangeColors& colors)
{
    if (colors.added == changeColorsShown.added && colors.removed == changeColorsShown.removed)
        return;
    prepareSceneChange();
    changeColorsShown = colors;
    sceneChanged();
}

// Every object as unchanged first, then the added ones as changed: two plain passes, as the
// display filter's. The default look, or no comparison shown, reads no object unless an earlier
// look left flags to clear.
bool DrawingModel::markUnchanged()
{
    const bool active = showChanges && changeSet && unchanged != UnchangedLook::Plain;
    if (!active && !unchangedMarked)
        return false;
    const bool hide = active && unchanged == UnchangedLook::Hidden;
    const bool dim = active && unchanged == UnchangedLook::Dimmed;
    bool changed = false;
    for (paintObject* object : objects) {
        changed |= setHiddenBy(*object, HiddenByChanges, hide);
        changed |= setDimmedBy(*object, DimmedByChanges, dim);
    }
    if (active) {
        for (paintObject* object : changeSet->added) {
            changed |= setHiddenBy(*object, HiddenByChanges, false);
            changed |= setDimmedBy(*object, DimmedByChanges, false);
        }
    }
    unchangedMarked = active;
    return changed;
}

void DrawingModel::clearPropertyDeclarations()
{
    routes.clear();
    SharedRecordParts::instance().clear();
    propertyDefaults.clear();
    comparators.clear();
}

void DrawingModel::clearHighlight()
{
    prepareSceneChange();
    if (highlightedCount > 0) {
        for (paintObject* object : objects)
            object->highlighted = false;
        highlightedCount = 0;
    }
    sceneChanged();
}

// Setting flags to what they are leaves the picture as it is: no frame in progress is stopped
// and none is painted anew. Emptying a listing of entries that none selected is such a change.
void DrawingModel::setHighlighted(paintObject* object, bool highlighted)
{
    if (object->highlighted == highlighted)
        return;
    prepareSceneChange();
    object->highlighted = highlighted;
    countHighlight(highlighted);
    sceneChanged();
}

void DrawingModel::setHighlighted(const ObjectList& objects, bool highlighted)
{
    if (!highlighted && highlightedCount == 0)
        return;
    const auto first =
        std::find_if(objects.begin(), objects.end(), [highlighted](const paintObject* object) {
            return object->highlighted != highlighted;
        });
    if (first == objects.end())
        return;
    prepareSceneChange();
    std::for_each(first, objects.end(), [this, highlighted](paintObject* object) {
        if (object->highlighted == highlighted)
            return;
        object->highlighted = highlighted;
        countHighlight(highlighted);
    });
    sceneChanged();
}

bool DrawingModel::setHiddenBy(paintObject& object, HiddenBy reason, bool hidden)
{
    const std::uint8_t was = object.hiddenBy;
    object.hiddenBy = hidden ? (was | reason) : (was & ~reason);
    object.visible = object.hiddenBy == 0;
    return object.hiddenBy != was;
}

bool DrawingModel::setDimmedBy(paintObject& object, DimmedBy reason, bool dimmedNow)
{
    const std::uint8_t was = object.dimmedBy;
    object.dimmedBy = dimmedNow ? (was | reason) : (was & ~reason);
    object.dimmed = object.dimmedBy != 0;
    return object.dimmedBy != was;
}

void DrawingModel::setTypeVisible(const std::string& keyword, int visible)
{
    const auto entry = objectsByType.find(keyword);
    if (entry == objectsByType.end())
        return;
    prepareSceneChange();
    for (paintObject* object : entry->second)
        setHiddenBy(*object, HiddenByKind, visible == 0);
    if (visible != 0)
        typesHidden.erase(keyword);
    else
        typesHidden.insert(keyword);
    sceneChanged();
}

void DrawingModel::setColorsHidden(const std::unordered_set<std::string>& names)
{
    if (names.empty() && !colorHiding)
        return;
    prepareSceneChange();
    bool changed = false;
    bool any = false;
    for (paintObject* object : objects) {
        const bool hidden = !names.empty() && names.count(object->colorName) != 0;
        changed |= setHiddenBy(*object, HiddenByColor, hidden);
        any |= hidden;
    }
    colorHiding = any;
    if (changed)
        sceneChanged();
}

void DrawingModel::setFilter(const ObjectList* shown, bool dimTheRest)
{
    if (!shown && !filtered)
        return;
    prepareSceneChange();
    // Every object as the rest first, then the shown ones as shown: two plain passes, however
    // the shown ones lie.
    const bool hideRest = shown && !dimTheRest;
    const bool dimRest = shown && dimTheRest;
    bool changed = false;
    for (paintObject* object : objects) {
        changed |= setHiddenBy(*object, HiddenByFilter, hideRest);
        changed |= setDimmedBy(*object, DimmedByFilter, dimRest);
    }
    if (shown) {
        for (paintObject* object : *shown) {
            setHiddenBy(*object, HiddenByFilter, false);
            setDimmedBy(*object, DimmedByFilter, false);
        }
        // The shown ones were set to the rest's state above; they cannot tell what they were, so
        // a filter in force always counts as a change.
        changed = true;
    }
    filtered = shown != nullptr;
    if (changed)
        sceneChanged();
}

DrawingModel::ObjectList& DrawingModel::objectsOfType(const std::string& keyword)
{
    return objectsByType[keyword];
}

void DrawingModel::addListActions(QMenu* menu) const
{
    for (const auto& entry : handlers)
        entry.second->addListMenuEntry(menu);
}

void DrawingModel::addVisibilityActions(QWidget* toolBar) const
{
    for (const auto& entry : handlers) {
        entry.second->addShowAllAction(toolBar);
        entry.second->addHideAllAction(toolBar);
    }
}
