// The numbers of a data table, read strictly: a field holds one number and nothing
// else (spaces around it aside), or it is no number at all. A text such as "0x10",
// "12kg" or an empty field is thus told apart from the number 0.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Optional sign, decimal digits. Beyond the 64-bit range it saturates, which every
// field's range then refuses.
std::optional<int64_t> ReadWholeNumber(std::string_view text);
// Optional sign, digits with an optional decimal point, optional exponent. Beyond
// the range of a double it is infinite, below its smallest value 0.
std::optional<double> ReadRealNumber(std::string_view text);

// Without the spaces and tabs around it.
std::string_view TrimBlanks(std::string_view text);
