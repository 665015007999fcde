#include "DesktopTest.h"
#include "EventLoop.h"
#include "StatusNotifierItem.h"
#include "TrayIcon.h"

#include "platform/desktop/DBusMenuExporter.h"
#include "platform/desktop/GreyedReason.h"
#include "platform/desktop/SessionStatusItem.h"
#include "platform/desktop/StatusItem.h"
#include "platform/desktop/StatusNotifierHostMonitor.h"
#include "platform/desktop/StatusNotifierItem.h"
#include "platform/desktop/StatusPictures.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHash>
#include <QIconEngine>
#include <QMenu>
#include <QMutex>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

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

// A panel's watcher, which items register with: it counts their registrations, and says whether
// a host shows them.
class Watcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered MEMBER hasHost)

public:
    QStringList registered;
    bool hasHost = false;

    void setHasHost(bool has)
    {
        hasHost = has;
        has ? emit StatusNotifierHostRegistered() : emit StatusNotifierHostUnregistered();
    }

public slots:
    void RegisterStatusNotifierItem(const QString &service) { registered << service; }

signals:
    void StatusNotifierHostRegistered();
    void StatusNotifierHostUnregistered();
};

// A watcher that hangs: it takes every call and answers none, until it answers those it holds,
// late, and every later one at once.
class SilentWatcher : public QDBusVirtualObject
{
public:
    int calls = 0;
    QStringList registered;

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        ++calls;
        m_held.emplace_back(message, connection);
        if (m_hasHost) {
            answer(*m_hasHost);
        }
        return true;
    }

    // Those it holds go unanswered.
    void answerFromNowOn(bool hasHost)
    {
        m_held.clear();
        m_hasHost = hasHost;
    }
    void answer(bool hasHost)
    {
        m_hasHost = hasHost;
        for (const auto &[message, connection] : std::exchange(m_held, {})) {
            reply(message, connection, hasHost);
        }
    }
    // Only the latest call it holds, the earlier ones staying held.
    void answerLatest(bool hasHost)
    {
        const auto [message, connection] = m_held.back();
        m_held.pop_back();
        reply(message, connection, hasHost);
    }

private:
    void reply(const QDBusMessage &message, const QDBusConnection &connection, bool hasHost)
    {
        if (message.member() == QLatin1String("RegisterStatusNotifierItem")) {
            registered << message.arguments().value(0).toString();
            connection.send(message.createReply());
        } else {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(hasHost))));
        }
    }

    std::vector<std::pair<QDBusMessage, QDBusConnection>> m_held;
    std::optional<bool> m_hasHost;
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
                    SLOT(propertiesUpdated(QDBusMessage)) },
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
        m_bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties
                | QDBusConnection::ExportAllSignals);
        return m_bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
    }
    bool startWatcher(SilentWatcher &watcher)
    {
        m_bus.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), &watcher);
        return m_bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
    }
    // Calls and reads another item from now on; its signals are not followed.
    void readFrom(QString service) { m_service = std::move(service); }
    void stopWatcher()
    {
        m_bus.unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher"));
        m_bus.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
    }
    // The watcher saying a host came, whatever it answers.
    bool announceHost()
    {
        return m_bus.send(QDBusMessage::createSignal(QStringLiteral("/StatusNotifierWatcher"),
            QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("StatusNotifierHostRegistered")));
    }
    // Takes a bus name for the panel's connection.
    bool own(const QString &name) { return m_bus.registerService(name); }
    QString uniqueName() const { return m_bus.baseService(); }

    void event(int id, const QString &name)
    {
        menu(QStringLiteral("Event"), { id, name, QVariant::fromValue(QDBusVariant(QString())), 0u });
    }

    int layoutUpdates = 0;
    int propertyUpdates = 0;
    // The label each entry was last given in an update of its properties.
    QHash<int, QString> updatedLabels;
    int iconUpdates = 0;
    QStringList labels;

