#include "fieldbus/ascii_fallback.h"

namespace {

// U+00A0 to U+00FF, in order.
constexpr std::string_view Latin1[96] = {
    " ",   "!",   "c",   "GBP", "?",   "JPY", "|",   "S",   "\"",  "(C)", "a",   "<<",  "-",   "-",   "(R)", "-",
    "deg", "+/-", "2",   "3",   "'",   "u",   "P",   ".",   ",",   "1",   "o",   ">>",  "1/4", "1/2", "3/4", "?",
    "A",   "A",   "A",   "A",   "A",   "A",   "AE",  "C",   "E",   "E",   "E",   "E",   "I",   "I",   "I",   "I",
    "D",   "N",   "O",   "O",   "O",   "O",   "O",   "x",   "O",   "U",   "U",   "U",   "U",   "Y",   "Th",  "ss",
    "a",   "a",   "a",   "a",   "a",   "a",   "ae",  "c",   "e",   "e",   "e",   "e",   "i",   "i",   "i",   "i",
    "d",   "n",   "o",   "o",   "o",   "o",   "o",   "/",   "o",   "u",   "u",   "u",   "u",   "y",   "th",  "y"};

struct Fallback {
  char32_t c;
  std::string_view text;
};

// The rest of Windows-1252 and the signs of units and quantities.
constexpr Fallback Others[] = {
    {0x0152, "OE"}, {0x0153, "oe"},  {0x0160, "S"},    {0x0161, "s"},   {0x0178, "Y"},   {0x017D, "Z"},
    {0x017E, "z"},  {0x0192, "f"},   {0x02C6, "^"},    {0x02DC, "~"},   {0x03A9, "Ohm"}, {0x03BC, "u"},
    {0x2013, "-"},  {0x2014, "-"},   {0x2018, "'"},    {0x2019, "'"},   {0x201A, ","},   {0x201C, "\""},
    {0x201D, "\""}, {0x201E, "\""},  {0x2020, "+"},    {0x2021, "+"},   {0x2022, "*"},   {0x2026, "..."},
    {0x2030, "o/oo"}, {0x2039, "<"}, {0x203A, ">"},    {0x20AC, "EUR"}, {0x2122, "(TM)"}, {0x2126, "Ohm"},
};

}  // namespace

std::string_view AsciiFallback(char32_t c) {
  if (c >= 0xA0 && c <= 0xFF) return Latin1[c - 0xA0];
  for (const Fallback& fallback : Others) {
    if (fallback.c == c) return fallback.text;
  }
  return "?";
}
