#include "kit/foundation/panels/AppPicker.h"

#include "kit/foundation/errors/NSError.h"
#include "kit/foundation/files/ResourceValues.h"
#include "kit/foundation/system/FoundationHooks.h"

#include <QFileInfo>

namespace AppPicker {

PanelDelegate::PanelDelegate()
    : m_filename(FoundationHooks::appIdentifier() + QStringLiteral(".desktop"))
{ }

bool PanelDelegate::shouldEnableUrl(const QUrl &url)
{
    return QFileInfo(url.path()).fileName() != m_filename;
}

ErrorPtr PanelDelegate::validateUrl(const QUrl &url)
{
    if (!resourceValueBool(url, URLResourceKey::isApplication)) {
        return NSError::appError(
            QStringLiteral("The selected item is not an app."), QStringLiteral("Please select an app."))
            .clone();
    }
    if (validate) {
        try {
            validate(url);
        } catch (const Error &error) {
            return error.clone();
        }
    }
    return {};
}

} // namespace AppPicker
