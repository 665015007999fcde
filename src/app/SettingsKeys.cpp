#include "app/SettingsKeys.h"

namespace SettingsKeys {

const Defaults::Key<bool> &lossless()
{
    static const Defaults::Key<bool> key("lossless", false);
    return key;
}

const Defaults::Key<bool> &showDurationInMenuBar()
{
    static const Defaults::Key<bool> key("showDurationInMenuBar", false);
    return key;
}

const Defaults::Key<bool> &showInFinderAfterSaving()
{
    static const Defaults::Key<bool> key("showInFinderAfterSaving", true);
    return key;
}

const Defaults::Key<bool> &copyRecordingWhenDone()
{
    static const Defaults::Key<bool> key("copyRecordingWhenDone", false);
    return key;
}

const Defaults::Key<std::optional<SandboxURLBookmark>> &defaultOutputDirectory()
{
    static const Defaults::Key<std::optional<SandboxURLBookmark>> key("defaultOutputDirectory");
    return key;
}

const Defaults::Key<std::optional<SandboxURLBookmark>> &previousRecording()
{
    static const Defaults::Key<std::optional<SandboxURLBookmark>> key("previousRecording");
    return key;
}

const Defaults::Key<std::set<std::string>> &forceMono()
{
    static const Defaults::Key<std::set<std::string>> key("forceMono", {});
    return key;
}

const Defaults::Key<MenuBarIcon> &menuBarIcon()
{
    static const Defaults::Key<MenuBarIcon> key("menuBarIcon", MenuBarIcon::microphone);
    return key;
}

const Defaults::Key<bool> &dimMenuBarIconWhenNotRecording()
{
    static const Defaults::Key<bool> key("dimMenuBarIconWhenNotRecording", false);
    return key;
}

const Defaults::Key<std::optional<std::string>> &filenamePrefix()
{
    static const Defaults::Key<std::optional<std::string>> key("filenamePrefix");
    return key;
}

const Defaults::Key<std::optional<std::string>> &filenameTemplate()
{
    static const Defaults::Key<std::optional<std::string>> key("filenameTemplate");
    return key;
}

const Defaults::Key<bool> &monitorInput()
{
    static const Defaults::Key<bool> key("monitorInput", false);
    return key;
}

} // namespace SettingsKeys
