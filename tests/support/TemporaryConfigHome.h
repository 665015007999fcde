#pragma once

#include "FreshHome.h"

// An empty home, and so an empty settings folder, for the life of a test.
class TemporaryConfigHome : public TestSupport::FreshHome
{
public:
    QString path() const { return FreshHome::path() + QStringLiteral("/.config"); }
    QString appDirectory() const { return path() + QStringLiteral("/tapewick"); }
};