public slots:
    void layoutUpdated() { ++layoutUpdates; }
    void propertiesUpdated(const QDBusMessage &message)
    {
        ++propertyUpdates;
        for (const DBusMenuItem &item : qdbus_cast<QList<DBusMenuItem>>(message.arguments().value(0))) {
            updatedLabels.insert(item.id, item.properties.value(QStringLiteral("label")).toString());
        }
    }
    void newIcon() { ++iconUpdates; }
    void newLabel(const QString &label, const QString &guide) { labels << label + u'|' + guide; }

private:
    QDBusConnection m_bus;
    QString m_service;
};

// What the process logs while it lives.
class LoggedMessages
{
public:
    LoggedMessages() { s_previous = qInstallMessageHandler(&collect); }
    ~LoggedMessages()
    {
        qInstallMessageHandler(s_previous);
        QMutexLocker lock(&s_mutex);
        s_messages.clear();
    }
    LoggedMessages(const LoggedMessages &) = delete;
    LoggedMessages &operator=(const LoggedMessages &) = delete;

    QStringList messages() const
    {
        QMutexLocker lock(&s_mutex);
        return s_messages;
    }

private:
    static void collect(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        {
            QMutexLocker lock(&s_mutex);
            s_messages << message;
        }
        if (s_previous) {
            s_previous(type, context, message);
        }
    }

    static inline QtMessageHandler s_previous = nullptr;
    static inline QMutex s_mutex;
    static inline QStringList s_messages;
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
    // Every call is answered at once: a property an entry lacks by the protocol's default, an
    // unknown entry or property by an error.
    const int record = panel->idOf(QStringLiteral("Record"));
    const int separator = panel->entries().at(1).second;
    const struct
    {
        const char *method;
        QVariantList arguments;
        QVariant value;
    } calls[] = {
        { "GetProperty", { record, QStringLiteral("label") }, QStringLiteral("Record") },
        { "GetProperty", { separator, QStringLiteral("label") }, QString() },
        { "GetProperty", { record, QStringLiteral("toggle-type") }, QString() },
        { "GetProperty", { record, QStringLiteral("toggle-state") }, -1 },
        { "GetProperty", { 0, QStringLiteral("children-display") }, QStringLiteral("submenu") },
        { "GetProperty", { 999, QStringLiteral("label") }, {} },
        { "GetProperty", { record, QStringLiteral("no-such-property") }, {} },
        { "GetLayout", { 999, -1, QStringList() }, {} },
        { "Event", { 999, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u }, {} },
        { "AboutToShow", { 999 }, {} },
    };
    for (const auto &call : calls) {
        const QDBusMessage reply = panel->menu(QLatin1String(call.method), call.arguments);
        if (call.value.isValid()) {
            EXPECT_EQ(reply.arguments().value(0).value<QDBusVariant>().variant(), call.value)
                << call.method << call.arguments.value(1).toString().toStdString();
        } else {
            EXPECT_EQ(reply.errorName().toStdString(), "org.freedesktop.DBus.Error.InvalidArgs")
                << call.method << call.arguments.value(0).toInt();
        }
    }
    const int updatesBefore = panel->layoutUpdates;
    menu.actions().constFirst()->setText(QStringLiteral("Stop"));
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return panel->propertyUpdates == 1; }));
    EXPECT_EQ(panel->layoutUpdates, updatesBefore);
}

