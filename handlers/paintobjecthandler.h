#pragma once

#include <QObject>

#include <string>

class QMenu;
class QWidget;
class paintObject;

// One per object type: knows the type's keyword, name and toolbar icons, creates empty objects
// of the type for the loader, and carries the per-type show, hide and list commands.
class paintObjectHandler : public QObject
{
    Q_OBJECT

public:
    // The word that opens the type's records and keys the type in the drawing model.
    virtual std::string typeKeyword() const = 0;
    // The name shown to the user.
    virtual std::string displayName() const = 0;
    // A new object of the type in its initial state, owned by the caller.
    virtual paintObject* createObject() const = 0;
    virtual std::string showIconPath() const = 0;
    virtual std::string hideIconPath() const = 0;

    void addShowAllAction(QWidget* toolBar);
    void addHideAllAction(QWidget* toolBar);
    void addListMenuEntry(QMenu* menu);

public slots:
    void showAllObject();
    void hideAllObject();
    void doListAnItemType();

private:
    // Adds a toolbar action with the icon, the tooltip prefix followed by the display name, and
    // the slot to run.
    void addVisibilityAction(QWidget* toolBar, const std::string& iconPath, const QString& prefix,
                             void (paintObjectHandler::*slot)());
};
