#pragma once

#include "kit/ui/MenuBarAppWindow.h"

#include <QList>

class QTabBar;

// The settings window: four tabs of controls, each bound to its setting, writing it at once and
// following changes made elsewhere. 460 wide, as tall as the shown tab needs, above other windows.
class SettingsScreen : public MenuBarAppWindow
{
    Q_OBJECT

public:
    static constexpr int fixedWidth = 460;

    SettingsScreen();

    // Brings the one settings window to the front, creating it when there is none.
    static SettingsScreen *show();

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
