#include "kit/foundation/system/FoundationHooks.h"
#include "kit/ui/ActionTrampoline.h"
#include "kit/ui/Buttons.h"
#include "kit/ui/CocoaLabel.h"
#include "kit/ui/EnumPicker.h"
#include "kit/ui/FontHelpers.h"
#include "kit/ui/MacSystemSound.h"
#include "kit/ui/OptionalText.h"
#include "kit/ui/SecondaryTextStyle.h"
#include "kit/ui/StaticToolbar.h"
#include "kit/ui/SyntheticEvents.h"
#include "kit/ui/TrackingArea.h"
#include "kit/ui/UrlIcon.h"

#include "EventLoop.h"
#include "preferences/DefaultsSerializable.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <ctime>

enum class Quality { low, medium, high, best };

template<>
struct EnumCases<Quality>
{
    static std::vector<Quality> all()
    {
        return { Quality::low, Quality::medium, Quality::high, Quality::best };
    }
};

namespace {

using TestSupport::processEventsUntil;

Label qualityRow(const Quality &quality)
{
    static const char *const names[] = { "Low", "Medium", "High", "Best" };
    return { QLatin1String(names[static_cast<int>(quality)]), QIcon() };
}

TEST(EnumPickerTest, ListsEveryCaseShowsTheSelectionAndWritesOnlyAChoice)
{
    Quality stored = Quality::high;
    int writes = 0;
    Binding<Quality> binding { [&] { return stored; },
        [&](const Quality &value) {
            stored = value;
            ++writes;
        },
        {} };
    EnumPicker<Quality> picker(binding, qualityRow);
    ASSERT_EQ(picker.count(), 4);
    EXPECT_EQ(picker.currentIndex(), 2);
    EXPECT_EQ(writes, 0);
    picker.setCurrentIndex(1);
    EXPECT_EQ(stored, Quality::medium);
    EXPECT_EQ(writes, 1);

    // Icon-only rows keep their titles for accessibility.
    picker.setIconOnly(true);
    EXPECT_TRUE(picker.itemText(1).isEmpty());
    EXPECT_EQ(picker.itemData(1, Qt::AccessibleTextRole).toString(), QStringLiteral("Medium"));
    EXPECT_EQ(picker.itemData(1, Qt::ToolTipRole).toString(), QStringLiteral("Medium"));
    picker.setIconOnly(false);
    EXPECT_EQ(picker.itemText(1), QStringLiteral("Medium"));

    // A case index takes the first of equal cases and ignores bad positions.
    int number = 7;
    const Binding<int> index = caseIndex(Binding<int>::over(number), std::vector<int> { 3, 7, 7, 9 });
    EXPECT_EQ(index.value(), 1);
    index.setValue(3);
    EXPECT_EQ(number, 9);
    index.setValue(4);
    index.setValue(-1);
    EXPECT_EQ(number, 9);
    number = 42;
    EXPECT_EQ(index.value(), -1);
}

// Following an accessor is checked where the settings screen follows its stored settings.
TEST(EnumPickerTest, RefreshRereadsAPlainBindingAndLeavesAValueOutsideTheCasesAlone)
{
    Quality stored = Quality::low;
    EnumPicker<Quality> picker(Binding<Quality>::over(stored), qualityRow);
    stored = Quality::best;
    EXPECT_EQ(picker.currentIndex(), 0);
    picker.refresh();
    EXPECT_EQ(picker.currentIndex(), 3);
    // A value outside the cases shows no choice and is not overwritten.
    stored = static_cast<Quality>(17);
    picker.refresh();
    EXPECT_EQ(picker.currentIndex(), -1);
    EXPECT_EQ(stored, static_cast<Quality>(17));
}

// Each row is its case wherever it stands: with the rows sorted by title, a row still writes its
// own case, and the selection follows the case, also back from icons only.
TEST(EnumPickerTest, ARowStaysItsCaseWhereverItStands)
{
    Quality stored = Quality::low;
    EnumPicker<Quality> picker(Binding<Quality>::over(stored), qualityRow);
    picker.model()->sort(0);
    picker.setIconOnly(true);
    picker.setIconOnly(false);
    ASSERT_EQ(picker.itemText(0), QStringLiteral("Best"));
    picker.setCurrentIndex(0);
    EXPECT_EQ(stored, Quality::best);
    stored = Quality::medium;
    picker.refresh();
    EXPECT_EQ(picker.currentText(), QStringLiteral("Medium"));
}

class QuitButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FoundationHooks::setAppName(QStringLiteral("Recorder"));
        FoundationHooks::setTerminate([this] { ++terminations; });
    }
    void TearDown() override
    {
        FoundationHooks::setAppName({});
        FoundationHooks::setTerminate({});
    }
    int terminations = 0;
};

