#include "kit/services/DebugInfo.h"
#include "kit/services/KwApp.h"

#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

} // namespace

TEST(DebugInfo, TotalMemoryFromMeminfo)
{
    EXPECT_EQ(DebugInfo::totalMemory(QStringLiteral("MemFree: 10 kB\nMemTotal:       16777216 kB\n")),
        QStringLiteral("16 GB"));
    EXPECT_EQ(DebugInfo::totalMemory(QStringLiteral("MemFree: 10 kB\n")), std::nullopt);
    EXPECT_EQ(DebugInfo::totalMemory(QString()), std::nullopt);
}

TEST(DebugInfo, MachineModelLeavesOutPlaceholders)
{
    QTemporaryDir dmi;
    EXPECT_EQ(DebugInfo::machineModel(dmi.path()), std::nullopt);
    writeFile(dmi.filePath(QStringLiteral("sys_vendor")), "LENOVO\n");
    writeFile(dmi.filePath(QStringLiteral("product_name")), "20XW\n");
    writeFile(dmi.filePath(QStringLiteral("product_version")), "ThinkPad X1\n");
    EXPECT_EQ(DebugInfo::machineModel(dmi.path()), QStringLiteral("LENOVO 20XW ThinkPad X1"));
    writeFile(dmi.filePath(QStringLiteral("product_version")), "To be filled by O.E.M.\n");
    EXPECT_EQ(DebugInfo::machineModel(dmi.path()), QStringLiteral("LENOVO 20XW"));
}

TEST(DebugInfo, TextListsTheSystemThenTheCustomEntriesInOrder)
{
    const QStringList system = DebugInfo::text().split(QLatin1Char('\n'));
    ASSERT_EQ(system.size(), 8) << DebugInfo::text().toStdString();
    EXPECT_EQ(system[1], QStringLiteral("Qt: ") + QString::fromLatin1(qVersion()));
    EXPECT_EQ(system[2], QStringLiteral("OS: ") + QSysInfo::prettyProductName());
    EXPECT_EQ(system[4], QStringLiteral("Architecture: ") + QSysInfo::currentCpuArchitecture());
    EXPECT_TRUE(system[5].startsWith(QStringLiteral("Machine: ")));
    EXPECT_TRUE(system[6].startsWith(QStringLiteral("Memory: ")));
    EXPECT_NE(system[6], QStringLiteral("Memory: Unknown")) << "this machine has a /proc/meminfo";

    KwApp::customDebugInfo().setValue(QStringLiteral("b"), 2);
    KwApp::customDebugInfo().setValue(QStringLiteral("a"), QStringLiteral("one"));
    const QString text = DebugInfo::text();
    KwApp::customDebugInfo().remove(QStringLiteral("a"));
    KwApp::customDebugInfo().remove(QStringLiteral("b"));
    EXPECT_EQ(text, system.join(QLatin1Char('\n')) + QStringLiteral("\n\na: one\nb: 2"));
}
