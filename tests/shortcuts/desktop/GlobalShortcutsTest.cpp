#include "DesktopTest.h"
#include "EventLoop.h"
#include "OtherXClient.h"
#include "XInput.h"

#include "platform/userdefaults/UserDefaults.h"
#include "shortcuts/KeyboardShortcuts.h"
#include "shortcuts/Recorder.h"
#include "shortcuts/RecorderField.h"

#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using KeyboardShortcuts::Name;
using KeyboardShortcuts::Shortcut;

constexpr std::int32_t controlOption = 0x1800;
const Shortcut controlAltR { 0x0F, controlOption };
const Shortcut controlAltT { 0x11, controlOption };
const Shortcut controlAltY { 0x10, controlOption };

class GlobalShortcutsTest : public TestSupport::DesktopTest
{
protected:
    void SetUp() override
    {
        TestSupport::DesktopTest::SetUp();
        UserDefaults::standard()->removeAll();
        ran.clear();
    }
    // The desktop is shared with later tests.
    void TearDown() override
    {
        setLock(Keysym::capsLock, false);
        setLock(Keysym::numLock, false);
    }

    void setLock(quint32 lock, bool on)
    {
        if (x.lockIsOn(lock) != on) {
            TestSupport::xdotool({ "key", lock == Keysym::capsLock ? "Caps_Lock" : "Num_Lock" });
        }
    }

    // Taps Ctrl+Alt+key and lets the hot keys' events arrive.
    void tap(char key)
    {
        TestSupport::xdotool({ "key", QStringLiteral("ctrl+alt+") + QChar(key) });
        TestSupport::processEventsFor(150ms);
    }

    // Handlers stay registered for the process: they write to a log that outlives the test, and
    // each run of a test has names of its own.
    static Name freshName(const std::string &base)
    {
        static int run = 0;
        return Name(base + std::to_string(++run));
    }

    OtherXClient x;
    static inline std::vector<std::string> ran;
};

TEST_F(GlobalShortcutsTest, HandlersRunOnReleaseOncePerPressInTheOrderAdded)
{
    const Name first = freshName("first"), second = freshName("second");
    ASSERT_EQ(KeyboardShortcuts::setShortcut(controlAltR, first), std::nullopt);
    ASSERT_EQ(KeyboardShortcuts::setShortcut(controlAltT, second), std::nullopt);
    KeyboardShortcuts::onKeyUp(first, [&] { ran.push_back("first 1"); });
    KeyboardShortcuts::onKeyUp(second, [&] { ran.push_back("second"); });
    KeyboardShortcuts::onKeyUp(first, [&] { ran.push_back("first 2"); });

    // Held past the auto-repeat delay, so the server repeats the key.
    ASSERT_TRUE(x.autoRepeatIsOn());
    TestSupport::xdotool({ "keydown", "ctrl+alt+r" });
    TestSupport::processEventsFor(1200ms);
    EXPECT_TRUE(ran.empty());
    TestSupport::xdotool({ "keyup", "r", "alt", "ctrl" });
    TestSupport::processEventsFor(300ms);
    EXPECT_EQ(ran, (std::vector<std::string> { "first 1", "first 2" }));

    tap('t');
    EXPECT_EQ(ran, (std::vector<std::string> { "first 1", "first 2", "second" }));
}

TEST_F(GlobalShortcutsTest, LockKeysChangeNothingAndDisabledNamesRunNothingUntilEnabled)
{
    const Name name = freshName("locks"), without = freshName("without");
    ASSERT_EQ(KeyboardShortcuts::setShortcut(controlAltR, name), std::nullopt);
    KeyboardShortcuts::onKeyUp(name, [&] { ran.push_back("ran"); });
    KeyboardShortcuts::onKeyUp(without, [&] { ran.push_back("without"); });
    const std::pair<bool, bool> locks[]
        = { { true, false }, { false, true }, { true, true }, { false, false } };
    for (const auto &[caps, num] : locks) {
        SCOPED_TRACE(testing::Message() << "Caps Lock " << caps << ", Num Lock " << num);
        setLock(Keysym::capsLock, caps);
        setLock(Keysym::numLock, num);
        ASSERT_EQ(x.lockIsOn(Keysym::capsLock), caps);
        ASSERT_EQ(x.lockIsOn(Keysym::numLock), num);
        ran.clear();
        tap('r');
        EXPECT_EQ(ran, std::vector<std::string> { "ran" });
    }

    ran.clear();
    KeyboardShortcuts::disable({ without, name });
    tap('r');
    EXPECT_TRUE(ran.empty());
    {
        // Free for another program while disabled; its grab ends with its connection.
        OtherXClient other;
        EXPECT_TRUE(other.grabControlAlt('r'));
    }
    KeyboardShortcuts::enable({ without, name });
    KeyboardShortcuts::enable({ name });
    tap('r');
    EXPECT_EQ(ran, std::vector<std::string> { "ran" });
}