// A greyed entry's reason reaches the panel as a greyed line under it that does nothing when
// chosen, and the panel hears of the line coming, changing and going.
TEST_F(StatusNotifierItemOnTheBusTest, AGreyedEntrysReasonIsALineUnderItOnThePanel)
{
    panel->menu(QStringLiteral("AboutToShow"), { 0 });
    panel->event(0, QStringLiteral("opened"));
    QAction *record = menu.actions().constFirst();
    const int layouts = panel->layoutUpdates;
    record->setEnabled(false);
    GreyedReason::set(*record, QStringLiteral("No input."));
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return panel->layoutUpdates > layouts; }));
    std::vector<std::pair<QString, int>> entries = panel->entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[1].first, QStringLiteral("No input."));
    const int line = entries[1].second;
    const auto property = [&](const QString &name) {
        const QDBusMessage reply = panel->menu(QStringLiteral("GetProperty"), { line, name });
        return reply.type() == QDBusMessage::ReplyMessage
            ? reply.arguments().value(0).value<QDBusVariant>().variant()
            : QVariant(reply.errorName());
    };
    EXPECT_EQ(property(QStringLiteral("enabled")), QVariant(false));
    const QDBusMessage clicked = panel->menu(QStringLiteral("EventGroup"),
        { QVariant::fromValue(
            QList<DBusMenuEvent> { { line, QStringLiteral("clicked"), QDBusVariant(QString()), 0 } }) });
    EXPECT_EQ(qdbus_cast<QList<int>>(clicked.arguments().value(0)), QList<int>());

    GreyedReason::set(*record, QStringLiteral("Still no input."));
    EXPECT_TRUE(TestSupport::processEventsUntil(
        [&] { return panel->updatedLabels.value(line) == QStringLiteral("Still no input."); }));
    EXPECT_EQ(property(QStringLiteral("label")), QVariant(QStringLiteral("Still no input.")));

    const int before = panel->layoutUpdates;
    record->setEnabled(true);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return panel->layoutUpdates > before; }));
    entries = panel->entries();
    EXPECT_EQ(entries.size(), 3u);
    EXPECT_EQ(property(QStringLiteral("label")),
        QVariant(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs")));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(chosen, 0);
    panel->event(0, QStringLiteral("closed"));
}

// A panel that goes away says nothing of the menu it had open, nor does one whose item stops
// exporting the menu: the menu counts as closed then, once the last panel that opened it is gone.
TEST_F(StatusNotifierItemOnTheBusTest, AnOpenMenuClosesWhenThePanelThatOpenedItOrTheExportGoes)
{
    QObject::connect(&menu, &QMenu::aboutToShow, [this] { open = true; });
    QObject::connect(&menu, &QMenu::aboutToHide, [this] { open = false; });
    const std::function<void()> panelLeaves = [this] { panel.reset(); };
    const std::function<void()> exportEnds = [this] { item.setMenu(nullptr); };
    for (const auto &[what, end] : { std::pair { "the panel leaves the bus", panelLeaves },
             std::pair { "the item stops exporting the menu", exportEnds } }) {
        SCOPED_TRACE(what);
        item.setMenu(&menu);
        panel.emplace(item.serviceName());
        closed = 0;
        panel->menu(QStringLiteral("AboutToShow"), { 0 });
        panel->event(0, QStringLiteral("opened"));
        ASSERT_TRUE(open);

        // A second panel opens it too and leaves: the first one still shows it.
        QString secondName;
        {
            QDBusConnection second
                = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("second"));
            secondName = second.baseService();
            QDBusMessage opened
                = QDBusMessage::createMethodCall(item.serviceName(), QStringLiteral("/MenuBar"),
                    QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("Event"));
            opened.setArguments(
                { 0, QStringLiteral("opened"), QVariant::fromValue(QDBusVariant(QString())), 0u });
            EXPECT_EQ(second.call(opened, QDBus::BlockWithGui, 5000).type(), QDBusMessage::ReplyMessage);
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("second"));
        ASSERT_TRUE(TestSupport::processEventsUntil([&] {
            return !QDBusConnection::sessionBus().interface()->isServiceRegistered(secondName).value();
        }));
        TestSupport::processEventsFor(100ms);
        EXPECT_TRUE(open) << "closed while a panel still shows it";

        end();
        EXPECT_TRUE(TestSupport::processEventsUntil([&] { return !open; }));
        EXPECT_EQ(closed, 1);
    }
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
// shows, or small ones once they add up, sends the panel new pictures, two sizes of one look.
TEST_F(StatusNotifierItemOnTheBusTest, ATintStepTooSmallToSeeSendsNoNewIcon)
{
    StatusBarButton &button = item.button();
    button.setImagePosition(StatusBarButton::ImagePosition::imageRight);
    constexpr int tolerance = StatusPictures::tolerance;
    const auto tint = [&](int red) {
        QPixmap tinted(16, 16);
        tinted.fill(QColor(red, 40, 30));
        button.setImage(QIcon(tinted));
    };
    // The width and the red of the first pixel of each picture the panel reads.
    const auto shown = [&] {
        QList<std::pair<int, int>> pictures;
        for (const StatusNotifierIcon &picture : qdbus_cast<StatusNotifierIcons>(
                 panel->item(QStringLiteral("IconPixmap")).value<QDBusArgument>())) {
            // ARGB in network byte order: the red is the second byte.
            pictures.append({ picture.width, quint8(picture.data.at(1)) });
        }
        return pictures;
    };
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
        tint(red);
        // With the title's change, the pictures go at once, and the label is announced after the
        // icon: once it is here, so is any new icon.
        const QString title = QStringLiteral("00:%1").arg(red);
        button.setTitle(title);
        ASSERT_TRUE(TestSupport::processEventsUntil(
            [&] { return !panel->labels.isEmpty() && panel->labels.constLast().startsWith(title); }));
        EXPECT_EQ(panel->iconUpdates, icons + (sent ? 1 : 0));
        shownRed = sent ? red : shownRed;
        EXPECT_EQ(shown(), (QList<std::pair<int, int>> { { 22, shownRed }, { 48, shownRed } }));
    }

    // Steps of the tint on their own come at most every so often, but the last look always gets
    // there.
    const int icons = panel->iconUpdates;
    for (const int red : { 150, 160, 170 }) {
        tint(red);
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(TestSupport::processEventsUntil([&] {
        return shown() == QList<std::pair<int, int>> { { 22, 170 }, { 48, 170 } };
    }));
    EXPECT_GT(panel->iconUpdates, icons);
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

using StatusNotifierItemNameTest = TestSupport::DesktopTest;

// A name another client holds would show that client's item: the item goes by its connection's
// own unique name instead, which panels take as well, and the log says whose the name is.
TEST_F(StatusNotifierItemNameTest, AnItemWhoseNameIsTakenGoesByItsConnectionsOwnName)
{
    // The process numbers its items in turn: the next one's name is taken first.
    QString taken;
    {
        const StatusNotifierItem probe;
        const QString name = probe.serviceName();
        const qsizetype dash = name.lastIndexOf(u'-');
        taken = name.left(dash + 1) + QString::number(name.mid(dash + 1).toInt() + 1);
    }
    Panel other(taken);
    ASSERT_TRUE(other.own(taken));
    Watcher watcher;
    watcher.hasHost = true;
    ASSERT_TRUE(other.startWatcher(watcher));
    const LoggedMessages log;

    StatusNotifierItem item;
    item.setVisible(true);
    const QString own = QDBusConnection::sessionBus().baseService();
    EXPECT_EQ(item.serviceName().toStdString(), own.toStdString());
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !watcher.registered.isEmpty(); }));
    EXPECT_EQ(watcher.registered.join(u' ').toStdString(), own.toStdString());
    other.readFrom(own);
    EXPECT_EQ(other.item(QStringLiteral("Status")).toString(), QStringLiteral("Active"));
    EXPECT_EQ(QDBusConnection::sessionBus().interface()->serviceOwner(taken).value(), other.uniqueName());
    const QStringList said = log.messages().filter(taken);
    ASSERT_EQ(said.size(), 1) << log.messages().join(u'\n').toStdString();
    EXPECT_TRUE(said.constFirst().contains(other.uniqueName())) << said.constFirst().toStdString();
    other.stopWatcher();
}

