#include "shortcuts/KeyboardShortcuts.h"
#include "shortcuts/Recorder.h"
#include "shortcuts/ShortcutRegistry.h"
#include "shortcuts/ShortcutTexts.h"

#include "platform/userdefaults/PropertyJson.h"
#include "platform/userdefaults/UserDefaults.h"

#include <QFile>

#include <QAction>

#include <gtest/gtest.h>

namespace {

using KeyboardShortcuts::Name;
using KeyboardShortcuts::Shortcut;

constexpr std::int32_t command = 0x0100, shift = 0x0200, option = 0x0800, control = 0x1000;

// These tests are about a session without X11, whatever the caller's session is.
class ShortcutStorageTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        qunsetenv("XDG_SESSION_TYPE");
    }
    void SetUp() override { UserDefaults::standard()->removeAll(); }
    void TearDown() override { KeyboardShortcuts::reserveKeyEquivalents({}); }

    const Name name { "toggleRecording" };
};

TEST_F(ShortcutStorageTest, UnreadableStoredValuesReadAsNoShortcutAndStayAsTheyAre)
{
    const std::pair<const char *, PropertyValue> cases[] = {
        { "a number", PropertyValue(15) },
        { "data", PropertyValue(QByteArray(R"({"carbonKeyCode":15,"carbonModifiers":256})")) },
        { "broken JSON", PropertyValue(R"({"carbonKeyCode":15,"carbonModif)") },
        { "a JSON array", PropertyValue("[15,256]") },
        { "a missing field", PropertyValue(R"({"carbonKeyCode":15})") },
        { "a fractional key code", PropertyValue(R"({"carbonKeyCode":15.5,"carbonModifiers":256})") },
        { "a key code outside the table", PropertyValue(R"({"carbonKeyCode":10,"carbonModifiers":256})") },
        { "a negative key code", PropertyValue(R"({"carbonKeyCode":-1,"carbonModifiers":256})") },
        { "an unknown modifier bit", PropertyValue(R"({"carbonKeyCode":15,"carbonModifiers":65536})") },
    };
    for (const auto &[what, stored] : cases) {
        SCOPED_TRACE(what);
        UserDefaults::standard()->setObject(name.userDefaultsKey(), stored);
        EXPECT_EQ(KeyboardShortcuts::getShortcut(name), std::nullopt);
        KeyboardShortcuts::enable({ name });
        KeyboardShortcuts::disable({ name });
        EXPECT_EQ(UserDefaults::standard()->object(name.userDefaultsKey()), stored);
    }
}

// From the corpus of broken settings files: hand-edited numbers that no field can hold, which the
// sanitizer build would stop at if they were converted unchecked.
TEST_F(ShortcutStorageTest, NumbersBeyondTheFieldsOfAHandEditedShortcutReadAsNoShortcut)
{
    QFile file(QStringLiteral(BROKEN_FILES_DIR "/numbers-beyond-their-keys.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    const std::optional<PropertyJson::Document> document
        = PropertyJson::decodeDocument(std::string_view(text.constData(), std::size_t(text.size())));
    ASSERT_TRUE(document);
    const std::string prefix = "KeyboardShortcuts_";
    int shortcuts = 0;
    for (const auto &[key, value] : document->values) {
        if (key.starts_with(prefix)) {
            ++shortcuts;
            UserDefaults::standard()->setObject(key, value);
            EXPECT_EQ(KeyboardShortcuts::getShortcut(Name(key.substr(prefix.size()))), std::nullopt) << key;
        }
    }
    EXPECT_EQ(shortcuts, 3);
}

TEST_F(ShortcutStorageTest, ShortcutsAreStoredInTheirJsonFormAndReadBackUnlessAnotherNameHasThem)
{
    EXPECT_EQ(KeyboardShortcuts::getShortcut(name), std::nullopt);
    const Shortcut shortcut { 0x0F, command | option };
    EXPECT_EQ(KeyboardShortcuts::setShortcut(shortcut, name), std::nullopt);
    EXPECT_EQ(UserDefaults::standard()->string("KeyboardShortcuts_toggleRecording"),
        R"({"carbonKeyCode":15,"carbonModifiers":2304})");
    EXPECT_EQ(KeyboardShortcuts::getShortcut(name), shortcut);
    EXPECT_EQ(KeyboardShortcuts::getShortcut(Name("toggleRecording", Shortcut { 0x00, control })), shortcut);

    EXPECT_EQ(KeyboardShortcuts::setShortcut(std::nullopt, name), std::nullopt);
    EXPECT_EQ(UserDefaults::standard()->object(name.userDefaultsKey()), std::nullopt);

    // Another name's shortcut is refused and nothing is stored.
    ASSERT_EQ(KeyboardShortcuts::setShortcut(shortcut, Name("togglePauseRecording")), std::nullopt);
    const auto error = KeyboardShortcuts::setShortcut(shortcut, name);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind, HotKeyError::Kind::AlreadyTaken);
    EXPECT_EQ(KeyboardShortcuts::getShortcut(name), std::nullopt);
}

TEST_F(ShortcutStorageTest, KeyEquivalentsModifiersAndNotation)
{
    struct Case
    {
        Shortcut shortcut;
        QString keyEquivalent;
        Qt::KeyboardModifiers modifiers;
        QKeySequence keySequence;
    };
    const Case cases[] = {
        { { 0x0F, command | option }, QStringLiteral("r"), Qt::MetaModifier | Qt::AltModifier,
            QKeySequence(Qt::META | Qt::ALT | Qt::Key_R) },
        { { 0x12, shift | control }, QStringLiteral("1"), Qt::ShiftModifier | Qt::ControlModifier,
            QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_1) },
        { { 0x7A, 0 }, QString(QChar(0xF704)), Qt::NoModifier, QKeySequence(Qt::Key_F1) },
        { { 0x53, control }, QStringLiteral("1"), Qt::ControlModifier,
            QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_1)) },
        { { 0x0A, control }, QString(), Qt::ControlModifier, QKeySequence() },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.shortcut.carbonKeyCode);
        EXPECT_EQ(c.shortcut.keyEquivalent(), c.keyEquivalent);
        EXPECT_EQ(c.shortcut.modifiers(), c.modifiers);
        EXPECT_EQ(c.shortcut.keySequence(), c.keySequence);
    }
    EXPECT_EQ(Shortcut({ 0x0F, control | option | shift }).description(), QStringLiteral("Ctrl+Alt+Shift+R"));
}

