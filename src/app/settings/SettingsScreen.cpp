#include "app/settings/SettingsScreen.h"

#include "app/settings/AdvancedSettings.h"
#include "app/settings/AppearanceSettings.h"
#include "app/settings/GeneralSettings.h"
#include "app/settings/ShortcutsSettings.h"
#include "kit/services/KwApp.h"
#include "kit/ui/SettingsTabType.h"
#include "kit/ui/WindowLevel.h"

#include <QEvent>
#include <QTabBar>
#include <QVBoxLayout>

SettingsScreen::SettingsScreen(std::optional<Events::AnyPublisher<bool>> trayShowsLabel)
    : m_tabBar(new QTabBar(this))
{
    setObjectName(QLatin1String(KwApp::settingsWindowObjectName));
    setAttribute(Qt::WA_DeleteOnClose);
    m_tabBar->setExpanding(false);
    m_tabBar->setDrawBase(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_tabBar, 0, Qt::AlignHCenter);

    const std::pair<SettingsTabType, QWidget *> pages[] = {
        { SettingsTabType::general, makeGeneralSettings() },
        { SettingsTabType::appearance, makeAppearanceSettings(std::move(trayShowsLabel)) },
        { SettingsTabType::shortcuts, makeShortcutsSettings() },
        { SettingsTabType::advanced, makeAdvancedSettings() },
    };
    for (const auto &[type, page] : pages) {
        const Label label = SettingsTab::label(type);
        m_tabBar->addTab(label.icon, label.title);
        // Hidden pages take no room: the window is as tall as the shown tab needs.
        page->setParent(this);
        page->hide();
        layout->addWidget(page);
        m_pages.append(page);
    }

    connect(m_tabBar, &QTabBar::currentChanged, this, &SettingsScreen::showTab);
    showTab(m_tabBar->currentIndex());
    setWindowLevel(this, WindowLevel::floating);
}

SettingsScreen *SettingsScreen::show(std::optional<Events::AnyPublisher<bool>> trayShowsLabel)
{
    auto *screen = qobject_cast<SettingsScreen *>(KwApp::settingsWindow());
    if (!screen) {
        screen = new SettingsScreen(std::move(trayShowsLabel));
    }
    screen->QWidget::show();
    screen->raise();
    screen->activateWindow();
    return screen;
}

QWidget *SettingsScreen::currentPage() const
{
    return m_pages.value(m_tabBar->currentIndex());
}

void SettingsScreen::showTab(int index)
{
    for (int page = 0; page < m_pages.size(); ++page) {
        m_pages[page]->setVisible(page == index);
    }
    setWindowTitle(m_tabBar->tabText(index));
    fitToContent();
}

void SettingsScreen::fitToContent()
{
    QLayout *content = layout();
    content->activate();
    const int height = content->hasHeightForWidth() ? content->totalHeightForWidth(fixedWidth)
                                                    : content->totalSizeHint().height();
    setFixedSize(fixedWidth, height);
}

bool SettingsScreen::event(QEvent *event)
{
    const bool handled = MenuBarAppWindow::event(event);
    // A wrapped line more or less (the file-name preview) changes the height the tab needs.
    if (event->type() == QEvent::LayoutRequest) {
        fitToContent();
    }
    return handled;
}
