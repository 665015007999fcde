#include "platform/desktop/DBusMenuExporter.h"

#include "platform/desktop/GreyedReason.h"

#include <QAction>
#include <QActionEvent>
#include <QActionGroup>
#include <QBuffer>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QMenu>

#include <algorithm>

namespace {

// Every property an entry can have; those an entry no longer has are named as removed.
const QStringList knownProperties { QStringLiteral("type"), QStringLiteral("label"),
    QStringLiteral("enabled"), QStringLiteral("visible"), QStringLiteral("toggle-type"),
    QStringLiteral("toggle-state"), QStringLiteral("children-display"), QStringLiteral("shortcut"),
    QStringLiteral("icon-data") };

// What the protocol says an entry has when it does not name the property.
const QVariantMap &protocolDefaults()
{
    static const QVariantMap defaults { { QStringLiteral("type"), QStringLiteral("standard") },
        { QStringLiteral("label"), QString() }, { QStringLiteral("enabled"), true },
        { QStringLiteral("visible"), true }, { QStringLiteral("icon-name"), QString() },
        { QStringLiteral("icon-data"), QByteArray() },
        { QStringLiteral("shortcut"), QVariant::fromValue(QList<QStringList>()) },
        { QStringLiteral("toggle-type"), QString() }, { QStringLiteral("toggle-state"), -1 },
        { QStringLiteral("children-display"), QString() },
        { QStringLiteral("disposition"), QStringLiteral("normal") },
        { QStringLiteral("accessible-desc"), QString() } };
    return defaults;
}

const QVariantMap rootProperties { { QStringLiteral("children-display"), QStringLiteral("submenu") } };

// Qt marks a mnemonic with "&" ("&&" for the character), the protocol with "_" ("__").
QString menuLabel(const QString &text)
{
    QString label;
    label.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'&' && i + 1 < text.size()) {
            ++i;
            label += text.at(i) == u'&' ? QStringLiteral("&") : QStringLiteral("_") + text.at(i);
        } else if (c == u'_') {
            label += QStringLiteral("__");
        } else {
            label += c;
        }
    }
    return label;
}

// Each key of the sequence as its modifiers and key, in the names the protocol uses.
QList<QStringList> shortcutKeys(const QKeySequence &sequence)
{
    static const QHash<QString, QString> punctuation { { QStringLiteral("+"), QStringLiteral("plus") },
        { QStringLiteral("-"), QStringLiteral("minus") }, { QStringLiteral(","), QStringLiteral("comma") },
        { QStringLiteral("."), QStringLiteral("period") }, { QStringLiteral("/"), QStringLiteral("slash") } };
    QList<QStringList> keys;
    for (int i = 0; i < sequence.count(); ++i) {
        const QKeyCombination combination = sequence[i];
        const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
        QStringList key;
        for (const auto &[modifier, name] :
            { std::pair { Qt::ControlModifier, "Control" }, std::pair { Qt::AltModifier, "Alt" },
                std::pair { Qt::ShiftModifier, "Shift" }, std::pair { Qt::MetaModifier, "Super" } }) {
            if (modifiers & modifier) {
                key << QLatin1String(name);
            }
        }
        const QString name = QKeySequence(combination.key()).toString(QKeySequence::PortableText);
        key << punctuation.value(name, name);
        keys << key;
    }
    return keys;
}

// A line of text alone, without mnemonics.
QVariantMap reasonLineProperties(const QString &line)
{
    return { { QStringLiteral("label"), QString(line).replace(u'_', QStringLiteral("__")) },
        { QStringLiteral("enabled"), false }, { QStringLiteral("visible"), true } };
}

} // namespace

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuLayoutItem &item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.beginArray(qMetaTypeId<QDBusVariant>());
    for (const DBusMenuLayoutItem &child : item.children) {
        argument << QDBusVariant(QVariant::fromValue(child));
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuLayoutItem &item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    item.children.clear();
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        DBusMenuLayoutItem entry;
        child.variant().value<QDBusArgument>() >> entry;
        item.children.append(entry);
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuItem &item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuItem &item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuItemKeys &keys)
{
    argument.beginStructure();
    argument << keys.id << keys.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuItemKeys &keys)
{
    argument.beginStructure();
    argument >> keys.id >> keys.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuEvent &event)
{
    argument.beginStructure();
    argument << event.id << event.eventId << event.data << event.timestamp;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuEvent &event)
{
    argument.beginStructure();
    argument >> event.id >> event.eventId >> event.data >> event.timestamp;
    argument.endStructure();
    return argument;
}

