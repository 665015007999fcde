#include "platform/crashreport/CrashReportClient.h"
#include "platform/crashreport/CrashReportDsn.h"
#include "platform/crashreport/HomePathRedactor.h"

#include "ScopedEnv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

namespace {

TEST(HomePathRedactor, WritesEachHomeAsATildeWhereItIsAWholePathComponent)
{
    const HomePathRedactor redactor(
        { QStringLiteral("/home/Ann Example/"), QStringLiteral("/home/ann"), QStringLiteral("/home/ann/box"),
            QStringLiteral("/home/ann o'neil"), QStringLiteral("/home/zo\u00eb") });
    const std::pair<const char *, const char *> cases[] = {
        { "/home/ann", "~" },
        { "/home/Ann Example/x and /home/ann/y", "~/x and ~/y" },
        { "file:///home/Ann%20Example/My%20Music/a.m4a", "file://~/My%20Music/a.m4a" },
        // Encoded as a file URL is (a quote stays), wholly, in small letters, in a query.
        { "file:///home/ann%20o'neil/a.m4a and /home/ann o'neil/b", "file://~/a.m4a and ~/b" },
        { "/home/ann%20o%27neil/a", "~/a" },
        { "/home/zo%c3%ab/a and file:///home/zo\u00eb/b", "~/a and file://~/b" },
        { "?path=%2Fhome%2Fann%2Fa.m4a", "?path=~%2Fa.m4a" },
        { "/home/ann%20b/a and /home/ann%2", "/home/ann%20b/a and /home/ann%2" },
        { "\u201c/home/ann\u201d and /home/ann\u00eb/a", "\u201c~\u201d and /home/ann\u00eb/a" },
        { "/home/ann/box/take.m4a", "~/take.m4a" },
        { "/home/ann/boxes", "~/boxes" },
        { "/home/anne/x", "/home/anne/x" },
        { "/home/ann.old/x", "/home/ann.old/x" },
    };
    for (const auto &[text, expected] : cases) {
        EXPECT_EQ(redactor.redacted(QString::fromUtf8(text)), QString::fromUtf8(expected)) << text;
    }
    EXPECT_EQ(HomePathRedactor({ QStringLiteral("/"), QString() }).redacted(QStringLiteral("/etc/x")),
        QStringLiteral("/etc/x"))
        << "a home at the root would redact every path";
}

TEST(HomePathRedactor, TheCurrentUsersHomeIsKnownByItsEnvironmentItsUserEntryAndItsRealPath)
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("real home"));
    const QString link = dir.filePath(QStringLiteral("linked"));
    ASSERT_TRUE(QDir().mkpath(real) && QFile::link(real, link));
    TestSupport::ScopedEnv home("HOME", link);
    const HomePathRedactor redactor = HomePathRedactor::forCurrentUser();
    const QString userEntry = QFile::decodeName(::getpwuid(::getuid())->pw_dir);
    for (const QString &form : { link, real, userEntry, QString(real).replace(' ', "%20") }) {
        EXPECT_EQ(redactor.redacted(form + QStringLiteral("/a.m4a")), QStringLiteral("~/a.m4a"))
            << form.toStdString();
    }
}

TEST(CrashReportDsn, PlainHttpIsTakenOnlyForThisMachine)
{
    const std::pair<const char *, bool> cases[] = {
        { "https://key@reports.example.org/1", true },
        { "http://key@127.255.1.2/1", true },
        { "http://key@LocalHost:9000/1", true },
        { "http://key@[::1]:9000/1", true },
        { "http://key@[0:0:0:0:0:0:0:1]/1", true },
        // IPv4 addresses written as IPv6 ones reach the IPv4 host they name.
        { "http://key@[::ffff:127.0.0.1]/1", true },
        { "http://key@[::ffff:7f00:1]/1", true },
        { "http://key@[::ffff:10.0.0.1]/1", false },
        { "http://key@reports.example.org/1", false },
        { "HTTP://key@reports.example.org/1", false },
        { "http://key@10.0.0.1/1", false },
        { "http://key@128.0.0.1/1", false },
        { "http://key@126.255.255.255/1", false },
        { "http://key@0.0.0.0/1", false },
        { "http://key@[::]/1", false },
        { "http://key@[::2]/1", false },
        { "http://key@[2001:db8::1]/1", false },
        { "http://key@[fe80::1]/1", false },
        { "http://key@[::127.0.0.1]/1", false },
        { "http://key@127.0.0.1.example.org/1", false },
        { "http://key@localhost.example.org/1", false },
    };
    for (const auto &[text, accepted] : cases) {
        QString refusal;
        EXPECT_EQ(CrashReportDsn::parse(QString::fromLatin1(text), &refusal).has_value(), accepted) << text;
        EXPECT_EQ(refusal.contains(QLatin1String("https")), !accepted) << text;
    }
    // A refused DSN turns sending off.
    QTemporaryDir dir;
    CrashReportOptions options;
    options.databasePath = dir.path();
    options.dsn = QStringLiteral("http://key@reports.example.org/1");
    EXPECT_FALSE(CrashReportClient(options).isEnabled());
}

} // namespace
