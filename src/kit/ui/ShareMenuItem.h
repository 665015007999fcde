#pragma once

#include <QAction>

#include <memory>

class ShareMenu;

// A "Share" menu entry whose submenu is a share menu.
class ShareMenuItem : public QAction
{
    Q_OBJECT

public:
    explicit ShareMenuItem(QObject *parent = nullptr);
    ~ShareMenuItem() override;

    ShareMenu *shareMenu() const { return m_menu.get(); }

private:
    std::unique_ptr<ShareMenu> m_menu;
};
