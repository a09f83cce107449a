// The keys a template placeholder can name: the table's totals, the current row's
// fields and bits, the SERIAL counter, and the keys that map a row onto one
// fieldbus's vocabulary. Each has a number, for arithmetic, and a text, for the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Counts the SERIAL lookups of one generation; GenerateFieldbusFiles starts it at 0.
extern int32_t SerialCounter;

// Keys are matched in any letter case. An unknown key writes "Lookup not found:" and
// the key to standard error and gives false. Every known one advances the progress
// bar a step.
bool Lookup(std::string_view key, float& number, std::string& text);
