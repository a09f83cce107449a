// UTF-8 text from character codes, for every layer that turns codes back into text:
// the console's lines, the console window's runs, the edit box's typed characters.
#pragma once

#include <cstdint>
#include <string>

// Appends the code's one to four bytes. Codes beyond Unicode (above 0x10FFFF) become
// U+FFFD. Surrogate codes are written as their three bytes, as a lone one came in, so
// that the console gives back the bytes it was given.
void AppendUtf8(std::string& text, uint32_t code);
