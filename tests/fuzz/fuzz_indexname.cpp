// Arbitrary bytes as the current file name, split as series stepping splits "PREFIX.N.las".
#include "fuzzsupport.h"

#include "app/viewerapp.h"

#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    ViewerApp* app = ViewerApp::instance();
    app->fileName.assign(reinterpret_cast<const char*>(data), size);
    std::string prefix, suffix;
    qint64 index = -1;
    if (app->commands.splitIndexFileName(prefix, index, suffix)) {
        if (index < 0 || suffix != ".las" || prefix.empty() || prefix.back() != '.')
            fuzzsupport::fail("a split that is no PREFIX. N .las");
        // Stepping stays in the folder and the series: the prefix is where the name begins.
        if (app->fileName.compare(0, prefix.size(), prefix) != 0)
            fuzzsupport::fail("a prefix that is not the start of the name");
    }
    return 0;
}
