#include "ApplicationsFixture.h"
#include "LonelyFifo.h"

#include "platform/desktop/DesktopEntry.h"
#include "platform/desktop/InstalledApplications.h"

namespace {

using InstalledApplicationsTest = ApplicationsFixture;

TEST_F(InstalledApplicationsTest, FindsApplicationEntriesByIdTheHomeDirectoryFirst)
{
    const QString player = writeEntry("system1", "org.example.Player.desktop", applicationEntry("Player"));
    const QString editor = writeEntry("system2", "vendor/tools-editor.desktop", applicationEntry("Ed"));
    writeEntry("system1", "org.example.A.desktop", applicationEntry("System A"));
    const QString homeA = writeEntry("home", "org.example.A.desktop", applicationEntry("Home A"));
    writeEntry("system1", "org.example.Link.desktop",
        "[Desktop Entry]\nType=Link\nName=Site\nURL=https://example.org\n");
    writeEntry("system1", "org.example.Broken.desktop", "not a key file\n");
    // A broken entry in the home folder does not hide a good one below it.
    writeEntry("home", "org.example.B.desktop", "[Other]\nName=x\n");
    const QString goodB = writeEntry("system2", "org.example.B.desktop", applicationEntry("B"));

    const std::pair<const char *, std::optional<QString>> cases[] = {
        { "org.example.Player", player },
        { "org.example.Player.desktop", player },
        { "org.example.Missing", std::nullopt },
        { "", std::nullopt },
        { "vendor-tools-editor", editor },
        // The path form is not an ID and must not reach outside the folders.
        { "vendor/tools-editor", std::nullopt },
        { "../applications/vendor/tools-editor", std::nullopt },
        { "org.example.A", homeA },
        { "org.example.Link", std::nullopt },
        { "org.example.Broken", std::nullopt },
        { "org.example.B", goodB },
    };
    for (const auto &[id, expected] : cases) {
        SCOPED_TRACE(id);
        EXPECT_EQ(InstalledApplications::desktopEntryPath(QString::fromLatin1(id)), expected);
    }

    // A hidden entry in the home directory removes the application.
    writeEntry("home", "org.example.A.desktop", applicationEntry("A", "Hidden=true\n"));
    EXPECT_EQ(InstalledApplications::desktopEntryPath(QStringLiteral("org.example.A")), std::nullopt);

    // The name follows the language settings.
    const QString path = writeEntry("home", "org.example.C.desktop",
        applicationEntry("Recorder", "Name[de]=Rekorder\nName[fr_FR]=Enregistreur\n"));
    for (const auto &[language, name] : { std::pair { "de", "Rekorder" },
             std::pair { "fr_FR", "Enregistreur" }, std::pair { "ja", "Recorder" } }) {
        const TestSupport::ScopedEnv scoped("LANGUAGE", QString::fromLatin1(language));
        EXPECT_EQ(DesktopEntry::load(path)->localizedName(), QString::fromUtf8(name)) << language;
    }
    EXPECT_EQ(DesktopEntry::load(path + QStringLiteral(".missing")), std::nullopt);

    // A FIFO in place of an entry, which nothing writes to, is passed over without waiting.
    const QString fifoPath = QFileInfo(homeA).dir().filePath(QStringLiteral("fifo"));
    const QString homeB = QFileInfo(homeA).dir().filePath(QStringLiteral("org.example.B.desktop"));
    const TestSupport::LonelyFifo fifo(fifoPath);
    ASSERT_TRUE(fifo.made() && QFile::remove(homeB));
    ASSERT_EQ(::link(QFile::encodeName(fifoPath).constData(), QFile::encodeName(homeB).constData()), 0);
    std::optional<QString> found;
    std::optional<DesktopEntry> loaded;
    EXPECT_TRUE(fifo.readsWithoutWaiting([&] {
        found = InstalledApplications::desktopEntryPath(QStringLiteral("org.example.B"));
        loaded = DesktopEntry::load(fifoPath);
    }));
    EXPECT_EQ(found, goodB);
    EXPECT_EQ(loaded, std::nullopt);
}

} // namespace
