#pragma once

#include <QUrl>

#include <optional>

class QuickLookPreviewController;

// The desktop's previewer for the items a controller hands it: each is opened with the
// application the desktop chose for its type. One panel serves the whole program.
class PreviewPanel
{
public:
    static PreviewPanel &shared();

    QuickLookPreviewController *dataSource() const { return m_dataSource; }
    QuickLookPreviewController *delegate() const { return m_delegate; }
    void setDataSource(QuickLookPreviewController *dataSource) { m_dataSource = dataSource; }
    void setDelegate(QuickLookPreviewController *delegate) { m_delegate = delegate; }

    // Asks the controller to take the panel, then opens its items; answers whether every item
    // was handed to an application.
    bool open(QuickLookPreviewController &controller);

private:
    QuickLookPreviewController *m_dataSource = nullptr;
    QuickLookPreviewController *m_delegate = nullptr;
};

// Serves one file to the previewer, whatever item it asks for.
class QuickLookPreviewController
{
public:
    std::optional<QUrl> url;

    bool acceptsPreviewPanelControl(const PreviewPanel &panel) const;
    void beginPreviewPanelControl(PreviewPanel &panel);
    void endPreviewPanelControl(PreviewPanel &panel);

    int numberOfPreviewItems(const PreviewPanel &panel) const;
    std::optional<QUrl> previewItem(const PreviewPanel &panel, int index) const;
};
