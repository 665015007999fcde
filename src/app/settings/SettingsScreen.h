#pragma once

#include "kit/ui/MenuBarAppWindow.h"
#include "platform/events/AnyPublisher.h"

#include <QList>

#include <optional>

class QTabBar;

// The settings window: four tabs of controls, each bound to its setting, writing it at once and
// following changes made elsewhere. 460 wide, as tall as the shown tab needs, above other windows.
class SettingsScreen : public MenuBarAppWindow
{
    Q_OBJECT

public:
    static constexpr int fixedWidth = 460;

    // `trayShowsLabel` tells whether the tray in use shows a label beside its icon, and each
    // change of tray (see DurationSetting).
    explicit SettingsScreen(std::optional<Events::AnyPublisher<bool>> trayShowsLabel = std::nullopt);

    // Brings the one settings window to the front, creating it when there is none.
    static SettingsScreen *show(std::optional<Events::AnyPublisher<bool>> trayShowsLabel = std::nullopt);

    QTabBar *tabBar() const { return m_tabBar; }
    QWidget *currentPage() const;

protected:
    bool event(QEvent *event) override;

private:
    void showTab(int index);
    void fitToContent();

    QTabBar *m_tabBar;
    QList<QWidget *> m_pages;
};