// The item of a program on an X11 session, whose panel may come and go: in the XEmbed tray, or
// with the panel's watcher while a host there shows such items.
class SessionStatusItemTest : public TestSupport::DesktopTest
{
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        if (QDBusConnection::sessionBus().interface()->isServiceRegistered(
                QString::fromLatin1(StatusNotifierItem::watcherService))) {
            GTEST_SKIP() << "the desktop's own panel holds the watcher's name";
        }
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        menu.addAction(QStringLiteral("Record"));
        panel.emplace(QStringLiteral("org.kde.StatusNotifierItem-none"));
    }

    // With the desktop's item, or one that gives up a question to the watcher after `watcherTimeout`.
    std::unique_ptr<StatusItem> makeItem(
        std::optional<std::chrono::milliseconds> watcherTimeout = std::nullopt)
    {
        std::unique_ptr<StatusItem> item = watcherTimeout
            ? std::make_unique<SessionStatusItem>(QString(), watcherTimeout)
            : StatusItem::forDesktop({});
        QPixmap image(16, 16);
        image.fill(Qt::red);
        item->button().setImage(QIcon(image));
        item->button().setTitle(QStringLiteral("00:42"));
        item->button().setImagePosition(StatusBarButton::ImagePosition::imageRight);
        item->setMenu(&menu);
        item->setVisible(true);
        return item;
    }

    static bool onTheBus()
    {
        const QString prefix
            = QStringLiteral("org.kde.StatusNotifierItem-%1-").arg(QCoreApplication::applicationPid());
        const QStringList names = QDBusConnection::sessionBus().interface()->registeredServiceNames();
        return std::any_of(
            names.begin(), names.end(), [&](const QString &name) { return name.startsWith(prefix); });
    }
    static bool inTheTray() { return embeddedTrayIcon(QCoreApplication::applicationPid()).has_value(); }

    QMenu menu;
    std::optional<Panel> panel;
};

