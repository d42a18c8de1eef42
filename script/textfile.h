#pragma once

#include <optional>
#include <string>

// The bytes of a regular file, or nothing when it cannot be opened or read (missing, a
// directory, no permission) or is larger than maxBytes, so that no input can make Vedra
// allocate without bound.
std::optional<std::string> readTextFile(const std::string& path, long long maxBytes);
