#include "platform/desktop/ReducedMotionSetting.h"

#include "platform/desktop/DesktopGSettings.h"

#include "platform/events/RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QStandardPaths>

#include <optional>

namespace {

constexpr char gnomeSchema[] = "org.gnome.desktop.interface";
constexpr char gnomeKey[] = "enable-animations";
constexpr char gnomeChangedSignal[] = "changed::enable-animations";

// KDE's "instant" animation speed is a duration factor of 0; the last entry in the group counts.
bool kdeAnimationsInstant(const QByteArray &kdeglobals)
{
    bool inKdeGroup = false;
    std::optional<double> factor;
    for (const QByteArray &raw : kdeglobals.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inKdeGroup = line == "[KDE]" || line.startsWith("[KDE][$");
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inKdeGroup || equals < 0) {
            continue;
        }
        QByteArray key = line.left(equals);
        // Entry flags such as "[$i]" (immutable) follow the key's name.
        if (const qsizetype flags = key.indexOf("[$"); flags >= 0) {
            key.truncate(flags);
        }
        if (key.trimmed() == "AnimationDurationFactor") {
            bool ok = false;
            const double value = line.mid(equals + 1).trimmed().toDouble(&ok);
            factor = ok ? std::optional(value) : std::nullopt;
        }
    }
    return factor == 0.0;
}

} // namespace

ReducedMotionSetting::ReducedMotionSetting(QObject *parent)
    : QObject(parent)
    , m_gnome(DesktopGSettings::open(gnomeSchema, gnomeKey))
    , m_kdeglobals(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
          + QStringLiteral("/kdeglobals"))
    , m_watcher(new QFileSystemWatcher(this))
{
    if (m_gnome) {
        g_signal_connect(m_gnome, gnomeChangedSignal,
            G_CALLBACK(+[](GSettings *, const char *, gpointer self) {
                static_cast<ReducedMotionSetting *>(self)->readGnome();
            }),
            this);
        readGnome();
    }
    // KDE replaces the file on every write, which ends a watch on it; the folder's watch sees the
    // new file arrive, and then the file is watched again.
    const auto kdeChanged = [this] {
        watchKde();
        readKde();
    };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, kdeChanged);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, kdeChanged);
    kdeChanged();
}

ReducedMotionSetting::~ReducedMotionSetting()
{
    if (m_gnome) {
        g_signal_handlers_disconnect_by_data(m_gnome, this);
        g_object_unref(m_gnome);
    }
}

void ReducedMotionSetting::readGnome()
{
    update(!g_settings_get_boolean(m_gnome, gnomeKey), m_kdeReduces);
}

void ReducedMotionSetting::readKde()
{
    // Read again on every change in the folder: a FIFO put there must not hold the program up.
    const RegularFile::Contents file = RegularFile::read(m_kdeglobals);
    const bool instant
        = file.status == RegularFile::Contents::Status::read && kdeAnimationsInstant(file.bytes);
    update(m_gnomeReduces, instant);
}

void ReducedMotionSetting::watchKde()
{
    const QString folder = QFileInfo(m_kdeglobals).path();
    if (!m_watcher->directories().contains(folder) && QFileInfo::exists(folder)) {
        m_watcher->addPath(folder);
    }
    if (!m_watcher->files().contains(m_kdeglobals) && QFileInfo::exists(m_kdeglobals)) {
        m_watcher->addPath(m_kdeglobals);
    }
}

void ReducedMotionSetting::update(bool gnomeReduces, bool kdeReduces)
{
    const bool before = reduceMotion();
    m_gnomeReduces = gnomeReduces;
    m_kdeReduces = kdeReduces;
    if (reduceMotion() != before) {
        Q_EMIT reduceMotionChanged(reduceMotion());
    }
}
