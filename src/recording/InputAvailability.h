#pragma once

#include "kit/foundation/errors/NSError.h"

#include <QString>

#include <optional>

// Why no recording can start, decided in one place: the menu's greyed Record, the alert of a start
// (from the menu or a shortcut) and the bus's answer give the same reason and the same advice.
namespace InputAvailability {

enum class Reason {
    soundServerNotRunning,
    // No microphone nor line input; an output's monitor, which the server may have made the
    // default input, is none either.
    noInputDevices,
};

// What could not be done for that reason: monitoring needs an input as recording does.
enum class Purpose {
    recording,
    monitoring,
};

// Reads the sound server's devices; none when there is an input to record from.
std::optional<Reason> check();

QString description(Reason reason, Purpose purpose = Purpose::recording);
// What the user can do about it.
QString suggestion(Reason reason);
// Both in one text, for a tooltip or a caller over the bus.
QString text(Reason reason, Purpose purpose = Purpose::recording);
// Both as an alert shows them.
NSError error(Reason reason, Purpose purpose = Purpose::recording);

} // namespace InputAvailability
