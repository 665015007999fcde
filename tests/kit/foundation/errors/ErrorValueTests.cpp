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

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// An error that gives a failure reason, as only some error types do.
class ReasonedError : public Error
{
public:
    QString domain() const override { return u"Test.Reasoned"_s; }
    qint64 code() const override { return 7; }
    QVariantMap userInfo() const override { return {}; }
    QString localizedDescription() const override { return u"It broke"_s; }
    std::optional<QString> failureReason() const override { return u"the cable"_s; }
    ErrorPtr clone() const override { return std::make_shared<ReasonedError>(*this); }
    [[noreturn]] void raise() const override { throw *this; }
};

TEST(ErrorUserInfo, WritesOnlyWhatIsGivenAndReplacesTheDescription)
{
    const QVariantMap start { { NSLocalizedDescriptionKey, u"old"_s }, { "extra", 3 } };
    const QVariantMap info = makeErrorUserInfo(start, u"new"_s);
    EXPECT_EQ(info.value(NSLocalizedDescriptionKey).toString(), u"new"_s);
    EXPECT_EQ(info.keys(), (QStringList { NSLocalizedDescriptionKey, "extra" }));

    const QUrl url = QUrl::fromLocalFile(u"/tmp/x.m4a"_s);
    const QVariantMap withAll = makeErrorUserInfo({}, u"d"_s, QString(),
        { { u"Retry"_s, [] { return true; } } }, u"anchor"_s, { std::make_shared<Errno>(ENOENT) }, url);
    EXPECT_TRUE(withAll.contains(NSLocalizedRecoverySuggestionErrorKey)) << "an empty suggestion is present";
    EXPECT_EQ(withAll.value(NSLocalizedRecoveryOptionsErrorKey).toStringList(), QStringList { "Retry" });
    EXPECT_TRUE(withAll.value(NSRecoveryAttempterErrorKey).value<ErrorRecoveryAttempterPtr>());
    EXPECT_EQ(withAll.value(NSHelpAnchorErrorKey).toString(), u"anchor"_s);
    EXPECT_EQ(withAll.value(NSURLErrorKey).toUrl(), url);
}

TEST(ErrorRecoveryAttempter, RunsOnlyAnOptionInRangeAndAlwaysTellsTheDelegate)
{
    int runs = 0;
    const auto counted = [&runs](bool recovered) { return [&runs, recovered] { return ++runs, recovered; }; };
    const ErrorRecoveryAttempter attempter({ { u"A"_s, counted(false) }, { u"B"_s, counted(true) } });
    const GeneralError error(u"x"_s);
    EXPECT_TRUE(attempter.attemptRecovery(error, 1));
    EXPECT_FALSE(attempter.attemptRecovery(error, 0));
    EXPECT_EQ(runs, 2);

    int context = 0;
    std::optional<std::pair<bool, void *>> told;
    attempter.attemptRecovery(
        error, 2, [&](bool recovered, void *info) { told.emplace(recovered, info); }, &context);
    EXPECT_EQ(runs, 2) << "no action runs for an index out of range";
    EXPECT_EQ(told, std::make_pair(false, static_cast<void *>(&context)));
    EXPECT_FALSE(attempter.attemptRecovery(error, -1));
}

TEST(ErrorBridging, TextDomainCodeUnderlyingErrorsAndCancellation)
{
    EXPECT_EQ(GeneralError(u"  Could not save.\n"_s).localizedStringResource(), u"Could not save."_s);
    EXPECT_EQ(GeneralError(u"Could not save"_s, u" Try again. "_s).localizedStringResource(),
        u"Could not save. Try again."_s);
    EXPECT_EQ(GeneralError(u"Done."_s, u"Retry"_s).localizedStringResource(), u"Done. Retry."_s);

    const GeneralError error(u"Could not infer the file type."_s, std::nullopt, { { "k", 1 } });
    // Its domain and code are checked where errors are reported.
    EXPECT_FALSE(error.isNSError());
    EXPECT_TRUE(CocoaError(CocoaError::fileNoSuchFile).isNSError());
    EXPECT_EQ(error.errorUserInfo().value("k").toInt(), 1);
    EXPECT_STREQ(error.what(), "Could not infer the file type.");
    EXPECT_EQ(error.bridged().localizedDescription(), u"Could not infer the file type."_s);

    // kIOReturnNotPermitted, a negative 32-bit code.
    const IOKitError ioKit(static_cast<std::int32_t>(0xe00002e2), { { "k", 1 } });
    const NSError bridged = ioKit.bridged();
    EXPECT_EQ(bridged.domain(), u"IOKitErrorDomain"_s);
    EXPECT_EQ(bridged.code(), -536870174);
    EXPECT_EQ(bridged.userInfo().value("k").toInt(), 1);
    EXPECT_FALSE(ioKit.isNSError());

    const GeneralError outer(u"outer"_s, std::nullopt, {}, std::nullopt,
        { std::make_shared<Errno>(ENOSPC), std::make_shared<CancellationError>() });
    const QList<ErrorPtr> underlying = outer.underlyingErrors();
    ASSERT_EQ(underlying.size(), 2);
    EXPECT_TRUE(underlying.at(0)->hasDomain(Errno::errorDomain, ENOSPC));
    EXPECT_FALSE(underlying.at(0)->hasDomain(Errno::errorDomain, ENOENT));
    EXPECT_TRUE(underlying.at(1)->isCancelled());
    EXPECT_FALSE(outer.isCancelled());
    EXPECT_TRUE(CocoaError(CocoaError::userCancelled).isCancelled());
    EXPECT_TRUE(NSError(u"NSURLErrorDomain"_s, -999).isCancelled());
    EXPECT_FALSE(NSError(u"NSURLErrorDomain"_s, -1001).isCancelled());
}

