#include "DesktopTest.h"
#include "EventLoop.h"
#include "FileContents.h"
#include "FrozenSoundServer.h"
#include "Pactl.h"
#include "PanelPicture.h"
#include "ProgramProcess.h"
#include "RemovedSource.h"
#include "StatusNotifierItem.h"
#include "TestDesktop.h"

#include "MediaProbe.h"
#include "app/AppIdentity.h"
#include "app/AppMain.h"
#include "app/AppState.h"
#include "app/MenuBarIcon.h"
#include "app/MenuTexts.h"
#include "app/SettingsKeys.h"
#include "kit/foundation/files/SandboxURLBookmark.h"
#include "kit/services/ServiceTexts.h"
#include "platform/desktop/DBusMenuExporter.h"
#include "platform/desktop/StatusBarButton.h"
#include "platform/hotkeys/HotKeys.h"
#include "recording/InputAvailability.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <optional>

// The program as people run it on today's desktops: a Wayland session with no X server, whose
// panel shows tray items through StatusNotifierItem and their menus over the bus.
namespace {

using TestSupport::DBusMenuEntry;
using TestSupport::StatusNotifierItem;
using namespace std::chrono_literals;

// The opacity of the most opaque pixel of a picture: 0 while nothing is drawn in it.
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

// Whether the icon the panel got is drawn see-through, as the button draws it dimmed.
bool isDimmed(const QImage &icon)
{
    const int highest = highestAlpha(icon);
    return highest > 0 && highest <= qRound(255 * StatusBarButton::disabledOpacity);
}

// The entries a panel shows, separators left out: "(title)" when disabled, "title ✓" when checked.
QStringList rows(const DBusMenuEntry &menu)
{
    QStringList rows;
    for (const DBusMenuEntry &entry : menu.children) {
        if (!entry.isSeparator() && entry.isVisible()) {
            const QString row = entry.isEnabled() ? entry.label() : QStringLiteral("(%1)").arg(entry.label());
            rows << (entry.isChecked() ? row + QStringLiteral(" \u2713") : row);
        }
    }
    return rows;
}

// The seconds of a disabled elapsed-time row; none for any other row.
std::optional<int> elapsedSeconds(const QString &row)
{
    static const QRegularExpression time(QStringLiteral("^\\((\\d\\d):(\\d\\d)\\)$"));
    const QRegularExpressionMatch match = time.match(row);
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
        ASSERT_EQ(qEnvironmentVariable("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        ProgramProcess::resetSettings();
        Defaults::set(SettingsKeys::defaultOutputDirectory(),
            std::optional(SandboxURLBookmark::fromURL(QUrl::fromLocalFile(m_output.path()))));
        Defaults::set(SettingsKeys::showInFinderAfterSaving(), false);
    }

    // The program's item once the panel's watcher has it, and its icon once it shows it stopped.
    // The item is there before its image is: its first picture is empty.
    void start()
    {
        m_program.emplace();
        ASSERT_TRUE(TestSupport::processEventsUntil(
            [&] { return (m_item = StatusNotifierItem::ofProcess(m_program->pid())).has_value(); }, 10s))
            << "no item registered\n"
            << log();
        ASSERT_TRUE(TestSupport::processEventsUntil(
            [&] {
                return m_item->toolTipTitle().endsWith(QStringLiteral("\nStopped"))
                    && highestAlpha(m_stoppedIcon = m_item->icon()) > 0;
            },
            10s))
            << "no picture drawn\n"
            << log();
    }

    std::string log() { return m_program ? m_program->log().toStdString() : std::string(); }

    // Whether the item comes to show the state, tinted or as when stopped, within a few seconds.
    bool showsState(const QString &state, bool tinted) const
    {
        return TestSupport::processEventsUntil(
            [&] {
                return m_item->toolTipTitle()
                    == QStringLiteral("%1\n%2").arg(QLatin1String(AppIdentity::displayName), state)
                    && (m_item->icon() != m_stoppedIcon) == tinted;
            },
            10s);
    }

    // Chooses the entry of the status menu as a panel does, and closes the menu.
    void choose(const QString &label) const
    {
        const std::optional<DBusMenuEntry> menu = m_item->openMenu();
        ASSERT_TRUE(menu && menu->child(label)) << label.toStdString();
        m_item->sendMenuEvent(menu->child(label)->id, QStringLiteral("clicked"));
        m_item->sendMenuEvent(0, QStringLiteral("closed"));
    }

    QStringList saved() const { return QDir(m_output.path()).entryList(QDir::Files); }
    static QString noHotKeys()
    {
        return QStringLiteral("Global shortcuts are unavailable: ")
            + unavailableMessage(HotKeys::Availability::WaylandSession);
    }

    QTemporaryDir m_output;
    std::optional<ProgramProcess> m_program;
    std::optional<StatusNotifierItem> m_item;
    QImage m_stoppedIcon;
};

TEST_F(ProgramOnAPanelTest, ItRunsWithoutX11AndPanelsKnowItsItemByTheProgramsName)
{
    ASSERT_NO_FATAL_FAILURE(start());
    // Panels list hidden items and their settings by these names.
    for (const auto &[property, expected] : { std::pair { "Title", AppIdentity::displayName },
             std::pair { "Id", AppIdentity::displayName }, std::pair { "Status", "Active" } }) {
        EXPECT_EQ(m_item->property(QLatin1String(property)).toString().toStdString(), expected) << property;
    }
    // The microphone, drawn light and outlined: where the button's own drawing of it covers a
    // pixel, so does the picture, in a light colour.
    StatusBarButton button;
    button.setImage(MenuBarIcons::image(MenuBarIcon::microphone));
    const QImage microphone = button.render(m_stoppedIcon.height()).convertToFormat(QImage::Format_ARGB32);
    const QImage received = m_stoppedIcon.convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(received.size(), microphone.size());
    int shape = 0;
    for (int y = 0; y < received.height(); ++y) {
        for (int x = 0; x < received.width(); ++x) {
            const QRgb own = microphone.pixel(x, y);
            const QRgb shown = received.pixel(x, y);
            ASSERT_GE(qAlpha(shown) + 2, qAlpha(own)) << x << "," << y;
            if (qAlpha(own) == 255) {
                ++shape;
                EXPECT_GT(QColor(shown).lightness(), 200) << x << "," << y;
            }
        }
    }
    EXPECT_GT(shape, 50);
    EXPECT_TRUE(m_program->waitForLog(noHotKeys())) << log();
}

TEST_F(ProgramOnAPanelTest, ItsMenuOnThePanelIsTheStatusMenuRecordsAndTicksWhileOpen)
{
    Defaults::set(SettingsKeys::dimMenuBarIconWhenNotRecording(), true);
    ASSERT_NO_FATAL_FAILURE(start());
    EXPECT_TRUE(
        TestSupport::processEventsUntil([&] { return isDimmed(m_stoppedIcon = m_item->icon()); }, 10s))
        << "dimmed while stopped";

    // Clicks on the item leave the menu to the panel: on Wayland a menu of the program's own would
    // open as a free-standing window, wherever the compositor puts it.
    ASSERT_TRUE(m_item->click(false, 1200, 10));
    ASSERT_TRUE(m_item->click(true, 1200, 10));
    EXPECT_FALSE(m_program->waitForLog(QStringLiteral("Menu opens"), 1)) << log();

    const QString microphone = TestSupport::Pactl::sourceDescription(TestSupport::TestDesktop::toneSource());
    ASSERT_FALSE(microphone.isEmpty());
    const std::optional<DBusMenuEntry> stopped = m_item->openMenu();
    ASSERT_TRUE(stopped) << log();
    EXPECT_EQ(rows(*stopped),
        QStringList({ MenuTexts::record, MenuTexts::monitorInput, "(" + MenuTexts::inputDevice + ")",
            microphone + " \u2713", "(" + microphone + ")", MenuTexts::forceMono,
            "(" + MenuTexts::recordSettings + ")", MenuTexts::monitorWhileRecording,
            MenuTexts::showRecordings, MenuTexts::settings, MenuTexts::more,
            ServiceTexts::quitItem(QLatin1String(AppIdentity::displayName)) }));
    const DBusMenuEntry *more = stopped->child(MenuTexts::more);
    EXPECT_TRUE(more && more->hasSubmenu() && !more->children.empty());
    m_item->sendMenuEvent(0, QStringLiteral("closed"));

    // A toggle and Record chosen on the panel show on the next opening.
    choose(MenuTexts::forceMono);
    choose(MenuTexts::record);
    EXPECT_TRUE(showsState(QStringLiteral("Recording"), true)) << log();
    EXPECT_FALSE(isDimmed(m_item->icon())) << "dimmed while recording";
    std::optional<DBusMenuEntry> menu = m_item->openMenu();
    ASSERT_TRUE(menu);
    QStringList recording = rows(*menu);
    const std::optional<int> opened = elapsedSeconds(recording.value(0));
    ASSERT_TRUE(opened) << recording.join(u'|').toStdString();
    EXPECT_EQ(recording.mid(1, 2), QStringList({ MenuTexts::pause, MenuTexts::stop }));
    for (const QString &row : { MenuTexts::forceMono + " \u2713",
             "(" + MenuTexts::monitorWhileRecording + ")", "(" + MenuTexts::settings + ")" }) {
        EXPECT_TRUE(recording.contains(row)) << row.toStdString();
    }

    // The elapsed time moves on while the menu stays open, and stops with it closed.
    const auto elapsedNow = [&] {
        const std::optional<DBusMenuEntry> now = m_item->menu();
        return now ? elapsedSeconds(rows(*now).value(0)) : std::nullopt;
    };
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return elapsedNow() > opened; }, 3s));
    m_item->sendMenuEvent(0, QStringLiteral("closed"));
    const std::optional<int> closed = elapsedNow();
    TestSupport::processEventsFor(1200ms);
    EXPECT_EQ(elapsedNow(), closed) << "ticking with the menu closed";

    choose(MenuTexts::stop);
    EXPECT_TRUE(showsState(QStringLiteral("Stopped"), false)) << log();
    EXPECT_TRUE(isDimmed(m_item->icon())) << "not dimmed again once stopped";
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return saved().size() == 1; }, 10s)) << log();
    const MediaFacts facts = probeMedia(QDir(m_output.path()).filePath(saved().constFirst()));
    ASSERT_TRUE(facts.decoded) << facts.error.toStdString();
    EXPECT_GT(facts.seconds, 0.5);
    // Said once, in words, and no more: the rest of the program goes on without them.
    EXPECT_EQ(m_program->log().count(noHotKeys()), 1) << log();
}

