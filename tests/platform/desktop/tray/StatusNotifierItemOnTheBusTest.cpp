#include "DesktopTest.h"
#include "EventLoop.h"

#include "platform/desktop/DBusMenuExporter.h"
#include "platform/desktop/StatusNotifierItem.h"
#include "platform/desktop/StatusPictures.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QIconEngine>
#include <QMenu>
#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// A black square that an icon theme knows by name.
class NamedSquare : public QIconEngine
{
public:
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override
    {
        painter->fillRect(rect, Qt::black);
    }
    QIconEngine *clone() const override { return new NamedSquare; }
    QString iconName() override { return QStringLiteral("tapewick-square-symbolic"); }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return { QSize(16, 16) }; }
};

// A panel's watcher, which items register with: it counts their registrations.
class Watcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")

public:
    QStringList registered;

public slots:
    void RegisterStatusNotifierItem(const QString &service) { registered << service; }
};

// A panel on a connection of its own, calling and listening as panels do.
class Panel : public QObject
{
    Q_OBJECT

public:
    explicit Panel(QString service)
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("panel")))
        , m_service(std::move(service))
    {
        qDBusRegisterMetaType<DBusMenuLayoutItem>();
        for (const auto &[path, interface, signal, slot] :
            { std::tuple { "/MenuBar", "com.canonical.dbusmenu", "LayoutUpdated", SLOT(layoutUpdated()) },
                std::tuple { "/MenuBar", "com.canonical.dbusmenu", "ItemsPropertiesUpdated",
                    SLOT(propertiesUpdated()) },
                std::tuple {
                    "/StatusNotifierItem", "org.kde.StatusNotifierItem", "NewIcon", SLOT(newIcon()) },
                std::tuple { "/StatusNotifierItem", "org.kde.StatusNotifierItem", "XAyatanaNewLabel",
                    SLOT(newLabel(QString, QString)) } }) {
            EXPECT_TRUE(m_bus.connect(
                m_service, QLatin1String(path), QLatin1String(interface), QLatin1String(signal), this, slot))
                << signal;
        }
    }
    ~Panel() override { QDBusConnection::disconnectFromBus(QStringLiteral("panel")); }

    QDBusMessage call(
        const QString &path, const QString &interface, const QString &method, const QVariantList &arguments)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(m_service, path, interface, method);
        message.setArguments(arguments);
        // The exporter answers on this thread: its events run while the panel waits.
        return m_bus.call(message, QDBus::BlockWithGui, 5000);
    }
    QDBusMessage menu(const QString &method, const QVariantList &arguments)
    {
        return call(QStringLiteral("/MenuBar"), QStringLiteral("com.canonical.dbusmenu"), method, arguments);
    }
    QVariant item(const QString &property)
    {
        return call(QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"), { QStringLiteral("org.kde.StatusNotifierItem"), property })
            .arguments()
            .value(0)
            .value<QDBusVariant>()
            .variant();
    }
    // The labels of the root's entries, and their ids.
    std::vector<std::pair<QString, int>> entries()
    {
        const QDBusMessage reply = menu(QStringLiteral("GetLayout"), { 0, -1, QStringList() });
        DBusMenuLayoutItem root;
        reply.arguments().value(1).value<QDBusArgument>() >> root;
        std::vector<std::pair<QString, int>> entries;
        for (const DBusMenuLayoutItem &child : root.children) {
            entries.emplace_back(child.properties.value(QStringLiteral("label")).toString(), child.id);
        }
        return entries;
    }
    int idOf(const QString &label)
    {
        for (const auto &[text, id] : entries()) {
            if (text == label) {
                return id;
            }
        }
        return -1;
    }
    // Starts (or starts again) the watcher on the panel's connection.
    bool startWatcher(Watcher &watcher)
    {
        m_bus.registerObject(
            QStringLiteral("/StatusNotifierWatcher"), &watcher, QDBusConnection::ExportAllSlots);
        return m_bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
    }
    void stopWatcher()
    {
        m_bus.unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher"));
        m_bus.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
    }

    void event(int id, const QString &name)
    {
        menu(QStringLiteral("Event"), { id, name, QVariant::fromValue(QDBusVariant(QString())), 0u });
    }

    int layoutUpdates = 0;
    int propertyUpdates = 0;
    int iconUpdates = 0;
    QStringList labels;

public slots:
    void layoutUpdated() { ++layoutUpdates; }
    void propertiesUpdated() { ++propertyUpdates; }
    void newIcon() { ++iconUpdates; }
    void newLabel(const QString &label, const QString &guide) { labels << label + u'|' + guide; }

private:
    QDBusConnection m_bus;
    QString m_service;
};

