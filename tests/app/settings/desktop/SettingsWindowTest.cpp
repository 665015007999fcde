#include "app/SettingsKeys.h"
#include "app/settings/SettingsScreen.h"
#include "preferences/Defaults.h"

#include "DesktopTest.h"
#include "EventLoop.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Every text on the page that its widget cannot show whole.
QStringList cutOffTexts(const QWidget *page)
{
    QStringList cut;
    for (const QWidget *widget : page->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(page)) {
            continue;
        }
        const QRect room = widget->contentsRect();
        if (const auto *label = qobject_cast<const QLabel *>(widget); label && !label->text().isEmpty()) {
            // A wrapping label is cut too where a word is wider than its room.
            const bool fits = label->wordWrap() ? label->heightForWidth(room.width()) <= room.height()
                    && label->minimumSizeHint().width() <= widget->width()
                                                : label->sizeHint().width() <= widget->width();
            if (!fits) {
                cut.append(label->text());
            }
        } else if (const auto *button = qobject_cast<const QAbstractButton *>(widget)) {
            if (button->sizeHint().width() > button->width()
                || button->sizeHint().height() > button->height()) {
                cut.append(button->text());
            }
        } else if (const auto *field = qobject_cast<const QLineEdit *>(widget)) {
            if (field->fontMetrics().horizontalAdvance(field->placeholderText()) > room.width()) {
                cut.append(field->placeholderText());
            }
        }
    }
    return cut;
}

using SettingsWindowTest = TestSupport::DesktopTest;

TEST_F(SettingsWindowTest, EachTabShowsWholeInAWindow460Wide)
{
    // The longest prefix, without a space to break its preview's lines at.
    Defaults::set(SettingsKeys::filenamePrefix(), std::optional(std::string(80, 'x')));
    SettingsScreen *screen = SettingsScreen::show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(screen));
    QTabBar *tabs = screen->tabBar();
    for (int tab = 0; tab < tabs->count(); ++tab) {
        SCOPED_TRACE(tabs->tabText(tab).toStdString());
        tabs->setCurrentIndex(tab);
        TestSupport::processEventsFor(std::chrono::milliseconds(300));

        const QPixmap shot = screen->screen()->grabWindow(screen->winId());
        EXPECT_EQ(shot.width(), 460);
        EXPECT_EQ(shot.height(), screen->height());
        // As tall as the tab needs: no row is stretched or squeezed.
        const QWidget *page = screen->currentPage();
        EXPECT_EQ(page->height(),
            page->hasHeightForWidth() ? page->heightForWidth(page->width()) : page->sizeHint().height());

        EXPECT_EQ(cutOffTexts(page), QStringList());
        EXPECT_LE(tabs->fontMetrics().horizontalAdvance(tabs->tabText(tab)), tabs->tabRect(tab).width());
    }
    // Closing deletes it once the event loop runs.
    screen->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
