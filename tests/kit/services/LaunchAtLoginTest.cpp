#include "kit/services/LaunchAtLogin.h"

#include "kit/foundation/system/FoundationHooks.h"

#include "FileContents.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using TestSupport::readFile;
using TestSupport::writeFile;

TEST(LaunchAtLogin, TurnsTheAutostartEntryOnAndOffAndReadsItAfreshEachTime)
{
    QTemporaryDir config;
    const QString entry = config.filePath("autostart/tapewick.desktop");
    LaunchAtLoginObservable launchAtLogin(entry, "/opt/Tape Wick/bin/tapewick", "Tapewick", "x.Id");
    std::vector<bool> changes;
    QObject::connect(
        &launchAtLogin, &LaunchAtLoginObservable::changed, [&](bool on) { changes.push_back(on); });

    launchAtLogin.setEnabled(true);
    EXPECT_TRUE(launchAtLogin.isEnabled());

    launchAtLogin.setEnabled(false);
    EXPECT_FALSE(QFile::exists(entry));

    // The settings toggle follows the entry and sets it.
    LaunchAtLoginToggle toggle("Launch at login", launchAtLogin);
    EXPECT_FALSE(toggle.isChecked());
    toggle.click();
    EXPECT_TRUE(toggle.isChecked());
    launchAtLogin.setEnabled(false);
    EXPECT_FALSE(toggle.isChecked());
    EXPECT_EQ(changes, (std::vector { true, false, true, false }));

    // Read afresh each time, as the desktop's own settings may change it.
    launchAtLogin.setEnabled(true);
    writeFile(entry, readFile(entry) + "Hidden=true\n");
    EXPECT_FALSE(launchAtLogin.isEnabled());
    writeFile(entry, "[Desktop Entry]\nExec=tapewick\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_FALSE(launchAtLogin.isEnabled());
    // Keys of other groups say nothing about the entry.
    writeFile(entry, "[Desktop Entry]\nExec=tapewick\n[Desktop Action x]\nHidden=true\n");
    EXPECT_TRUE(launchAtLogin.isEnabled());
    // The session skips an entry it cannot read.
    writeFile(entry, "[Desktop Entry]\nExec=tapewick\nnot a key\n");
    EXPECT_FALSE(launchAtLogin.isEnabled());

    // A failure is shown, and the switch reads off.
    QStringList shown;
    FoundationHooks::setPresentError(
        [&](const ErrorPtr &error, QWidget *, auto) { shown << error->localizedDescription(); });
    ASSERT_TRUE(QFile::remove(entry) && QDir().mkpath(entry));
    launchAtLogin.setEnabled(true);
    QCoreApplication::processEvents();
    FoundationHooks::setPresentError({});
    EXPECT_EQ(shown, QStringList { "Could not add \u201cTapewick\u201d to the programs started at login." });
    EXPECT_EQ(changes.back(), false);
}

// Names, icon and comments are the installed entry's; what starts is the running program, quoted.
TEST(LaunchAtLogin, EntryIsTheInstalledOneStartingTheRunningProgram)
{
    const struct
    {
        QString installed; // empty: not installed
        QString executable;
        QStringList present;
        QStringList absent;
    } cases[] = {
        { "# Packaged\n[Desktop Entry]\nType=Application\n# Shown in menus\nName=Tape Recorder\n"
          "Name[de]=Bandger\u00e4t\nIcon=tape\nTryExec=/usr/bin/tapewick\nExec=/usr/bin/tapewick %U\n"
          "DBusActivatable=true\nActions=new;\nHidden=false\n\n[Desktop Action new]\nExec=tapewick --new\n",
            "/build/tapewick",
            { "# Shown in menus", "Name=Tape Recorder", "Name[de]=Bandger\u00e4t", "Icon=tape",
                "Exec=/build/tapewick", "X-GNOME-Autostart-enabled=true" },
            { "Name=Tapewick", "Icon=x.Id", "TryExec", "DBusActivatable", "Actions", "Hidden", "%U",
                "[Desktop Action", "--new" } },
        { "", "/a$b/100%", { "Type=Application", "Name=Tapewick", "Icon=x.Id", R"(Exec="/a\\$b/100%%")" },
            {} },
        { "[Desktop Entry]\nType=Application\nName=Broken\nnot a key\n", "/a b\\c",
            { "Name=Tapewick", "Icon=x.Id", R"(Exec="/a b\\\\c")" }, { "Broken", "not a key" } },
    };
    for (const auto &c : cases) {
        QTemporaryDir home;
        const QByteArray savedHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
        if (!c.installed.isEmpty()) {
            writeFile(home.filePath("data/applications/x.Id.desktop"), c.installed.toUtf8());
        }
        LaunchAtLoginObservable launchAtLogin(
            home.filePath("autostart/x.Id.desktop"), c.executable, "Tapewick", "x.Id");
        launchAtLogin.setEnabled(true);
        qputenv("XDG_DATA_HOME", savedHome);

        const QString text = QString::fromUtf8(readFile(launchAtLogin.entryPath()));
        const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
        EXPECT_TRUE(launchAtLogin.isEnabled()) << text.toStdString();
        for (const QString &line : c.present) {
            EXPECT_EQ(lines.count(line), 1) << line.toStdString() << " in\n" << text.toStdString();
        }
        for (const QString &part : c.absent) {
            EXPECT_FALSE(text.contains(part)) << part.toStdString() << " in\n" << text.toStdString();
        }
    }
}