TEST_F(QuitButtonTest, PressOrControlQInItsWindowAsksToQuitOnTheNextTurn)
{
    EXPECT_EQ(Buttons::Quit(false).text(), QStringLiteral("Quit"));
    QWidget window;
    auto *button = new Buttons::Quit(true, &window);
    EXPECT_EQ(button->text(), QStringLiteral("Quit Recorder"));
    button->click();
    EXPECT_EQ(terminations, 0);
    ASSERT_TRUE(processEventsUntil([&] { return terminations == 1; }));

    window.show();
    window.activateWindow();
    ASSERT_TRUE(processEventsUntil([&] { return QApplication::activeWindow() == &window; }));
    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(processEventsUntil([&] { return terminations == 2; }));
}

TEST(TextStyleTest, SecondaryTextIsSmallerAndDimmedFollowsTheUsersSizeAndLabelsArePlain)
{
    QWidget container;
    auto *plain = new QLabel(QStringLiteral("plain"), &container);
    auto *own = new QLabel(QStringLiteral("own"), &container);
    QFont ownFont = own->font();
    ownFont.setPointSizeF(30);
    own->setFont(ownFont);
    const QColor primary = container.palette().color(QPalette::Active, QPalette::WindowText);
    applySecondaryTextStyle(&container, TextStyle::smallSystemFontSize());
    EXPECT_DOUBLE_EQ(plain->font().pointSizeF(), TextStyle::smallSystemFontSize());
    EXPECT_DOUBLE_EQ(own->font().pointSizeF(), 30);
    const QColor secondary = plain->palette().color(QPalette::Active, QPalette::WindowText);
    EXPECT_EQ(secondary.rgb(), primary.rgb());
    EXPECT_LT(secondary.alphaF(), primary.alphaF());
    QLabel standard(QStringLiteral("standard"));
    applySecondaryTextStyle(&standard);
    EXPECT_DOUBLE_EQ(standard.font().pointSizeF(), TextStyle::systemFontSize());

    const QFont original = QApplication::font();
    QFont base = original;
    base.setPointSizeF(10);
    QApplication::setFont(base);
    QLabel label(QStringLiteral("Explanation"));
    applySecondaryTextStyle(&label, 8);
    EXPECT_DOUBLE_EQ(label.font().pointSizeF(), 8);
    base.setPointSizeF(15);
    QApplication::setFont(base);
    EXPECT_DOUBLE_EQ(label.font().pointSizeF(), 12);
    QApplication::setFont(original);

    // A label's text is plain and, disabled, in the secondary colour.
    CocoaLabel cocoa(QStringLiteral("<i>plain</i>"));
    const QColor labelPrimary = cocoa.palette().color(QPalette::Active, QPalette::WindowText);
    cocoa.setEnabled(false);
    EXPECT_EQ(cocoa.palette().color(QPalette::Disabled, QPalette::WindowText),
        TextStyle::secondaryColor(labelPrimary));
    cocoa.setEnabled(true);
    EXPECT_EQ(cocoa.palette().color(QPalette::Active, QPalette::WindowText), labelPrimary);
    EXPECT_EQ(cocoa.textFormat(), Qt::PlainText);

    // No text is no label; any text, even empty, is shown as it stands.
    EXPECT_EQ(optionalText(std::nullopt), nullptr);
    EXPECT_NE(optionalText(QString()), nullptr);
    const auto markup = optionalText(QStringLiteral("<b>100%</b> &Save %1"));
    EXPECT_EQ(markup->textFormat(), Qt::PlainText);
    EXPECT_EQ(markup->text(), QStringLiteral("<b>100%</b> &Save %1"));
}

bool isSecondaryOf(const QWidget &widget, const QPalette &palette)
{
    for (const auto group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        for (const auto role : { QPalette::WindowText, QPalette::Text }) {
            if (widget.palette().color(group, role)
                != TextStyle::secondaryColor(palette.color(group, role))) {
                return false;
            }
        }
    }
    return true;
}