DBusMenuExporter::DBusMenuExporter(QDBusConnection bus, const QString &path, QMenu *menu, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_path(path)
    , m_menu(menu)
{
    qDBusRegisterMetaType<DBusMenuLayoutItem>();
    qDBusRegisterMetaType<DBusMenuItem>();
    qDBusRegisterMetaType<QList<DBusMenuItem>>();
    qDBusRegisterMetaType<DBusMenuItemKeys>();
    qDBusRegisterMetaType<QList<DBusMenuItemKeys>>();
    qDBusRegisterMetaType<DBusMenuEvent>();
    qDBusRegisterMetaType<QList<DBusMenuEvent>>();
    qDBusRegisterMetaType<QList<QStringList>>();
    if (m_menu) {
        watch(m_menu);
    }
    m_openers.setConnection(m_bus);
    m_openers.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(&m_openers, &QDBusServiceWatcher::serviceUnregistered, this, &DBusMenuExporter::openerGone);
    m_bus.registerObject(m_path, this, QDBusConnection::ExportScriptableContents);
}

DBusMenuExporter::~DBusMenuExporter()
{
    m_bus.unregisterObject(m_path);
    for (QMenu *menu : std::as_const(m_watched)) {
        menu->removeEventFilter(this);
    }
    // No panel can close them any more: the menus are not left counted open.
    closeAll();
}

QString DBusMenuExporter::textDirection()
{
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl")
                                                                 : QStringLiteral("ltr");
}

QVariantMap DBusMenuExporter::properties(const QAction &action)
{
    QVariantMap properties { { QStringLiteral("enabled"), action.isEnabled() },
        { QStringLiteral("visible"), action.isVisible() } };
    if (action.isSeparator()) {
        properties.insert(QStringLiteral("type"), QStringLiteral("separator"));
        return properties;
    }
    properties.insert(QStringLiteral("label"), menuLabel(action.text()));
    if (action.isCheckable()) {
        const bool radio = action.actionGroup() && action.actionGroup()->isExclusive();
        properties.insert(
            QStringLiteral("toggle-type"), radio ? QStringLiteral("radio") : QStringLiteral("checkmark"));
        properties.insert(QStringLiteral("toggle-state"), action.isChecked() ? 1 : 0);
    }
    if (action.menu()) {
        properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    }
    if (!action.shortcut().isEmpty()) {
        properties.insert(QStringLiteral("shortcut"), QVariant::fromValue(shortcutKeys(action.shortcut())));
    }
    if (!action.icon().isNull() && action.isIconVisibleInMenu()) {
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        action.icon().pixmap(QSize(16, 16)).save(&png, "PNG");
        properties.insert(QStringLiteral("icon-data"), png.data());
    }
    return properties;
}

QSet<const QAction *> DBusMenuExporter::collapsedSeparators(const QMenu &menu)
{
    QSet<const QAction *> collapsed;
    // The separator waiting for a visible entry after it to be shown.
    const QAction *pending = nullptr;
    bool entryBefore = false;
    for (const QAction *action : menu.actions()) {
        if (!action->isVisible()) {
            continue;
        }
        if (!action->isSeparator()) {
            entryBefore = true;
            pending = nullptr;
        } else if (!entryBefore) {
            collapsed.insert(action);
        } else {
            pending = action;
            entryBefore = false;
        }
    }
    if (pending) {
        collapsed.insert(pending);
    }
    return collapsed;
}

QStringList DBusMenuExporter::reasonLines(const QString &reason)
{
    // Word by word into lines of at most `width`; a word longer than a line is split.
    const auto wrapped = [](const QString &text, qsizetype width) {
        QStringList lines;
        QString line;
        for (QString word : text.split(u' ', Qt::SkipEmptyParts)) {
            if (!line.isEmpty() && line.size() + 1 + word.size() <= width) {
                line += u' ' + word;
                continue;
            }
            if (!line.isEmpty()) {
                lines.append(std::exchange(line, QString()));
            }
            for (; word.size() > width; word.remove(0, width)) {
                lines.append(word.left(width));
            }
            line = word;
        }
        if (!line.isEmpty()) {
            lines.append(line);
        }
        return lines;
    };
    const QString text = reason.simplified();
    QStringList lines = wrapped(text, reasonLineLength);
    if (lines.size() > reasonLineCount) {
        // The last line that fits says that more was cut.
        lines.resize(reasonLineCount);
        QString &last = lines.last();
        const qsizetype space = last.lastIndexOf(u' ', reasonLineLength - 1);
        last = last.left(space > 0 && last.size() >= reasonLineLength ? space : reasonLineLength - 1)
            + QStringLiteral("\u2026");
        return lines;
    }
    // Lines about as long as each other read better than full ones and a word left over.
    for (qsizetype width = reasonLineLength - 1; width > 0; --width) {
        QStringList narrower = wrapped(text, width);
        if (narrower.size() > lines.size()) {
            break;
        }
        lines = std::move(narrower);
    }
    return lines;
}

QStringList DBusMenuExporter::reasonLinesOf(const QAction &action)
{
    const std::optional<QString> reason = GreyedReason::shown(action);
    return reason ? reasonLines(*reason) : QStringList();
}

std::optional<QVariantMap> DBusMenuExporter::reasonLine(int id) const
{
    const auto owner = m_reasonOwners.constFind(id);
    if (owner == m_reasonOwners.constEnd()) {
        return std::nullopt;
    }
    const QAction *action = actionOf(*owner);
    const QStringList lines = action ? reasonLinesOf(*action) : QStringList();
    const qsizetype index = id - m_reasonIds.value(*owner);
    if (index >= lines.size()) {
        return std::nullopt;
    }
    return reasonLineProperties(lines.at(index));
}

int DBusMenuExporter::reasonIdOf(int id)
{
    const auto known = m_reasonIds.constFind(id);
    if (known != m_reasonIds.constEnd()) {
        return *known;
    }
    const int first = m_nextId;
    m_nextId += int(reasonLineCount);
    m_reasonIds.insert(id, first);
    for (int line = first; line < m_nextId; ++line) {
        m_reasonOwners.insert(line, id);
    }
    return first;
}

QVariantMap DBusMenuExporter::exportedProperties(const QAction &action) const
{
    QVariantMap exported = properties(action);
    if (action.isSeparator() && action.isVisible()) {
        for (const QObject *object : action.associatedObjects()) {
            const auto *menu = qobject_cast<const QMenu *>(object);
            if (menu && m_watched.contains(const_cast<QMenu *>(menu))
                && collapsedSeparators(*menu).contains(&action)) {
                exported.insert(QStringLiteral("visible"), false);
            }
        }
    }
    return exported;
}

bool DBusMenuExporter::refusedUnknown(int id)
{
    if (isKnown(id)) {
        return false;
    }
    if (calledFromDBus()) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No menu entry %1").arg(id));
    }
    return true;
}

