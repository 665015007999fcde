#include "kit/foundation/errors/AnyError.h"
#include "kit/foundation/errors/CancellationError.h"
#include "kit/foundation/errors/CocoaError.h"
#include "kit/foundation/errors/Errno.h"
#include "kit/foundation/errors/ErrorRecoveryAttempter.h"
#include "kit/foundation/errors/ErrorReporting.h"
#include "kit/foundation/errors/ErrorUserInfo.h"
#include "kit/foundation/errors/ErrorUserInfoKeys.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/errors/IOKitError.h"
#include "kit/foundation/errors/MessageCode.h"
#include "kit/foundation/errors/NSError.h"
#include "kit/foundation/system/FoundationHooks.h"

#include <gtest/gtest.h>

namespace {

// An error that gives a failure reason, as only some error types do.
class ReasonedError : public Error
{
public:
    QString domain() const override { return QStringLiteral("Test.Reasoned"); }
    qint64 code() const override { return 7; }
    QVariantMap userInfo() const override { return {}; }
    QString localizedDescription() const override { return QStringLiteral("It broke"); }
    std::optional<QString> failureReason() const override { return QStringLiteral("the cable"); }
    ErrorPtr clone() const override { return std::make_shared<ReasonedError>(*this); }
    [[noreturn]] void raise() const override { throw *this; }
};

TEST(ErrorUserInfo, WritesOnlyWhatIsGivenAndReplacesTheDescription)
{
    const QVariantMap start { { NSLocalizedDescriptionKey, QStringLiteral("old") }, { "extra", 3 } };
    const QVariantMap info = makeErrorUserInfo(start, QStringLiteral("new"));
    EXPECT_EQ(info.value(NSLocalizedDescriptionKey).toString(), QStringLiteral("new"));
    EXPECT_EQ(info.value("extra").toInt(), 3);
    EXPECT_FALSE(info.contains(NSLocalizedRecoveryOptionsErrorKey));
    EXPECT_FALSE(info.contains(NSRecoveryAttempterErrorKey));
    EXPECT_FALSE(info.contains(NSURLErrorKey));
    EXPECT_FALSE(info.contains(NSMultipleUnderlyingErrorsKey));
    EXPECT_FALSE(info.contains(NSLocalizedRecoverySuggestionErrorKey));

    const QUrl url = QUrl::fromLocalFile(QStringLiteral("/tmp/x.m4a"));
    const QVariantMap withAll = makeErrorUserInfo({}, QStringLiteral("d"), QString(),
        { { QStringLiteral("Retry"), [] { return true; } } }, QStringLiteral("anchor"),
        { std::make_shared<Errno>(ENOENT) }, url);
    EXPECT_TRUE(withAll.contains(NSLocalizedRecoverySuggestionErrorKey)) << "an empty suggestion is present";
    EXPECT_EQ(withAll.value(NSLocalizedRecoveryOptionsErrorKey).toStringList(), QStringList { "Retry" });
    EXPECT_TRUE(withAll.value(NSRecoveryAttempterErrorKey).value<ErrorRecoveryAttempterPtr>());
    EXPECT_EQ(withAll.value(NSHelpAnchorErrorKey).toString(), QStringLiteral("anchor"));
    EXPECT_EQ(withAll.value(NSURLErrorKey).toUrl(), url);
}

TEST(ErrorRecoveryAttempter, RunsOnlyAnOptionInRangeAndAlwaysTellsTheDelegate)
{
    int runs = 0;
    const ErrorRecoveryAttempter attempter({ { QStringLiteral("A"),
                                                 [&] {
                                                     ++runs;
                                                     return false;
                                                 } },
        { QStringLiteral("B"), [&] {
             ++runs;
             return true;
         } } });
    const GeneralError error(QStringLiteral("x"));
    EXPECT_TRUE(attempter.attemptRecovery(error, 1));
    EXPECT_FALSE(attempter.attemptRecovery(error, 0));
    EXPECT_EQ(runs, 2);

    int context = 0;
    std::optional<bool> told;
    void *toldContext = nullptr;
    attempter.attemptRecovery(
        error, 2,
        [&](bool recovered, void *info) {
            told = recovered;
            toldContext = info;
        },
        &context);
    EXPECT_EQ(runs, 2) << "no action runs for an index out of range";
    ASSERT_TRUE(told.has_value());
    EXPECT_FALSE(*told);
    EXPECT_EQ(toldContext, &context);
    EXPECT_FALSE(attempter.attemptRecovery(error, -1));
}

TEST(GeneralError, PresentableTextAddsPointsOnlyWhereMissing)
{
    EXPECT_EQ(GeneralError(QStringLiteral("  Could not save.\n")).localizedStringResource(),
        QStringLiteral("Could not save."));
    EXPECT_EQ(GeneralError(QStringLiteral("Could not save"), QStringLiteral(" Try again. "))
                  .localizedStringResource(),
        QStringLiteral("Could not save. Try again."));
    EXPECT_EQ(GeneralError(QStringLiteral("Done."), QStringLiteral("Retry")).localizedStringResource(),
        QStringLiteral("Done. Retry."));
}

TEST(GeneralError, IsAProgramErrorWithItsOwnDomainAndCode)
{
    const GeneralError error(QStringLiteral("Could not infer the file type."), std::nullopt, { { "k", 1 } });
    EXPECT_EQ(error.domain(), QStringLiteral("Tapewick.GeneralError"));
    EXPECT_EQ(error.code(), 1);
    EXPECT_FALSE(error.isNSError());
    EXPECT_TRUE(NSError(QStringLiteral("D"), 2).isNSError());
    EXPECT_TRUE(CocoaError(CocoaError::fileNoSuchFile).isNSError());
    EXPECT_EQ(error.errorUserInfo().value("k").toInt(), 1);
    EXPECT_STREQ(error.what(), "Could not infer the file type.");
    EXPECT_EQ(error.bridged().localizedDescription(), QStringLiteral("Could not infer the file type."));
}

TEST(IOKitError, BridgesWithItsReturnCodeSignExtendedAndItsOwnUserInfo)
{
    // kIOReturnNotPermitted, a negative 32-bit code.
    const IOKitError error(static_cast<std::int32_t>(0xe00002e2), { { "k", 1 } });
    const NSError bridged = error.bridged();
    EXPECT_EQ(bridged.domain(), QStringLiteral("IOKitErrorDomain"));
    EXPECT_EQ(bridged.code(), -536870174);
    EXPECT_EQ(bridged.userInfo().value("k").toInt(), 1);
    EXPECT_FALSE(error.isNSError());
}

TEST(AnyError, KeepsExistingEntriesAndAddsTheFailureReasonUnderTheFailureKey)
{
    const AnyError wrappedNSError(std::make_shared<NSError>(
        QStringLiteral("D"), 5, QVariantMap { { NSLocalizedDescriptionKey, QStringLiteral("Mine") } }));
    EXPECT_EQ(wrappedNSError.userInfo().value(NSLocalizedDescriptionKey).toString(), QStringLiteral("Mine"));
    EXPECT_EQ(wrappedNSError.code(), 5);
    EXPECT_EQ(wrappedNSError.domain(), QStringLiteral("AnyError"));

    const AnyError wrappedReasoned(std::make_shared<ReasonedError>());
    const QVariantMap info = wrappedReasoned.userInfo();
    EXPECT_EQ(info.value(NSLocalizedFailureErrorKey).toString(), QStringLiteral("the cable"));
    EXPECT_FALSE(info.contains(NSLocalizedFailureReasonErrorKey));
    EXPECT_EQ(info.value(NSLocalizedDescriptionKey).toString(), QStringLiteral("It broke"));
}

TEST(AnyError, EqualityComparesContentThenDomainAndCode)
{
    const auto make = [](const QString &text) {
        return AnyError(std::make_shared<NSError>(
            QStringLiteral("D"), 5, QVariantMap { { NSLocalizedDescriptionKey, text } }));
    };
    EXPECT_TRUE(make("a") == make("a"));
    EXPECT_FALSE(make("a") == make("b"));
    EXPECT_FALSE(AnyError(std::make_shared<Errno>(ENOENT)) == AnyError(std::make_shared<Errno>(EACCES)));
}

TEST(MessageCode, IgnoresQuotedNamesOnOneLine)
{
    EXPECT_EQ(messageCode(QStringLiteral("Could not open “a.m4a”.")),
        messageCode(QStringLiteral("Could not open “/long/path/b.wav”.")));
    EXPECT_NE(messageCode(QStringLiteral("Could not open “a”.")),
        messageCode(QStringLiteral("Could not save “a”.")));
    // A left mark without a right one leaves the text as it is.
    EXPECT_EQ(messageCode(QStringLiteral("Could not open “a")),
        static_cast<qint64>(fnv1aHash(QStringLiteral("Could not open “a"))));
    // A quoted span across a line break is not a name.
    EXPECT_EQ(messageCode(QStringLiteral("x “a\nb” y")),
        static_cast<qint64>(fnv1aHash(QStringLiteral("x “a\nb” y"))));
    EXPECT_EQ(messageCode(QString()), static_cast<qint64>(0xcbf29ce484222325ULL));
    EXPECT_EQ(fnv1aHash(QStringLiteral("a")), 0xaf63dc4c8601ec8cULL);
    EXPECT_EQ(fnv1aHash(QStringLiteral("foobar")), 0x85944171f73967e8ULL);
}

TEST(ErrorBridging, UnderlyingErrorsDomainsAndCancellation)
{
    const GeneralError error(QStringLiteral("outer"), std::nullopt, {}, std::nullopt,
        { std::make_shared<Errno>(ENOSPC), std::make_shared<CancellationError>() });
    const QList<ErrorPtr> underlying = error.underlyingErrors();
    ASSERT_EQ(underlying.size(), 2);
    EXPECT_TRUE(underlying.at(0)->hasDomain(Errno::errorDomain, ENOSPC));
    EXPECT_FALSE(underlying.at(0)->hasDomain(Errno::errorDomain, ENOENT));
    EXPECT_TRUE(underlying.at(1)->isCancelled());
    EXPECT_FALSE(error.isCancelled());
    EXPECT_TRUE(CocoaError(CocoaError::userCancelled).isCancelled());
    EXPECT_TRUE(NSError(QStringLiteral("NSURLErrorDomain"), -999).isCancelled());
    EXPECT_FALSE(NSError(QStringLiteral("NSURLErrorDomain"), -1001).isCancelled());
}

TEST(NSError, AppErrorUsesTheApplicationIdentifierAndCopiesMergeUserInfo)
{
    FoundationHooks::setAppIdentifier(QStringLiteral("org.example.tapewick"));
    const NSError plain = NSError::appError(QStringLiteral("Could not get CGImage from image."));
    const NSError suffixed
        = NSError::appError(QStringLiteral("x"), {}, {}, {}, {}, {}, QStringLiteral("Panel"));
    FoundationHooks::setAppIdentifier({});
    EXPECT_EQ(plain.domain(), QStringLiteral("org.example.tapewick"));
    EXPECT_EQ(plain.code(), 1);
    EXPECT_EQ(plain.localizedDescription(), QStringLiteral("Could not get CGImage from image."));
    EXPECT_EQ(suffixed.domain(), QStringLiteral("org.example.tapewick - Panel"));

    const NSError copy
        = NSError(QStringLiteral("D"), 3, { { "a", 1 }, { "b", 2 } }).copyAddingUserInfo({ { "b", 9 } });
    EXPECT_EQ(copy.userInfo().value("a").toInt(), 1);
    EXPECT_EQ(copy.userInfo().value("b").toInt(), 9);
    EXPECT_EQ(copy.code(), 3);
}

TEST(Errno, TranslatesTheOtherPlatformsNumbers)
{
    EXPECT_EQ(Errno::fromDarwin(93), ENODATA);
    EXPECT_EQ(Errno::noSuchAttribute, ENODATA);
    EXPECT_EQ(Errno::fromDarwin(2), ENOENT);
    EXPECT_EQ(Errno::fromDarwin(45), EOPNOTSUPP);
    EXPECT_EQ(Errno(ENOENT).localizedDescription(), QStringLiteral("No such file or directory"));
    EXPECT_EQ(Errno(ENOTSUP, QStringLiteral("No attributes here")).localizedDescription(),
        QStringLiteral("No attributes here"));
}

TEST(ErrorReporting, SendsTheCallSiteAndReturnsTheSameError)
{
    struct Report
    {
        QString description;
        QVariantMap userInfo;
        QString file;
        int line = 0;
    };
    std::vector<Report> reports;
    FoundationHooks::setReportError(
        [&](const Error &error, const QVariantMap &info, const QString &file, int line) {
            reports.push_back({ error.localizedDescription(), info, file, line });
        });
    const int expectedLine = __LINE__ + 2;
    try {
        throw reported(GeneralError(QStringLiteral("boom")), { { "k", "v" } });
    } catch (const GeneralError &error) {
        EXPECT_EQ(error.localizedDescription(), QStringLiteral("boom"));
    }
    const ErrorPtr pointer = reported(ErrorPtr(std::make_shared<Errno>(EIO)));
    FoundationHooks::setReportError({});

    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].description, QStringLiteral("boom"));
    EXPECT_EQ(reports[0].userInfo.value("k").toString(), QStringLiteral("v"));
    EXPECT_TRUE(reports[0].file.endsWith(QStringLiteral("ErrorValueTests.cpp")))
        << reports[0].file.toStdString();
    EXPECT_EQ(reports[0].line, expectedLine);
    EXPECT_TRUE(pointer->hasDomain(Errno::errorDomain, EIO));
    // Rethrowing through the pointer keeps the dynamic type.
    EXPECT_THROW(pointer->raise(), Errno);
}

} // namespace
