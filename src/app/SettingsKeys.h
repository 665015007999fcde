#pragma once

#include "app/BookmarkDefaults.h"
#include "app/MenuBarIcon.h"
#include "kit/foundation/files/SandboxURLBookmark.h"
#include "preferences/Defaults.h"

#include <optional>
#include <set>
#include <string>

// The recorder's settings, all in the standard database. Each key is created,
// and registers its default, on first use.
namespace SettingsKeys {

const Defaults::Key<bool> &lossless();
const Defaults::Key<bool> &showDurationInMenuBar();
const Defaults::Key<bool> &showInFinderAfterSaving();
const Defaults::Key<bool> &copyRecordingWhenDone();
const Defaults::Key<std::optional<SandboxURLBookmark>> &defaultOutputDirectory();
const Defaults::Key<std::optional<SandboxURLBookmark>> &previousRecording();
// Unique identifiers of the input devices recorded in mono.
const Defaults::Key<std::set<std::string>> &forceMono();
const Defaults::Key<MenuBarIcon> &menuBarIcon();
const Defaults::Key<bool> &dimMenuBarIconWhenNotRecording();
const Defaults::Key<std::optional<std::string>> &filenamePrefix();
// A date format that replaces the default naming; no setting control writes it.
const Defaults::Key<std::optional<std::string>> &filenameTemplate();
const Defaults::Key<bool> &monitorInput();

} // namespace SettingsKeys