class StatusNotifierItemOnTheBusTest : public TestSupport::DesktopTest
{
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        // Filled each time it opens, as the status menu is; "Record" has a submenu filled as it opens.
        QObject::connect(&menu, &QMenu::aboutToShow, [this] {
            ++opened;
            menu.clear();
            QObject::connect(menu.addAction(QStringLiteral("Record")), &QAction::triggered, [this] {
                chosenWhileOpen = open;
                ++chosen;
            });
            menu.addSeparator();
            QAction *more = menu.addAction(QStringLiteral("More"));
            more->setMenu(&submenu);
        });
        QObject::connect(&menu, &QMenu::aboutToHide, [this] { ++closed; });
        QObject::connect(&submenu, &QMenu::aboutToShow, [this] {
            if (submenu.isEmpty()) {
                submenu.addAction(QStringLiteral("Help"));
            }
        });
        item.setMenu(&menu);
        panel.emplace(item.serviceName());
    }

    int opened = 0;
    int closed = 0;
    int chosen = 0;
    bool open = false;
    bool chosenWhileOpen = false;
    QMenu menu;
    QMenu submenu;
    StatusNotifierItem item;
    std::optional<Panel> panel;
};

TEST_F(StatusNotifierItemOnTheBusTest, TheMenuFillsWhenThePanelOpensItAndAChoiceRunsAfterItCloses)
{
    QObject::connect(&menu, &QMenu::aboutToShow, [this] { open = true; });
    QObject::connect(&menu, &QMenu::aboutToHide, [this] { open = false; });

    // Opening: filled once, the layout change announced, the entries there at once.
    const QDBusMessage shown = panel->menu(QStringLiteral("AboutToShow"), { 0 });
    EXPECT_TRUE(shown.arguments().value(0).toBool()) << "the rebuild needs the panel to read it again";
    panel->event(0, QStringLiteral("opened"));
    EXPECT_EQ(opened, 1) << "opened twice";
    const std::vector<std::pair<QString, int>> entries = panel->entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].first, QStringLiteral("Record"));
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return panel->layoutUpdates == 1; }));

    // A lazy submenu is filled when the panel opens it.
    const int more = panel->idOf(QStringLiteral("More"));
    const QDBusMessage moreShown = panel->menu(QStringLiteral("AboutToShow"), { more });
    EXPECT_TRUE(moreShown.arguments().value(0).toBool());
    DBusMenuLayoutItem layout;
    panel->menu(QStringLiteral("GetLayout"), { more, 1, QStringList { QStringLiteral("label") } })
            .arguments()
            .value(1)
            .value<QDBusArgument>()
        >> layout;
    ASSERT_EQ(layout.children.size(), 1);
    EXPECT_EQ(layout.children[0].properties, QVariantMap({ { "label", "Help" } }));

    // Choosing: the menu closes, then the item runs.
    panel->event(panel->idOf(QStringLiteral("Record")), QStringLiteral("clicked"));
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return chosen == 1; }));
    EXPECT_FALSE(chosenWhileOpen);
    panel->event(0, QStringLiteral("closed"));
    EXPECT_EQ(closed, 1) << "closed twice";

    // A panel that never says the menu closed still gets it filled afresh on each opening.
    panel->menu(QStringLiteral("AboutToShow"), { 0 });
    panel->menu(QStringLiteral("AboutToShow"), { 0 });
    EXPECT_EQ(opened, 3);
    EXPECT_EQ(closed, 2);

    // Unknown entries are named back as errors; a changed entry is announced by itself.
    const QDBusMessage errors = panel->menu(QStringLiteral("EventGroup"),
        { QVariant::fromValue(
            QList<DBusMenuEvent> { { 999, QStringLiteral("clicked"), QDBusVariant(QString()), 0 } }) });
    EXPECT_EQ(qdbus_cast<QList<int>>(errors.arguments().value(0)), QList<int>({ 999 }));
    const int updatesBefore = panel->layoutUpdates;
    menu.actions().constFirst()->setText(QStringLiteral("Stop"));
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return panel->propertyUpdates == 1; }));
    EXPECT_EQ(panel->layoutUpdates, updatesBefore);
}

