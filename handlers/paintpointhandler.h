#pragma once

#include "handlers/paintobjecthandler.h"

// The handler of the "pt" records: paintPoint objects.
class paintPointHandler : public paintObjectHandler
{
public:
    std::string typeKeyword() const override { return "pt"; }
    std::string displayName() const override { return "Point"; }
    paintObject* createObject() const override;
    std::string showIconPath() const override { return ":/icon/showpoint.png"; }
    std::string hideIconPath() const override { return ":/icon/hidepoint.png"; }
};
