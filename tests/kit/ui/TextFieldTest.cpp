#include "kit/ui/NativeTextField.h"
#include "kit/ui/SearchField.h"

#include "EventLoop.h"
#include "platform/events/CurrentValueSubject.h"

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

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

class ActiveWindow
{
public:
    ActiveWindow() { m_layout = new QVBoxLayout(&m_window); }
    void add(QWidget *widget) { m_layout->addWidget(widget); }
    bool show()
    {
        m_window.show();
        m_window.activateWindow();
        return processEventsUntil([this] { return QApplication::activeWindow() == &m_window; });
    }
    QWidget &window() { return m_window; }

private:
    QWidget m_window;
    QVBoxLayout *m_layout;
};

TEST(SearchFieldTest, TypingWritesTheBindingAndOutsideChangesShow)
{
    SharedText text;
    SearchField field(text.binding(), { .placeholder = QStringLiteral("Search") });
    EXPECT_EQ(field.placeholderText(), QStringLiteral("Search"));
    QTest::keyClicks(&field, QStringLiteral("mic"));
    EXPECT_EQ(text.subject->value(), QStringLiteral("mic"));

    text.subject->send(QStringLiteral("record"));
    EXPECT_EQ(field.text(), QStringLiteral("record"));
}

TEST(SearchFieldTest, EqualTextIsNotWrittenAgain)
{
    SharedText text;
    text.subject->send(QStringLiteral("abcdef"));
    SearchField field(text.binding(), {});
    field.setCursorPosition(2);
    field.update();
    EXPECT_EQ(field.cursorPosition(), 2);
    // Typing in the middle stays in the middle although the binding echoes back.
    QTest::keyClick(&field, Qt::Key_X);
    EXPECT_EQ(field.text(), QStringLiteral("abxcdef"));
    EXPECT_EQ(field.cursorPosition(), 3);
}

TEST(SearchFieldTest, FontSizeAppliesOnlyWhenGiven)
{
    SharedText text;
    SearchField field(text.binding(), { .fontSize = 21.0 });
    EXPECT_DOUBLE_EQ(field.font().pointSizeF(), 21.0);
    field.update({ .placeholder = std::nullopt });
    EXPECT_DOUBLE_EQ(field.font().pointSizeF(), 21.0);
    EXPECT_TRUE(field.placeholderText().isEmpty());
}

TEST(SearchFieldTest, TakesTheFocusWhenPlacedInAWindow)
{
    SharedText text;
    ActiveWindow window;
    auto *other = new QLineEdit();
    window.add(other);
    ASSERT_TRUE(window.show());
    other->setFocus();
    auto *field = new SearchField(text.binding(), { .isPlainStyle = true });
    window.add(field);
    ASSERT_TRUE(processEventsUntil([&] { return field->hasFocus(); }));
    EXPECT_FALSE(field->hasFrame());
}

TEST(NativeTextFieldTest, FocusesOnceAndThenLeavesTheFocusAlone)
{
    SharedText text;
    ActiveWindow window;
    auto *other = new QLineEdit();
    window.add(other);
    auto *field = new NativeTextField(text.binding(), { .isFirstResponder = true });
    window.add(field);
    ASSERT_TRUE(window.show());
    ASSERT_TRUE(processEventsUntil([&] { return field->hasFocus(); }));
    EXPECT_TRUE(field->didBecomeFirstResponder());

    other->setFocus();
    text.subject->send(QStringLiteral("changed"));
    field->update();
    processEventsFor(std::chrono::milliseconds(20));
    EXPECT_TRUE(other->hasFocus());
    EXPECT_EQ(field->text(), QStringLiteral("changed"));
}

TEST(NativeTextFieldTest, NoFocusUnlessAsked)
{
    SharedText text;
    ActiveWindow window;
    auto *other = new QLineEdit();
    window.add(other);
    auto *field = new NativeTextField(text.binding(), { .placeholder = QStringLiteral("Name") });
    window.add(field);
    other->setFocus();
    ASSERT_TRUE(window.show());
    processEventsFor(std::chrono::milliseconds(20));
    EXPECT_FALSE(field->hasFocus());
    EXPECT_FALSE(field->didBecomeFirstResponder());
    EXPECT_EQ(field->placeholderText(), QStringLiteral("Name"));
}

} // namespace
