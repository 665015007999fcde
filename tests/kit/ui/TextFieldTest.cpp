#include "kit/ui/AutoselectOnFocusTextField.h"
#include "kit/ui/ExpansionTextField.h"
#include "kit/ui/IntTextField.h"
#include "kit/ui/NativeTextField.h"
#include "kit/ui/ProgressSpinnerSheet.h"
#include "kit/ui/SearchField.h"

#include "EventLoop.h"
#include "platform/events/CurrentValueSubject.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPropertyAnimation>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <limits>

namespace {

using TestSupport::processEventsFor;
using TestSupport::processEventsUntil;

struct SharedText
{
    std::shared_ptr<Events::CurrentValueSubject<QString>> subject
        = std::make_shared<Events::CurrentValueSubject<QString>>(QString());

    Binding<QString> binding() const
    {
        auto shared = subject;
        return { [shared] { return shared->value(); }, [shared](const QString &text) { shared->send(text); },
            [shared](std::function<void()> changed) {
                return shared->sink([changed](const QString &) { changed(); });
            } };
    }
};

// A window with a line edit of its own to take the focus away to.
struct ActiveWindow
{
    QWidget window;
    QVBoxLayout *layout = new QVBoxLayout(&window);
    QLineEdit *other = new QLineEdit;

    ActiveWindow() { layout->addWidget(other); }
    bool show()
    {
        window.show();
        window.activateWindow();
        return processEventsUntil([this] { return QApplication::activeWindow() == &window; });
    }
    // Shown with `widget` holding the focus.
    void focus(QWidget *widget)
    {
        layout->addWidget(widget);
        show();
        widget->setFocus();
        EXPECT_TRUE(processEventsUntil([widget] { return widget->hasFocus(); }));
    }
};

bool isShaking(const QWidget &widget)
{
    const auto animations = widget.findChildren<QPropertyAnimation *>();
    return std::any_of(animations.begin(), animations.end(),
        [](const QPropertyAnimation *a) { return a->state() == QAbstractAnimation::Running; });
}

TEST(SearchFieldTest, KeepsInStepWithTheBindingWithoutMovingTheCursor)
{
    SharedText text;
    SearchField field(text.binding(), { .placeholder = QStringLiteral("Search"), .fontSize = 21.0 });
    QTest::keyClicks(&field, QStringLiteral("mic"));
    EXPECT_EQ(text.subject->value(), QStringLiteral("mic"));
    text.subject->send(QStringLiteral("abcdef"));
    EXPECT_EQ(field.text(), QStringLiteral("abcdef"));

    // Typing in the middle stays in the middle although the binding echoes back.
    field.setCursorPosition(2);
    field.update();
    EXPECT_EQ(field.cursorPosition(), 2);
    QTest::keyClick(&field, Qt::Key_X);
    EXPECT_EQ(field.text(), QStringLiteral("abxcdef"));
    EXPECT_EQ(field.cursorPosition(), 3);

    // A font size given once stays when later properties leave it out; a placeholder does not.
    field.update({ .placeholder = std::nullopt });
    EXPECT_DOUBLE_EQ(field.font().pointSizeF(), 21.0);
    EXPECT_TRUE(field.placeholderText().isEmpty());
}

TEST(SearchFieldTest, TakesTheFocusWhenPlacedInAWindow)
{
    SharedText text;
    ActiveWindow window;
    ASSERT_TRUE(window.show());
    window.other->setFocus();
    auto *field = new SearchField(text.binding(), { .isPlainStyle = true });
    window.layout->addWidget(field);
    ASSERT_TRUE(processEventsUntil([&] { return field->hasFocus(); }));
    EXPECT_FALSE(field->hasFrame());
}

TEST(NativeTextFieldTest, FocusesOnceWhenAskedAndThenLeavesTheFocusAlone)
{
    SharedText text;
    ActiveWindow window;
    auto *asking = new NativeTextField(text.binding(), { .isFirstResponder = true });
    auto *plain = new NativeTextField(text.binding(), { .placeholder = QStringLiteral("Name") });
    window.layout->addWidget(plain);
    window.layout->addWidget(asking);
    window.other->setFocus();
    ASSERT_TRUE(window.show());
    ASSERT_TRUE(processEventsUntil([&] { return asking->hasFocus(); }));
    EXPECT_TRUE(asking->didBecomeFirstResponder());
    EXPECT_FALSE(plain->didBecomeFirstResponder());
    EXPECT_EQ(plain->placeholderText(), QStringLiteral("Name"));

    window.other->setFocus();
    text.subject->send(QStringLiteral("changed"));
    asking->update();
    processEventsFor(std::chrono::milliseconds(20));
    EXPECT_TRUE(window.other->hasFocus());
    EXPECT_EQ(asking->text(), QStringLiteral("changed"));
}

TEST(NativeTextFieldTest, OnlyTheRoundedStyleTouchesTheFrame)
{
    for (const auto &[rounded, frameBefore, frameAfter] : std::vector<std::tuple<bool, bool, bool>> {
             { false, true, true }, { false, false, false }, { true, false, true }, { true, true, true } }) {
        SharedText text;
        NativeTextField field(text.binding(), { .roundedStyle = rounded });
        EXPECT_TRUE(field.hasFrame()) << "a new field keeps its frame, rounded " << rounded;
        field.setFrame(frameBefore);
        field.update();
        EXPECT_EQ(field.hasFrame(), frameAfter) << "rounded " << rounded << ", framed before " << frameBefore;
    }
}

// A field of its own in a focused window: each case starts afresh.
IntTextField *focusedIntField(ActiveWindow &window, std::pair<qint64, qint64> range, const QString &text = {})
{
    auto *field = new IntTextField;
    field->minMax = range;
    field->setText(text);
    window.focus(field);
    return field;
}

TEST(IntTextFieldTest, TypingIsCheckedAgainstTheRangeAndSoIsEndingTheEdit)
{
    for (const auto &[typed, shakes, lastReport] :
        std::vector<std::tuple<QString, bool, std::optional<qint64>>> { { "5", false, std::nullopt },
            { "150", true, 150 }, { "42", false, 42 }, { "0", true, 0 }, { "-3", true, -3 } }) {
        ActiveWindow window;
        IntTextField *field = focusedIntField(window, { 10, 99 });
        std::optional<qint64> reported;
        std::optional<qint64> blurred;
        field->onValueChange = [&](qint64 value) { reported = value; };
        field->onBlur = [&](qint64 value) { blurred = value; };
        QTest::keyClicks(field, typed);
        SCOPED_TRACE(typed.toStdString());
        EXPECT_EQ(isShaking(*field), shakes);
        EXPECT_EQ(reported, lastReport);
        // Ending the edit out of range shakes too, and reports what was typed.
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_EQ(isShaking(*field), typed != QStringLiteral("42"));
        EXPECT_EQ(blurred, typed.toLongLong());
    }
}

// Up and down step by one, with Alt by ten, from what parses or else from zero, and stop at the
// ends of the integer range.
TEST(IntTextFieldTest, ArrowKeysStepWhileEditing)
{
    for (const auto &[start, key, modifiers, result] :
        std::vector<std::tuple<QString, Qt::Key, Qt::KeyboardModifiers, qint64>> {
            { "", Qt::Key_Up, Qt::NoModifier, 1 }, { "7", Qt::Key_Up, Qt::AltModifier, 17 },
            { "0", Qt::Key_Down, Qt::NoModifier, -1 },
            { "7", Qt::Key_Up, Qt::ShiftModifier | Qt::AltModifier, 8 },
            { "7", Qt::Key_Down, Qt::AltModifier | Qt::KeypadModifier, -3 },
            { "x", Qt::Key_Up, Qt::NoModifier, 1 },
            // The ends of the range are kept rather than passed.
            { "9223372036854775807", Qt::Key_Up, Qt::NoModifier, std::numeric_limits<qint64>::max() },
            { "9223372036854775800", Qt::Key_Up, Qt::AltModifier, std::numeric_limits<qint64>::max() },
            { "-9223372036854775808", Qt::Key_Down, Qt::NoModifier, std::numeric_limits<qint64>::min() } }) {
        ActiveWindow window;
        IntTextField *field = focusedIntField(window, { 0, 10 }, start);
        std::optional<qint64> reported;
        field->onValueChange = [&](qint64 value) { reported = value; };
        QTest::keyClick(field, key, modifiers);
        EXPECT_EQ(field->text(), QString::number(result)) << start.toStdString();
        EXPECT_EQ(reported, result);
        EXPECT_EQ(isShaking(*field), result < 0 || result > 10);
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
    ActiveWindow window;
    auto *field = new AutoselectOnFocusTextField(QStringLiteral("Audio Recording"));
    window.layout->addWidget(field);
    ASSERT_TRUE(window.show());
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

    bool shownWhenCancelled = false;
    sheet.onCancel = [&] { shownWhenCancelled = sheet.isVisible() && sheet.isShown(); };
    QTest::keyClick(&sheet, Qt::Key_Escape);
    EXPECT_TRUE(shownWhenCancelled);
    ASSERT_TRUE(processEventsUntil([&] { return !sheet.isVisible(); }));
    EXPECT_FALSE(sheet.isShown());
    EXPECT_FALSE(sheet.isSpinning());
    EXPECT_TRUE(sheet.text().isEmpty());
}

struct WindowBlockedWatch : QObject
{
    bool seen = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        seen = seen || event->type() == QEvent::WindowBlocked;
        return false;
    }
};

// The presenter is blocked by the sheet, but does not take it along when it goes.
TEST(ProgressSpinnerSheetTest, BelongsToItsMakerAndShowsItsMessageAsTyped)
{
    const QString markup = QStringLiteral("<b>Saving</b> &amp; more");
    auto sheet = std::make_unique<ProgressSpinnerSheet>();
    const QPointer<ProgressSpinnerSheet> alive(sheet.get());
    {
        QWidget window;
        WindowBlockedWatch blocked;
        window.installEventFilter(&blocked);
        window.resize(400, 300);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        sheet->present(&window, markup);
        ASSERT_TRUE(processEventsUntil([&] { return sheet->isVisible(); }));
        const auto *label = sheet->findChild<QLabel *>();
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), markup);
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_TRUE(processEventsUntil([&] { return blocked.seen; }));
    }
    if (!alive) {
        (void)sheet.release(); // the presenter deleted it: not again
        FAIL() << "the presenter deleted a sheet it does not own";
    }
    EXPECT_FALSE(sheet->isShown());
}

} // namespace
