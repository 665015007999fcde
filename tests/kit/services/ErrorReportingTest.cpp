#include "kit/services/KwApp.h"
#include "kit/services/KwAppErrorReporting.h"

#include "kit/foundation/errors/CancellationError.h"
#include "kit/foundation/errors/ErrorUserInfoKeys.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/errors/MessageCode.h"
#include "kit/foundation/errors/NSError.h"

#include <gtest/gtest.h>

namespace {

class ErrorReportingTest : public ::testing::Test
{
protected:
    ~ErrorReportingTest() override
    {
        KwApp::setIgnoredErrors({});
        KwApp::setErrorReportFilter({});
        KwApp::customDebugInfo().remove(QStringLiteral("session"));
    }

    static std::optional<NSError> report(const Error &error, const QVariantMap &userInfo = {})
    {
        return KwApp::errorReport(error, userInfo, QStringLiteral("/src/recording/Recorder.cpp"), 87);
    }
};

NSError withUnderlying(const NSError &outer, const Error &inner)
{
    return outer.copyAddingUserInfo({ { NSUnderlyingErrorKey, QVariant::fromValue(inner.clone()) } });
}

} // namespace

TEST_F(ErrorReportingTest, DropsCancellationsFromTheStart)
{
    EXPECT_FALSE(report(CancellationError()));
    EXPECT_FALSE(report(NSError(QStringLiteral("NSCocoaErrorDomain"), 3072)));
    EXPECT_TRUE(report(NSError(QStringLiteral("NSCocoaErrorDomain"), 4)));
}

TEST_F(ErrorReportingTest, DropsIgnoredErrorsTheirWrappersOneLevelDownAndWhatTheFilterRefuses)
{
    KwApp::setIgnoredErrors({ { QStringLiteral("Audio"), 5 } });
    KwApp::setErrorReportFilter([](const Error &error) { return error.domain() != QLatin1String("Noise"); });
    EXPECT_FALSE(report(NSError(QStringLiteral("Noise"), 2)));
    const NSError ignored(QStringLiteral("Audio"), 5);
    const NSError other(QStringLiteral("Audio"), 6);
    EXPECT_FALSE(report(ignored));
    EXPECT_TRUE(report(other));

    const NSError wrapper(QStringLiteral("Recording"), 2);
    EXPECT_FALSE(report(withUnderlying(wrapper, ignored)));
    EXPECT_TRUE(report(withUnderlying(wrapper, other)));
    // Two levels down is beyond what the routine looks at.
    EXPECT_TRUE(
        report(withUnderlying(wrapper, withUnderlying(NSError(QStringLiteral("Middle"), 3), ignored))));
}

TEST_F(ErrorReportingTest, AddsTheCallSiteAndTheCustomEntries)
{
    KwApp::customDebugInfo().setValue(QStringLiteral("session"), QStringLiteral("42"));
    const auto sent = report(NSError(QStringLiteral("Domain"), 9, { { QStringLiteral("own"), 1 } }),
        { { QStringLiteral("extra"), QStringLiteral("yes") } });
    ASSERT_TRUE(sent);
    const QVariantMap info = sent->userInfo();
    EXPECT_EQ(info.value(QStringLiteral("file")).toString(), QStringLiteral("Recorder.cpp"));
    EXPECT_EQ(info.value(QStringLiteral("line")).toInt(), 87);
    EXPECT_EQ(info.value(QStringLiteral("fileLine")).toString(), QStringLiteral("Recorder.cpp:87"));
    EXPECT_EQ(info.value(QStringLiteral("session")).toString(), QStringLiteral("42"));
    EXPECT_EQ(info.value(QStringLiteral("extra")).toString(), QStringLiteral("yes"));
    EXPECT_EQ(info.value(QStringLiteral("own")).toInt(), 1);
    EXPECT_EQ(sent->domain(), QStringLiteral("Domain"));
    EXPECT_EQ(sent->code(), 9);
}

TEST_F(ErrorReportingTest, CodeOneBecomesTheMessagesCode)
{
    const auto first = report(GeneralError(QStringLiteral("Could not open “a.m4a”.")));
    const auto same = report(GeneralError(QStringLiteral("Could not open “b.m4a”.")));
    const auto different = report(GeneralError(QStringLiteral("Could not save.")));
    ASSERT_TRUE(first && same && different);
    EXPECT_EQ(first->domain(), QStringLiteral("Tapewick.GeneralError"));
    // FNV-1a of "Could not open .": the quoted name is left out.
    EXPECT_EQ(first->code(), 8373977844919585663);
    EXPECT_EQ(first->code(), same->code());
    EXPECT_NE(first->code(), different->code());
    EXPECT_EQ(first->localizedDescription(), QStringLiteral("Could not open “a.m4a”."));
}
