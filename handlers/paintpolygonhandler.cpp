#include "handlers/paintpolygonhandler.h"

#include "model/paintpolygon.h"

paintObject* paintPolygonHandler::createObject() const
{
    return new paintPolygon;
}