// Panels are mostly dark, some light, and tell their items neither: the idle icon goes by a
// symbolic name that the panel draws in its own text colour, and its picture, for panels that
// take no names, stands out from both.
TEST_F(ProgramOnAPanelTest, TheIdleIconCanBeSeenOnDarkAndLightPanels)
{
    ASSERT_NO_FATAL_FAILURE(start());
    const QString name = MenuBarIcons::themeName(MenuBarIcon::microphone);
    EXPECT_EQ(m_item->iconName(), name);
    const QString symbolic
        = QDir(m_item->iconThemePath())
              .filePath(QStringLiteral("hicolor/symbolic/apps/") + name + QStringLiteral(".svg"));
    ASSERT_TRUE(QFileInfo(symbolic).isFile()) << symbolic.toStdString();

    // The pixels of the microphone itself, without its outline.
    StatusBarButton button;
    button.setImage(MenuBarIcons::image(MenuBarIcon::microphone));
    const int covered = TestSupport::coveredPixels(button.render(m_stoppedIcon.height()));
    for (const TestSupport::PanelColours &panel : { TestSupport::darkPanel, TestSupport::lightPanel }) {
        SCOPED_TRACE(panel.background.name().toStdString());
        // As many pixels as the shape has stand out: the light shape on a dark panel, its dark
        // outline, which has about as many, on a light one.
        const int standingOut = TestSupport::pixelsStandingOut(m_stoppedIcon, panel.background);
        EXPECT_GE(standingOut * 4, covered * 3) << standingOut << " of " << covered;
        // The named icon is the same microphone, give or take the outline.
        const QImage drawn = TestSupport::symbolicIcon(symbolic, m_stoppedIcon.height(), panel.text);
        const int named = TestSupport::pixelsStandingOut(drawn, panel.background);
        EXPECT_GT(named * 4, covered * 3) << named << " of " << covered;
        EXPECT_LT(named * 4, covered * 5) << named << " of " << covered;
    }
}

