#pragma once

#include <QCheckBox>
#include <QObject>
#include <QString>

// Whether the application starts when the user logs in: an XDG autostart entry for it in
// $XDG_CONFIG_HOME/autostart, read afresh each time, so a change made elsewhere shows at once.
// The entry is the program's installed desktop entry (names, icon, comment as the desktop shows
// them) starting the running executable, so a program run from where it was built starts too.
class LaunchAtLoginObservable : public QObject
{
    Q_OBJECT

public:
    // The one the settings use, made on first use.
    static LaunchAtLoginObservable &shared();

    // `desktopId` names the installed entry and, as installed, the icon.
    LaunchAtLoginObservable(
        QString entryPath, QString executable, QString applicationName, QString desktopId);

    const QString &entryPath() const { return m_entryPath; }

    bool isEnabled() const;
    // Writes or removes the entry and tells observers; a failure is reported and shown.
    void setEnabled(bool enabled);

Q_SIGNALS:
    void changed(bool enabled);

private:
    QString m_entryPath;
    QString m_executable;
    QString m_applicationName;
    QString m_desktopId;
};

// A switch for launching at login.
class LaunchAtLoginToggle : public QCheckBox
{
    Q_OBJECT

public:
    explicit LaunchAtLoginToggle(const QString &label,
        LaunchAtLoginObservable &launchAtLogin = LaunchAtLoginObservable::shared(),
        QWidget *parent = nullptr);

protected:
    // The entry may have changed behind the program's back.
    void showEvent(QShowEvent *event) override;

private:
    void refresh();

    LaunchAtLoginObservable &m_launchAtLogin;
};
