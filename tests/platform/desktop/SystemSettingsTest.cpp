#include "platform/desktop/SystemSettings.h"

#include "EventLoop.h"
#include "FileContents.h"
#include "ScopedEnv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A PATH holding only stand-in settings programs, each writing its name and arguments to a file.
class SystemSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_directory.isValid()); }

    void install(const QString &program)
    {
        const QByteArray output = QFile::encodeName(m_directory.filePath(QStringLiteral("started")));
        // Nothing else is on the PATH: shell built-ins and a full path only.
        const QString path = TestSupport::writeFile(m_directory.filePath(program),
            "#!/bin/sh\nprintf '%s %s\\n' \"${0##*/}\" \"$*\" > \"" + output + ".part\"\n/bin/mv \"" + output
                + ".part\" \"" + output + "\"\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString started()
    {
        const QString path = m_directory.filePath(QStringLiteral("started"));
        if (!TestSupport::processEventsUntil([&] { return QFile::exists(path); })) {
            return {};
        }
        return QString::fromUtf8(TestSupport::readFile(path)).trimmed();
    }

    QTemporaryDir m_directory;
    TestSupport::ScopedEnv m_path { "PATH", m_directory.path() };
    TestSupport::ScopedEnv m_desktop { "XDG_CURRENT_DESKTOP", QString() };
};

} // namespace

TEST_F(SystemSettingsTest, OpensTheRunningDesktopsSoundPageElseAnySettingsProgram)
{
    const QString microphone = QStringLiteral("com.apple.preference.security?Privacy_Microphone");
    struct Case
    {
        const char *desktop;
        QStringList installed;
        QString pane;
        const char *expected;
    };
    const Case cases[] = {
        { "ubuntu:GNOME", { "gnome-control-center", "systemsettings" }, microphone,
            "gnome-control-center sound" },
        { "KDE", { "gnome-control-center", "systemsettings" }, microphone, "systemsettings kcm_pulseaudio" },
        { "KDE", { "systemsettings" }, QStringLiteral("com.apple.preference.general"), "systemsettings" },
        { "XFCE", { "xfce4-settings-manager" }, microphone, "xfce4-settings-manager" },
        { "Unknown", { "systemsettings" }, microphone, "systemsettings" },
        { "GNOME", { "lxqt-config", "pavucontrol" }, microphone, "lxqt-config" },
        { "Unknown", { "pavucontrol" }, microphone, "pavucontrol --tab=4" },
    };
    for (const Case &c : cases) {
        QDir(m_directory.path()).removeRecursively();
        QDir().mkpath(m_directory.path());
        for (const QString &program : c.installed) {
            install(program);
        }
        qputenv("XDG_CURRENT_DESKTOP", c.desktop);
        ASSERT_TRUE(openSystemSettings(c.pane)) << c.desktop;
        EXPECT_EQ(started(), QString::fromLatin1(c.expected)) << c.desktop;
    }
    QDir(m_directory.path()).removeRecursively();
    EXPECT_FALSE(openSystemSettings(QStringLiteral("com.apple.preference.sound")));
}
