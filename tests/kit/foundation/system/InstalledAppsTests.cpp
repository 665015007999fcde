#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/system/InstalledApps.h"

#include "EventLoop.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

namespace {

// The applications folder of a private XDG data home; no system folders.
class InstalledAppsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        m_savedHome = qgetenv("XDG_DATA_HOME");
        m_savedDirs = qgetenv("XDG_DATA_DIRS");
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_root.filePath(QStringLiteral("home"))));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_root.filePath(QStringLiteral("none"))));
        ASSERT_TRUE(QDir().mkpath(applications()));
    }

    void TearDown() override
    {
        restore("XDG_DATA_HOME", m_savedHome);
        restore("XDG_DATA_DIRS", m_savedDirs);
        InstalledApps::setAppURLOverride({});
        InstalledApps::setAppNameOverride({});
    }

    static void restore(const char *name, const QByteArray &value)
    {
        if (value.isNull()) {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    }

    QString applications() const { return m_root.filePath(QStringLiteral("home/applications")); }

    QString install(const QString &id, const QByteArray &extraLines, const QByteArray &exec = "true")
    {
        QFile file(QDir(applications()).filePath(id + QStringLiteral(".desktop")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nType=Application\nExec=" + exec + "\n" + extraLines);
        return file.fileName();
    }

    QTemporaryDir m_root;
    QByteArray m_savedHome;
    QByteArray m_savedDirs;
};

TEST_F(InstalledAppsTest, TheNameOfAnInstalledAppIsItsLocalizedName)
{
    const QString path = install(QStringLiteral("org.example.Named"), "Name=Quill Writer\n");
    EXPECT_EQ(InstalledApps::appURL(QStringLiteral("org.example.Named")), QUrl::fromLocalFile(path));
    EXPECT_EQ(InstalledApps::appName(QStringLiteral("org.example.Named")), QStringLiteral("Quill Writer"));
    EXPECT_EQ(InstalledApps::appName(QStringLiteral("org.example.NotInstalled")), std::nullopt);
}

TEST_F(InstalledAppsTest, WithoutALocationTheNameOverrideIsNotAsked)
{
    bool nameAsked = false;
    InstalledApps::setAppURLOverride([](const QString &) { return std::nullopt; });
    InstalledApps::setAppNameOverride([&](const QString &) {
        nameAsked = true;
        return std::optional<QString>(QStringLiteral("x"));
    });
    install(QStringLiteral("org.example.Overridden"), "Name=Real\n");
    EXPECT_EQ(InstalledApps::appName(QStringLiteral("org.example.Overridden")), std::nullopt);
    EXPECT_FALSE(nameAsked);

    InstalledApps::setAppURLOverride(
        [](const QString &) { return QUrl::fromLocalFile(QStringLiteral("/x")); });
    EXPECT_EQ(InstalledApps::appName(QStringLiteral("org.example.Overridden")), QStringLiteral("x"));
    EXPECT_TRUE(nameAsked);
}

TEST_F(InstalledAppsTest, AnswersAreRememberedForOneSecond)
{
    const QString path = install(QStringLiteral("org.example.Brief"), "Name=Brief\n");
    ASSERT_EQ(InstalledApps::appName(QStringLiteral("org.example.Brief")), QStringLiteral("Brief"));

    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(InstalledApps::appURL(QStringLiteral("org.example.Brief")), QUrl::fromLocalFile(path));
    EXPECT_EQ(InstalledApps::appName(QStringLiteral("org.example.Brief")), QStringLiteral("Brief"));

    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_EQ(InstalledApps::appURL(QStringLiteral("org.example.Brief")), std::nullopt);
    EXPECT_EQ(InstalledApps::appName(QStringLiteral("org.example.Brief")), std::nullopt);
}

TEST_F(InstalledAppsTest, TheDisplayNameFallsBackToTheFileNameWithoutItsSuffix)
{
    const QString unnamed = install(QStringLiteral("org.example.Unnamed"), "");
    EXPECT_EQ(
        InstalledApps::appDisplayName(QUrl::fromLocalFile(unnamed)), QStringLiteral("org.example.Unnamed"));
    const QString suffixed = install(QStringLiteral("org.example.Suffixed"), "Name=Tool.desktop\n");
    EXPECT_EQ(InstalledApps::appDisplayName(QUrl::fromLocalFile(suffixed)), QStringLiteral("Tool"));
    const QString plain = install(QStringLiteral("org.example.Plain"), "Name=Tool.app\n");
    EXPECT_EQ(InstalledApps::appDisplayName(QUrl::fromLocalFile(plain)), QStringLiteral("Tool.app"));
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

TEST_F(InstalledAppsTest, OpeningWithAMissingAppFailsNamingIt)
{
    auto outcome = std::make_shared<std::optional<QString>>();
    open({ QUrl::fromLocalFile(QStringLiteral("/tmp/a.m4a")) }, QStringLiteral("org.example.Gone"), outcome);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return outcome->has_value(); }));
    EXPECT_EQ(**outcome, QStringLiteral("Could not find app “org.example.Gone”."));
}

} // namespace
