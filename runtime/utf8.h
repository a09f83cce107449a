// UTF-8 text and character codes, for every layer: the console's lines, the console
// window's runs, the edit box's typed characters, the fonts' measures and the display's
// text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Appends the code's one to four bytes. Codes beyond Unicode (above 0x10FFFF) become
// U+FFFD. Surrogate codes are written as their three bytes, as a lone one came in, so
// that the console gives back the bytes it was given.
void AppendUtf8(std::string& text, uint32_t code);

// The next code point of UTF-8 text from `at`, which moves past it; a byte that does
// not start a valid sequence stands for itself.
uint32_t NextCodePoint(std::string_view text, size_t& at);

// The length of the well-formed UTF-8 sequence at `at` (RFC 3629: no overlong forms,
// no surrogates, nothing beyond U+10FFFF), or 0.
size_t Utf8SequenceLength(std::string_view text, size_t at);

// Text from a unit or a PC file, as UTF-8: kept when it is valid UTF-8, else read as
// Windows-1252, the 8-bit code page of western Europe the units and older PC tools
// write.
std::string DecodeWindowsText(std::string_view bytes);
