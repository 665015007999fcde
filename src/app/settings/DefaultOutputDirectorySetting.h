#pragma once

#include "platform/events/AnyCancellable.h"

#include <QUrl>
#include <QWidget>

#include <optional>

class ChooseDirectory;

// The chooser of the "defaultOutputDirectory" setting. The first time a directory is set in the
// installation's life, a tip tells how to pick another place for a single recording.
class DefaultOutputDirectorySetting : public QWidget
{
    Q_OBJECT

public:
    explicit DefaultOutputDirectorySetting(QWidget *parent = nullptr);

    ChooseDirectory *chooser() const { return m_chooser; }

private:
    void locationMayHaveChanged();

    ChooseDirectory *m_chooser;
    std::optional<QUrl> m_location;
    Events::AnyCancellable m_observation;
};
