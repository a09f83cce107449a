// A readable stand-in in plain ASCII for a character that a description file cannot
// hold: the letter without its accent, "deg" for the degree sign, "u" for micro,
// "EUR" for the euro sign. Characters without one become "?".
#pragma once

#include <string_view>

// c is 0x80 or above.
std::string_view AsciiFallback(char32_t c);
