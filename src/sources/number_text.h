// Numbers as the window shows them and reads them back.
#pragma once

#include "platform/text.h"

namespace velkora {

// The default text of a double: at most 15 significant digits, an exact tie
// at the 15th digit rounded away from zero, trailing zeros dropped, the
// locale's decimal separator, no digit grouping, no decimal part for a whole
// value. Very large or very small magnitudes use an exponent ("1E+15").
Text DoubleText(double value, const Text& decimalSeparator);

// A number from a text by the locale's rules: optional blanks around it, an
// optional sign, digits, and optionally the decimal separator and more digits.
// Raises a type-mismatch error for anything else.
double ParseNumber(const Text& text, const Text& decimalSeparator);

}  // namespace velkora
