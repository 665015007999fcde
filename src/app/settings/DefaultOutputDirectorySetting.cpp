#include "app/settings/DefaultOutputDirectorySetting.h"

#include "app/SettingsKeys.h"
#include "app/settings/ChooseDirectory.h"
#include "app/settings/SettingsTexts.h"
#include "kit/services/AlertBuilder.h"
#include "kit/services/KwApp.h"
#include "preferences/DefaultAccessor.h"

#include <QHBoxLayout>
#include <QMessageBox>

namespace {

constexpr int maximumNameWidth = 160;
constexpr char tipIdentifier[] = "defaultOutputDirectoryTip";

std::optional<QUrl> storedLocation()
{
    const auto directory = Defaults::get(SettingsKeys::defaultOutputDirectory());
    return directory ? directory->resolvedURL() : std::nullopt;
}

} // namespace

DefaultOutputDirectorySetting::DefaultOutputDirectorySetting(QWidget *parent)
    : QWidget(parent)
    , m_chooser(new ChooseDirectory(bindingFrom(Default(SettingsKeys::defaultOutputDirectory())),
          SettingsTexts::outputDirectoryPanelMessage, maximumNameWidth, this))
    , m_location(storedLocation())
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_chooser);
    m_observation = Defaults::publisher(SettingsKeys::defaultOutputDirectory())
                        .receiveOnMain()
                        .sink([this](const auto &) { locationMayHaveChanged(); });
}

void DefaultOutputDirectorySetting::locationMayHaveChanged()
{
    const std::optional<QUrl> location = storedLocation();
    if (location == m_location) {
        return;
    }
    m_location = location;
    if (location && KwApp::runOnce(QString::fromLatin1(tipIdentifier))) {
        AlertOptions options;
        options.title = SettingsTexts::tipTitle;
        options.message = SettingsTexts::tipMessage;
        options.style = AlertStyle::Informational;
        QMessageBox *tip = makeAlert(options, window());
        tip->setAttribute(Qt::WA_DeleteOnClose);
        tip->open();
    }
}
