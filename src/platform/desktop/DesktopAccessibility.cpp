#include "platform/desktop/DesktopAccessibility.h"

#include "platform/desktop/DesktopGSettings.h"

namespace {
constexpr char schemaId[] = "org.gnome.desktop.a11y.interface";
constexpr char highContrastKey[] = "high-contrast";
} // namespace

bool DesktopAccessibility::shouldDifferentiateWithoutColor()
{
    GSettings *settings = DesktopGSettings::open(schemaId, highContrastKey);
    if (!settings) {
        return false;
    }
    const bool highContrast = g_settings_get_boolean(settings, highContrastKey);
    g_object_unref(settings);
    return highContrast;
}
