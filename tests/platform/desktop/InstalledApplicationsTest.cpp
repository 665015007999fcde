#include "ApplicationsFixture.h"

#include "platform/desktop/DesktopEntry.h"
#include "platform/desktop/InstalledApplications.h"

namespace {

using InstalledApplicationsTest = ApplicationsFixture;

TEST_F(InstalledApplicationsTest, FindsAnEntryByIdWithOrWithoutTheSuffix)
{
    const QString path = writeEntry(
        QStringLiteral("system1"), QStringLiteral("org.example.Player.desktop"), applicationEntry("Player"));

    EXPECT_EQ(InstalledApplications::desktopEntryPath(QStringLiteral("org.example.Player")), path);
    EXPECT_EQ(InstalledApplications::desktopEntryPath(QStringLiteral("org.example.Player.desktop")), path);
    EXPECT_EQ(InstalledApplications::desktopEntryPath(QStringLiteral("org.example.Missing")), std::nullopt);
    EXPECT_EQ(InstalledApplications::desktopEntryPath(QString()), std::nullopt);
}

TEST_F(InstalledApplicationsTest, AnEntryInASubfolderHasADashedId)
{
    const QString path = writeEntry(
        QStringLiteral("system2"), QStringLiteral("vendor/tools-editor.desktop"), applicationEntry("Ed"));

    EXPECT_EQ(InstalledApplications::desktopEntryPath(QStringLiteral("vendor-tools-editor")), path);
    // The path form is not an ID and must not reach outside the folders.
    EXPECT_EQ(InstalledApplications::desktopEntryPath(QStringLiteral("vendor/tools-editor")), std::nullopt);
    EXPECT_EQ(InstalledApplications::desktopEntryPath(QStringLiteral("../applications/vendor/tools-editor")),
        std::nullopt);
}

TEST_F(InstalledApplicationsTest, TheHomeDirectoryWinsAndAHiddenEntryRemovesTheApplication)
{
    writeEntry(
        QStringLiteral("system1"), QStringLiteral("org.example.A.desktop"), applicationEntry("System A"));
    const QString home = writeEntry(
        QStringLiteral("home"), QStringLiteral("org.example.A.desktop"), applicationEntry("Home A"));
    EXPECT_EQ(InstalledApplications::desktopEntryPath(QStringLiteral("org.example.A")), home);

    writeEntry(QStringLiteral("home"), QStringLiteral("org.example.A.desktop"),
        applicationEntry("A", "Hidden=true\n"));
    EXPECT_EQ(InstalledApplications::desktopEntryPath(QStringLiteral("org.example.A")), std::nullopt);
}

TEST_F(InstalledApplicationsTest, OnlyApplicationEntriesCount)
{
    writeEntry(QStringLiteral("system1"), QStringLiteral("org.example.Link.desktop"),
        "[Desktop Entry]\nType=Link\nName=Site\nURL=https://example.org\n");
    writeEntry(QStringLiteral("system1"), QStringLiteral("org.example.Broken.desktop"), "not a key file\n");
    // A broken entry in the home folder does not hide a good one below it.
    writeEntry(QStringLiteral("home"), QStringLiteral("org.example.B.desktop"), "[Other]\nName=x\n");
    const QString good = writeEntry(
        QStringLiteral("system2"), QStringLiteral("org.example.B.desktop"), applicationEntry("B"));

    EXPECT_EQ(InstalledApplications::desktopEntryPath(QStringLiteral("org.example.Link")), std::nullopt);
    EXPECT_EQ(InstalledApplications::desktopEntryPath(QStringLiteral("org.example.Broken")), std::nullopt);
    EXPECT_EQ(InstalledApplications::desktopEntryPath(QStringLiteral("org.example.B")), good);
}

TEST_F(InstalledApplicationsTest, TheNameFollowsTheLanguageSettings)
{
    const QString path = writeEntry(QStringLiteral("home"), QStringLiteral("org.example.C.desktop"),
        applicationEntry("Recorder", "Name[de]=Rekorder\nName[fr_FR]=Enregistreur\n"));

    qputenv("LANGUAGE", "de");
    EXPECT_EQ(DesktopEntry::load(path)->localizedName(), QStringLiteral("Rekorder"));
    qputenv("LANGUAGE", "fr_FR");
    EXPECT_EQ(DesktopEntry::load(path)->localizedName(), QStringLiteral("Enregistreur"));
    qputenv("LANGUAGE", "ja");
    EXPECT_EQ(DesktopEntry::load(path)->localizedName(), QStringLiteral("Recorder"));
    EXPECT_EQ(DesktopEntry::load(path + QStringLiteral(".missing")), std::nullopt);
}

} // namespace
