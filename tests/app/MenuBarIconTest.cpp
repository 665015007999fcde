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

TEST(MenuBarIconTest, RawValuesAreTheCaseNamesInOrder)
{
    std::vector<std::string> raws;
    for (MenuBarIcon icon : MenuBarIcons::allCases) {
        raws.push_back(MenuBarIcons::rawValue(icon));
        EXPECT_EQ(MenuBarIcons::fromRawValue(raws.back()), icon);
    }
    EXPECT_EQ(raws,
        (std::vector<std::string> {
            "microphone", "circle", "record", "record2", "record3", "waveform", "waveform2" }));
    EXPECT_EQ(MenuBarIcons::fromRawValue("Microphone"), std::nullopt);
    EXPECT_EQ(MenuBarIcons::fromRawValue("record3"), MenuBarIcon::record3);
    EXPECT_EQ(MenuBarIcons::fromRawValue(""), std::nullopt);
}

TEST(MenuBarIconTest, TheSameImageOnEveryRequest)
{
    std::set<qint64> keys;
    for (MenuBarIcon icon : MenuBarIcons::allCases) {
        const QIcon &first = MenuBarIcons::image(icon);
        const QIcon &second = MenuBarIcons::image(icon);
        EXPECT_EQ(&first, &second);
        EXPECT_EQ(first.cacheKey(), second.cacheKey());
        keys.insert(first.cacheKey());
    }
    EXPECT_EQ(keys.size(), MenuBarIcons::allCases.size()) << "two styles share one image";
}

TEST(MenuBarIconTest, ImagesAreTemplatesDrawnInTheTextColour)
{
    const QColor text = QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText);
    for (MenuBarIcon icon : MenuBarIcons::allCases) {
        const QIcon &image = MenuBarIcons::image(icon);
        ASSERT_FALSE(image.isNull()) << MenuBarIcons::rawValue(icon);
        EXPECT_TRUE(image.isMask()) << MenuBarIcons::rawValue(icon);
        const QImage picture = image.pixmap(QSize(28, 28)).toImage();
        ASSERT_GT(opaquePixels(picture), 20) << MenuBarIcons::rawValue(icon) << " draws nothing";
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb pixel = picture.pixel(x, y);
                if (qAlpha(pixel) == 255) {
                    ASSERT_EQ(QColor(pixel).rgb(), text.rgb()) << MenuBarIcons::rawValue(icon);
                }
            }
        }
    }
}

TEST(MenuBarIconTest, CircleFillsARoundShape)
{
    const QImage picture = MenuBarIcons::image(MenuBarIcon::circle).pixmap(QSize(26, 26)).toImage();
    EXPECT_GT(qAlpha(picture.pixel(13, 13)), 200);
    EXPECT_LT(qAlpha(picture.pixel(1, 1)), 30) << "a corner is inside a square, not a circle";
}

} // namespace
