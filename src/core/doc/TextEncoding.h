// The 8-bit text of files is Windows-1252, the code page of the program's
// Western-European users, so that their files open byte for byte; in memory
// text is UTF-8.
#pragma once

#include <string>
#include <string_view>

// Every byte has a character: the five bytes Windows-1252 leaves undefined
// stand for the control characters of the same number, so any file text
// survives a read and a write unchanged.
std::string Cp1252ToUtf8(std::string_view strText);

// Characters Windows-1252 cannot hold, and bytes that are not valid UTF-8,
// become '?'.
std::string Utf8ToCp1252(std::string_view strText);

// UTF-16 code units to Windows-1252: one '?' per character it cannot hold,
// and per unpaired surrogate.
std::string Utf16ToCp1252(std::u16string_view strText);