int DBusMenuExporter::idOf(QAction *action)
{
    const auto known = m_ids.constFind(action);
    if (known != m_ids.constEnd()) {
        return *known;
    }
    const int id = m_nextId++;
    m_ids.insert(action, id);
    m_actions.insert(id, action);
    connect(action, &QObject::destroyed, this, [this, action, id] {
        m_ids.remove(action);
        m_actions.remove(id);
        m_exportedReasons.remove(id);
        if (m_reasonIds.contains(id)) {
            const int first = m_reasonIds.take(id);
            for (int line = first; line < first + int(reasonLineCount); ++line) {
                m_reasonOwners.remove(line);
            }
        }
    });
    return id;
}

QAction *DBusMenuExporter::actionOf(int id) const
{
    return m_actions.value(id);
}

QMenu *DBusMenuExporter::menuOf(int id) const
{
    if (id == 0) {
        return m_menu;
    }
    const QAction *action = actionOf(id);
    return action ? action->menu() : nullptr;
}

void DBusMenuExporter::watch(QMenu *menu)
{
    if (m_watched.contains(menu)) {
        return;
    }
    m_watched.insert(menu);
    menu->installEventFilter(this);
    connect(menu, &QObject::destroyed, this, [this, menu] { m_watched.remove(menu); });
}

bool DBusMenuExporter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionRemoved:
        ++m_revision;
        m_layoutChanged = true;
        m_flush.schedule();
        break;
    case QEvent::ActionChanged:
        m_changedItems.insert(idOf(static_cast<QActionEvent *>(event)->action()));
        m_flush.schedule();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

