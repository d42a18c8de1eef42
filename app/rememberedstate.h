#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

// What the viewer keeps between runs in the user's settings (the XDG configuration folder,
// organization "Vedra", application "vedra"): the dock and toolbar layout, the recent files, the
// recent conditional-pick queries, the Open dialog's folder, the last Export Image and Keep
// Investigation. config.ini
// keeps priority: no size or view is kept here. Every call reads or writes the settings at once, so
// that two windows, or a test that reads them again, see the same.
class RememberedState
{
public:
    static constexpr int kMaxRecentFiles = 10;
    static constexpr int kMaxRecentQueries = 20;

    // QMainWindow::saveState() of the last run; empty when none was kept.
    static QByteArray windowLayout();
    static void setWindowLayout(const QByteArray& layout);
    // Newest first, at most kMaxRecentFiles absolute paths.
    static QStringList recentFiles();
    // Puts the path first, removing an earlier entry of it; relative paths are made absolute.
    static void addRecentFile(const QString& path);
    static void clearRecentFiles();
    // Newest first, at most kMaxRecentQueries.
    static QStringList recentQueries();
    static void addRecentQuery(const QString& query);
    // The folder the Open dialog last chose from; empty when none.
    static QString openFolder();
    static void setOpenFolder(const QString& folder);
    // The file the last Export Image wrote, as an absolute path; empty when none.
    static QString exportFile();
    // The size that export chose; invalid when it took the canvas's size.
    static QSize exportSize();
    static void setExport(const QString& file, const QSize& size);
    // Whether reloads and steps keep the hidden types, the listing and the description (off
    // unless the user turned it on).
    static bool keepInvestigation();
    static void setKeepInvestigation(bool keep);
};
