#include "app/keptfiles.h"

#include "app/rememberedstate.h"
#include "remote/remotesocket.h"

#include <QFile>

namespace KeptFiles
{

std::vector<std::string> paths()
{
    const std::string settings = QFile::encodeName(RememberedState::settingsFile()).toStdString();
    return {"config.ini", settings, settings + ".lock",
            QFile::encodeName(RemoteSocket::path()).toStdString()};
}

} // namespace KeptFiles
