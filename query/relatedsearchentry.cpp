#include "query/relatedsearchentry.h"

#include <QListWidget>

namespace
{

constexpr int kSearchRole = Qt::UserRole;

} // namespace

void RelatedSearchEntry::append(QListWidget* list, const QString& search)
{
    auto* entry = new QListWidgetItem(list);
    if (search.size() <= kShownCharacters) {
        entry->setText(search);
        return;
    }
    entry->setText(search.left(kShownCharacters) +
                   QStringLiteral("… (%1 characters)").arg(search.size()));
    entry->setData(kSearchRole, search);
}

QString RelatedSearchEntry::searchOf(const QListWidgetItem& item)
{
    const QVariant search = item.data(kSearchRole);
    return search.isValid() ? search.toString() : item.text();
}
