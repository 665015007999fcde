#include "kit/services/LaunchAtLogin.h"

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
    LaunchAtLoginObservable launchAtLogin(entry, "/opt/Tape Wick/bin/tapewick", "Tapewick");
    std::vector<bool> changes;
    QObject::connect(
        &launchAtLogin, &LaunchAtLoginObservable::changed, [&](bool on) { changes.push_back(on); });
    EXPECT_FALSE(launchAtLogin.isEnabled());

    launchAtLogin.setEnabled(true);
    EXPECT_TRUE(launchAtLogin.isEnabled());
    EXPECT_EQ(readAll(entry),
        "[Desktop Entry]\nType=Application\nName=Tapewick\n"
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