TEST_F(ShortcutStorageTest, AMenuActionFollowsTheShortcutAndWithoutX11EverythingWorksAndSaysSo)
{
    ASSERT_EQ(KeyboardShortcuts::setShortcut(Shortcut { 0x0F, control | option }, name), std::nullopt);
    auto action = std::make_unique<QAction>();
    KeyboardShortcuts::setShortcut(action.get(), name);
    EXPECT_EQ(action->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_R));

    ASSERT_EQ(KeyboardShortcuts::setShortcut(Shortcut { 0x11, control }, name), std::nullopt);
    EXPECT_EQ(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
    ASSERT_EQ(KeyboardShortcuts::setShortcut(Shortcut { 0x7A, 0 }, Name("other")), std::nullopt);
    EXPECT_EQ(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
    ASSERT_EQ(KeyboardShortcuts::setShortcut(std::nullopt, name), std::nullopt);
    EXPECT_TRUE(action->shortcut().isEmpty());

    // A later call follows the new name only; none clears and follows nothing.
    KeyboardShortcuts::setShortcut(action.get(), Name("other"));
    EXPECT_EQ(action->shortcut(), QKeySequence(Qt::Key_F1));
    ASSERT_EQ(KeyboardShortcuts::setShortcut(Shortcut { 0x0F, control }, name), std::nullopt);
    EXPECT_EQ(action->shortcut(), QKeySequence(Qt::Key_F1));
    KeyboardShortcuts::setShortcut(action.get(), std::nullopt);
    EXPECT_TRUE(action->shortcut().isEmpty());
    ASSERT_EQ(KeyboardShortcuts::setShortcut(Shortcut { 0x7B, control }, Name("other")), std::nullopt);
    EXPECT_TRUE(action->shortcut().isEmpty());

    KeyboardShortcuts::setShortcut(action.get(), name);
    action.reset();
    EXPECT_EQ(KeyboardShortcuts::setShortcut(std::nullopt, name), std::nullopt);

    // Without an X11 display, handlers and the recorder work and say so.
    // Handlers stay registered for the process's life, so this one captures nothing.
    KeyboardShortcuts::onKeyUp(name, [] {});
    ASSERT_EQ(KeyboardShortcuts::setShortcut(Shortcut { 0x0F, control }, name), std::nullopt);
    KeyboardShortcuts::disable({ name });
    KeyboardShortcuts::enable({ name });
    EXPECT_EQ(KeyboardShortcuts::getShortcut(name), (Shortcut { 0x0F, control }));
    EXPECT_TRUE(KeyboardShortcuts::unavailableMessage().contains(QLatin1String("no X11 display")));

    KeyboardShortcuts::Recorder recorder(QStringLiteral("Start/stop recording"), name);
    EXPECT_EQ(recorder.message(), KeyboardShortcuts::unavailableMessage());
}

TEST_F(ShortcutStorageTest, TheMenusKeysAreRefusedAndOneStoredBeforeIsKeptButDoesNothing)
{
    const Shortcut controlQ { 0x0C, control }, controlComma { 0x2B, control };
    KeyboardShortcuts::reserveKeyEquivalents(
        { QKeySequence(Qt::CTRL | Qt::Key_Q), QKeySequence(Qt::CTRL | Qt::Key_Comma) });
    const std::pair<Shortcut, bool> cases[] = {
        { controlQ, true },
        { controlComma, true },
        { { 0x0C, control | shift }, false },
        { { 0x0C, command }, false },
    };
    for (const auto &[shortcut, refused] : cases) {
        SCOPED_TRACE(shortcut.description().toStdString());
        ASSERT_EQ(KeyboardShortcuts::setShortcut(Shortcut { 0x7A, 0 }, name), std::nullopt);
        const auto error = KeyboardShortcuts::setShortcut(shortcut, name);
        EXPECT_EQ(error.has_value(), refused);
        if (error) {
            EXPECT_EQ(error->kind, HotKeyError::Kind::AlreadyTaken);
            EXPECT_EQ(error->message, KeyboardShortcuts::Texts::usedByOtherName());
        }
        EXPECT_EQ(KeyboardShortcuts::getShortcut(name), refused ? Shortcut({ 0x7A, 0 }) : shortcut);
    }

    // Stored by an earlier version: kept for the settings to show, but neither registered nor
    // shown on the menu, and storing it again is no success either.
    const Name earlier("earlierToggle");
    auto &registry = KeyboardShortcuts::ShortcutRegistry::shared();
    UserDefaults::standard()->setObject(earlier.userDefaultsKey(), controlQ.toJson());
    KeyboardShortcuts::onKeyUp(earlier, [] {});
    KeyboardShortcuts::enable({ earlier });
    EXPECT_FALSE(registry.isRegistered(controlQ));
    QAction action;
    KeyboardShortcuts::setShortcut(&action, earlier);
    EXPECT_TRUE(action.shortcut().isEmpty());
    EXPECT_EQ(
        KeyboardShortcuts::storedShortcutConflict(earlier), KeyboardShortcuts::Texts::usedByOtherName());
    {
        KeyboardShortcuts::Recorder recorder(QStringLiteral("Pause/resume recording"), earlier);
        EXPECT_EQ(recorder.message(), KeyboardShortcuts::Texts::usedByOtherName());
    }
    EXPECT_TRUE(KeyboardShortcuts::setShortcut(controlQ, earlier).has_value());
    EXPECT_EQ(KeyboardShortcuts::getShortcut(earlier), controlQ);

    // Replacing it gives the action its keys and the name a hot key.
    const Shortcut controlAltQ { 0x0C, control | option };
    ASSERT_EQ(KeyboardShortcuts::setShortcut(controlAltQ, earlier), std::nullopt);
    EXPECT_TRUE(registry.isRegistered(controlAltQ));
    EXPECT_EQ(action.shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Q));
    EXPECT_EQ(KeyboardShortcuts::storedShortcutConflict(earlier), QString());

    // Keys reserved later take a registered shortcut away.
    KeyboardShortcuts::reserveKeyEquivalents({ QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Q) });
    EXPECT_FALSE(registry.isRegistered(controlAltQ));
    EXPECT_TRUE(KeyboardShortcuts::setShortcut(controlAltQ, Name("another")).has_value());
    ASSERT_EQ(KeyboardShortcuts::setShortcut(std::nullopt, earlier), std::nullopt);
    EXPECT_EQ(UserDefaults::standard()->object(earlier.userDefaultsKey()), std::nullopt);
}

} // namespace