// The elapsed time is the label beside the icon on panels that show one, and in the tooltip on
// all; never drawn into the icon, whose square is too small for it.
TEST_F(ProgramOnAPanelTest, TheElapsedTimeIsTheItemsLabelAndInItsToolTip)
{
    Defaults::set(SettingsKeys::showDurationInMenuBar(), true);
    ASSERT_NO_FATAL_FAILURE(start());
    EXPECT_EQ(m_item->label(), QString());
    choose(MenuTexts::record);
    static const QRegularExpression time(QStringLiteral("^00:0[2-9]$"));
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return time.match(m_item->label()).hasMatch(); }, 15s))
        << m_item->label().toStdString() << "\n"
        << log();
    EXPECT_EQ(m_item->labelGuide(), QStringLiteral("00:00"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Tapewick\nRecording\n00:0\\d$"))
                    .match(m_item->toolTipTitle())
                    .hasMatch())
        << m_item->toolTipTitle().toStdString();
    const QImage icon = m_item->icon();
    EXPECT_EQ(icon.width(), icon.height()) << "the time drawn into the icon";

    choose(MenuTexts::stop);
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return m_item->label().isEmpty(); }, 10s)) << log();
    EXPECT_EQ(m_item->labelGuide(), QString());
}

// The panel shows no tooltips: a greyed entry's reason is a greyed line under it, there while the
// entry is greyed for it.
TEST_F(ProgramOnAPanelTest, AGreyedEntrysReasonIsALineUnderItOnThePanel)
{
    const QString previous = QDir(m_output.path()).filePath(QStringLiteral("Recording.m4a"));
    TestSupport::writeFile(previous, "not heard");
    Defaults::set(SettingsKeys::previousRecording(),
        std::optional(SandboxURLBookmark::fromURL(QUrl::fromLocalFile(previous))));
    const TestSupport::RemovedSource unplugged(TestSupport::TestDesktop::toneSource());
    ASSERT_EQ(unplugged.error, QString());
    ASSERT_NO_FATAL_FAILURE(start());
    std::optional<DBusMenuEntry> menu = m_item->openMenu();
    ASSERT_TRUE(menu && menu->child(MenuTexts::previousRecording)) << log();
    ASSERT_TRUE(
        m_item->sendMenuEvent(menu->child(MenuTexts::previousRecording)->id, QStringLiteral("opened")));
    menu = m_item->menu();
    ASSERT_TRUE(menu && menu->child(MenuTexts::previousRecording)) << log();

    // Without an input nothing starts, and without a mail program nothing shares.
    const struct
    {
        const DBusMenuEntry *shownIn;
        QString item;
        QString reason;
    } cases[] = {
        { &*menu, MenuTexts::record, InputAvailability::text(InputAvailability::Reason::noInputDevices) },
        { &*menu, MenuTexts::monitorInput,
            InputAvailability::text(
                InputAvailability::Reason::noInputDevices, InputAvailability::Purpose::monitoring) },
        { menu->child(MenuTexts::previousRecording), MenuTexts::share, MenuTexts::noShareServices },
    };
    for (const auto &[shownIn, item, reason] : cases) {
        QStringList expected { QStringLiteral("(%1)").arg(item) };
        for (const QString &line : DBusMenuExporter::reasonLines(reason)) {
            expected << QStringLiteral("(%1)").arg(line);
        }
        const QStringList shown = rows(*shownIn);
        EXPECT_EQ(shown.mid(shown.indexOf(expected.constFirst()), expected.size()).join(u'|').toStdString(),
            expected.join(u'|').toStdString());
    }
    m_item->sendMenuEvent(0, QStringLiteral("closed"));
}

