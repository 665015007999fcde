#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/system/InstalledApps.h"

#include "KitTesting.h"

#include <QTemporaryDir>

#include <thread>

using namespace Qt::StringLiterals;

namespace {

// The applications folder of a private XDG data home; no system folders.
class InstalledAppsTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        InstalledApps::setAppURLOverride({});
        InstalledApps::setAppNameOverride({});
    }

    // Answers are remembered for a second across tests: each test names its apps afresh.
    QString id(const char *name) const
    {
        return u"org.example.%1.run%2"_s.arg(QLatin1StringView(name)).arg(m_run);
    }

    QString install(const QString &id, const QByteArray &extraLines)
    {
        return KitTesting::writeFile(m_root.filePath(u"home/applications/%1.desktop"_s.arg(id)),
            "[Desktop Entry]\nType=Application\nExec=true\n" + extraLines);
    }

    inline static int s_runs = 0;
    const int m_run = ++s_runs;
    QTemporaryDir m_root;
    KitTesting::ScopedEnv m_home { "XDG_DATA_HOME", m_root.filePath(u"home"_s) };
    KitTesting::ScopedEnv m_system { "XDG_DATA_DIRS", m_root.filePath(u"none"_s) };
};

TEST_F(InstalledAppsTest, TheNameOfAnInstalledAppIsItsLocalizedNameAndWithoutALocationNoneIsAsked)
{
    const QString path = install(id("Named"), "Name=Quill Writer\n");
    EXPECT_EQ(InstalledApps::appURL(id("Named")), QUrl::fromLocalFile(path));
    EXPECT_EQ(InstalledApps::appName(id("Named")), u"Quill Writer"_s);
    EXPECT_EQ(InstalledApps::appName(id("NotInstalled")), std::nullopt);

    bool nameAsked = false;
    InstalledApps::setAppURLOverride([](const QString &) { return std::nullopt; });
    InstalledApps::setAppNameOverride([&](const QString &) {
        nameAsked = true;
        return std::optional<QString>(u"x"_s);
    });
    install(id("Overridden"), "Name=Real\n");
    EXPECT_EQ(InstalledApps::appName(id("Overridden")), std::nullopt);
    EXPECT_FALSE(nameAsked);

    InstalledApps::setAppURLOverride([](const QString &) { return QUrl::fromLocalFile(u"/x"_s); });
    EXPECT_EQ(InstalledApps::appName(id("Overridden")), u"x"_s);
    EXPECT_TRUE(nameAsked);
}

TEST_F(InstalledAppsTest, AnswersAreRememberedForOneSecond)
{
    const QString path = install(id("Brief"), "Name=Brief\n");
    ASSERT_EQ(InstalledApps::appName(id("Brief")), u"Brief"_s);

    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(InstalledApps::appURL(id("Brief")), QUrl::fromLocalFile(path));
    EXPECT_EQ(InstalledApps::appName(id("Brief")), u"Brief"_s);

    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_EQ(InstalledApps::appURL(id("Brief")), std::nullopt);
    EXPECT_EQ(InstalledApps::appName(id("Brief")), std::nullopt);
}

TEST_F(InstalledAppsTest, TheDisplayNameFallsBackToTheFileNameWithoutItsSuffix)
{
    const QString unnamed = install(id("Unnamed"), "");
    EXPECT_EQ(InstalledApps::appDisplayName(QUrl::fromLocalFile(unnamed)), id("Unnamed"));
    const QString suffixed = install(id("Suffixed"), "Name=Tool.desktop\n");
    EXPECT_EQ(InstalledApps::appDisplayName(QUrl::fromLocalFile(suffixed)), u"Tool"_s);
    const QString plain = install(id("Plain"), "Name=Tool.app\n");
    EXPECT_EQ(InstalledApps::appDisplayName(QUrl::fromLocalFile(plain)), u"Tool.app"_s);
}

QCoro::Task<> open(QList<QUrl> urls, QString id, std::shared_ptr<std::optional<QString>> outcome)
{
    try {
        co_await InstalledApps::openURLs(urls, id, true);
        *outcome = QString();
    } catch (const GeneralError &error) {
        *outcome = error.errorDescription();
    }
}

TEST_F(InstalledAppsTest, OpeningFailsNamingTheAppAsTheUserKnowsIt)
{
    // A program that cannot be found makes the entry unusable.
    install(id("Broken"), "Name=Broken Tool\nTryExec=/nonexistent/broken-tool\n");
    const struct
    {
        QString app;
        QString startsWith;
    } cases[] = {
        { u"org.example.Gone"_s, u"Could not find app “org.example.Gone”."_s },
        { id("Broken"), u"Could not open “Broken Tool”. "_s },
    };
    for (const auto &[app, startsWith] : cases) {
        auto outcome = std::make_shared<std::optional<QString>>();
        open({ QUrl::fromLocalFile(u"/tmp/a.m4a"_s) }, app, outcome);
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return outcome->has_value(); }));
        EXPECT_TRUE((*outcome)->startsWith(startsWith)) << (*outcome)->toStdString();
    }
}

} // namespace
