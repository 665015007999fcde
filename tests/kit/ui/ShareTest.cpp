#include "kit/foundation/files/BookmarkData.h"
#include "kit/foundation/files/SecurityScopedBookmarkManager.h"
#include "kit/ui/SaveImageSharingService.h"
#include "kit/ui/ShareMenu.h"
#include "kit/ui/ShareMenuItem.h"
#include "kit/ui/ShareableImage.h"
#include "platform/desktop/ShareServices.h"

#include "EventLoop.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct RecordingService : KwSharingService
{
    RecordingService(QString title, bool able)
        : KwSharingService(std::move(title), QIcon())
        , able(able)
    { }
    bool canPerform(const QVariantList &) const override { return able; }
    void perform(const QVariantList &items) override { performed.append(items); }

    bool able;
    QList<QVariantList> performed;
};

struct Converted : ShareItemConvertible
{
    QVariant shareItem() const override { return QStringLiteral("converted"); }
};

class ShareMenuTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // Registration lasts for the process; a repeated run must not add the service twice.
        static const bool registered = [] {
            ShareServices::registerService({ QStringLiteral("Desktop files"), QIcon(), {}, {} });
            return true;
        }();
        (void)registered;
    }
    void TearDown() override
    {
        ShareMenu::itemConverterProvider = {};
        ShareMenu::shareItemsProvider = {};
        ShareMenu::customServicesProvider = {};
    }

    // Entry titles, "-" for a separator.
    static QStringList entries(const QMenu &menu)
    {
        QStringList result;
        for (const QAction *action : menu.actions()) {
            if (action->isSeparator()) {
                result << QStringLiteral("-");
            } else if (action->text() != QLatin1String("Email")) {
                result << action->text();
            }
        }
        return result;
    }

    static QAction *entry(const QMenu &menu, const QString &title)
    {
        const QList<QAction *> actions = menu.actions();
        const auto found = std::ranges::find(actions, title, &QAction::text);
        return found == actions.end() ? nullptr : *found;
    }

    std::shared_ptr<RecordingService> m_able
        = std::make_shared<RecordingService>(QStringLiteral("Own"), true);
    std::shared_ptr<RecordingService> m_unable
        = std::make_shared<RecordingService>(QStringLiteral("Never"), false);
};

TEST_F(ShareMenuTest, ListsOwnServicesThenTheDesktopsForTheItems)
{
    ShareMenu::customServicesProvider = [this] { return QList<SharingServicePtr> { m_unable, m_able }; };
    ShareMenu menu;
    menu.menuNeedsUpdate();
    EXPECT_EQ(entries(menu), QStringList { QStringLiteral("-") });

    const QUrl file = QUrl::fromLocalFile(QStringLiteral("/tmp/take.m4a"));
    ShareMenu::shareItemsProvider = [file] { return QVariantList { file }; };
    menu.menuNeedsUpdate();
    EXPECT_EQ(entries(menu), (QStringList { "-", "Own", "-", "Desktop files" }));

    // Desktop services take URLs only.
    ShareMenu::shareItemsProvider = [] { return QVariantList { QStringLiteral("text") }; };
    menu.menuNeedsUpdate();
    EXPECT_EQ(entries(menu), (QStringList { "-", "Own" }));
}

TEST_F(ShareMenuTest, ChoosingAServiceSharesTheBuiltItemsOnce)
{
    ShareMenu::customServicesProvider = [this] { return QList<SharingServicePtr> { m_able }; };
    ShareMenu::shareItemsProvider = [] { return QVariantList { QStringLiteral("from items") }; };
    ShareMenu::itemConverterProvider
        = [] { return QList<std::shared_ptr<const ShareItemConvertible>> { std::make_shared<Converted>() }; };
    ShareMenu menu;
    menu.menuNeedsUpdate();
    ASSERT_TRUE(menu.shareItems());
    entry(menu, QStringLiteral("Own"))->trigger();
    ASSERT_EQ(m_able->performed.size(), 1);
    EXPECT_EQ(m_able->performed[0], QVariantList { QStringLiteral("converted") });
    EXPECT_FALSE(menu.shareItems());

    // Chosen again without a new build: the items provider answers.
    entry(menu, QStringLiteral("Own"))->trigger();
    EXPECT_EQ(m_able->performed.value(1), QVariantList { QStringLiteral("from items") });
}

TEST_F(ShareMenuTest, SubmenuOfADisabledEntryKeepsItsEntries)
{
    ShareMenu::customServicesProvider = [this] { return QList<SharingServicePtr> { m_able }; };
    ShareMenu::shareItemsProvider = [] { return QVariantList { QStringLiteral("a") }; };
    QMenu parent;
    ShareMenuItem item;
    parent.addAction(&item);
    item.shareMenu()->menuNeedsUpdate();
    const QStringList before = entries(*item.shareMenu());
    ASSERT_EQ(before, (QStringList { "-", "Own" }));

    ShareMenu::shareItemsProvider = {};
    item.setEnabled(false);
    item.shareMenu()->menuNeedsUpdate();
    EXPECT_EQ(entries(*item.shareMenu()), before);
    item.setEnabled(true);
    item.shareMenu()->menuNeedsUpdate();
    EXPECT_EQ(entries(*item.shareMenu()), QStringList { QStringLiteral("-") });
}

QImage greenImage(int size)
{
    QImage result(size, size, QImage::Format_RGB32);
    result.fill(Qt::green);
    return result;
}

TEST(SaveImageTest, SavesTheFirstImageAsPngInTheDestination)
{
    QTemporaryDir dir;
    const QUrl directory = QUrl::fromLocalFile(dir.path() + u'/');
    SecurityScopedBookmarkManager::updateBookmark(BookmarkData::create(directory), directory);

    SaveImageSharingService service(QStringLiteral("Save"), QIcon(), QUrl::fromLocalFile(dir.path()));
    EXPECT_FALSE(service.canPerform({}));
    EXPECT_FALSE(service.canPerform({ QStringLiteral("text"), QUrl(QStringLiteral("file:///a")) }));
    EXPECT_TRUE(service.canPerform({ QVariant::fromValue(ShareableImage { greenImage(4), std::nullopt }) }));
    service.perform({ QStringLiteral("text"), greenImage(8), greenImage(16) });
    const QString plain = dir.filePath(QStringLiteral("Image.png"));
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return QFile::exists(plain); }));
    EXPECT_EQ(QImage(plain).size(), QSize(8, 8));

    service.imageTitle = [] { return QStringLiteral("Chart"); };
    service.perform(
        { QVariant::fromValue(ShareableImage { greenImage(10), ShareableImage::Capture { 144, false } }) });
    const QString titled = dir.filePath(QStringLiteral("Chart.png"));
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return QFile::exists(titled); }));
    EXPECT_EQ(std::lround(QImage(titled).dotsPerMeterX() * 0.0254), 144);
}

} // namespace
