#include "kit/foundation/system/FoundationHooks.h"
#include "kit/ui/Buttons.h"
#include "kit/ui/EnumPicker.h"
#include "kit/ui/FontHelpers.h"
#include "kit/ui/SecondaryTextStyle.h"
#include "kit/ui/UrlIcon.h"

#include "EventLoop.h"
#include "platform/events/CurrentValueSubject.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

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
    EXPECT_EQ(picker.itemText(0), QStringLiteral("Low"));
    EXPECT_EQ(picker.itemText(3), QStringLiteral("Best"));
    EXPECT_EQ(picker.currentIndex(), 2);
    EXPECT_EQ(writes, 0);
    picker.setCurrentIndex(1);
    EXPECT_EQ(stored, Quality::medium);
    EXPECT_EQ(writes, 1);
}

TEST(EnumPickerTest, IconOnlyRowsKeepTheirTitlesForAccessibility)
{
    Quality stored = Quality::low;
    EnumPicker<Quality> picker(Binding<Quality>::over(stored), qualityRow);
    picker.setIconOnly(true);
    EXPECT_TRUE(picker.itemText(1).isEmpty());
    EXPECT_EQ(picker.itemData(1, Qt::AccessibleTextRole).toString(), QStringLiteral("Medium"));
    EXPECT_EQ(picker.itemData(1, Qt::ToolTipRole).toString(), QStringLiteral("Medium"));
    picker.setIconOnly(false);
    EXPECT_EQ(picker.itemText(1), QStringLiteral("Medium"));
}

// Shaped like a preference's accessor: a value, a setter and a publisher of changes.
class QualityAccessor
{
public:
    Quality value() const { return m_subject->value(); }
    void setValue(const Quality &quality) const { m_subject->send(quality); }
    Events::AnyPublisher<Quality> publisher() const { return m_subject->eraseToAnyPublisher(); }

private:
    std::shared_ptr<Events::CurrentValueSubject<Quality>> m_subject
        = std::make_shared<Events::CurrentValueSubject<Quality>>(Quality::medium);
};

TEST(EnumPickerTest, FollowsAnAccessorOnTheGuiThread)
{
    QualityAccessor accessor;
    EnumPicker<Quality> picker(bindingFrom(accessor), qualityRow);
    EXPECT_EQ(picker.currentIndex(), 1);
    picker.setCurrentIndex(2);
    EXPECT_EQ(accessor.value(), Quality::high);
    accessor.setValue(Quality::best);
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return picker.currentIndex() == 3; }));
}

TEST(EnumPickerTest, RefreshRereadsABindingThatCannotTell)
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

TEST(EnumPickerTest, CaseIndexTakesTheFirstEqualCaseAndIgnoresBadPositions)
{
    int stored = 7;
    // Two cases that compare equal: the first one's position is the answer.
    const Binding<int> index = caseIndex(Binding<int>::over(stored), std::vector<int> { 3, 7, 7, 9 });
    EXPECT_EQ(index.value(), 1);
    index.setValue(3);
    EXPECT_EQ(stored, 9);
    index.setValue(4);
    index.setValue(-1);
    EXPECT_EQ(stored, 9);
    stored = 42;
    EXPECT_EQ(index.value(), -1);
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

TEST_F(QuitButtonTest, PressAsksToQuitOnTheNextTurn)
{
    EXPECT_EQ(Buttons::Quit(true).text(), QStringLiteral("Quit Recorder"));
    Buttons::Quit button(false);
    EXPECT_EQ(button.text(), QStringLiteral("Quit"));
    button.click();
    EXPECT_EQ(terminations, 0);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return terminations == 1; }));
}

