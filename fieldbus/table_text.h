// The texts of a data table as the generator keeps them: UTF-8. A table comes from
// a unit or from an editor on a PC, in UTF-8 or in the 8-bit Windows code page of
// western Europe; each line is read as UTF-8 when it is valid UTF-8 and as
// Windows-1252 otherwise, so either kind of table keeps its names.
#pragma once

#include <string>
#include <string_view>

std::string DecodeTableLine(std::string_view bytes);

// The UTF-8 byte order mark some editors put before the first line.
inline constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// Walks the code points of a text that DecodeTableLine made (valid UTF-8): false
// at the end.
bool NextCodePoint(std::string_view utf8, size_t& at, char32_t& c);
void AppendUtf8(std::string& text, char32_t c);
