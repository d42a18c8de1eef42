#include "handlers/paintlinehandler.h"

#include "model/paintline.h"

paintObject* paintLineHandler::createObject() const
{
    return new paintLine;
}