// A sound server that stopped answering holds the ending for seconds: from its start the item is
// dimmed and says that the recording is being finished, and so does the menu, which offers nothing
// that the ending refuses, as the bus refuses to start a recording.
TEST_F(ProgramOnAPanelTest, AFrozenSoundServersEndingShowsOnTheItemAndInItsMenu)
{
    ASSERT_NO_FATAL_FAILURE(start());
    choose(MenuTexts::record);
    static const QRegularExpression into(
        QStringLiteral("Recording into \"([^\"]*)\"$"), QRegularExpression::MultilineOption);
    const std::optional<QRegularExpressionMatch> recording = m_program->waitForMatch(into);
    ASSERT_TRUE(recording) << log();
    // Not finished, the recording stays for recovery in a folder of its own.
    const auto cleanup = qScopeGuard(
        [folder = QFileInfo(recording->captured(1)).path()] { QDir(folder).removeRecursively(); });
    const QString running = QStringLiteral("%1\nRecording\n").arg(QLatin1String(AppIdentity::displayName));
    ASSERT_TRUE(
        TestSupport::processEventsUntil([&] { return m_item->toolTipTitle().startsWith(running); }, 10s))
        << m_item->toolTipTitle().toStdString() << "\n"
        << log();

    const FrozenSoundServer frozen;
    m_program->signal(SIGTERM);
    const QString finishing = QStringLiteral("%1\n%2").arg(
        QLatin1String(AppIdentity::displayName), MenuTexts::finishingRecording);
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return m_item->toolTipTitle() == finishing; }, 5s))
        << m_item->toolTipTitle().toStdString() << "\n"
        << log();
    EXPECT_TRUE(isDimmed(m_item->icon()));
    EXPECT_EQ(m_item->label(), QString()) << "the time of a recording that no longer runs";
    const std::optional<DBusMenuEntry> menu = m_item->openMenu();
    ASSERT_TRUE(menu) << log();
    const QStringList shown = rows(*menu);
    EXPECT_EQ(shown.value(0).toStdString(),
        QStringLiteral("(%1)").arg(MenuTexts::finishingRecording).toStdString());
    for (const QString &refused : { MenuTexts::record, MenuTexts::monitorInput, MenuTexts::settings,
             ServiceTexts::quitItem(QLatin1String(AppIdentity::displayName)) }) {
        EXPECT_TRUE(shown.contains(QStringLiteral("(%1)").arg(refused))) << shown.join(u'|').toStdString();
    }
    m_item->sendMenuEvent(0, QStringLiteral("closed"));
    const std::chrono::seconds limit = std::chrono::duration_cast<std::chrono::seconds>(
        AppMain::stuckWorkLimit + AppState::finishLimit + 5s);
    EXPECT_EQ(m_program->waitForExit(int(limit.count())), ProgramEnd::exitedWith(SIGTERM)) << log();
}

} // namespace
