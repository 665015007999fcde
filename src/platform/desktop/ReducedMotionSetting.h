#pragma once

#include <QObject>
#include <QString>

class QFileSystemWatcher;
struct _GSettings;

// Whether the user asked the desktop for reduced motion: GNOME's animations switched off
// (org.gnome.desktop.interface enable-animations, where that schema is installed) or KDE's
// animation speed set to instant (AnimationDurationFactor 0 in the [KDE] group of the user's
// kdeglobals). Read once, then kept up to date as either changes. Make and use it on the GUI
// thread: GSettings announces its changes on GLib's loop, which that thread's event loop runs.
class ReducedMotionSetting : public QObject
{
    Q_OBJECT
public:
    explicit ReducedMotionSetting(QObject *parent = nullptr);
    ~ReducedMotionSetting() override;

    bool reduceMotion() const { return m_gnomeReduces || m_kdeReduces; }

Q_SIGNALS:
    void reduceMotionChanged(bool reduceMotion);

private:
    void readGnome();
    void readKde();
    void watchKde();
    void update(bool gnomeReduces, bool kdeReduces);

    _GSettings *m_gnome = nullptr;
    QString m_kdeglobals;
    QFileSystemWatcher *m_watcher;
    bool m_gnomeReduces = false;
    bool m_kdeReduces = false;
};
