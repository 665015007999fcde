#include "recording/QuickLookPreviewController.h"

#include <QDesktopServices>

PreviewPanel &PreviewPanel::shared()
{
    static PreviewPanel panel;
    return panel;
}

bool PreviewPanel::open(QuickLookPreviewController &controller)
{
    if (!controller.acceptsPreviewPanelControl(*this)) {
        return false;
    }
    controller.beginPreviewPanelControl(*this);
    bool opened = true;
    for (int index = 0; index < m_dataSource->numberOfPreviewItems(*this); ++index) {
        const std::optional<QUrl> item = m_dataSource->previewItem(*this, index);
        opened = item && QDesktopServices::openUrl(*item) && opened;
    }
    controller.endPreviewPanelControl(*this);
    return opened;
}

bool QuickLookPreviewController::acceptsPreviewPanelControl(const PreviewPanel &) const
{
    return true;
}

void QuickLookPreviewController::beginPreviewPanelControl(PreviewPanel &panel)
{
    panel.setDelegate(this);
    panel.setDataSource(this);
}

void QuickLookPreviewController::endPreviewPanelControl(PreviewPanel &panel)
{
    panel.setDataSource(nullptr);
    panel.setDelegate(nullptr);
}

int QuickLookPreviewController::numberOfPreviewItems(const PreviewPanel &) const
{
    return 1;
}

std::optional<QUrl> QuickLookPreviewController::previewItem(const PreviewPanel &, int) const
{
    return url;
}
