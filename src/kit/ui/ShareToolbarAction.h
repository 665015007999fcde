#pragma once

#include <QWidgetAction>

class ShareMenu;

// A "Share" toolbar entry that opens a share menu at once, without a menu arrow.
class ShareToolbarAction : public QWidgetAction
{
    Q_OBJECT

public:
    explicit ShareToolbarAction(QObject *parent = nullptr);
    ~ShareToolbarAction() override;

    ShareMenu *shareMenu() const { return m_menu.get(); }

protected:
    QWidget *createWidget(QWidget *parent) override;

private:
    std::unique_ptr<ShareMenu> m_menu;
};
