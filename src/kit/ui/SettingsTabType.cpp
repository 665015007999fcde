#include "kit/ui/SettingsTabType.h"

#include "kit/ui/SymbolImage.h"

#include <QCoreApplication>

namespace SettingsTab {

namespace {
const Entry &entryOf(SettingsTabType type)
{
    return entries.at(static_cast<std::size_t>(type));
}
} // namespace

Label label(SettingsTabType type)
{
    const Entry &entry = entryOf(type);
    return { QCoreApplication::translate("SettingsTabType", entry.title),
        SymbolImage::systemSymbol(QLatin1String(entry.symbol)).value_or(QIcon()) };
}

QString symbolName(SettingsTabType type)
{
    return QLatin1String(entryOf(type).symbol);
}

} // namespace SettingsTab
