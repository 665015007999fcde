#include "kit/services/KwKit.h"

#include "kit/services/DebugLog.h"
#include "kit/services/KwApp.h"
#include "kit/services/SupportWindow.h"

#include "platform/events/MainThread.h"
#include "preferences/Defaults.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMutex>

namespace {

QMutex g_metadataMutex;
KwKit::Metadata g_metadata;

PropertyDate toPropertyDate(const QDateTime &time)
{
    return PropertyDate(std::chrono::milliseconds(time.toMSecsSinceEpoch()));
}

QDateTime fromPropertyDate(const PropertyDate &date)
{
    return QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(date.time_since_epoch()).count(), Qt::UTC);
}

void handleChord(KwKit::LaunchChord chord)
{
    switch (chord) {
    case KwKit::LaunchChord::SupportWindow:
        SupportWindow::show();
        break;
    case KwKit::LaunchChord::DeleteAllData:
        SupportWindow::confirmDeleteAllData();
        break;
    case KwKit::LaunchChord::None:
        break;
    }
}

} // namespace

KwKit &KwKit::shared()
{
    static KwKit *instance = [] {
        DebugLog::install();
        KwApp::installFoundationHooks();
        auto *kit
            = new KwKit({ UserDefaults::standard(), [] { return QGuiApplication::queryKeyboardModifiers(); },
                [](LaunchChord chord) { Events::runOnMain([chord] { handleChord(chord); }); } });
        // Only the process's own scratch directory goes: the recordings' directories are kept for
        // recovery, and the system temporary directory is everyone's.
        if (auto *application = QCoreApplication::instance()) {
            QObject::connect(
                application, &QCoreApplication::aboutToQuit, [] { KwApp::removeScratchDirectory(); });
        }
        return kit;
    }();
    return *instance;
}

KwKit::Metadata KwKit::metadata()
{
    QMutexLocker locker(&g_metadataMutex);
    return g_metadata;
}

void KwKit::setMetadata(Metadata metadata)
{
    QMutexLocker locker(&g_metadataMutex);
    g_metadata = std::move(metadata);
}

KwKit::LaunchChord KwKit::launchChord(Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers relevant
        = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const Qt::KeyboardModifiers support = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    if (relevant == support) {
        return LaunchChord::SupportWindow;
    }
    if (relevant == (support | Qt::MetaModifier)) {
        return LaunchChord::DeleteAllData;
    }
    return LaunchChord::None;
}

KwKit::KwKit(Environment environment)
{
    const Defaults::Key<qint64> launchCountKey("Kw_launchCount", 0, environment.database);
    const Defaults::Key<std::optional<PropertyDate>> firstLaunchDateKey(
        "Kw_firstLaunchDate", environment.database);

    m_launchCount = Defaults::get(launchCountKey) + 1;
    Defaults::set(launchCountKey, m_launchCount);

    // Only meaningful where uncaught exceptions could be swallowed; kept for whoever reads it.
    environment.database->registerDefaults({ { "NSApplicationCrashOnExceptions", PropertyValue(true) } });

    if (const std::optional<PropertyDate> date = Defaults::get(firstLaunchDateKey)) {
        m_firstLaunchDate = fromPropertyDate(*date);
    } else {
        m_firstLaunchDate = QDateTime::currentDateTimeUtc();
        Defaults::set(firstLaunchDateKey, std::optional<PropertyDate>(toPropertyDate(m_firstLaunchDate)));
    }

    if (environment.heldModifiers && environment.handleChord) {
        const LaunchChord chord = launchChord(environment.heldModifiers());
        if (chord != LaunchChord::None) {
            environment.handleChord(chord);
        }
    }
}
