#include "handlers/paintcirclehandler.h"

#include "model/paintcircle.h"

paintObject* paintCircleHandler::createObject() const
{
    return new paintCircle;
}
