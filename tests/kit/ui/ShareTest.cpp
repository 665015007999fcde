#include "kit/foundation/files/BookmarkData.h"
#include "kit/foundation/files/SecurityScopedBookmarkManager.h"
#include "kit/ui/SaveImageSharingService.h"
#include "kit/ui/ShareMenu.h"
#include "kit/ui/ShareMenuItem.h"
#include "kit/ui/ShareableImage.h"
#include "platform/desktop/ShareServices.h"

#include "EventLoop.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class RecordingService : public KwSharingService
{
public:
    RecordingService(QString title, bool able)
        : KwSharingService(std::move(title), QIcon())
        , m_able(able)
    { }
    bool canPerform(const QVariantList &) const override { return m_able; }
    void perform(const QVariantList &items) override { performed.append(items); }

    QList<QVariantList> performed;

private:
    bool m_able;
};

struct Text : ShareItemConvertible
{
    QString text;
    explicit Text(QString t)
        : text(std::move(t))
    { }
    QVariant shareItem() const override { return text; }
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
        for (QAction *action : menu.actions()) {
            if (action->text() == title) {
                return action;
            }
        }
        return nullptr;
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
    EXPECT_EQ(menu.title(), QStringLiteral("Share"));

    menu.menuNeedsUpdate();
    EXPECT_EQ(entries(menu), QStringList { QStringLiteral("-") });

    const QUrl file = QUrl::fromLocalFile(QStringLiteral("/tmp/take.m4a"));
    ShareMenu::shareItemsProvider = [file] { return QVariantList { file }; };
    menu.menuNeedsUpdate();
    EXPECT_EQ(entries(menu),
        (QStringList { QStringLiteral("-"), QStringLiteral("Own"), QStringLiteral("-"),
            QStringLiteral("Desktop files") }));

    // Desktop services take URLs only.
    ShareMenu::shareItemsProvider = [] { return QVariantList { QStringLiteral("text") }; };
    menu.menuNeedsUpdate();
    EXPECT_EQ(entries(menu), (QStringList { QStringLiteral("-"), QStringLiteral("Own") }));
}

TEST_F(ShareMenuTest, ChoosingAServiceSharesTheBuiltItemsOnce)
{
    ShareMenu::customServicesProvider = [this] { return QList<SharingServicePtr> { m_able }; };
    ShareMenu::shareItemsProvider = [] { return QVariantList { QStringLiteral("from items") }; };
    ShareMenu::itemConverterProvider = [] {
        return QList<std::shared_ptr<const ShareItemConvertible>> { std::make_shared<Text>(
            QStringLiteral("converted")) };
    };
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
    ASSERT_EQ(before, (QStringList { QStringLiteral("-"), QStringLiteral("Own") }));

    ShareMenu::shareItemsProvider = {};
    item.setEnabled(false);
    item.shareMenu()->menuNeedsUpdate();
    EXPECT_EQ(entries(*item.shareMenu()), before);
    item.setEnabled(true);
    item.shareMenu()->menuNeedsUpdate();
    EXPECT_EQ(entries(*item.shareMenu()), QStringList { QStringLiteral("-") });
}

class SaveImageTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // The standard database lives in the configuration home of its first use, for the process.
        static QTemporaryDir configHome;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    }
    void SetUp() override
    {
        const QUrl directory = QUrl::fromLocalFile(m_dir.path() + u'/');
        SecurityScopedBookmarkManager::updateBookmark(BookmarkData::create(directory), directory);
    }

    static QImage image(int size)
    {
        QImage result(size, size, QImage::Format_RGB32);
        result.fill(Qt::green);
        return result;
    }

    QTemporaryDir m_dir;
};

TEST_F(SaveImageTest, TakesOnlyItemsWithAnImage)
{
    SaveImageSharingService service(QStringLiteral("Save"), QIcon(), QUrl::fromLocalFile(m_dir.path()));
    EXPECT_FALSE(service.canPerform({}));
    EXPECT_FALSE(service.canPerform({ QStringLiteral("text"), QUrl(QStringLiteral("file:///a")) }));
    EXPECT_TRUE(service.canPerform({ QStringLiteral("text"), image(4) }));
    EXPECT_TRUE(service.canPerform({ QVariant::fromValue(ShareableImage { image(4), std::nullopt }) }));
}

TEST_F(SaveImageTest, SavesTheFirstImageAsPngInTheDestination)
{
    SaveImageSharingService service(QStringLiteral("Save"), QIcon(), QUrl::fromLocalFile(m_dir.path()));
    service.perform({ QStringLiteral("text"), image(8), image(16) });
    const QString plain = m_dir.filePath(QStringLiteral("Image.png"));
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return QFile::exists(plain); }));
    EXPECT_EQ(QImage(plain).size(), QSize(8, 8));

    service.imageTitle = [] { return QStringLiteral("Chart"); };
    service.perform(
        { QVariant::fromValue(ShareableImage { image(10), ShareableImage::Capture { 144, false } }) });
    const QString titled = m_dir.filePath(QStringLiteral("Chart.png"));
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return QFile::exists(titled); }));
    EXPECT_EQ(std::lround(QImage(titled).dotsPerMeterX() * 0.0254), 144);
}

} // namespace
