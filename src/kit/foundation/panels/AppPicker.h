#pragma once

#include "kit/foundation/panels/OpenPanelDelegate.h"

#include <functional>

// Restricts a panel to applications (desktop entry files); the program's own entry cannot be picked.
namespace AppPicker {

class PanelDelegate : public OpenPanelDelegate
{
public:
    // The file name of the program's own entry: its identifier and ".desktop".
    PanelDelegate();

    const QString &filename() const { return m_filename; }
    // Runs for an application the user picked; an error it throws refuses the pick.
    std::function<void(const QUrl &)> validate;

    bool shouldEnableUrl(const QUrl &url) override;
    ErrorPtr validateUrl(const QUrl &url) override;

private:
    QString m_filename;
};

} // namespace AppPicker
