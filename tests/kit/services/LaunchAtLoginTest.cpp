#include "kit/services/LaunchAtLogin.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void writeAll(const QString &path, const QString &text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

} // namespace

TEST(LaunchAtLogin, TurnsTheAutostartEntryOnAndOffAndReadsItAfreshEachTime)
{
    QTemporaryDir config;
    const QString entry = config.filePath("autostart/tapewick.desktop");
    LaunchAtLoginObservable launchAtLogin(entry, "/opt/Tape Wick/bin/tapewick", "Tapewick", "x.Id");
    std::vector<bool> changes;
    QObject::connect(
        &launchAtLogin, &LaunchAtLoginObservable::changed, [&](bool on) { changes.push_back(on); });
    EXPECT_FALSE(launchAtLogin.isEnabled());

    launchAtLogin.setEnabled(true);
    EXPECT_TRUE(launchAtLogin.isEnabled());
    EXPECT_EQ(readAll(entry),
        "[Desktop Entry]\nType=Application\nName=Tapewick\nIcon=x.Id\n"
        "Exec=\"/opt/Tape Wick/bin/tapewick\"\nX-GNOME-Autostart-enabled=true\n");

    launchAtLogin.setEnabled(false);
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_FALSE(launchAtLogin.isEnabled());

    // The settings toggle follows the entry and sets it.
    LaunchAtLoginToggle toggle("Launch at login", launchAtLogin);
    EXPECT_FALSE(toggle.isChecked());
    toggle.click();
    EXPECT_TRUE(QFile::exists(entry));
    EXPECT_TRUE(toggle.isChecked());
    launchAtLogin.setEnabled(false);
    EXPECT_FALSE(toggle.isChecked());
    EXPECT_EQ(changes, (std::vector { true, false, true, false }));

    // Read afresh each time, as the desktop's own settings may change it.
    launchAtLogin.setEnabled(true);
    writeAll(entry, readAll(entry) + "Hidden=true\n");
    EXPECT_FALSE(launchAtLogin.isEnabled());
    writeAll(entry, "[Desktop Entry]\nExec=tapewick\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_FALSE(launchAtLogin.isEnabled());
    // Keys of other groups say nothing about the entry.
    writeAll(entry, "[Desktop Entry]\nExec=tapewick\n[Desktop Action x]\nHidden=true\n");
    EXPECT_TRUE(launchAtLogin.isEnabled());
}

// The installed entry gives names and icon; the running program is what starts, whatever the
// installed entry would start.
TEST(LaunchAtLogin, EntryIsTheInstalledOneStartingTheRunningProgram)
{
    const struct
    {
        QString installed; // empty: not installed
        QStringList present;
        QStringList absent;
    } cases[] = {
        { "[Desktop Entry]\nType=Application\nName=Tape Recorder\nName[de]=Bandger\u00e4t\nIcon=tape\n"
          "TryExec=/usr/bin/tapewick\nExec=/usr/bin/tapewick %U\nDBusActivatable=true\nActions=new;\n"
          "Hidden=false\n\n[Desktop Action new]\nExec=tapewick --new\n",
            { "Name=Tape Recorder", "Name[de]=Bandger\u00e4t", "Icon=tape", "Exec=/build/tapewick" },
            { "Name=Tapewick", "Icon=x.Id", "TryExec", "DBusActivatable", "Actions", "Hidden", "%U",
                "Desktop Action", "--new" } },
    };
    for (const auto &c : cases) {
        QTemporaryDir home;
        const QByteArray savedHome = qgetenv("XDG_DATA_HOME");
        const QByteArray savedDirs = qgetenv("XDG_DATA_DIRS");
        qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
        qputenv("XDG_DATA_DIRS", home.filePath("system").toUtf8());
        if (!c.installed.isEmpty()) {
            ASSERT_TRUE(QDir().mkpath(home.filePath("data/applications")));
            writeAll(home.filePath("data/applications/x.Id.desktop"), c.installed);
        }
        const QString entry = home.filePath(QStringLiteral("autostart/x.Id.desktop"));
        LaunchAtLoginObservable(entry, "/build/tapewick", "Tapewick", "x.Id").setEnabled(true);
        qputenv("XDG_DATA_HOME", savedHome);
        qputenv("XDG_DATA_DIRS", savedDirs);

        const QString text = readAll(entry);
        const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_EQ(lines.first(), QStringLiteral("[Desktop Entry]"));
        for (const QString &line : c.present) {
            EXPECT_EQ(lines.count(line), 1) << line.toStdString() << " in\n" << text.toStdString();
        }
        for (const QString &part : c.absent) {
            EXPECT_FALSE(text.contains(part)) << part.toStdString() << " in\n" << text.toStdString();
        }
    }
}

TEST(LaunchAtLogin, ExecValuesAreQuotedWhereNeeded)
{
    const std::pair<const char *, const char *> cases[] = {
        { "/usr/bin/tapewick", "/usr/bin/tapewick" },
        { "/a b/c", R"("/a b/c")" },
        { "/a$b", R"("/a\\$b")" },
        { "/100%", "/100%%" },
    };
    for (const auto &[path, exec] : cases) {
        EXPECT_EQ(LaunchAtLoginObservable::execValue(path), exec) << path;
    }
}
