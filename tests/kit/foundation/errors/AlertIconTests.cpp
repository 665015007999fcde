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

bool allOf(const QImage &image, const QRect &area, QColor colour)
{
    QImage filled(area.size(), QImage::Format_ARGB32);
    filled.fill(colour);
    return image.copy(area) == filled;
}

// The program's icon is a square of one colour while this lives.
class ProgramIcon
{
public:
    ProgramIcon(QColor colour, int side)
    {
        QPixmap picture(side, side);
        picture.fill(colour);
        QApplication::setWindowIcon(QIcon(picture));
    }
    ~ProgramIcon() { QApplication::setWindowIcon(m_previous); }

private:
    const QIcon m_previous = QApplication::windowIcon();
};

TEST(AlertIcon, TheProgramsIconAndForACriticalAlertACautionBadgeOnIt)
{
    const int half = AlertIcon::size / 2;
    const std::pair<QMessageBox::Icon, bool> cases[] = {
        { QMessageBox::Warning, false },
        { QMessageBox::Information, false },
        { QMessageBox::NoIcon, false },
        { QMessageBox::Critical, true },
    };
    // A program icon smaller than an alert's still fills it.
    for (const int side : { AlertIcon::size, 16 }) {
        const ProgramIcon program(Qt::red, side);
        for (const auto &[kind, badged] : cases) {
            SCOPED_TRACE(testing::Message() << "kind " << kind << ", icon of " << side);
            const QImage shown = imageOf(AlertIcon::forKind(kind));
            ASSERT_EQ(shown.size(), QSize(AlertIcon::size, AlertIcon::size));
            EXPECT_TRUE(allOf(shown, QRect(0, 0, half, half), Qt::red));
            EXPECT_NE(allOf(shown, QRect(half, half, half, half), Qt::red), badged);
        }
        const std::unique_ptr<QMessageBox> error(
            ErrorDialog::create(std::make_shared<GeneralError>(QStringLiteral("Could not save.")), nullptr));
        // An error is not a notice: it carries the caution badge, unlike the program's own icon.
        const QImage shown = imageOf(error->iconPixmap());
        EXPECT_TRUE(allOf(shown, QRect(0, 0, half, half), Qt::red));
        EXPECT_FALSE(allOf(shown, QRect(half, half, half, half), Qt::red)) << "an error alert, badged";
    }
}

TEST(AlertIcon, WithoutAProgramIconTheStylesOwnSignForTheKind)
{
    const ProgramIcon none(Qt::transparent, 0);
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

} // namespace
