#include "platform/userdefaults/UserDefaultsLogging.h"

Q_LOGGING_CATEGORY(lcUserDefaults, "tapewick.userdefaults")
