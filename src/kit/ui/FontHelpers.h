#pragma once

#include "kit/foundation/text/TextFont.h"

#include <QFont>

// The bold face of the font's family at its size. Only boldness is asked for:
// an italic slant is not carried over. Fixed-width digits are kept.
QFont boldFont(const QFont &font);
TextFont boldFont(const TextFont &font);

// A font's weight and width on the scales of the system the program was first made for:
// weight from -1 (lightest) over 0 (regular) to 1 (heaviest), width from -1 (narrowest) over 0
// (normal) to 1 (widest).
struct FontTraits
{
    double weight = 0;
    double width = 0;
};

FontTraits fontTraits(const QFont &font);