// A light/dark switch reaches the widgets as a new palette, of the application or of a parent.
// Labels follow it too, in the text colour while enabled and dimmed while disabled.
TEST(TextStyleTest, SecondaryColourAndLabelsFollowPaletteChangesAndTheStyleIsAppliedOnce)
{
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    dark.setColor(QPalette::WindowText, QColor(235, 235, 235));
    dark.setColor(QPalette::Text, QColor(220, 220, 220));
    for (const auto &[parented, byParent] : { std::pair { false, false }, { true, false }, { true, true } }) {
        SCOPED_TRACE(testing::Message() << "parented " << parented << ", by the parent " << byParent);
        QWidget container;
        QLabel loose;
        QLabel *label = parented ? new QLabel(&container) : &loose;
        CocoaLabel looseLabels[2];
        CocoaLabel *labels[] = { parented ? new CocoaLabel({}, &container) : &looseLabels[0],
            parented ? new CocoaLabel({}, &container) : &looseLabels[1] };
        labels[1]->setEnabled(false);
        const auto follows = [&](const QPalette &palette) {
            const QColor text = palette.color(QPalette::Active, QPalette::WindowText);
            return isSecondaryOf(*label, palette)
                && labels[0]->palette().color(QPalette::Active, QPalette::WindowText) == text
                && labels[1]->palette().color(QPalette::Active, QPalette::WindowText)
                == TextStyle::secondaryColor(text);
        };
        applySecondaryTextStyle(label, TextStyle::smallSystemFontSize());
        applySecondaryTextStyle(label, TextStyle::smallSystemFontSize());
        EXPECT_TRUE(isSecondaryOf(*label, light)) << "applied twice, dimmed once";

        byParent ? container.setPalette(dark) : QApplication::setPalette(dark);
        EXPECT_TRUE(processEventsUntil([&] { return follows(dark); }, std::chrono::seconds(1)));
        EXPECT_EQ(label->palette().color(QPalette::Window), dark.color(QPalette::Window));
        QApplication::setPalette(light);
        container.setPalette(QPalette());
        EXPECT_TRUE(processEventsUntil([&] { return follows(light); }, std::chrono::seconds(1)));
    }
}

TEST(UrlIconTest, MissingFileStillHasAnIconHiddenFromAccessibility)
{
    UrlIcon missing(QUrl::fromLocalFile(QStringLiteral("/nonexistent/gone.m4a")));
    EXPECT_FALSE(missing.icon().isNull());
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&missing);
    ASSERT_NE(accessible, nullptr);
    EXPECT_TRUE(accessible->state().invisible);
}

TEST(StaticToolbarTest, ItemsKeepTheirOrderAndUnknownIdentifiersHaveNone)
{
    QToolBar bar;
    auto *record = new QAction(QStringLiteral("Record"));
    auto *stop = new QAction(QStringLiteral("Stop"));
    const StaticToolbar toolbar(&bar, { { "record", record }, { "stop", stop }, { "record", stop } });
    EXPECT_EQ(toolbar.itemIdentifiers(), (QList<QString> { "record", "stop" }));
    EXPECT_EQ(toolbar.item(QStringLiteral("stop")), stop);
    EXPECT_EQ(toolbar.item(QStringLiteral("pause")), nullptr);
    EXPECT_EQ(bar.actions(), (QList<QAction *> { record, stop }));
}

TEST(TrackingAreaTest, ReportsThePointerOnlyInsideItsRectangle)
{
    QWidget view;
    view.resize(100, 100);
    std::vector<QString> seen;
    auto move = [&](int x, int y) {
        QMouseEvent event(QEvent::MouseMove, QPointF(x, y), QPointF(x, y), Qt::NoButton, {}, {});
        QApplication::sendEvent(&view, &event);
    };
    {
        TrackingArea area(&view, QRect(10, 10, 20, 20));
        QObject::connect(&area, &TrackingArea::entered, [&] { seen.push_back("entered"); });
        QObject::connect(&area, &TrackingArea::moved,
            [&](QPoint p) { seen.push_back(QStringLiteral("moved %1").arg(p.x())); });
        QObject::connect(&area, &TrackingArea::exited, [&] { seen.push_back("exited"); });
        for (const int x : { 5, 15, 20, 50, 12 }) {
            move(x, 15);
        }
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&view, &leave);
    }
    move(15, 15);
    EXPECT_EQ(seen,
        (std::vector<QString> {
            "entered", "moved 15", "moved 20", "exited", "entered", "moved 12", "exited" }));
}