QList<DBusMenuItem> DBusMenuExporter::changedReasonLines()
{
    QList<DBusMenuItem> updated;
    for (const int id : std::as_const(m_changedItems)) {
        const QAction *action = actionOf(id);
        const QStringList now = action ? reasonLinesOf(*action) : QStringList();
        const QStringList before = m_exportedReasons.value(id);
        if (now.isEmpty()) {
            m_exportedReasons.remove(id);
        } else {
            m_exportedReasons.insert(id, now);
        }
        if (now.size() != before.size()) {
            ++m_revision;
            m_layoutChanged = true;
            continue;
        }
        for (qsizetype i = 0; i < now.size(); ++i) {
            if (now.at(i) != before.at(i)) {
                const int line = reasonIdOf(id) + int(i);
                updated.append({ line, reasonLineProperties(now.at(i)) });
            }
        }
    }
    return updated;
}

void DBusMenuExporter::flush()
{
    const QList<DBusMenuItem> reasons = changedReasonLines();
    if (m_layoutChanged) {
        m_layoutChanged = false;
        m_changedItems.clear();
        emit LayoutUpdated(m_revision, 0);
        return;
    }
    // An entry shown or hidden can show or hide the separators beside it.
    for (const int id : QSet<int>(m_changedItems)) {
        if (const QAction *action = actionOf(id)) {
            for (QObject *object : action->associatedObjects()) {
                if (auto *menu = qobject_cast<QMenu *>(object); menu && m_watched.contains(menu)) {
                    for (QAction *separator : menu->actions()) {
                        if (separator->isSeparator()) {
                            m_changedItems.insert(idOf(separator));
                        }
                    }
                }
            }
        }
    }
    QList<DBusMenuItem> updated;
    QList<DBusMenuItemKeys> removed;
    for (const int id : std::as_const(m_changedItems)) {
        if (const QAction *action = actionOf(id)) {
            const QVariantMap now = exportedProperties(*action);
            updated.append({ id, now });
            QStringList gone;
            std::copy_if(knownProperties.begin(), knownProperties.end(), std::back_inserter(gone),
                [&](const QString &name) { return !now.contains(name); });
            removed.append({ id, gone });
        }
    }
    m_changedItems.clear();
    updated.append(reasons);
    if (!updated.isEmpty()) {
        emit ItemsPropertiesUpdated(updated, removed);
    }
}

QVariantMap DBusMenuExporter::filtered(const QVariantMap &properties, const QStringList &names)
{
    if (names.isEmpty()) {
        return properties;
    }
    QVariantMap kept;
    for (const QString &name : names) {
        if (properties.contains(name)) {
            kept.insert(name, properties.value(name));
        }
    }
    return kept;
}

DBusMenuLayoutItem DBusMenuExporter::layoutOf(int id, QMenu *menu, int depth, const QStringList &names)
{
    DBusMenuLayoutItem item;
    item.id = id;
    if (id == 0) {
        item.properties = rootProperties;
    } else if (QAction *action = actionOf(id)) {
        item.properties = filtered(exportedProperties(*action), names);
    }
    if (!menu || depth == 0) {
        return item;
    }
    watch(menu);
    const QList<QAction *> actions = menu->actions();
    for (QAction *action : actions) {
        const int child = idOf(action);
        item.children.append(layoutOf(child, action->menu(), depth < 0 ? depth : depth - 1, names));
        const QStringList lines = reasonLinesOf(*action);
        if (lines.isEmpty()) {
            m_exportedReasons.remove(child);
            continue;
        }
        m_exportedReasons.insert(child, lines);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            item.children.append(
                { reasonIdOf(child) + int(i), filtered(reasonLineProperties(lines.at(i)), names), {} });
        }
    }
    return item;
}

uint DBusMenuExporter::GetLayout(
    int parentId, int recursionDepth, const QStringList &propertyNames, DBusMenuLayoutItem &layout)
{
    if (refusedUnknown(parentId)) {
        return 0;
    }
    layout = layoutOf(parentId, menuOf(parentId), recursionDepth, propertyNames);
    return m_revision;
}

QList<DBusMenuItem> DBusMenuExporter::GetGroupProperties(
    const QList<int> &ids, const QStringList &propertyNames)
{
    QList<DBusMenuItem> items;
    for (const int id : ids) {
        if (const QAction *action = actionOf(id)) {
            items.append({ id, filtered(exportedProperties(*action), propertyNames) });
        } else if (const std::optional<QVariantMap> line = reasonLine(id)) {
            items.append({ id, filtered(*line, propertyNames) });
        }
    }
    return items;
}

