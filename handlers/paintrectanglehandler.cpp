#include "handlers/paintrectanglehandler.h"

#include "model/paintrectangle.h"

paintObject* paintRectangleHandler::createObject() const
{
    return new paintRectangle;
}