// The panel takes the item as the button shows it, with its menu, and gives it back to the tray
// when its host goes or its watcher stops; changes made meanwhile go along.
TEST_F(SessionStatusItemTest, TheItemMovesToAPanelThatComesAfterItAndBackToTheTrayWhenItGoes)
{
    const std::unique_ptr<StatusItem> item = makeItem();
    // What the settings window words its duration setting after.
    std::vector<bool> labelShown;
    const Events::AnyCancellable following
        = item->showsTitlePublisher().sink([&](bool shows) { labelShown.push_back(shows); });
    ASSERT_TRUE(TestSupport::processEventsUntil(inTheTray)) << "not in the tray without a panel";
    EXPECT_EQ(labelShown, std::vector<bool> { false });
    Watcher watcher;
    watcher.hasHost = true;
    ASSERT_TRUE(panel->startWatcher(watcher));
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !watcher.registered.isEmpty(); }))
        << "the panel never got the item";
    panel->readFrom(watcher.registered.constLast());
    EXPECT_EQ(panel->item(QStringLiteral("XAyatanaLabel")).toString(), QStringLiteral("00:42"));
    EXPECT_GT(panel->idOf(QStringLiteral("Record")), 0) << "the menu stayed behind";
    EXPECT_TRUE(TestSupport::processEventsUntil([] { return !inTheTray(); })) << "shown twice";
    EXPECT_EQ(labelShown, (std::vector<bool> { false, true }));

    const std::function<void()> hostGoes = [&] { watcher.setHasHost(false); };
    const std::function<void()> hostComes = [&] { watcher.setHasHost(true); };
    const std::function<void()> watcherStops = [&] { panel->stopWatcher(); };
    const std::function<void()> watcherStarts = [&] { ASSERT_TRUE(panel->startWatcher(watcher)); };
    for (const auto &[what, leave, comeBack, title] :
        { std::tuple { "host", hostGoes, hostComes, QStringLiteral("01:00") },
            std::tuple { "watcher", watcherStops, watcherStarts, QStringLiteral("02:00") } }) {
        SCOPED_TRACE(what);
        leave();
        EXPECT_TRUE(TestSupport::processEventsUntil([] { return !onTheBus() && inTheTray(); }));
        EXPECT_FALSE(item->geometry().isEmpty()) << "the tray's place is the item's";
        EXPECT_FALSE(item->showsTitle()) << "the tray has no label";
        EXPECT_EQ(labelShown.back(), false);
        item->button().setTitle(title);
        const qsizetype registrations = watcher.registered.size();
        comeBack();
        ASSERT_TRUE(
            TestSupport::processEventsUntil([&] { return watcher.registered.size() > registrations; }));
        panel->readFrom(watcher.registered.constLast());
        EXPECT_EQ(panel->item(QStringLiteral("XAyatanaLabel")).toString(), title);
        EXPECT_TRUE(item->showsTitle());
        EXPECT_EQ(labelShown.back(), true);
        EXPECT_GT(panel->idOf(QStringLiteral("Record")), 0);
        EXPECT_TRUE(TestSupport::processEventsUntil([] { return !inTheTray(); })) << "shown twice";
    }
    panel->stopWatcher();
}

