// Numbers and colours as the editing dialogs show and read them, apart from
// the widgets so that they can be checked without a display. The numbers
// follow the C library's current locale, which the program takes from the
// user's settings at start-up: a comma as decimal separator in Italy.
#pragma once

#include <cstdint>
#include <string>

#include "core/expr/GraphFunction.h"

// A window bound as the parameters dialog shows it: printf's "%02.8f".
std::string FormatParamValue(double dValue);
// The divisions as the parameters dialog shows them: printf's "%02d".
std::string FormatDivisions(std::int32_t nValue);

// atof: leading white space skipped, then the longest prefix that reads as a
// decimal number (sign, digits, the locale's decimal separator, exponent);
// 0 when there is none. Words such as "inf" or "nan" and hexadecimal forms
// are no decimal numbers, and a number too large for a double gives 0 too:
// a window bound must be finite.
double ParseNumber(const std::string& strText);

// atoi: leading white space skipped, then an optionally signed run of
// digits; 0 when there is none. A run beyond the 32-bit range gives the
// nearest end of that range.
std::int32_t ParseWholeNumber(const std::string& strText);

// The X bounds also take the words "PI", "-PI", "2PI" and "-2PI", in capitals
// or in small letters, compared with the whole text; anything else goes to
// ParseNumber.
double ParsePiValue(const std::string& strText);

// The curve colour of the palette item with this name (UTF-8, compared byte
// for byte); black when no item has it.
COLORREF PaletteColorFromName(const std::string& strName);

// The position of the palette item whose curve colour is crColor, or -1.
int FindPaletteItem(COLORREF crColor);
