#include "platform/audio/AudioLogging.h"

Q_LOGGING_CATEGORY(lcAudio, "tapewick.audio")
