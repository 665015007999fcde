#include "app/MenuBarIcon.h"

#include <QGuiApplication>
#include <QImage>
#include <QPalette>

#include <gtest/gtest.h>

#include <set>

namespace {

int opaquePixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += qAlpha(image.pixel(x, y)) > 128;
        }
    }
    return count;
}

TEST(MenuBarIconTest, EachStyleIsATemplateImageOfItsOwnDrawnInTheTextColour)
{
    const QColor text = QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText);
    std::set<qint64> keys;
    for (MenuBarIcon icon : MenuBarIcons::allCases) {
        SCOPED_TRACE(MenuBarIcons::rawValue(icon));
        const QIcon &image = MenuBarIcons::image(icon);
        EXPECT_EQ(&image, &MenuBarIcons::image(icon)) << "drawn again on every request";
        keys.insert(image.cacheKey());
        ASSERT_FALSE(image.isNull());
        EXPECT_TRUE(image.isMask());
        const QImage picture = image.pixmap(QSize(28, 28)).toImage();
        ASSERT_GT(opaquePixels(picture), 20) << "draws nothing";
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb pixel = picture.pixel(x, y);
                if (qAlpha(pixel) == 255) {
                    ASSERT_EQ(QColor(pixel).rgb(), text.rgb());
                }
            }
        }
    }
    EXPECT_EQ(keys.size(), MenuBarIcons::allCases.size()) << "two styles share one image";
}

} // namespace