class RecorderOnTheDesktopTest : public GlobalShortcutsTest
{
protected:
    void SetUp() override
    {
        GlobalShortcutsTest::SetUp();
        ASSERT_EQ(KeyboardShortcuts::setShortcut(controlAltR, name), std::nullopt);
        KeyboardShortcuts::onKeyUp(name, [&] { ran.push_back("ran"); });
        recorder = new KeyboardShortcuts::Recorder(
            QStringLiteral("Start/stop recording"), name,
            [&](const std::optional<Shortcut> &shortcut) { changes.push_back(shortcut); }, &window);
        new QVBoxLayout(&window);
        window.layout()->addWidget(recorder);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void startRecording()
    {
        QTest::mouseClick(recorder->field(), Qt::LeftButton);
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return recorder->field()->isRecording(); }));
    }

    // Clicks the field and types into it through the keyboard.
    void record(const QString &keys)
    {
        startRecording();
        TestSupport::xdotool({ "key", keys });
        TestSupport::processEventsFor(200ms);
    }

    const Name name = freshName(::testing::UnitTest::GetInstance()->current_test_info()->name());
    // The field as it is drawn now, its frame left out.
    QImage fieldContents()
    {
        QWidget *field = recorder->field();
        return field->grab(field->contentsRect().adjusted(3, 3, -3, -3)).toImage();
    }

    QWidget window;
    KeyboardShortcuts::Recorder *recorder = nullptr;
    std::vector<std::optional<Shortcut>> changes;
};

TEST_F(RecorderOnTheDesktopTest, ARecordedShortcutTakesOverAtOnceUnlessAnotherProgramHoldsIt)
{
    EXPECT_EQ(recorder->field()->text(), QStringLiteral("Ctrl+Alt+R"));
    // The other program grabbed the keys without Num Lock, so with it on they reach the field.
    OtherXClient other;
    ASSERT_TRUE(other.grabControlAlt('u'));
    setLock(Keysym::numLock, true);
    record(QStringLiteral("ctrl+alt+u"));
    EXPECT_TRUE(recorder->message().contains(QLatin1String("already used by another application")));
    EXPECT_EQ(KeyboardShortcuts::getShortcut(name), controlAltR);
    EXPECT_EQ(recorder->field()->text(), QStringLiteral("Ctrl+Alt+R"));
    EXPECT_TRUE(changes.empty());
    recorder->field()->clearFocus();
    TestSupport::processEventsFor(50ms);

    record(QStringLiteral("ctrl+alt+y"));
    EXPECT_EQ(KeyboardShortcuts::getShortcut(name), controlAltY);
    EXPECT_EQ(changes, (std::vector<std::optional<Shortcut>> { controlAltY }));
    EXPECT_FALSE(recorder->field()->isRecording());
    EXPECT_EQ(recorder->field()->text(), QStringLiteral("Ctrl+Alt+Y"));
    tap('r');
    EXPECT_TRUE(ran.empty());
    tap('y');
    EXPECT_EQ(ran, std::vector<std::string> { "ran" });
}

TEST_F(RecorderOnTheDesktopTest, KeysThatClearCancelOrCannotBeUsed)
{
    struct Case
    {
        const char *what;
        const char *keys;
        std::optional<Shortcut> stored;
        bool refused;
    };
    const Case cases[] = {
        { "Escape cancels", "Escape", controlAltR, false },
        { "a letter alone", "y", controlAltR, true },
        { "Shift is no modifier of its own", "shift+y", controlAltR, true },
        { "Backspace clears", "BackSpace", std::nullopt, false },
        { "Delete clears", "Delete", std::nullopt, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(KeyboardShortcuts::setShortcut(controlAltR, name), std::nullopt);
        record(QString::fromLatin1(c.keys));
        EXPECT_EQ(KeyboardShortcuts::getShortcut(name), c.stored);
        EXPECT_EQ(recorder->field()->isRecording(), c.refused);
        EXPECT_EQ(!recorder->message().isEmpty(), c.refused);
        recorder->field()->clearFocus();
        TestSupport::processEventsFor(50ms);
    }
    // Cleared: the old hot key is gone too.
    tap('r');
    EXPECT_TRUE(ran.empty());
}

// Qt leaves a centred field that has focus blank where its placeholder would be.
TEST_F(RecorderOnTheDesktopTest, ThePromptShowsWhileRecordingAndGoesAfter)
{
    ASSERT_EQ(KeyboardShortcuts::setShortcut(std::nullopt, name), std::nullopt);
    recorder->field()->clearFocus();
    const QImage idle = fieldContents();
    const QColor base = recorder->field()->palette().base().color();
    const auto inked = [&](const QImage &image) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                count += image.pixelColor(x, y) != base;
            }
        }
        return count;
    };
    ASSERT_GT(inked(idle), 0) << "the placeholder of a field without focus";
    // The focus that comes with the window records nothing, and shows the placeholder too.
    recorder->field()->setFocus(Qt::ActiveWindowFocusReason);
    ASSERT_TRUE(recorder->field()->hasFocus());
    EXPECT_FALSE(recorder->field()->isRecording());
    EXPECT_GT(inked(fieldContents()), 0);
    recorder->field()->clearFocus();

    startRecording();
    const QImage prompting = fieldContents();
    EXPECT_TRUE(recorder->field()->text().isEmpty());
    EXPECT_GT(inked(prompting), 0);
    EXPECT_NE(prompting, idle);

    TestSupport::xdotool({ "key", "Escape" });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !recorder->field()->isRecording(); }));
    EXPECT_EQ(fieldContents(), idle);
    EXPECT_EQ(KeyboardShortcuts::getShortcut(name), std::nullopt);
}

} // namespace
