#include "app/MenuBarIcon.h"

#include <QGuiApplication>
#include <QImage>
#include <QPalette>

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

} // namespace
