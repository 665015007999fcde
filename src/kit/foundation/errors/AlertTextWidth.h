#pragma once

class QMessageBox;

// How wide an alert lays out its message. A message box is only as wide as its title, so a short
// title squeezes a long message into a narrow column; with this, the message keeps its own width
// (its longest line) up to a readable measure, and wraps only beyond it.
namespace AlertTextWidth {

// The readable measure, in average characters of the message's font.
inline constexpr int readableCharacters = 60;

// Applies the rule each time the alert is shown, to whatever message it has then. GUI thread.
void fitMessage(QMessageBox &alert);

} // namespace AlertTextWidth
