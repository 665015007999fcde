#include "kit/ui/AutoselectOnFocusTextField.h"
#include "kit/ui/ExpansionTextField.h"
#include "kit/ui/IntTextField.h"
#include "kit/ui/ProgressSpinnerSheet.h"

#include "EventLoop.h"

#include <QApplication>
#include <QPropertyAnimation>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

using TestSupport::processEventsUntil;

bool isShaking(const QWidget &widget)
{
    const auto animations = widget.findChildren<QPropertyAnimation *>();
    return std::any_of(animations.begin(), animations.end(),
        [](const QPropertyAnimation *a) { return a->state() == QAbstractAnimation::Running; });
}

// A shown, active window holding the widget, so it can take the focus.
struct FocusedWindow
{
    QWidget window;
    explicit FocusedWindow(QWidget *widget)
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(widget);
        layout->addWidget(new QLineEdit);
        window.show();
        window.activateWindow();
        widget->setFocus();
        EXPECT_TRUE(processEventsUntil([widget] { return widget->hasFocus(); }));
    }
};

TEST(IntTextFieldTest, TypingIsCheckedAgainstTheRange)
{
    struct Case
    {
        QString typed;
        bool shakes;
        std::optional<qint64> lastReport;
    };
    for (const Case &c : { Case { QStringLiteral("5"), false, std::nullopt },
             Case { QStringLiteral("150"), true, 150 }, Case { QStringLiteral("42"), false, 42 },
             Case { QStringLiteral("0"), true, 0 }, Case { QStringLiteral("-3"), true, -3 } }) {
        auto *field = new IntTextField;
        field->minMax = std::pair<qint64, qint64>(10, 99);
        std::optional<qint64> reported;
        field->onValueChange = [&](qint64 value) { reported = value; };
        FocusedWindow window(field);
        QTest::keyClicks(field, c.typed);
        EXPECT_EQ(isShaking(*field), c.shakes) << c.typed.toStdString();
        EXPECT_EQ(reported, c.lastReport) << c.typed.toStdString();
    }
}

TEST(IntTextFieldTest, EndingEditingOutOfRangeShakesAndReports)
{
    auto *field = new IntTextField;
    field->minMax = std::pair<qint64, qint64>(10, 99);
    std::optional<qint64> blurred;
    field->onBlur = [&](qint64 value) { blurred = value; };
    FocusedWindow window(field);
    QTest::keyClicks(field, QStringLiteral("5"));
    EXPECT_FALSE(isShaking(*field));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(isShaking(*field));
    EXPECT_EQ(blurred, 5);
}

TEST(IntTextFieldTest, ArrowKeysStepWhileEditing)
{
    struct Case
    {
        QString start;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QString result;
    };
    for (const Case &c : { Case { QString(), Qt::Key_Up, Qt::NoModifier, QStringLiteral("1") },
             Case { QStringLiteral("7"), Qt::Key_Up, Qt::AltModifier, QStringLiteral("17") },
             Case { QStringLiteral("0"), Qt::Key_Down, Qt::NoModifier, QStringLiteral("-1") },
             Case {
                 QStringLiteral("7"), Qt::Key_Up, Qt::ShiftModifier | Qt::AltModifier, QStringLiteral("8") },
             Case { QStringLiteral("7"), Qt::Key_Down, Qt::AltModifier | Qt::KeypadModifier,
                 QStringLiteral("-3") },
             Case { QStringLiteral("x"), Qt::Key_Up, Qt::NoModifier, QStringLiteral("1") } }) {
        auto *field = new IntTextField;
        field->minMax = std::pair<qint64, qint64>(0, 10);
        std::optional<qint64> reported;
        field->onValueChange = [&](qint64 value) { reported = value; };
        field->setText(c.start);
        FocusedWindow window(field);
        QTest::keyClick(field, c.key, c.modifiers);
        EXPECT_EQ(field->text(), c.result) << c.start.toStdString();
        EXPECT_EQ(reported, c.result.toLongLong());
        EXPECT_EQ(isShaking(*field), c.result.toLongLong() < 0 || c.result.toLongLong() > 10);
    }

    IntTextField unfocused;
    unfocused.setText(QStringLiteral("7"));
    QTest::keyClick(&unfocused, Qt::Key_Up);
    EXPECT_EQ(unfocused.text(), QStringLiteral("7"));
}

TEST(ExpansionTextFieldTest, TooltipOnlyWhileTheTextIsCut)
{
    // The width at which the text starts to fit follows the text's measured width in the font.
    auto fitsFrom = [](const QString &text) {
        ExpansionTextField field;
        field.setText(text);
        field.show();
        int width = 10;
        for (; width < 2000; ++width) {
            field.resize(width, field.sizeHint().height());
            if (field.toolTip().isEmpty()) {
                break;
            }
            EXPECT_EQ(field.toolTip(), text);
        }
        return width - field.fontMetrics().horizontalAdvance(text);
    };
    const int shortFrame = fitsFrom(QStringLiteral("Audio"));
    EXPECT_EQ(fitsFrom(QStringLiteral("Audio Recording 2026-12-07 at 01.23.45.m4a")), shortFrame);
    EXPECT_GT(shortFrame, 0);
}

TEST(AutoselectOnFocusTextFieldTest, AClickSelectsEverything)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *field = new AutoselectOnFocusTextField(QStringLiteral("Audio Recording"));
    layout->addWidget(new QLineEdit);
    layout->addWidget(field);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(processEventsUntil([&] { return QApplication::activeWindow() == &window; }));
    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(10, field->height() / 2));
    ASSERT_TRUE(processEventsUntil([&] { return field->hasFocus(); }));
    EXPECT_TRUE(processEventsUntil([&] { return field->selectedText() == field->text(); }));
}

TEST(ProgressSpinnerSheetTest, EscapeCancelsAtOnceAndEndsTheSheetNext)
{
    QWidget window;
    window.resize(400, 300);
    window.show();
    ProgressSpinnerSheet sheet;
    sheet.present(&window, QStringLiteral("Exporting…"));
    ASSERT_TRUE(processEventsUntil([&] { return sheet.isVisible(); }));
    EXPECT_TRUE(sheet.isShown());
    EXPECT_TRUE(sheet.isSpinning());
    EXPECT_EQ(sheet.windowModality(), Qt::WindowModal);

    bool shownWhenCancelled = false;
    sheet.onCancel = [&] { shownWhenCancelled = sheet.isVisible() && sheet.isShown(); };
    QTest::keyClick(&sheet, Qt::Key_Escape);
    EXPECT_TRUE(shownWhenCancelled);
    ASSERT_TRUE(processEventsUntil([&] { return !sheet.isVisible(); }));
    EXPECT_FALSE(sheet.isShown());
    EXPECT_FALSE(sheet.isSpinning());
    EXPECT_TRUE(sheet.text().isEmpty());
}

} // namespace
