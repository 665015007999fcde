#include "app/MenuBarIcon.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(MenuBarIconTest, EachStyleIsATemplateImageOfItsOwnDrawnInTheTextColour)
{
    const QColor text = QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText);
    std::set<qint64> keys;
    for (MenuBarIcon icon : MenuBarIcons::allCases) {
        SCOPED_TRACE(MenuBarIcons::rawValue(icon));
        const QIcon &image = MenuBarIcons::image(icon);
        keys.insert(image.cacheKey());
        ASSERT_FALSE(image.isNull());
        EXPECT_TRUE(image.isMask());
        const QImage picture = image.pixmap(QSize(28, 28)).toImage();
        int opaque = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb pixel = picture.pixel(x, y);
                opaque += qAlpha(pixel) > 128;
                if (qAlpha(pixel) == 255) {
                    ASSERT_EQ(QColor(pixel).rgb(), text.rgb());
                }
            }
        }
        EXPECT_GT(opaque, 20) << "draws nothing";
    }
    EXPECT_EQ(keys.size(), MenuBarIcons::allCases.size()) << "two styles share one image";
}

// Panels that take icons by name find each style's drawing in the program's own theme, beside
// the program in the build and in the data folder when installed, and draw the same shape.
TEST(MenuBarIconTest, EachStyleIsNamedInTheProgramsIconThemeWithTheSameShape)
{
    const QString theme = MenuBarIcons::themePath(QStringLiteral(TAPEWICK_PROGRAM_DIR));
    ASSERT_FALSE(theme.isEmpty());
    const auto coverage = [](const QIcon &icon) {
        return icon.pixmap(QSize(28, 28)).toImage().convertToFormat(QImage::Format_Alpha8);
    };
    for (MenuBarIcon icon : MenuBarIcons::allCases) {
        SCOPED_TRACE(MenuBarIcons::rawValue(icon));
        const QString name = MenuBarIcons::themeName(icon);
        EXPECT_EQ(MenuBarIcons::image(icon).name(), name);
        EXPECT_TRUE(name.endsWith(QStringLiteral("-symbolic"))) << "panels recolour only symbolic icons";
        const QString file
            = QDir(theme).filePath(QStringLiteral("hicolor/symbolic/apps/") + name + QStringLiteral(".svg"));
        ASSERT_TRUE(QFile::exists(file)) << file.toStdString();
        const QImage named = coverage(QIcon(file));
        const QImage drawn = coverage(MenuBarIcons::image(icon));
        ASSERT_EQ(named.size(), drawn.size());
        int differing = 0;
        int covered = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                const bool inNamed = qAlpha(named.pixel(x, y)) >= 128;
                const bool inDrawn = qAlpha(drawn.pixel(x, y)) >= 128;
                covered += inDrawn ? 1 : 0;
                differing += inNamed != inDrawn ? 1 : 0;
            }
        }
        EXPECT_LT(differing * 10, covered) << differing << " of " << covered << " pixels differ";
    }

    // Installed: the theme is in the data folder beside the program's folder; elsewhere none.
    QTemporaryDir installed;
    const QString apps = installed.filePath(QStringLiteral("share/icons/hicolor/symbolic/apps"));
    QDir().mkpath(apps);
    QDir().mkpath(installed.filePath(QStringLiteral("bin")));
    QFile(QDir(apps).filePath(MenuBarIcons::themeName(MenuBarIcon::microphone) + QStringLiteral(".svg")))
        .open(QIODevice::WriteOnly);
    EXPECT_EQ(MenuBarIcons::themePath(installed.filePath(QStringLiteral("bin"))),
        installed.filePath(QStringLiteral("share/icons")));
    EXPECT_EQ(MenuBarIcons::themePath(installed.filePath(QStringLiteral("share/icons"))), QString());
}

} // namespace
