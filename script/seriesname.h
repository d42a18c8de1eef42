#pragma once

#include <QtGlobal>

#include <string>

// Splits a file name "PREFIX.N.las" into "PREFIX.", N and ".las": N is the last run of digits
// between a dot and ".las", wherever that stands in the name, read as a 64-bit number; a name
// without one, or whose index does not fit, is no series member (false, outputs untouched).
bool splitSeriesName(const std::string& name, std::string& prefix, qint64& index,
                     std::string& suffix);
