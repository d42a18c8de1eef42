#pragma once

#include <QtGlobal>

#include <string>

// What tells one state of a file from another: a rename over it changes the device or inode, a
// write in place the size or the modification time (nanoseconds). Only regular files count: a
// pipe or a folder of the same name is not a drawing's file.
struct FileStamp {
    bool exists = false;
    qint64 size = 0;
    qint64 modified = 0;
    quint64 device = 0;
    quint64 inode = 0;

    // The file the path names now; not existing when the path names no regular file.
    static FileStamp of(const std::string& path);
    // The open file behind the descriptor, wherever its name points now.
    static FileStamp ofOpen(int descriptor);

    bool operator==(const FileStamp& other) const;
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};