QDBusVariant DBusMenuExporter::GetProperty(int id, const QString &name)
{
    if (refusedUnknown(id)) {
        return {};
    }
    const QAction *action = actionOf(id);
    const QVariantMap properties = action
        ? exportedProperties(*action)
        : (id == 0 ? rootProperties : reasonLine(id).value_or(QVariantMap()));
    const QVariant value = properties.value(name, protocolDefaults().value(name));
    if (!value.isValid() && calledFromDBus()) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No menu property %1").arg(name));
    }
    return QDBusVariant(value);
}

void DBusMenuExporter::open(QMenu *menu)
{
    if (!menu) {
        return;
    }
    noteOpener();
    if (std::find(m_open.cbegin(), m_open.cend(), menu) != m_open.cend()) {
        return;
    }
    m_open.append(menu);
    watch(menu);
    emit menu->aboutToShow();
}

void DBusMenuExporter::close(QMenu *menu)
{
    // Closing a menu closes the menus opened from it after it, the last first.
    const auto at = std::find(m_open.cbegin(), m_open.cend(), menu);
    if (at == m_open.cend()) {
        return;
    }
    const qsizetype first = at - m_open.cbegin();
    while (m_open.size() > first) {
        const QPointer<QMenu> closing = m_open.takeLast();
        if (closing) {
            emit closing->aboutToHide();
        }
    }
    if (m_open.isEmpty()) {
        m_openers.setWatchedServices({});
    }
}

void DBusMenuExporter::closeAll()
{
    while (!m_open.isEmpty()) {
        const QPointer<QMenu> closing = m_open.takeLast();
        if (closing) {
            emit closing->aboutToHide();
        }
    }
    m_openers.setWatchedServices({});
}

void DBusMenuExporter::noteOpener()
{
    if (!calledFromDBus()) {
        return;
    }
    const QString service = message().service();
    if (service.isEmpty() || m_openers.watchedServices().contains(service)) {
        return;
    }
    m_openers.addWatchedService(service);
    // A panel that left before the watch began would never be heard of leaving.
    QDBusMessage ask = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("NameHasOwner"));
    ask.setArguments({ service });
    auto *pending = new QDBusPendingCallWatcher(m_bus.asyncCall(ask), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
        [this, service](QDBusPendingCallWatcher *answered) {
            answered->deleteLater();
            const QDBusPendingReply<bool> reply = *answered;
            if (reply.isValid() && !reply.value()) {
                openerGone(service);
            }
        });
}

void DBusMenuExporter::openerGone(const QString &service)
{
    if (!m_openers.removeWatchedService(service)) {
        return;
    }
    // Another panel that opened the menu may still show it.
    if (m_openers.watchedServices().isEmpty()) {
        closeAll();
    }
}

bool DBusMenuExporter::handleEvent(int id, const QString &eventId)
{
    if (eventId == QLatin1String("opened")) {
        QMenu *menu = menuOf(id);
        open(menu);
        return menu != nullptr;
    }
    if (eventId == QLatin1String("closed")) {
        QMenu *menu = menuOf(id);
        close(menu);
        return menu != nullptr;
    }
    if (eventId == QLatin1String("clicked")) {
        QAction *action = actionOf(id);
        if (!action) {
            // A reason line does nothing.
            return isKnown(id);
        }
        if (action->isEnabled() && action->isVisible() && !action->menu()) {
            // As on the screen: the menu closes first, and the item runs after that, outside the
            // panel's call.
            close(m_menu);
            QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
        }
        return true;
    }
    return isKnown(id);
}

void DBusMenuExporter::Event(int id, const QString &eventId, const QDBusVariant &, uint)
{
    if (!refusedUnknown(id)) {
        handleEvent(id, eventId);
    }
}

QList<int> DBusMenuExporter::EventGroup(const QList<DBusMenuEvent> &events)
{
    QList<int> errors;
    for (const DBusMenuEvent &event : events) {
        if (!handleEvent(event.id, event.eventId)) {
            errors.append(event.id);
        }
    }
    return errors;
}

bool DBusMenuExporter::AboutToShow(int id)
{
    if (refusedUnknown(id)) {
        return false;
    }
    QMenu *menu = menuOf(id);
    if (!menu) {
        return false;
    }
    const uint before = m_revision;
    // A panel that never said the menu closed still gets it filled afresh.
    close(menu);
    open(menu);
    return m_revision != before;
}

QList<int> DBusMenuExporter::AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors)
{
    QList<int> updatesNeeded;
    for (const int id : ids) {
        if (!menuOf(id)) {
            idErrors.append(id);
        } else if (AboutToShow(id)) {
            updatesNeeded.append(id);
        }
    }
    return updatesNeeded;
}