TEST_F(QuitButtonTest, ControlQInItsWindowPressesIt)
{
    QWidget window;
    auto *button = new Buttons::Quit(true, &window);
    window.show();
    window.activateWindow();
    bool pressed = false;
    QObject::connect(button, &QPushButton::clicked, [&] { pressed = true; });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return QApplication::activeWindow() == &window; }));
    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
    TestSupport::processEventsUntil([&] { return terminations == 1; });
    EXPECT_TRUE(pressed);
    EXPECT_EQ(terminations, 1);
}

TEST(CloseOrClearButtonTest, BorderlessIconButtonRunsItsAction)
{
    int runs = 0;
    CloseOrClearButton button(QStringLiteral("Clear 100%"), [&] { ++runs; });
    EXPECT_FALSE(button.icon().isNull());
    EXPECT_EQ(button.accessibleName(), QStringLiteral("Clear 100%"));
    button.click();
    EXPECT_EQ(runs, 1);
}

TEST(SecondaryTextStyleTest, SmallerDimmedTextKeepingAChildsOwnFont)
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
    EXPECT_LT(TextStyle::smallSystemFontSize(), TextStyle::systemFontSize());
    EXPECT_DOUBLE_EQ(own->font().pointSizeF(), 30);
    const QColor secondary = plain->palette().color(QPalette::Active, QPalette::WindowText);
    EXPECT_EQ(secondary.rgb(), primary.rgb());
    EXPECT_LT(secondary.alphaF(), primary.alphaF());

    QLabel standard(QStringLiteral("standard"));
    applySecondaryTextStyle(&standard);
    EXPECT_DOUBLE_EQ(standard.font().pointSizeF(), TextStyle::systemFontSize());
}

TEST(UrlIconTest, ShowsTheIconOfFilesAndFolders)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    UrlIcon folder(QUrl::fromLocalFile(directory.path()));
    EXPECT_FALSE(folder.icon().isNull());
    EXPECT_EQ(folder.focusPolicy(), Qt::NoFocus);

    UrlIcon missing(QUrl::fromLocalFile(directory.filePath(QStringLiteral("gone.m4a"))));
    EXPECT_FALSE(missing.icon().isNull());
    missing.resize(64, 16);
    // Drawing a non-square space must not crash or crop; it paints.
    QImage image(64, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    missing.render(&image);
}

TEST(FontHelpersTest, BoldDropsTheSlantAndKeepsSizeAndDigits)
{
    QFont font = QApplication::font();
    font.setPointSizeF(17);
    font.setItalic(true);
    const QFont bold = boldFont(font);
    EXPECT_EQ(bold.weight(), QFont::Bold);
    EXPECT_FALSE(bold.italic());
    EXPECT_DOUBLE_EQ(bold.pointSizeF(), 17);
    EXPECT_EQ(bold.family(), font.family());

    const TextFont digits = TextFont(font).monospacedDigit();
    const TextFont boldDigits = boldFont(digits);
    EXPECT_TRUE(boldDigits.hasMonospacedDigits());
    EXPECT_EQ(boldDigits.font().weight(), QFont::Bold);
}

} // namespace

TEST(FontTraitsTest, WeightAndWidthOnTheirScales)
{
    struct Case
    {
        int weight;
        int stretch;
        double weightTrait;
        double widthTrait;
    };
    const Case cases[] = {
        { QFont::Normal, QFont::Unstretched, 0, 0 },
        { QFont::Bold, QFont::AnyStretch, 0.4, 0 },
        { QFont::Thin, QFont::Condensed, -0.8, -0.25 },
        { 450, QFont::Expanded, 0.115, 0.25 },
        { 1000, QFont::UltraExpanded, 0.62, 1 },
    };
    for (const Case &c : cases) {
        QFont font;
        font.setWeight(static_cast<QFont::Weight>(c.weight));
        font.setStretch(c.stretch);
        const FontTraits traits = fontTraits(font);
        EXPECT_NEAR(traits.weight, c.weightTrait, 1e-9) << c.weight;
        EXPECT_NEAR(traits.width, c.widthTrait, 1e-9) << c.stretch;
    }
}
