#pragma once

#include <QColor>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Reads the script input at fileName into the drawing model as ViewerApp::loadScript() does,
// and its header's colours into fileColors (emptied first), taking the file blockBytes at a
// time. The block size bounds the memory the text takes and nothing else: the model is the same
// for every size.
void loadScriptInBlocks(const std::string& fileName, std::map<std::string, QColor>& fileColors,
                        std::size_t blockBytes);

// One hash per record of the script input at fileName that the loader would make an object of,
// in the loader's order, from the record's text (keyword and the rest of its line, blanks at its
// end left out): records that say the same have the same hash. Reads the file without parsing
// the records; nothing in the model changes. Empty when the file cannot be read.
std::vector<std::uint64_t> hashScriptRecords(const std::string& fileName);
