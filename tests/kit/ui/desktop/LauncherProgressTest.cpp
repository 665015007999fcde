#include "kit/ui/DockProgress.h"

#include "EventLoop.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

// Listens on the session bus the way a dock does.
class Dock : public QObject
{
    Q_OBJECT

public:
    // A connection of its own, as a dock in another process has.
    Dock()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("dock")))
    {
        EXPECT_TRUE(m_bus.connect(QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"),
            QStringLiteral("Update"), this, SLOT(update(QDBusMessage))));
        // The bus handles a connection's messages in order: once this answers, the match is in place.
        m_bus.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
            QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
            QStringLiteral("GetId")));
    }
    ~Dock() override { QDBusConnection::disconnectFromBus(QStringLiteral("dock")); }

    // Application, progress and whether it is shown.
    QList<std::tuple<QString, double, bool>> updates;

private:
    QDBusConnection m_bus;

public Q_SLOTS:
    void update(const QDBusMessage &message)
    {
        const auto properties = qdbus_cast<QVariantMap>(message.arguments().value(1));
        updates.append({ message.arguments().value(0).toString(),
            properties.value(QStringLiteral("progress")).toDouble(),
            properties.value(QStringLiteral("progress-visible")).toBool() });
    }
};

TEST(LauncherProgressTest, DocksHearEachRedrawOnTheSessionBus)
{
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
    QGuiApplication::setDesktopFileName(QStringLiteral("com.larkvelden.Tapewick"));
    QPixmap icon(64, 64);
    icon.fill(Qt::darkGreen);
    QApplication::setWindowIcon(QIcon(icon));
    Dock dock;

    // 0.3 redraws, 0.305 does not, 0.4 does, 1.0 hides the progress.
    for (const double progress : { 0.3, 0.305, 0.4, 1.0 }) {
        DockProgress::setProgress(progress);
    }
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return dock.updates.size() >= 3; }));
    TestSupport::processEventsFor(std::chrono::milliseconds(200));
    ASSERT_EQ(dock.updates.size(), 3);
    const QString app = QStringLiteral("application://com.larkvelden.Tapewick.desktop");
    EXPECT_EQ(dock.updates[0], std::make_tuple(app, 0.3, true));
    EXPECT_EQ(dock.updates[1], std::make_tuple(app, 0.4, true));
    EXPECT_EQ(std::get<0>(dock.updates[2]), app);
    EXPECT_FALSE(std::get<2>(dock.updates[2]));

    // An application without an icon is left alone.
    QApplication::setWindowIcon(QIcon());
    DockProgress::setProgress(0.6);
    TestSupport::processEventsFor(std::chrono::milliseconds(200));
    EXPECT_EQ(dock.updates.size(), 3);
}

} // namespace

#include "LauncherProgressTest.moc"
