#pragma once

#include "handlers/paintobjecthandler.h"

// The handler of the "rect" records: paintRectangle objects.
class paintRectangleHandler : public paintObjectHandler
{
public:
    std::string typeKeyword() const override { return "rect"; }
    std::string displayName() const override { return "Rectangle"; }
    paintObject* createObject() const override;
    std::string showIconPath() const override { return ":/icon/showrect.png"; }
    std::string hideIconPath() const override { return ":/icon/hiderect.png"; }
};
