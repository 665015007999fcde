#include "platform/desktop/DesktopGSettings.h"

GSettings *DesktopGSettings::open(const char *schemaId, const char *key)
{
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    if (!source) {
        return nullptr;
    }
    GSettingsSchema *schema = g_settings_schema_source_lookup(source, schemaId, TRUE);
    if (!schema) {
        return nullptr;
    }
    const bool hasKey = g_settings_schema_has_key(schema, key);
    g_settings_schema_unref(schema);
    return hasKey ? g_settings_new(schemaId) : nullptr;
}
