#include "Command.h"
#include "DesktopTest.h"
#include "EventLoop.h"
#include "Pactl.h"
#include "ProgramProcess.h"
#include "StatusNotifierItem.h"

#include "MediaProbe.h"
#include "app/AppIdentity.h"
#include "app/AppIntents.h"
#include "app/MenuBarIcon.h"
#include "app/MenuTexts.h"
#include "app/SettingsKeys.h"
#include "kit/foundation/files/SandboxURLBookmark.h"
#include "kit/services/ServiceTexts.h"
#include "platform/desktop/StatusBarButton.h"
#include "platform/hotkeys/HotKeys.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

// The program as people run it on today's desktops: a Wayland session with no X server, whose
// panel shows tray items through StatusNotifierItem and their menus over the bus.
namespace {

using TestSupport::DBusMenuEntry;
using TestSupport::StatusNotifierItem;
using namespace std::chrono_literals;

enum class Tint { plain, red, yellow };

// The average colour of the icon's drawn pixels; invalid when it draws nothing.
QColor drawnColor(const QImage &icon)
{
    double red = 0, green = 0, blue = 0;
    int drawn = 0;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            const QRgb pixel = icon.pixel(x, y);
            if (qAlpha(pixel) >= 32) {
                red += qRed(pixel), green += qGreen(pixel), blue += qBlue(pixel), ++drawn;
            }
        }
    }
    return drawn == 0
        ? QColor()
        : QColor::fromRgbF(float(red / drawn / 255), float(green / drawn / 255), float(blue / drawn / 255));
}

// What the icon looks like: the panel's text colour or a recording tint; none when it shows
// nothing or a colour in between.
std::optional<Tint> tintOf(const QImage &icon)
{
    const QColor color = drawnColor(icon);
    if (!color.isValid()) {
        return std::nullopt;
    }
    const float hue = color.hsvHueF() * 360;
    if (color.hsvSaturationF() < 0.3f) {
        return Tint::plain;
    }
    if (hue < 20 || hue > 340) {
        return Tint::red;
    }
    if (hue > 35 && hue < 70) {
        return Tint::yellow;
    }
    return std::nullopt;
}

// Where the icon draws, whatever the colour.
QImage coverage(const QImage &icon)
{
    return icon.convertToFormat(QImage::Format_ARGB32).convertToFormat(QImage::Format_Alpha8);
}

int highestAlpha(const QImage &icon)
{
    int highest = 0;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            highest = std::max(highest, qAlpha(icon.pixel(x, y)));
        }
    }
    return highest;
}

QString toolTipFor(const QString &state)
{
    return QStringLiteral("%1\n%2").arg(QLatin1String(AppIdentity::displayName), state);
}

// What a user's script or keyboard binding would run.
TestSupport::CommandResult setRecordingState(const QString &state)
{
    return TestSupport::runCommand(QStringLiteral("gdbus"),
        { "call", "--session", "--dest", AppIdentity::busName, "--object-path", AppIdentity::objectPath,
            "--method", QStringLiteral("%1.SetRecordingState").arg(AppIntents::interfaceName), state });
}

// The entries a panel shows, separators left out, as label, enabled, checked.
struct Shown
{
    QString label;
    bool enabled;
    bool checked;
    bool operator==(const Shown &) const = default;
};

std::vector<Shown> shown(const DBusMenuEntry &menu)
{
    std::vector<Shown> entries;
    for (const DBusMenuEntry &entry : menu.children) {
        if (!entry.isSeparator() && entry.isVisible()) {
            entries.push_back({ entry.label(), entry.isEnabled(), entry.isChecked() });
        }
    }
    return entries;
}

void PrintTo(const Shown &entry, std::ostream *out)
{
    *out << '"' << entry.label.toStdString() << '"' << (entry.enabled ? "" : " disabled")
         << (entry.checked ? " checked" : "");
}

// Minutes and seconds of an elapsed-time label; none for any other text.
std::optional<int> elapsedSeconds(const QString &label)
{
    static const QRegularExpression time(QStringLiteral("^(\\d\\d):(\\d\\d)$"));
    const QRegularExpressionMatch match = time.match(label);
    return match.hasMatch() ? std::optional(match.captured(1).toInt() * 60 + match.captured(2).toInt())
                            : std::nullopt;
}

