#pragma once

#include <QColor>

#include <cstddef>
#include <map>
#include <string>

// Reads the script input at fileName into the drawing model as ViewerApp::loadScript() does,
// and its header's colours into fileColors (emptied first), taking the file blockBytes at a
// time. The block size bounds the memory the text takes and nothing else: the model is the same
// for every size.
void loadScriptInBlocks(const std::string& fileName, std::map<std::string, QColor>& fileColors,
                        std::size_t blockBytes);
