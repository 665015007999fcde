#pragma once

#include "platform/events/CoalescedCall.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QHash>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QVariantMap>

#include <optional>

class QAction;

// One entry of an exported menu and, to the depth asked for, the entries below it.
struct DBusMenuLayoutItem
{
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuLayoutItem> children;
};

struct DBusMenuItem
{
    int id = 0;
    QVariantMap properties;
};

// The properties an entry no longer has.
struct DBusMenuItemKeys
{
    int id = 0;
    QStringList properties;
};

struct DBusMenuEvent
{
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuLayoutItem &item);
const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuLayoutItem &item);
QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuItem &item);
const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuItem &item);
QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuItemKeys &keys);
const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuItemKeys &keys);
QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuEvent &event);
const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuEvent &event);

Q_DECLARE_METATYPE(DBusMenuLayoutItem)
Q_DECLARE_METATYPE(DBusMenuItem)
Q_DECLARE_METATYPE(DBusMenuItemKeys)
Q_DECLARE_METATYPE(DBusMenuEvent)

// A QMenu and its submenus as a panel reads and drives them over the session bus
// (com.canonical.dbusmenu). The menu is the root, entry 0; each action is an entry, a submenu
// being the entry of its action. Opening a menu on the panel emits its aboutToShow (where a menu
// fills itself) and closing it aboutToHide, as a menu on the screen does; choosing an entry
// closes the menu and then triggers the action. The reason an entry is greyed for (GreyedReason)
// follows it as greyed lines of their own, there while the entry is greyed and shown. A call
// naming an entry that does not exist is answered with an error at once, never left without a
// reply. What a panel opened closes when the last panel that opened it leaves the bus, and when
// the exporter goes: a panel that goes away says nothing of its open menu.
class DBusMenuExporter : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    // Exports `menu` at `path` on `bus` until it is destroyed; the menu is not owned.
    DBusMenuExporter(QDBusConnection bus, const QString &path, QMenu *menu, QObject *parent = nullptr);
    ~DBusMenuExporter() override;

    static uint version() { return 3; }
    static QString textDirection();
    static QString status() { return QStringLiteral("normal"); }
    static QStringList iconThemePath() { return {}; }

    QMenu *menu() const { return m_menu; }
    // The properties of the entry of `action` as the protocol names them; defaults included.
    static QVariantMap properties(const QAction &action);
    // The separators of `menu` that its screen form hides: leading, trailing, and all but the first
    // of a run once hidden entries are left out.
    static QSet<const QAction *> collapsedSeparators(const QMenu &menu);
    // A greyed entry's reason as the lines under it, short enough for a menu and about as long as
    // each other; the last cut with an ellipsis when even `reasonLineCount` are too few. A reason
    // with its advice takes three.
    static QStringList reasonLines(const QString &reason);
    static constexpr qsizetype reasonLineLength = 40;
    static constexpr qsizetype reasonLineCount = 4;

public slots:
    Q_SCRIPTABLE uint GetLayout(
        int parentId, int recursionDepth, const QStringList &propertyNames, DBusMenuLayoutItem &layout);
    Q_SCRIPTABLE QList<DBusMenuItem> GetGroupProperties(
        const QList<int> &ids, const QStringList &propertyNames);
    Q_SCRIPTABLE QDBusVariant GetProperty(int id, const QString &name);
    Q_SCRIPTABLE void Event(int id, const QString &eventId, const QDBusVariant &data, uint timestamp);
    Q_SCRIPTABLE QList<int> EventGroup(const QList<DBusMenuEvent> &events);
    Q_SCRIPTABLE bool AboutToShow(int id);
    Q_SCRIPTABLE QList<int> AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors);

signals:
    Q_SCRIPTABLE void ItemsPropertiesUpdated(
        const QList<DBusMenuItem> &updatedProps, const QList<DBusMenuItemKeys> &removedProps);
    Q_SCRIPTABLE void LayoutUpdated(uint revision, int parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int idOf(QAction *action);
    QAction *actionOf(int id) const;
    // The root for 0, else the submenu of the entry; none for an unknown entry.
    QMenu *menuOf(int id) const;
    bool isKnown(int id) const { return id == 0 || actionOf(id) || reasonLine(id); }
    // The lines under the entry of `action` now; empty while it shows no reason.
    static QStringList reasonLinesOf(const QAction &action);
    // The properties of the reason line `id` while it shows; none for any other entry.
    std::optional<QVariantMap> reasonLine(int id) const;
    // The first of the `reasonLineCount` entries the reason lines under the entry `id` have, for
    // its life.
    int reasonIdOf(int id);
    // Answers a call from the bus with an error naming the unknown entry; false when `id` is known.
    bool refusedUnknown(int id);
    // As `properties`, with a separator that its menu collapses hidden.
    QVariantMap exportedProperties(const QAction &action) const;
    void watch(QMenu *menu);
    DBusMenuLayoutItem layoutOf(int id, QMenu *menu, int depth, const QStringList &names);
    static QVariantMap filtered(const QVariantMap &properties, const QStringList &names);
    bool handleEvent(int id, const QString &eventId);
    void open(QMenu *menu);
    void close(QMenu *menu);
    void closeAll();
    // The panel whose call is being answered, if any, counted among those the open menus are for.
    void noteOpener();
    void openerGone(const QString &service);
    void flush();
    // Notes the changed entries whose reason lines came or went as a change of the layout, and
    // gives those whose text alone changed.
    QList<DBusMenuItem> changedReasonLines();

    QDBusConnection m_bus;
    QString m_path;
    QPointer<QMenu> m_menu;
    QHash<QAction *, int> m_ids;
    QHash<int, QPointer<QAction>> m_actions;
    // Entry → the first id of its reason lines, and each such id → its entry.
    QHash<int, int> m_reasonIds;
    QHash<int, int> m_reasonOwners;
    // The reason lines the panel was last given for each entry.
    QHash<int, QStringList> m_exportedReasons;
    int m_nextId = 1;
    uint m_revision = 1;
    QSet<QMenu *> m_watched;
    // Menus a panel shows now, in the order they opened.
    QList<QPointer<QMenu>> m_open;
    // The bus names of the panels that opened them, followed until they leave the bus.
    QDBusServiceWatcher m_openers;
    bool m_layoutChanged = false;
    QSet<int> m_changedItems;
    // The menu is rebuilt item by item: the panel hears of it once.
    CoalescedCall m_flush { this, [this] { flush(); } };
};
