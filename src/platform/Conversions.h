#pragma once
// The runtime's text-to-number conversions, with its error texts.
#include "platform/AnsiString.h"

// A decimal integer (leading blanks, a sign and leading zeros allowed; "$" or "0x" introduce
// hexadecimal digits) in the range of a 32-bit integer. Throws EConvertError
// "'%s' is not a valid integer value" otherwise.
int StrToInt(const AnsiString& text);

// A decimal number with a point as the decimal separator, an optional fraction and exponent,
// blanks allowed around it. Throws EConvertError "'%s' is not a valid floating point value"
// otherwise (an empty text included).
double StrToFloat(const AnsiString& text);
