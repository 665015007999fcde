#pragma once

#include "kit/foundation/text/TextRange.h"

#include <QString>

// The smallest range of whole user-perceived characters (grapheme clusters)
// that contains `range`, so that a result never splits an emoji from its
// modifier or a letter from its accent. An empty range inside a character
// widens to that character. `range` must lie within `text`.
TextRange composedCharacterRange(const QString &text, TextRange range);