// Panels that show a label beside the icon get the title there, with a guide as wide as it;
// the icon goes by name only while it is the plain template.
TEST_F(StatusNotifierItemOnTheBusTest, TheTitleIsTheLabelAndATemplateGoesByItsName)
{
    QIcon named(new NamedSquare);
    named.setIsMask(true);
    StatusBarButton &button = item.button();
    button.setAccessibilityTitle(QStringLiteral("Tapewick"));
    button.setImage(named);
    TestSupport::processEventsFor(50ms);
    EXPECT_EQ(panel->item(QStringLiteral("IconName")).toString(), QStringLiteral("tapewick-square-symbolic"));

    const int icons = panel->iconUpdates;
    button.setAttributedTitle(std::make_shared<PlainStatusButtonTitle>(QStringLiteral("12:07")));
    button.setImagePosition(StatusBarButton::ImagePosition::imageRight);
    button.setAppearsDisabled(true);
    TestSupport::processEventsFor(100ms);
    EXPECT_EQ(panel->item(QStringLiteral("XAyatanaLabel")).toString(), QStringLiteral("12:07"));
    EXPECT_EQ(panel->item(QStringLiteral("XAyatanaLabelGuide")).toString(), QStringLiteral("00:00"));
    EXPECT_EQ(panel->labels, QStringList({ QStringLiteral("12:07|00:00") }));
    EXPECT_EQ(panel->item(QStringLiteral("IconName")).toString(), QString()) << "dimmed";
    EXPECT_EQ(panel->iconUpdates, icons + 1) << "changes of one turn announced once";

    button.setTitle(QStringLiteral("01:00:00"));
    button.setAppearsDisabled(false);
    TestSupport::processEventsFor(100ms);
    EXPECT_EQ(panel->item(QStringLiteral("XAyatanaLabelGuide")).toString(), QStringLiteral("00:00:00"));
    button.setImagePosition(StatusBarButton::ImagePosition::imageOnly);
    TestSupport::processEventsFor(100ms);
    EXPECT_EQ(panel->item(QStringLiteral("XAyatanaLabel")).toString(), QString()) << "the title is not shown";
    EXPECT_EQ(panel->labels.size(), 3);

    // A tinted image is a picture of its own.
    QPixmap red(16, 16);
    red.fill(Qt::red);
    button.setImage(QIcon(red));
    TestSupport::processEventsFor(100ms);
    EXPECT_EQ(panel->item(QStringLiteral("IconName")).toString(), QString());
    EXPECT_TRUE(panel->item(QStringLiteral("ItemIsMenu")).toBool());
    EXPECT_EQ(
        panel->item(QStringLiteral("Menu")).value<QDBusObjectPath>().path(), QStringLiteral("/MenuBar"));
}

// The level moves the tint ten times a second, mostly by steps no one sees: only a step that
// shows, or small ones once they add up, sends the panel new pictures.
TEST_F(StatusNotifierItemOnTheBusTest, ATintStepTooSmallToSeeSendsNoNewIcon)
{
    StatusBarButton &button = item.button();
    button.setImagePosition(StatusBarButton::ImagePosition::imageRight);
    constexpr int tolerance = StatusPictures::tolerance;
    const struct
    {
        int red;
        bool sent;
    } steps[] = { { 200, true }, { 201, false }, { 200 + tolerance, false }, { 201 + tolerance, true },
        { 230, true } };
    int shownRed = -1;
    for (const auto &[red, sent] : steps) {
        SCOPED_TRACE(red);
        const int icons = panel->iconUpdates;
        QPixmap tinted(16, 16);
        tinted.fill(QColor(red, 40, 30));
        button.setImage(QIcon(tinted));
        // The label is announced after the icon: once it is here, so is any new icon.
        const QString title = QStringLiteral("00:%1").arg(red);
        button.setTitle(title);
        ASSERT_TRUE(TestSupport::processEventsUntil(
            [&] { return !panel->labels.isEmpty() && panel->labels.constLast().startsWith(title); }));
        EXPECT_EQ(panel->iconUpdates, icons + (sent ? 1 : 0));
        shownRed = sent ? red : shownRed;
        const auto pictures = qdbus_cast<StatusNotifierIcons>(
            panel->item(QStringLiteral("IconPixmap")).value<QDBusArgument>());
        ASSERT_EQ(pictures.size(), 4);
        for (const StatusNotifierIcon &picture : pictures) {
            // ARGB in network byte order: the red of the first pixel is its second byte.
            EXPECT_EQ(quint8(picture.data.at(1)), shownRed) << picture.width;
        }
    }
}

// A panel started after the program, or started again, still gets the item; a hidden item is not
// registered.
TEST_F(StatusNotifierItemOnTheBusTest, TheItemRegistersWithEachWatcherThatAppearsWhileItIsShown)
{
    Watcher watcher;
    ASSERT_TRUE(panel->startWatcher(watcher));
    TestSupport::processEventsFor(200ms);
    EXPECT_EQ(watcher.registered, QStringList()) << "registered while hidden";
    item.setVisible(true);
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return watcher.registered.size() == 1; }));
    panel->stopWatcher();
    TestSupport::processEventsFor(100ms);
    ASSERT_TRUE(panel->startWatcher(watcher));
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return watcher.registered.size() == 2; }));
    EXPECT_EQ(watcher.registered, QStringList({ item.serviceName(), item.serviceName() }));
    EXPECT_EQ(panel->item(QStringLiteral("Status")).toString(), QStringLiteral("Active"));
    panel->stopWatcher();
}

} // namespace

#include "StatusNotifierItemOnTheBusTest.moc"
