#include "platform/hotkeys/HotKeysLogging.h"

Q_LOGGING_CATEGORY(lcHotKeys, "tapewick.hotkeys")
