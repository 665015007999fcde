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

TEST(LaunchAtLogin, TurnsTheAutostartEntryOnAndOff)
{
    QTemporaryDir config;
    const QString entry = config.filePath(QStringLiteral("autostart/tapewick.desktop"));
    LaunchAtLoginObservable launchAtLogin(
        entry, QStringLiteral("/opt/Tape Wick/bin/tapewick"), QStringLiteral("Tapewick"));
    std::vector<bool> changes;
    QObject::connect(
        &launchAtLogin, &LaunchAtLoginObservable::changed, [&](bool on) { changes.push_back(on); });
    EXPECT_FALSE(launchAtLogin.isEnabled());

    launchAtLogin.setEnabled(true);
    EXPECT_TRUE(launchAtLogin.isEnabled());
    const QString text = readAll(entry);
    EXPECT_TRUE(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nType=Application\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nName=Tapewick\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nExec=\"/opt/Tape Wick/bin/tapewick\"\n")));

    launchAtLogin.setEnabled(false);
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_FALSE(launchAtLogin.isEnabled());
    EXPECT_EQ(changes, (std::vector { true, false }));
}

TEST(LaunchAtLogin, ReadsTheEntryAfreshEachTime)
{
    QTemporaryDir config;
    const QString entry = config.filePath(QStringLiteral("tapewick.desktop"));
    LaunchAtLoginObservable launchAtLogin(
        entry, QStringLiteral("/usr/bin/tapewick"), QStringLiteral("Tapewick"));
    launchAtLogin.setEnabled(true);
    writeAll(entry, readAll(entry) + QStringLiteral("Hidden=true\n"));
    EXPECT_FALSE(launchAtLogin.isEnabled());
    writeAll(entry, QStringLiteral("[Desktop Entry]\nExec=tapewick\nX-GNOME-Autostart-enabled=false\n"));
    EXPECT_FALSE(launchAtLogin.isEnabled());
    // Keys of other groups say nothing about the entry.
    writeAll(entry, QStringLiteral("[Desktop Entry]\nExec=tapewick\n[Desktop Action x]\nHidden=true\n"));
    EXPECT_TRUE(launchAtLogin.isEnabled());
}

TEST(LaunchAtLogin, ToggleFollowsAndSetsTheEntry)
{
    QTemporaryDir config;
    const QString entry = config.filePath(QStringLiteral("tapewick.desktop"));
    LaunchAtLoginObservable launchAtLogin(
        entry, QStringLiteral("/usr/bin/tapewick"), QStringLiteral("Tapewick"));
    LaunchAtLoginToggle toggle(QStringLiteral("Launch at login"), launchAtLogin);
    EXPECT_FALSE(toggle.isChecked());
    toggle.click();
    EXPECT_TRUE(QFile::exists(entry));
    EXPECT_TRUE(toggle.isChecked());
    launchAtLogin.setEnabled(false);
    EXPECT_FALSE(toggle.isChecked());
}

TEST(LaunchAtLogin, ExecValuesAreQuotedWhereNeeded)
{
    EXPECT_EQ(LaunchAtLoginObservable::execValue(QStringLiteral("/usr/bin/tapewick")),
        QStringLiteral("/usr/bin/tapewick"));
    EXPECT_EQ(LaunchAtLoginObservable::execValue(QStringLiteral("/a b/c")), QStringLiteral("\"/a b/c\""));
    EXPECT_EQ(LaunchAtLoginObservable::execValue(QStringLiteral("/a$b")), QStringLiteral("\"/a\\\\$b\""));
    EXPECT_EQ(LaunchAtLoginObservable::execValue(QStringLiteral("/100%")), QStringLiteral("/100%%"));
}
