#pragma once

#include <QLabel>

#include <memory>
#include <optional>

// A label for text that may be missing: none for none, and otherwise the text exactly as given
// (the empty text too), never read as rich text or as a mnemonic.
std::unique_ptr<QLabel> optionalText(const std::optional<QString> &text);
