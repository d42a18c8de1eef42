#include "app/rememberedstate.h"

#include "app/viewerapp.h"
#include "script/seriesname.h"
#include "script/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

const QString kLayoutKey = QStringLiteral("window/layout");
const QString kRecentFilesKey = QStringLiteral("recent/files");
const QString kRecentQueriesKey = QStringLiteral("recent/queries");
const QString kOpenFolderKey = QStringLiteral("open/folder");
const QString kExportFileKey = QStringLiteral("export/file");
const QString kExportSizeKey = QStringLiteral("export/size");
const QString kKeepInvestigationKey = QStringLiteral("reload/keepInvestigation");
const QString kListenKey = QStringLiteral("remote/listen");
const QString kPlayRateKey = QStringLiteral("timeline/playRate");
const QString kChangesLookKey = QStringLiteral("changes/look");
const QString kChangeColorsKey = QStringLiteral("changes/colors");
constexpr int kDefaultPlayRate = 10;

// A lock file holds a process id and two names on three lines.
constexpr long long kMaxLockBytes = 4096;

QString systemWords(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a directory");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISLNK(mode))
        return QStringLiteral("a symbolic link");
    return QStringLiteral("not a regular file");
}

// Why the settings file may be neither read nor written: none when there is nothing (a link to
// nothing included) or a regular file of at most kMaxConfigBytes, links followed. Only its status
// is asked, so nothing here waits on a FIFO.
std::optional<QString> whyFileUnsafe(const std::string& path)
{
    const QString name = displayName(path);
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) {
        const int error = errno;
        if (error == ENOENT)
            return std::nullopt;
        return QStringLiteral("%1: %2").arg(name, systemWords(error));
    }
    if (!S_ISREG(status.st_mode)) {
        struct stat link;
        const bool linked = ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
        return QStringLiteral("%1 is %2%3")
            .arg(name, linked ? QStringLiteral("a link to ") : QString(), kindOf(status.st_mode));
    }
    if (status.st_size > kMaxConfigBytes)
        return QStringLiteral("%1 is larger than %2 MiB").arg(name).arg(kMaxConfigBytes >> 20);
    return std::nullopt;
}

// Why QSettings could not take its lock (the settings file's name with ".lock") in a moment: the
// lock is not followed through a link, must be a regular file of a lock's size when it exists
// (QLockFile reads a stale one whole, and waits for good on one it cannot remove), and is tried
// for kLockWaitMs.
std::optional<QString> whyLockUnsafe(const std::string& settingsPath)
{
    const std::string path = settingsPath + ".lock";
    const QString name = displayName(path);
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0) {
        const int error = errno;
        if (error == ENOENT)
            return std::nullopt;
        return QStringLiteral("the lock %1: %2").arg(name, systemWords(error));
    }
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("the lock %1 is %2").arg(name, kindOf(status.st_mode));
    if (status.st_size > kMaxLockBytes)
        return QStringLiteral("the lock %1 is larger than a lock").arg(name);
    QLockFile lock(name);
    if (!lock.tryLock(RememberedState::kLockWaitMs))
        return QStringLiteral("the lock %1 is held by another program").arg(name);
    return std::nullopt;
}

// The reason said last, so that a reason is said once however often it holds; forgotten once a
// write went through.
QString& lastReported()
{
    static QString reason;
    return reason;
}

void report(const QString& reason)
{
    if (reason == lastReported())
        return;
    lastReported() = reason;
    const QString message = QStringLiteral("Settings cannot be saved: %1").arg(reason);
    if (ViewerApp* app = ViewerApp::instance())
        app->showMessage(message);
    if (isatty(STDERR_FILENO))
        std::fprintf(stderr, "vedra: %s\n", message.toLocal8Bit().constData());
}

// The settings for one call, through QSettings while they are safe (see the class comment); the
// file is checked before QSettings opens it, and the lock before the first change.
class SafeSettings
{
public:
    SafeSettings() : path(QFile::encodeName(RememberedState::settingsFile()).toStdString())
    {
        if (const std::optional<QString> why = whyFileUnsafe(path))
            report(*why);
        else
            settings.emplace(RememberedState::settingsFile(), QSettings::IniFormat);
    }
    SafeSettings(const SafeSettings&) = delete;
    SafeSettings& operator=(const SafeSettings&) = delete;
    ~SafeSettings()
    {
        if (!changed)
            return;
        settings->sync();
        const QString name = displayName(path);
        switch (settings->status()) {
        case QSettings::NoError:
            lastReported().clear();
            break;
        case QSettings::AccessError:
            report(QStringLiteral("%1 cannot be written").arg(name));
            break;
        case QSettings::FormatError:
            report(QStringLiteral("%1 is not a settings file").arg(name));
            break;
        }
    }

    QVariant value(const QString& key, const QVariant& fallback = QVariant()) const
    {
        return settings ? settings->value(key, fallback) : fallback;
    }
    void setValue(const QString& key, const QVariant& value)
    {
        if (mayChange())
            settings->setValue(key, value);
    }
    void remove(const QString& key)
    {
        if (mayChange())
            settings->remove(key);
    }

private:
    bool mayChange()
    {
        if (!settings)
            return false;
        if (!changed) {
            if (const std::optional<QString> why = whyLockUnsafe(path)) {
                report(*why);
                settings.reset();
                return false;
            }
            changed = true;
        }
        return true;
    }

    const std::string path;
    std::optional<QSettings> settings;
    bool changed = false;
};

SafeSettings store()
{
    return SafeSettings();
}

