// Numbers read from and written to text the way the settings file and the version file hold them.
#pragma once

#include <cstdint>

#include "common/text.h"

// Leading blanks and tabs, an optional sign, then decimal digits up to the first other character;
// with radixPrefixes, "$" introduces hexadecimal and "%" binary digits. No digits give 0.
// Overflow wraps around in 64 bits rather than failing.
std::int64_t readInteger(std::u16string_view text, bool radixPrefixes);

// A decimal number with "." as the point, an optional exponent, or "Infinity"/"NaN" in any case
// (with a sign). Text that does not begin with a number gives 0.
double readDecimal(std::u16string_view text);

// Fixed point with 10 decimals; trailing zeros and then a trailing "." dropped.
Text formatDecimal10(float value);

Text formatInteger(std::int64_t value);
