#pragma once

#include <cstddef>

class ViewerApp;

// Reads app.fileName into the drawing model as ViewerApp::loadScript() does, taking the file
// blockBytes at a time. The block size bounds the memory the text takes and nothing else: the
// model is the same for every size.
void loadScriptInBlocks(ViewerApp& app, std::size_t blockBytes);
