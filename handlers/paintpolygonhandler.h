#pragma once

#include "handlers/paintobjecthandler.h"

// The handler of the "polygon" records: paintPolygon objects.
class paintPolygonHandler : public paintObjectHandler
{
public:
    std::string typeKeyword() const override { return "polygon"; }
    std::string displayName() const override { return "Polygon"; }
    paintObject* createObject() const override;
    std::string showIconPath() const override { return ":/icon/showpolygon.png"; }
    std::string hideIconPath() const override { return ":/icon/hidepolygon.png"; }
};
