#include "kit/foundation/errors/AlertIcon.h"
#include "kit/foundation/errors/ErrorDialog.h"
#include "kit/foundation/errors/GeneralError.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QStyle>

#include <gtest/gtest.h>

#include <memory>

namespace {

QImage imageOf(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

// How many pixels of `area` are not `colour`.
int pixelsOtherThan(const QImage &image, const QRect &area, QColor colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += image.pixelColor(x, y) != colour ? 1 : 0;
        }
    }
    return count;
}

// Gives the program an icon of one colour for the test's length, and its old one back after.
class AlertIconTest : public ::testing::Test
{
protected:
    void SetUp() override { m_previous = QApplication::windowIcon(); }
    void TearDown() override { QApplication::setWindowIcon(m_previous); }

    static void useProgramIcon(QColor colour, int side)
    {
        QPixmap picture(side, side);
        picture.fill(colour);
        QApplication::setWindowIcon(QIcon(picture));
    }

    QIcon m_previous;
};

TEST_F(AlertIconTest, TheProgramsIconAndForACriticalAlertACautionBadgeOnIt)
{
    const int half = AlertIcon::size / 2;
    const QRect topLeft(0, 0, half, half);
    const QRect bottomRight(half, half, half, half);
    const struct
    {
        QMessageBox::Icon kind;
        bool badged;
    } cases[] = {
        { QMessageBox::Warning, false },
        { QMessageBox::Information, false },
        { QMessageBox::NoIcon, false },
        { QMessageBox::Critical, true },
    };
    // A program icon smaller than an alert's still fills it.
    for (const int side : { AlertIcon::size, 16 }) {
        useProgramIcon(Qt::red, side);
        for (const auto &[kind, badged] : cases) {
            SCOPED_TRACE(testing::Message() << "kind " << kind << ", icon of " << side);
            const QImage shown = imageOf(AlertIcon::forKind(kind));
            ASSERT_EQ(shown.size(), QSize(AlertIcon::size, AlertIcon::size));
            EXPECT_EQ(pixelsOtherThan(shown, topLeft, Qt::red), 0);
            EXPECT_EQ(pixelsOtherThan(shown, bottomRight, Qt::red) > 0, badged);
        }
    }
}

TEST_F(AlertIconTest, WithoutAProgramIconTheStylesOwnSignForTheKind)
{
    QApplication::setWindowIcon(QIcon());
    const std::pair<QMessageBox::Icon, QStyle::StandardPixmap> cases[] = {
        { QMessageBox::Warning, QStyle::SP_MessageBoxWarning },
        { QMessageBox::Information, QStyle::SP_MessageBoxInformation },
        { QMessageBox::Critical, QStyle::SP_MessageBoxCritical },
    };
    for (const auto &[kind, standard] : cases) {
        const QImage expected
            = imageOf(QApplication::style()->standardIcon(standard).pixmap(AlertIcon::size, AlertIcon::size));
        EXPECT_EQ(imageOf(AlertIcon::forKind(kind)), expected) << kind;
    }
}

TEST_F(AlertIconTest, AnErrorIsShownBesideTheProgramsIconWithoutBadge)
{
    useProgramIcon(Qt::blue, AlertIcon::size);
    const std::unique_ptr<QMessageBox> box(
        ErrorDialog::create(std::make_shared<GeneralError>(QStringLiteral("Could not save.")), nullptr));
    const QImage shown = imageOf(box->iconPixmap());
    EXPECT_EQ(pixelsOtherThan(shown, shown.rect(), Qt::blue), 0);
}

} // namespace
