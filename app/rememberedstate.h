#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// What the viewer keeps between runs in the user's settings (the XDG configuration folder,
// organization "Vedra", application "vedra"): the dock and toolbar layout, the recent files, the
// recent conditional-pick queries, the Open dialog's folder, the last Export Image, Keep
// Investigation and Listen for Remote Control. config.ini keeps priority: no size or view is kept
// here. Every call reads or writes the settings at once, so that two windows, or a test that reads
// them again, see the same.
//
// The settings are used only while that is safe: a settings file that is anything but a regular
// file (links followed) is neither opened nor replaced, one larger than kMaxConfigBytes is not
// read, and a write whose lock is not a regular file or cannot be taken within kLockWaitMs is
// given up. Reads then give the defaults, writes are dropped, and the status bar says why, once.
class RememberedState
{
public:
    static constexpr int kMaxRecentFiles = 10;
    static constexpr int kMaxRecentQueries = 20;
    // Longer queries are used but not remembered. The settings write a character in at most four
    // bytes (a control character as "\x1f"), so twenty of these take at most 320 KiB, and with
    // the recent files and the window's layout the settings stay well below kMaxConfigBytes, the
    // size beyond which they are not read: Vedra never writes settings it would refuse to read.
    static constexpr int kMaxRememberedQueryLength = 4096;
    // How long a write waits for another program's lock on the settings.
    static constexpr int kLockWaitMs = 500;

    // Where the settings are kept (under the test mode's folder when QStandardPaths is in it).
    static QString settingsFile();

    // QMainWindow::saveState() of the last run; empty when none was kept.
    static QByteArray windowLayout();
    static void setWindowLayout(const QByteArray& layout);
    // Newest first, at most kMaxRecentFiles absolute paths, as the system names them: a name that
    // is not valid in the local encoding is kept byte for byte, so it reopens the same file.
    static std::vector<std::string> recentPaths();
    // Puts the path first, removing an earlier entry of it and of every other member of its
    // numbered series (a series is one entry, its last member opened); relative paths are made
    // absolute.
    static void addRecentPath(const std::string& path);
    static void removeRecentPath(const std::string& path);
    // recentPaths() as text for the user, and addRecentPath() of a path given as text.
    static QStringList recentFiles();
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
    // Whether the window listens for remote control from its start (off unless the user turned
    // it on).
    static bool listenForRemoteControl();
    static void setListenForRemoteControl(bool listen);
    // The Timeline's rate of play in steps per second, as last chosen (10 unless chosen); the
    // caller bounds it.
    static int playRate();
    static void setPlayRate(int stepsPerSecond);
    // How Show Changes draws what did not change, and its colours, as the keys the View menu's
    // Changes entries give them; empty unless chosen (the caller takes an unknown key as none).
    static QString changesLook();
    static void setChangesLook(const QString& key);
    static QString changeColors();
    static void setChangeColors(const QString& key);
};