// The list under the key with the entry first, once, cut to the longest it may be.
void putFirst(const QString& key, const QString& entry, int longest)
{
    SafeSettings settings = store();
    QStringList entries = settings.value(key).toStringList().mid(0, longest);
    entries.removeAll(entry);
    entries.prepend(entry);
    settings.setValue(key, entries.mid(0, longest));
}

// The path from the working folder when it is relative, by its bytes.
std::string absolutePath(const std::string& path)
{
    if (path.empty() || path.front() == '/')
        return path;
    char folder[PATH_MAX];
    if (!::getcwd(folder, sizeof folder))
        return path;
    std::string relative = path;
    while (relative.rfind("./", 0) == 0)
        relative.erase(0, 2);
    return std::string(folder) + '/' + relative;
}

// The recent paths as stored: byte arrays, and text from earlier versions, which stored names
// as text; entries that cannot be a path are left out.
std::vector<std::string> readRecentPaths(const SafeSettings& settings)
{
    std::vector<std::string> paths;
    // A list of one entry reads back as that entry.
    const QVariant stored = settings.value(kRecentFilesKey);
    const QVariantList entries =
        stored.typeId() == QMetaType::QVariantList || stored.typeId() == QMetaType::QStringList
            ? stored.toList()
            : QVariantList{stored};
    for (const QVariant& entry : entries) {
        if (static_cast<int>(paths.size()) == RememberedState::kMaxRecentFiles)
            break;
        const QByteArray bytes = entry.typeId() == QMetaType::QByteArray
                                     ? entry.toByteArray()
                                     : QFile::encodeName(entry.toString());
        if (bytes.startsWith('/') && bytes.size() < PATH_MAX && !bytes.contains('\0'))
            paths.push_back(bytes.toStdString());
    }
    return paths;
}

void writeRecentPaths(SafeSettings& settings, const std::vector<std::string>& paths)
{
    QVariantList entries;
    for (const std::string& path : paths)
        entries.append(QByteArray::fromStdString(path));
    settings.setValue(kRecentFilesKey, entries);
}

// Whether two paths name members of the same numbered series (or the same file).
bool sameSeries(const std::string& a, const std::string& b)
{
    std::string prefixA, suffixA, prefixB, suffixB;
    qint64 indexA = 0, indexB = 0;
    if (!splitSeriesName(a, prefixA, indexA, suffixA) ||
        !splitSeriesName(b, prefixB, indexB, suffixB))
        return a == b;
    return prefixA == prefixB && suffixA == suffixB;
}

} // namespace

QString RememberedState::settingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Vedra/vedra.conf");
}

QByteArray RememberedState::windowLayout()
{
    return store().value(kLayoutKey).toByteArray();
}

void RememberedState::setWindowLayout(const QByteArray& layout)
{
    store().setValue(kLayoutKey, layout);
}

std::vector<std::string> RememberedState::recentPaths()
{
    return readRecentPaths(store());
}

void RememberedState::addRecentPath(const std::string& path)
{
    const std::string absolute = absolutePath(path);
    if (absolute.empty() || absolute.size() >= PATH_MAX)
        return;
    SafeSettings settings = store();
    std::vector<std::string> paths = readRecentPaths(settings);
    paths.erase(std::remove_if(paths.begin(), paths.end(),
                               [&](const std::string& kept) { return sameSeries(kept, absolute); }),
                paths.end());
    paths.insert(paths.begin(), absolute);
    paths.resize(std::min<std::size_t>(paths.size(), kMaxRecentFiles));
    writeRecentPaths(settings, paths);
}

void RememberedState::removeRecentPath(const std::string& path)
{
    SafeSettings settings = store();
    std::vector<std::string> paths = readRecentPaths(settings);
    paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
    writeRecentPaths(settings, paths);
}

QStringList RememberedState::recentFiles()
{
    QStringList files;
    for (const std::string& path : recentPaths())
        files << displayName(path);
    return files;
}

void RememberedState::addRecentFile(const QString& path)
{
    addRecentPath(QFile::encodeName(QFileInfo(path).absoluteFilePath()).toStdString());
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
    if (query.size() <= kMaxRememberedQueryLength)
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

QString RememberedState::exportFile()
{
    return store().value(kExportFileKey).toString();
}

QSize RememberedState::exportSize()
{
    return store().value(kExportSizeKey).toSize();
}

void RememberedState::setExport(const QString& file, const QSize& size)
{
    SafeSettings settings = store();
    settings.setValue(kExportFileKey, QFileInfo(file).absoluteFilePath());
    settings.setValue(kExportSizeKey, size);
}

bool RememberedState::keepInvestigation()
{
    return store().value(kKeepInvestigationKey, false).toBool();
}

void RememberedState::setKeepInvestigation(bool keep)
{
    store().setValue(kKeepInvestigationKey, keep);
}

bool RememberedState::listenForRemoteControl()
{
    return store().value(kListenKey, false).toBool();
}

void RememberedState::setListenForRemoteControl(bool listen)
{
    store().setValue(kListenKey, listen);
}

int RememberedState::playRate()
{
    return store().value(kPlayRateKey, kDefaultPlayRate).toInt();
}

void RememberedState::setPlayRate(int stepsPerSecond)
{
    store().setValue(kPlayRateKey, stepsPerSecond);
}

QString RememberedState::changesLook()
{
    return store().value(kChangesLookKey).toString();
}

void RememberedState::setChangesLook(const QString& key)
{
    store().setValue(kChangesLookKey, key);
}

QString RememberedState::changeColors()
{
    return store().value(kChangeColorsKey).toString();
}

void RememberedState::setChangeColors(const QString& key)
{
    store().setValue(kChangeColorsKey, key);
}
