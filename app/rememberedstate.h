#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the viewer keeps between runs in the user's settings (the XDG configuration folder,
// organization "Vedra", application "vedra"): the dock and toolbar layout, the recent files, the
// recent conditional-pick queries, the Open dialog's folder and Keep Investigation. config.ini
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
    // Whether reloads and steps keep the hidden types, the listing and the description (off
    // unless the user turned it on).
    static bool keepInvestigation();
    static void setKeepInvestigation(bool keep);
    // The Timeline's rate of play in steps per second, as last chosen (10 unless chosen); the
    // caller bounds it.
    static int playRate();
    static void setPlayRate(int stepsPerSecond);
};
