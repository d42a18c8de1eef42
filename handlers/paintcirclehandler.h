#pragma once

#include "handlers/paintobjecthandler.h"

// The handler of the "circle" records: paintCircle objects.
class paintCircleHandler : public paintObjectHandler
{
public:
    std::string typeKeyword() const override { return "circle"; }
    std::string displayName() const override { return "Circle"; }
    paintObject* createObject() const override;
    std::string showIconPath() const override { return ":/icon/showcircle.png"; }
    std::string hideIconPath() const override { return ":/icon/hidecircle.png"; }
};