TEST(AnyError, KeepsExistingEntriesAddsTheFailureReasonAndComparesContentThenDomainAndCode)
{
    const AnyError wrappedNSError(
        std::make_shared<NSError>(u"D"_s, 5, QVariantMap { { NSLocalizedDescriptionKey, u"Mine"_s } }));
    EXPECT_EQ(wrappedNSError.userInfo().value(NSLocalizedDescriptionKey).toString(), u"Mine"_s);
    EXPECT_EQ(wrappedNSError.code(), 5);
    EXPECT_EQ(wrappedNSError.domain(), u"AnyError"_s);

    const AnyError wrappedReasoned(std::make_shared<ReasonedError>());
    const QVariantMap info = wrappedReasoned.userInfo();
    EXPECT_EQ(info.value(NSLocalizedFailureErrorKey).toString(), u"the cable"_s);
    EXPECT_FALSE(info.contains(NSLocalizedFailureReasonErrorKey));
    EXPECT_EQ(info.value(NSLocalizedDescriptionKey).toString(), u"It broke"_s);

    const auto make = [](const QString &text) {
        return AnyError(
            std::make_shared<NSError>(u"D"_s, 5, QVariantMap { { NSLocalizedDescriptionKey, text } }));
    };
    EXPECT_TRUE(make("a") == make("a"));
    EXPECT_FALSE(make("a") == make("b"));
    EXPECT_FALSE(AnyError(std::make_shared<Errno>(ENOENT)) == AnyError(std::make_shared<Errno>(EACCES)));
}

TEST(MessageCode, IgnoresQuotedNamesOnOneLine)
{
    EXPECT_EQ(
        messageCode(u"Could not open “a.m4a”."_s), messageCode(u"Could not open “/long/path/b.wav”."_s));
    EXPECT_NE(messageCode(u"Could not open “a”."_s), messageCode(u"Could not save “a”."_s));
    // A left mark without a right one leaves the text as it is.
    EXPECT_EQ(messageCode(u"Could not open “a"_s), static_cast<qint64>(fnv1aHash(u"Could not open “a"_s)));
    // A quoted span across a line break is not a name.
    EXPECT_EQ(messageCode(u"x “a\nb” y"_s), static_cast<qint64>(fnv1aHash(u"x “a\nb” y"_s)));
    EXPECT_EQ(messageCode(QString()), static_cast<qint64>(0xcbf29ce484222325ULL));
    EXPECT_EQ(fnv1aHash(u"a"_s), 0xaf63dc4c8601ec8cULL);
    EXPECT_EQ(fnv1aHash(u"foobar"_s), 0x85944171f73967e8ULL);
}

TEST(NSError, AppErrorUsesTheApplicationIdentifierAndCopiesMergeUserInfo)
{
    FoundationHooks::setAppIdentifier(u"org.example.tapewick"_s);
    const NSError plain = NSError::appError(u"Could not get CGImage from image."_s);
    const NSError suffixed = NSError::appError(u"x"_s, {}, {}, {}, {}, {}, u"Panel"_s);
    FoundationHooks::setAppIdentifier({});
    EXPECT_EQ(plain.domain(), u"org.example.tapewick"_s);
    EXPECT_EQ(plain.code(), 1);
    EXPECT_EQ(plain.localizedDescription(), u"Could not get CGImage from image."_s);
    EXPECT_EQ(suffixed.domain(), u"org.example.tapewick - Panel"_s);

    const NSError copy = NSError(u"D"_s, 3, { { "a", 1 }, { "b", 2 } }).copyAddingUserInfo({ { "b", 9 } });
    EXPECT_EQ(copy.userInfo().value("a").toInt(), 1);
    EXPECT_EQ(copy.userInfo().value("b").toInt(), 9);
    EXPECT_EQ(copy.code(), 3);
}

TEST(Errno, TranslatesTheOtherPlatformsNumbersAndDescribesItself)
{
    EXPECT_EQ(Errno::fromDarwin(93), ENODATA);
    EXPECT_EQ(Errno::fromDarwin(45), EOPNOTSUPP);
    EXPECT_EQ(Errno(ENOENT).localizedDescription(), u"No such file or directory"_s);
    EXPECT_EQ(Errno(ENOTSUP, u"No attributes here"_s).localizedDescription(), u"No attributes here"_s);
}

TEST(ErrorReporting, SendsTheCallSiteAndReturnsTheSameError)
{
    QStringList reports;
    FoundationHooks::setReportError(
        [&](const Error &error, const QVariantMap &info, const QString &file, int line) {
            reports << u"%1 %2 %3:%4"_s.arg(error.localizedDescription(), info.value("k").toString(),
                QFileInfo(file).fileName(), QString::number(line));
        });
    const int expectedLine = __LINE__ + 2;
    try {
        throw reported(GeneralError(u"boom"_s), { { "k", "v" } });
    } catch (const GeneralError &error) {
        EXPECT_EQ(error.localizedDescription(), u"boom"_s);
    }
    const ErrorPtr pointer = reported(ErrorPtr(std::make_shared<Errno>(EIO)));
    FoundationHooks::setReportError({});

    ASSERT_EQ(reports.size(), 2);
    EXPECT_EQ(reports[0], u"boom v ErrorValueTests.cpp:%1"_s.arg(expectedLine));
    EXPECT_TRUE(pointer->hasDomain(Errno::errorDomain, EIO));
    // Rethrowing through the pointer keeps the dynamic type.
    EXPECT_THROW(pointer->raise(), Errno);
}

} // namespace
