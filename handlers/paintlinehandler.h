#pragma once

#include "handlers/paintobjecthandler.h"

// The handler of the "line" records: paintLine objects.
class paintLineHandler : public paintObjectHandler
{
public:
    std::string typeKeyword() const override { return "line"; }
    std::string displayName() const override { return "Line"; }
    paintObject* createObject() const override;
    std::string showIconPath() const override { return ":/icon/showline.png"; }
    std::string hideIconPath() const override { return ":/icon/hideline.png"; }
};
