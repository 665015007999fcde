#pragma once

#include "kit/foundation/text/TextFont.h"

#include <QFont>

// The bold face of the font's family at its size. Only boldness is asked for:
// an italic slant is not carried over. Fixed-width digits are kept.
QFont boldFont(const QFont &font);
TextFont boldFont(const TextFont &font);
