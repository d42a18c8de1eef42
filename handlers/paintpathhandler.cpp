#include "handlers/paintpathhandler.h"

#include "model/paintpath.h"

paintObject* paintPathHandler::createObject() const
{
    return new paintPath;
}
