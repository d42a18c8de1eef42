#pragma once

#include <string>

// Writes reproducible large script inputs for the benchmark: the same arguments always give the
// same bytes.
namespace generatelas
{

// All six kinds with declared properties, per-record pairs, related searches, comments and
// colours from the header, spread over a square of about 10000 x 10000 world units.
void writeMixed(const std::string& path, int records);
// Plain rectangles only, without properties or comments.
void writeRectangles(const std::string& path, int records);
// Random-walk paths of the given number of vertices each, every step up to 30 world units each
// way, starting anywhere in the same square.
void writePaths(const std::string& path, int records, int vertices);

} // namespace generatelas