class ProgramOnAPanelTest : public TestSupport::DesktopTest
{
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        // No X server at all: what runs here runs on Wayland alone.
        ASSERT_TRUE(qEnvironmentVariableIsEmpty("DISPLAY"));
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
        ASSERT_EQ(qEnvironmentVariable("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        ProgramProcess::resetSettings();
        Defaults::set(SettingsKeys::defaultOutputDirectory(),
            std::optional(SandboxURLBookmark::fromURL(QUrl::fromLocalFile(m_output.path()))));
        Defaults::set(SettingsKeys::showInFinderAfterSaving(), false);
    }

    // The program's item once the panel's watcher has it.
    std::optional<StatusNotifierItem> start()
    {
        m_program.emplace();
        std::optional<StatusNotifierItem> item;
        TestSupport::processEventsUntil(
            [&] { return (item = StatusNotifierItem::ofProcess(m_program->pid())).has_value(); }, 10s);
        return item;
    }

    QString log() { return m_program ? m_program->log() : QString(); }

    // Whether the item comes to show the state with one of those tints within a few seconds.
    static bool showsState(const StatusNotifierItem &item, const QString &state, std::vector<Tint> tints)
    {
        return TestSupport::processEventsUntil(
            [&] {
                const std::optional<Tint> tint = tintOf(item.icon());
                return item.toolTipTitle() == toolTipFor(state) && tint
                    && std::find(tints.begin(), tints.end(), *tint) != tints.end();
            },
            10s);
    }

    QStringList saved() const { return QDir(m_output.path()).entryList(QDir::Files); }

    QTemporaryDir m_output;
    std::optional<ProgramProcess> m_program;
};

TEST_F(ProgramOnAPanelTest, ItRunsWithoutX11AndItsItemFollowsARecordingDrivenFromTheBus)
{
    const std::optional<StatusNotifierItem> registered = start();
    ASSERT_TRUE(registered) << "no item registered\n" << log().toStdString();
    const StatusNotifierItem &item = *registered;
    // Panels list hidden items and their settings by these names.
    EXPECT_EQ(item.text(QStringLiteral("Title")).toStdString(), AppIdentity::displayName);
    EXPECT_EQ(item.text(QStringLiteral("Id")).toStdString(), AppIdentity::displayName);
    EXPECT_EQ(item.text(QStringLiteral("Status")).toStdString(), "Active");
    // The program's microphone as the button draws it at the panel's size.
    const QImage icon = item.icon();
    ASSERT_FALSE(icon.isNull());
    StatusBarButton button;
    button.setImage(MenuBarIcons::image(MenuBarIcon::microphone));
    EXPECT_EQ(coverage(icon), coverage(button.render(icon.height())));
    EXPECT_GT(highestAlpha(icon), 200) << "not dimmed unless asked";
    EXPECT_TRUE(showsState(item, QStringLiteral("Stopped"), { Tint::plain }))
        << item.toolTipTitle().toStdString();
    const QString noHotKeys = QStringLiteral("Global shortcuts are unavailable: ")
        + unavailableMessage(HotKeys::Availability::WaylandSession);
    EXPECT_TRUE(m_program->waitForLog(noHotKeys)) << log().toStdString();

    const struct
    {
        QString set;
        QString shown;
        std::vector<Tint> tints;
    } steps[] = {
        { QStringLiteral("recording"), QStringLiteral("Recording"), { Tint::red } },
        // Paused keeps the tint of the last level heard: yellow, turned towards red by a loud input.
        { QStringLiteral("paused"), QStringLiteral("Paused"), { Tint::yellow, Tint::red } },
        { QStringLiteral("stopped"), QStringLiteral("Stopped"), { Tint::plain } },
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.set.toStdString());
        const TestSupport::CommandResult result = setRecordingState(step.set);
        ASSERT_TRUE(result.succeeded()) << result.describe().toStdString();
        EXPECT_TRUE(showsState(item, step.shown, step.tints))
            << item.toolTipTitle().toStdString() << ", icon " << drawnColor(item.icon()).name().toStdString()
            << '\n'
            << log().toStdString();
        if (step.set == QStringLiteral("recording")) {
            TestSupport::processEventsFor(700ms);
        }
    }
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return saved().size() == 1; }, 10s))
        << log().toStdString();
    const MediaFacts facts = probeMedia(QDir(m_output.path()).filePath(saved().constFirst()));
    ASSERT_TRUE(facts.decoded) << facts.error.toStdString();
    EXPECT_GT(facts.seconds, 0.5);
    // Said once, in words, and no more: the rest of the program goes on without them.
    EXPECT_EQ(log().count(noHotKeys), 1) << log().toStdString();
}

