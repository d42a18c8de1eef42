#pragma once

#include <QFile>

#include <optional>
#include <string>

// Opens a regular file for reading by the bytes of its path, as the system names it: a name that
// is not valid in the local encoding opens as well. Anything else (missing, a directory, a pipe,
// no permission) leaves the file closed and gives false; a pipe is never waited on.
bool openRegularFile(QFile& file, const std::string& path, QIODevice::OpenMode mode);

// A path as text for the user: its bytes in the local encoding, where they are valid in it.
QString displayName(const std::string& path);

// Why openRegularFile() cannot open the path for reading, in a few words ("no such file", "it
// is a directory", "not a regular file", "permission denied", or the system's own words); none
// when it can.
std::optional<QString> whyNotRegularFile(const std::string& path);

// The settings file is a few lines; anything larger is not one.
constexpr long long kMaxConfigBytes = 1 << 20;

// The bytes of a regular file, or nothing when it cannot be opened or read (missing, a
// directory, no permission) or is larger than maxBytes, so that no input can make Vedra
// allocate without bound.
std::optional<std::string> readTextFile(const std::string& path, long long maxBytes);
