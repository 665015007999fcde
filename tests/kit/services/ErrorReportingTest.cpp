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
        KwApp::customDebugInfo().remove("session");
    }

    static std::optional<NSError> report(const Error &error, const QVariantMap &userInfo = {})
    {
        return KwApp::errorReport(error, userInfo, "/src/recording/Recorder.cpp", 87);
    }
};

NSError withUnderlying(const NSError &outer, const Error &inner)
{
    return outer.copyAddingUserInfo({ { NSUnderlyingErrorKey, QVariant::fromValue(inner.clone()) } });
}

} // namespace

TEST_F(ErrorReportingTest, DropsCancellationsIgnoredErrorsTheirWrappersOneLevelDownAndWhatTheFilterRefuses)
{
    EXPECT_FALSE(report(CancellationError()));
    EXPECT_FALSE(report(NSError("NSCocoaErrorDomain", 3072)));
    EXPECT_TRUE(report(NSError("NSCocoaErrorDomain", 4)));
    KwApp::setIgnoredErrors({ { "Audio", 5 } });
    KwApp::setErrorReportFilter([](const Error &error) { return error.domain() != QLatin1String("Noise"); });
    EXPECT_FALSE(report(NSError("Noise", 2)));
    const NSError ignored("Audio", 5);
    const NSError other("Audio", 6);
    EXPECT_FALSE(report(ignored));
    EXPECT_TRUE(report(other));

    const NSError wrapper("Recording", 2);
    EXPECT_FALSE(report(withUnderlying(wrapper, ignored)));
    EXPECT_TRUE(report(withUnderlying(wrapper, other)));
    // Two levels down is beyond what the routine looks at.
    EXPECT_TRUE(report(withUnderlying(wrapper, withUnderlying(NSError("Middle", 3), ignored))));
}

TEST_F(ErrorReportingTest, AddsTheCallSiteAndTheCustomEntries)
{
    KwApp::customDebugInfo().setValue("session", "42");
    const auto sent = report(NSError("Domain", 9, { { "own", 1 } }), { { "extra", "yes" } });
    ASSERT_TRUE(sent);
    const QVariantMap info = sent->userInfo();
    const std::pair<const char *, const char *> expected[] = { { "file", "Recorder.cpp" }, { "line", "87" },
        { "fileLine", "Recorder.cpp:87" }, { "session", "42" }, { "extra", "yes" }, { "own", "1" } };
    for (const auto &[key, value] : expected) {
        EXPECT_EQ(info.value(key).toString(), value) << key;
    }
    EXPECT_EQ(sent->domain(), "Domain");
    EXPECT_EQ(sent->code(), 9);
}

TEST_F(ErrorReportingTest, CodeOneAppendsTheNameToTheDomainAndTakesTheNamesCode)
{
    struct Case
    {
        const char *what;
        std::shared_ptr<const Error> error;
        QString domain;
        qint64 code;
    };
    const QString quoted = QStringLiteral("Could not open “a.m4a”.");
    const Case cases[] = {
        // FNV-1a of "Could not open .": the quoted name is left out of the code, not of the domain.
        { "program error", std::make_shared<GeneralError>(quoted), "Tapewick.GeneralError - " + quoted,
            8373977844919585663 },
        { "platform error with code 1",
            std::make_shared<NSError>("Disk", 1, QVariantMap { { NSLocalizedDescriptionKey, "Full" } }),
            "Disk - Full", messageCode("Full") },
        // No name of its own: the domain stays and the code is that of the empty name.
        { "code 1 without a name", std::make_shared<NSError>("Disk", 1), "Disk",
            static_cast<qint64>(0xcbf29ce484222325ULL) },
        { "other code",
            std::make_shared<NSError>("Disk", 28, QVariantMap { { NSLocalizedDescriptionKey, "Full" } }),
            "Disk", 28 },
    };
    for (const Case &c : cases) {
        const auto sent = report(*c.error);
        ASSERT_TRUE(sent) << c.what;
        EXPECT_EQ(sent->domain(), c.domain) << c.what;
        EXPECT_EQ(sent->code(), c.code) << c.what;
        EXPECT_EQ(sent->userInfo().value("codeString").toString(), QString::number(c.code)) << c.what;
        EXPECT_EQ(sent->localizedDescription(), c.error->localizedDescription()) << c.what;
    }
}
