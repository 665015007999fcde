#include "app/settings/DirectoryPicker.h"

#include "app/settings/SettingsTexts.h"
#include "app/settings/WritabilityProbe.h"
#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/foundation/panels/OpenPanel.h"
#include "kit/foundation/panels/PanelAsync.h"
#include "kit/foundation/panels/PanelDirectory.h"
#include "kit/services/KwApp.h"
#include "kit/ui/ActivationPolicy.h"
#include "kit/ui/WindowLevel.h"

#include <QAbstractItemView>

#include <memory>

namespace DirectoryPicker {

namespace {

OpenPanel *makePanel(const Options &options)
{
    auto *panel = new OpenPanel(options.parentWindow);
    panel->setFileMode(QFileDialog::Directory);
    panel->setOption(QFileDialog::ShowDirsOnly, true);
    panel->setOption(QFileDialog::ReadOnly, !options.canCreateDirectories);
    if (options.allowsMultipleSelection) {
        // The toolkit's dialog picks one directory unless its views are told otherwise.
        for (QAbstractItemView *view : panel->findChildren<QAbstractItemView *>()) {
            view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        }
    }
    if (options.directoryURL) {
        panel->setDirectory(panelDirectory(options.directoryURL));
    }
    panel->setPrompt(options.prompt.value_or(SettingsTexts::choosePrompt));
    panel->setMessage(options.message.value_or(QString()));
    if (options.shouldEnable) {
        auto delegate = std::make_shared<PanelDelegate>();
        delegate->shouldEnable = options.shouldEnable;
        panel->setDelegate(std::move(delegate));
    }
    if (!options.parentWindow && Activation::policy() == ActivationPolicy::accessory) {
        // A tray application has no window of its own in front; the panel must not hide behind others.
        setWindowLevel(panel, WindowLevel::floating);
    }
    return panel;
}

} // namespace

QCoro::Task<QList<QUrl>> pickDirectories(Options options)
{
    while (true) {
        std::unique_ptr<OpenPanel, void (*)(OpenPanel *)> panel(
            makePanel(options), [](OpenPanel *panel) { panel->deleteLater(); });
        KwApp::activate();
        const int response = co_await beginAsync(panel.get(), options.parentWindow);
        if (response != QDialog::Accepted) {
            co_return {};
        }
        const QList<QUrl> urls = panel->selectedUrls();
        panel.reset();
        if (!options.ensureWritable) {
            co_return urls;
        }
        ErrorPtr failure;
        for (const QUrl &url : urls) {
            if ((failure = WritabilityProbe::check(url))) {
                break;
            }
        }
        if (!failure) {
            co_return urls;
        }
        co_await presentAsModalAsync(*failure, options.parentWindow);
    }
}

QCoro::Task<std::optional<QUrl>> pickDirectory(Options options)
{
    options.allowsMultipleSelection = false;
    const QList<QUrl> urls = co_await pickDirectories(std::move(options));
    if (urls.isEmpty()) {
        co_return std::nullopt;
    }
    co_return urls.first();
}

} // namespace DirectoryPicker
