#include "platform/desktop/DesktopAccessibility.h"

#include "platform/desktop/GLibIncludes.h"

namespace {
constexpr char schemaId[] = "org.gnome.desktop.a11y.interface";
constexpr char highContrastKey[] = "high-contrast";
} // namespace

bool DesktopAccessibility::shouldDifferentiateWithoutColor()
{
    // GSettings aborts the process on an unknown schema or key, so both are looked up first.
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    if (!source) {
        return false;
    }
    GSettingsSchema *schema = g_settings_schema_source_lookup(source, schemaId, TRUE);
    if (!schema) {
        return false;
    }
    const bool hasKey = g_settings_schema_has_key(schema, highContrastKey);
    g_settings_schema_unref(schema);
    if (!hasKey) {
        return false;
    }
    GSettings *settings = g_settings_new(schemaId);
    const bool highContrast = g_settings_get_boolean(settings, highContrastKey);
    g_object_unref(settings);
    return highContrast;
}
