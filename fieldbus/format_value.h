// A limit or default of a data row as the description files write it: in the form
// of the row's data type.
#pragma once

#include <cstdint>
#include <string>

// BOOL "0" or "1"; BITS16 "0x" and four hex digits; REAL32 seven significant
// digits; SIGNED32 a decimal integer (toward zero); any other type an empty text.
std::string FormatValue(double number, uint8_t type);
