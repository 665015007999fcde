#include "kit/services/DebugInfo.h"
#include "kit/services/KwApp.h"

#include <QFile>
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

TEST(DebugInfo, TextEndsWithTheCustomEntries)
{
    EXPECT_EQ(DebugInfo::text(), DebugInfo::systemText());
    KwApp::customDebugInfo().setValue(QStringLiteral("b"), 2);
    KwApp::customDebugInfo().setValue(QStringLiteral("a"), QStringLiteral("one"));
    EXPECT_EQ(DebugInfo::customEntriesText(), QStringLiteral("a: one\nb: 2"));
    EXPECT_TRUE(DebugInfo::text().endsWith(QStringLiteral("\n\na: one\nb: 2")));
    EXPECT_TRUE(DebugInfo::systemText().contains(QStringLiteral("Qt: ")));
    KwApp::customDebugInfo().remove(QStringLiteral("a"));
    KwApp::customDebugInfo().remove(QStringLiteral("b"));
}