// The menu a panel had open when the item left it for the tray is closed with it, for the tray's
// own menu to open.
TEST_F(SessionStatusItemTest, AMenuOpenOnThePanelClosesWhenTheItemMovesToTheTray)
{
    bool open = false;
    QObject::connect(&menu, &QMenu::aboutToShow, [&] { open = true; });
    QObject::connect(&menu, &QMenu::aboutToHide, [&] { open = false; });
    const std::unique_ptr<StatusItem> item = makeItem();
    ASSERT_TRUE(TestSupport::processEventsUntil(inTheTray));
    Watcher watcher;
    watcher.hasHost = true;
    ASSERT_TRUE(panel->startWatcher(watcher));
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !watcher.registered.isEmpty(); }));
    panel->readFrom(watcher.registered.constLast());
    panel->menu(QStringLiteral("AboutToShow"), { 0 });
    panel->event(0, QStringLiteral("opened"));
    ASSERT_TRUE(open);
    watcher.setHasHost(false);
    EXPECT_TRUE(TestSupport::processEventsUntil([] { return !onTheBus() && inTheTray(); }));
    EXPECT_FALSE(open);
    panel->stopWatcher();
}

// A watcher that hangs holds up neither the program nor its item: the item is shown nowhere
// while the watcher does not say whether a panel shows it, and in the tray once the watcher goes.
TEST_F(SessionStatusItemTest, AWatcherThatNeverAnswersDoesNotHoldTheGuiThread)
{
    SilentWatcher watcher;
    ASSERT_TRUE(panel->startWatcher(watcher));
    QElapsedTimer making;
    making.start();
    const std::unique_ptr<StatusItem> item = makeItem();
    EXPECT_LT(making.elapsed(), 1000) << "waited for the watcher";
    bool turned = false;
    QTimer::singleShot(0, [&] { turned = true; });
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return turned && watcher.calls > 0; }))
        << "the item never asked";
    EXPECT_FALSE(onTheBus());
    EXPECT_TRUE(item->isVisible());
    panel->stopWatcher();
    EXPECT_TRUE(TestSupport::processEventsUntil(inTheTray));
}

