#pragma once

#include <QtGlobal>

#include <optional>
#include <string>
#include <string_view>

// Splits a file name "PREFIX.N.las" into "PREFIX.", N and ".las": N is the last run of digits
// between a dot and ".las", wherever that stands in the name, read as a 64-bit number; a name
// without one, or whose index does not fit, is no series member (false, outputs untouched).
bool splitSeriesName(const std::string& name, std::string& prefix, qint64& index,
                     std::string& suffix);

// The index of a file name (no folder) that is stem + digits + suffix, such as a member of the
// series "run." ... ".las" in a folder listing; none for any other name, or an index beyond 64
// bits.
std::optional<qint64> seriesMemberIndex(std::string_view fileName, std::string_view stem,
                                        std::string_view suffix);

// Whether a file shown after `shown` is a later version of it: the same file, or a member of the
// same numbered series (the same folder, prefix and suffix). Names are compared as absolute
// paths, so that a relative name and the path a dialog gives match.
bool sameFileOrSeries(const std::string& shown, const std::string& next);
