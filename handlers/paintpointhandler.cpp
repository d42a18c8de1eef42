#include "handlers/paintpointhandler.h"

#include "model/paintpoint.h"

paintObject* paintPointHandler::createObject() const
{
    return new paintPoint;
}
