#pragma once

#include "handlers/paintobjecthandler.h"

// The handler of the "path" records: paintPath objects.
class paintPathHandler : public paintObjectHandler
{
public:
    std::string typeKeyword() const override { return "path"; }
    std::string displayName() const override { return "Path"; }
    paintObject* createObject() const override;
    std::string showIconPath() const override { return ":/icon/showpath.png"; }
    std::string hideIconPath() const override { return ":/icon/hidepath.png"; }
};
