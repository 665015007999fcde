#pragma once

#include "kit/collections/OrderedDictionary.h"

#include <QString>

#include <optional>

// The facts a bug report needs: versions, system, machine, memory and the custom entries.
namespace DebugInfo {

// The whole text: the system facts, then a blank line and the custom entries when there are any.
QString text();
// The system facts in the order they are shown: the program's name with its version first, then
// labels with their values.
OrderedDictionary<QString, QString> systemEntries();
// "Name version", then one "Label: value" line each.
QString systemText();
// "key: value" lines of KwApp::customDebugInfo(), sorted by key.
QString customEntriesText();

// MemTotal of a /proc/meminfo text, as a size ("16 GB"); none when absent.
std::optional<QString> totalMemory(const QString &meminfoText);
// Vendor and product of the machine from a DMI directory; none when neither can be read.
std::optional<QString> machineModel(const QString &dmiDirectory = QStringLiteral("/sys/class/dmi/id"));

} // namespace DebugInfo
