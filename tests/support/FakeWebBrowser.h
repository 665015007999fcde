#pragma once

#include "FakeUrlHandler.h"

namespace TestSupport {

// The desktop's web browser while it lives: the handler of https and http addresses, and of
// pages.
class FakeWebBrowser : public FakeUrlHandler
{
public:
    FakeWebBrowser()
        : FakeUrlHandler(
            QStringLiteral("FakeBrowser"), { QStringLiteral("https"), QStringLiteral("http") }, "text/html;")
    { }
};

} // namespace TestSupport
