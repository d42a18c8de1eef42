#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <set>
#include <string>

class paintObject;

// What the user was looking at, carried across a reload or a step when Keep Investigation is on
// (an Open of another file, even while it is on, starts afresh):
// the hidden types, the explorer's listing (a type, or the conditional-pick query whose matches
// it shows) and the object the description box shows. The view needs no keeping: no load
// changes it.
class Investigation
{
public:
    // What the window shows now, when the user chose to keep it (remembered in the settings) and
    // the file about to be shown is the one shown or a member of its series; none otherwise.
    // Taken before the load clears the explorer list.
    static std::optional<Investigation> captureIfKept(const std::string& nextFile);

    // Right after the load, before the repaint: the same types hidden again.
    void restoreVisibility() const;
    // Once the reload has emptied the explorer: the same type listed, or the same query run again
    // on the new file; the description and related searches emptied when the new file has no
    // object that says the same as the one described, or else that object's entry selected again
    // (and so highlighted).
    void restoreListing() const;

private:
    // What tells the described object from any other: its box and colour first (cheap to
    // compare over every object), then its description and related searches.
    struct Described {
        double minX, minY, maxX, maxY;
        std::string colorName;
        QString description;
        QStringList relatedSearches;
        bool matches(const paintObject& object) const;
    };

    void selectDescribed() const;

    std::set<std::string> hiddenTypes;
    std::string listedType;
    QString listedQuery;
    // Whether the box shows an object's description, and which one when it is known.
    bool describing = false;
    std::optional<Described> described;
};