// A watcher that lets the first question time out leaves the item in the tray meanwhile; the item
// goes to the panel as soon as the watcher answers after all, late, or says a host came.
TEST_F(SessionStatusItemTest, AfterAQuestionTimesOutTheItemIsInTheTrayUntilTheWatcherSpeaks)
{
    for (const bool announces : { false, true }) {
        SCOPED_TRACE(announces ? "announces a host" : "answers late");
        SilentWatcher watcher;
        ASSERT_TRUE(panel->startWatcher(watcher));
        const std::unique_ptr<StatusItem> item = makeItem(300ms);
        EXPECT_TRUE(TestSupport::processEventsUntil(inTheTray)) << "in no tray after the question timed out";
        EXPECT_FALSE(onTheBus());
        EXPECT_GT(watcher.calls, 0);
        if (announces) {
            watcher.answerFromNowOn(true);
            ASSERT_TRUE(panel->announceHost());
        } else {
            watcher.answer(true);
        }
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !watcher.registered.isEmpty(); }))
            << "the item did not follow the watcher";
        EXPECT_TRUE(onTheBus());
        EXPECT_TRUE(item->showsTitle());
        EXPECT_TRUE(TestSupport::processEventsUntil([] { return !inTheTray(); })) << "shown twice";
        panel->stopWatcher();
    }
}

// Only the watcher's answer to the latest question counts: one to an earlier question that comes
// after it is out of date.
TEST_F(SessionStatusItemTest, ALateAnswerToAnEarlierQuestionChangesNothing)
{
    SilentWatcher watcher;
    ASSERT_TRUE(panel->startWatcher(watcher));
    const StatusNotifierHostMonitor monitor;
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return watcher.calls == 1; }));
    ASSERT_TRUE(panel->announceHost());
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return watcher.calls == 2; }));
    watcher.answerLatest(true);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return monitor.hasHost() == true; }));
    // A question of the test's own on the monitor's connection, answered after the late one,
    // tells when that has been read.
    const QString service = QString::fromLatin1(StatusNotifierItem::watcherService);
    QDBusMessage get
        = QDBusMessage::createMethodCall(service, QString::fromLatin1(StatusNotifierItem::watcherPath),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({ service, QStringLiteral("IsStatusNotifierHostRegistered") });
    const QDBusPendingCallWatcher probe(QDBusConnection::sessionBus().asyncCall(get));
    bool probed = false;
    QObject::connect(&probe, &QDBusPendingCallWatcher::finished, [&] { probed = true; });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return watcher.calls == 3; }));
    watcher.answer(false);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return probed; }));
    EXPECT_EQ(monitor.hasHost(), std::optional(true));
    panel->stopWatcher();
}

// Qt's own tray icon asks the watcher once a process whether tray icons go over the bus, and keeps
// that answer; the item's icon in the X tray depends on no such answer. A panel whose watcher says
// no to the program and yes to whoever asks after it (its host came just then) gets nothing
// without a label, and once it goes, the item is still in the X tray. The panel runs in a process
// of its own, as Qt's question would hold up one in this thread.
TEST_F(SessionStatusItemTest, TheTrayIconStaysInTheXTrayWhateverTheWatcherTellsAnyoneAsking)
{
    QProcess panelProgram;
    panelProgram.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    panelProgram.start(
        QStringLiteral(TAPEWICK_STATUS_NOTIFIER_HOST_PATH), { QStringLiteral("--no-at-first") });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] {
        return panelProgram.canReadLine() && panelProgram.readLine() == "Watching\n";
    })) << "the panel did not start";
    const auto onThePanel = [] {
        return TestSupport::StatusNotifierItem::ofProcess(QCoreApplication::applicationPid()).has_value();
    };

    const std::unique_ptr<StatusItem> item = makeItem();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return inTheTray() || onThePanel(); }))
        << "shown nowhere";
    EXPECT_TRUE(inTheTray());
    EXPECT_FALSE(onThePanel()) << "an item went to the panel as well";
    EXPECT_FALSE(item->geometry().isEmpty());

    panelProgram.terminate();
    ASSERT_TRUE(panelProgram.waitForFinished());
    EXPECT_TRUE(TestSupport::processEventsUntil(inTheTray)) << "in no tray once the panel went";
    EXPECT_FALSE(item->geometry().isEmpty());
}

} // namespace

#include "StatusNotifierItemOnTheBusTest.moc"