TEST(ActionTrampolineTest, PassesTheCausingEventOrASyntheticClickAndKeepsOneClosure)
{
    QPushButton button(QStringLiteral("Go"));
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
    int earlierCalls = 0;
    ActionTrampoline::attach(&button, [&](const QEvent &) { ++earlierCalls; });
    std::vector<QEvent::Type> types;
    ActionTrampoline::attach(&button, [&](const QEvent &event) { types.push_back(event.type()); });
    QTest::mouseClick(&button, Qt::LeftButton);
    button.click();
    EXPECT_EQ(types, (std::vector<QEvent::Type> { QEvent::MouseButtonRelease, QEvent::MouseButtonPress }));
    EXPECT_EQ(earlierCalls, 0);

    // The synthetic click is a left click at the origin, stamped with the raw monotonic clock.
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC_RAW, &now);
    const quint64 before = quint64(now.tv_sec) * 1000 + quint64(now.tv_nsec) / 1'000'000;
    const auto event = syntheticMouseEvent(QEvent::MouseButtonPress);
    EXPECT_EQ(event->position(), QPointF(0, 0));
    EXPECT_EQ(event->button(), Qt::LeftButton);
    EXPECT_GE(event->timestamp(), before);
    EXPECT_LT(event->timestamp(), before + 1000);
    QAction action;
    bool triggered = false;
    ActionTrampoline::attach(
        &action, [&](const QEvent &e) { triggered = e.type() == QEvent::MouseButtonPress; });
    action.trigger();
    EXPECT_TRUE(triggered);
}

TEST(ActionTrampolineTest, InputThatTriggeredNothingIsNotHandedToALaterClickFromCode)
{
    QPushButton button(QStringLiteral("Go"));
    button.resize(80, 30);
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
    std::vector<QEvent::Type> types;
    ActionTrampoline::attach(&button, [&](const QEvent &event) { types.push_back(event.type()); });
    QTest::keyClick(&button, Qt::Key_A); // a key that does not press
    TestSupport::processEventsFor(std::chrono::milliseconds(10));
    button.click();
    EXPECT_EQ(types, (std::vector<QEvent::Type> { QEvent::MouseButtonPress }));
}

TEST(MacSystemSoundTest, StoredAsItsNameAndReadBackOnlyFromAnExactName)
{
    for (const MacSystemSound &sound : MacSystemSound::allCases()) {
        EXPECT_EQ(MacSystemSound::fromRawValue(sound.rawValue()), sound);
    }
    EXPECT_FALSE(MacSystemSound::fromRawValue(QString()).has_value());
    EXPECT_EQ(Defaults::toSerializable(MacSystemSound(MacSystemSound::basso)), PropertyValue("Basso"));
    EXPECT_EQ(Defaults::toValue<MacSystemSound>(PropertyValue("Tink")), MacSystemSound(MacSystemSound::tink));
    EXPECT_EQ(Defaults::toValue<MacSystemSound>(PropertyValue("basso")), std::nullopt);
    EXPECT_EQ(Defaults::toValue<MacSystemSound>(PropertyValue(7)), std::nullopt);
}

TEST(FontHelpersTest, BoldDropsTheSlantAndKeepsSizeAndDigitsAndTraitsFollowTheirScales)
{
    QFont font = QApplication::font();
    font.setPointSizeF(17);
    font.setItalic(true);
    const QFont bold = boldFont(font);
    EXPECT_EQ(bold.weight(), QFont::Bold);
    EXPECT_FALSE(bold.italic());
    EXPECT_DOUBLE_EQ(bold.pointSizeF(), 17);
    EXPECT_EQ(bold.family(), font.family());
    const TextFont boldDigits = boldFont(TextFont(font).monospacedDigit());
    EXPECT_TRUE(boldDigits.hasMonospacedDigits());
    EXPECT_EQ(boldDigits.font().weight(), QFont::Bold);

    for (const auto &[weight, stretch, weightTrait, widthTrait] :
        std::vector<std::tuple<int, int, double, double>> { { QFont::Normal, QFont::Unstretched, 0, 0 },
            { QFont::Bold, QFont::AnyStretch, 0.4, 0 }, { QFont::Thin, QFont::Condensed, -0.8, -0.25 },
            { 450, QFont::Expanded, 0.115, 0.25 }, { 1000, QFont::UltraExpanded, 0.62, 1 } }) {
        font.setWeight(static_cast<QFont::Weight>(weight));
        font.setStretch(stretch);
        EXPECT_NEAR(fontTraits(font).weight, weightTrait, 1e-9) << weight;
        EXPECT_NEAR(fontTraits(font).width, widthTrait, 1e-9) << stretch;
    }
}

} // namespace
