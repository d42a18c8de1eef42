#pragma once

#include <QFile>

#include <optional>
#include <string>

// Opens a regular file for reading by the bytes of its path, as the system names it: a name that
// is not valid in the local encoding opens as well. Anything else (missing, a directory, a pipe,
// no permission) leaves the file closed and gives false; a pipe is never waited on.
bool openRegularFile(QFile& file, const std::string& path, QIODevice::OpenMode mode);

// The settings file is a few lines; anything larger is not one.
constexpr long long kMaxConfigBytes = 1 << 20;

// The bytes of a regular file, or nothing when it cannot be opened or read (missing, a
// directory, no permission) or is larger than maxBytes, so that no input can make Vedra
// allocate without bound.
std::optional<std::string> readTextFile(const std::string& path, long long maxBytes);