TEST_F(ProgramOnAPanelTest, ItsMenuOnThePanelIsTheStatusMenuRecordsAndTicksWhileOpen)
{
    Defaults::set(SettingsKeys::dimMenuBarIconWhenNotRecording(), true);
    const std::optional<StatusNotifierItem> registered = start();
    ASSERT_TRUE(registered) << "no item registered\n" << log().toStdString();
    const StatusNotifierItem &item = *registered;
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return highestAlpha(item.icon()) < 128; }, 10s))
        << "dimmed while stopped";

    // Clicks on the item leave the menu to the panel: on Wayland a menu of the program's own would
    // open as a free-standing window, wherever the compositor puts it.
    const QString menuOpens = QStringLiteral("Menu opens");
    ASSERT_TRUE(item.click(false, 1200, 10));
    ASSERT_TRUE(item.click(true, 1200, 10));
    EXPECT_FALSE(m_program->waitForLog(menuOpens, 1)) << log().toStdString();

    const QString microphone = TestSupport::Pactl::sourceDescription(TestSupport::TestDesktop::toneSource());
    ASSERT_FALSE(microphone.isEmpty());
    const QString quit = ServiceTexts::quitItem(QLatin1String(AppIdentity::displayName));
    std::optional<DBusMenuEntry> menu = item.openMenu();
    ASSERT_TRUE(menu) << log().toStdString();
    const std::vector<Shown> stopped {
        { MenuTexts::record, true, false },
        { MenuTexts::monitorInput, true, false },
        { MenuTexts::inputDevice, false, false },
        { microphone, true, true },
        { microphone, false, false },
        { MenuTexts::forceMono, true, false },
        { MenuTexts::recordSettings, false, false },
        { MenuTexts::monitorWhileRecording, true, false },
        { MenuTexts::showRecordings, true, false },
        { MenuTexts::settings, true, false },
        { MenuTexts::more, true, false },
        { quit, true, false },
    };
    EXPECT_EQ(shown(*menu), stopped);
    ASSERT_TRUE(menu->child(MenuTexts::more));
    EXPECT_TRUE(menu->child(MenuTexts::more)->hasSubmenu());
    EXPECT_FALSE(menu->child(MenuTexts::more)->children.empty());

    // A toggle chosen on the panel shows its new state the next time the menu opens.
    ASSERT_TRUE(menu->child(MenuTexts::forceMono));
    item.sendMenuEvent(menu->child(MenuTexts::forceMono)->id, QStringLiteral("clicked"));
    item.sendMenuEvent(0, QStringLiteral("closed"));
    menu = item.openMenu();
    ASSERT_TRUE(menu && menu->child(MenuTexts::forceMono));
    EXPECT_TRUE(menu->child(MenuTexts::forceMono)->isChecked());

    ASSERT_TRUE(menu->child(MenuTexts::record));
    item.sendMenuEvent(menu->child(MenuTexts::record)->id, QStringLiteral("clicked"));
    item.sendMenuEvent(0, QStringLiteral("closed"));
    EXPECT_TRUE(showsState(item, QStringLiteral("Recording"), { Tint::red })) << log().toStdString();
    EXPECT_GT(highestAlpha(item.icon()), 200) << "not dimmed while recording";

    menu = item.openMenu();
    ASSERT_TRUE(menu && !menu->children.empty());
    const DBusMenuEntry &elapsed = menu->children.front();
    const std::optional<int> opened = elapsedSeconds(elapsed.label());
    ASSERT_TRUE(opened) << elapsed.label().toStdString();
    EXPECT_FALSE(elapsed.isEnabled());
    std::vector<Shown> recording = shown(*menu);
    recording.erase(recording.begin());
    std::vector<Shown> expected = stopped;
    expected[0] = { MenuTexts::stop, true, false };
    expected.insert(expected.begin(), { MenuTexts::pause, true, false });
    expected[6].checked = true; // forced mono, as chosen above
    expected[8].enabled = false; // monitoring while recording is set before a recording
    expected[10].enabled = false; // settings wait until the recording ends
    EXPECT_EQ(recording, expected);

    // The elapsed time moves on while the menu stays open, and stops with it closed.
    const auto elapsedNow = [&] {
        const std::optional<DBusMenuEntry> now = item.menu();
        return now && !now->children.empty() ? elapsedSeconds(now->children.front().label()) : std::nullopt;
    };
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return elapsedNow() > opened; }, 3s))
        << "still " << elapsed.label().toStdString();
    item.sendMenuEvent(0, QStringLiteral("closed"));
    const std::optional<int> closed = elapsedNow();
    TestSupport::processEventsFor(1200ms);
    EXPECT_EQ(elapsedNow(), closed) << "ticking with the menu closed";

    menu = item.openMenu();
    ASSERT_TRUE(menu && menu->child(MenuTexts::stop));
    item.sendMenuEvent(menu->child(MenuTexts::stop)->id, QStringLiteral("clicked"));
    item.sendMenuEvent(0, QStringLiteral("closed"));
    EXPECT_TRUE(showsState(item, QStringLiteral("Stopped"), { Tint::plain })) << log().toStdString();
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return saved().size() == 1; }, 10s));
}

} // namespace
