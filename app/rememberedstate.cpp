#include "app/rememberedstate.h"

#include <QFileInfo>
#include <QSettings>

namespace
{

const QString kLayoutKey = QStringLiteral("window/layout");
const QString kRecentFilesKey = QStringLiteral("recent/files");
const QString kRecentQueriesKey = QStringLiteral("recent/queries");
const QString kOpenFolderKey = QStringLiteral("open/folder");
const QString kKeepInvestigationKey = QStringLiteral("reload/keepInvestigation");
const QString kPlayRateKey = QStringLiteral("timeline/playRate");
constexpr int kDefaultPlayRate = 10;

QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vedra"),
                     QStringLiteral("vedra"));
}

// The list under the key with the entry first, once, cut to the longest it may be.
void putFirst(const QString& key, const QString& entry, int longest)
{
    QSettings settings = store();
    QStringList entries = settings.value(key).toStringList();
    entries.removeAll(entry);
    entries.prepend(entry);
    settings.setValue(key, entries.mid(0, longest));
}

} // namespace

QByteArray RememberedState::windowLayout()
{
    return store().value(kLayoutKey).toByteArray();
}

void RememberedState::setWindowLayout(const QByteArray& layout)
{
    store().setValue(kLayoutKey, layout);
}

QStringList RememberedState::recentFiles()
{
    return store().value(kRecentFilesKey).toStringList().mid(0, kMaxRecentFiles);
}

void RememberedState::addRecentFile(const QString& path)
{
    putFirst(kRecentFilesKey, QFileInfo(path).absoluteFilePath(), kMaxRecentFiles);
}

void RememberedState::clearRecentFiles()
{
    store().remove(kRecentFilesKey);
}

QStringList RememberedState::recentQueries()
{
    return store().value(kRecentQueriesKey).toStringList().mid(0, kMaxRecentQueries);
}

void RememberedState::addRecentQuery(const QString& query)
{
    putFirst(kRecentQueriesKey, query, kMaxRecentQueries);
}

QString RememberedState::openFolder()
{
    return store().value(kOpenFolderKey).toString();
}

void RememberedState::setOpenFolder(const QString& folder)
{
    store().setValue(kOpenFolderKey, folder);
}

bool RememberedState::keepInvestigation()
{
    return store().value(kKeepInvestigationKey, false).toBool();
}

void RememberedState::setKeepInvestigation(bool keep)
{
    store().setValue(kKeepInvestigationKey, keep);
}

int RememberedState::playRate()
{
    return store().value(kPlayRateKey, kDefaultPlayRate).toInt();
}

void RememberedState::setPlayRate(int stepsPerSecond)
{
    store().setValue(kPlayRateKey, stepsPerSecond);
}
