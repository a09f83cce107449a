#include "fieldbus/table_numbers.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>
#include <system_error>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t SkipDigits(std::string_view text, size_t at) {
  while (at < text.size() && IsDigit(text[at])) ++at;
  return at;
}

// Splits off a leading sign; true for '-'.
bool TakeSign(std::string_view& text) {
  if (text.empty() || (text[0] != '+' && text[0] != '-')) return false;
  bool negative = text[0] == '-';
  text.remove_prefix(1);
  return negative;
}

// The power of ten of the number's first significant digit plus one: positive for
// numbers of 1 and above, which overflow upwards, and not above 0 for those that
// underflow. Valid for the texts ReadRealNumber accepts.
int64_t Magnitude(std::string_view mantissa, int64_t exponent) {
  size_t point = mantissa.find('.');
  std::string_view whole = mantissa.substr(0, point);
  size_t firstDigit = whole.find_first_not_of('0');
  if (firstDigit != std::string_view::npos) return static_cast<int64_t>(whole.size() - firstDigit) + exponent;
  std::string_view fraction = point == std::string_view::npos ? std::string_view() : mantissa.substr(point + 1);
  size_t firstFractionDigit = fraction.find_first_not_of('0');
  return exponent - static_cast<int64_t>(firstFractionDigit);
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  size_t start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(" \t") - start + 1);
}

std::optional<int64_t> ReadWholeNumber(std::string_view text) {
  text = TrimBlanks(text);
  bool negative = TakeSign(text);
  if (text.empty() || SkipDigits(text, 0) != text.size()) return std::nullopt;
  uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  uint64_t value = 0;
  for (char c : text) {
    auto digit = static_cast<uint64_t>(c - '0');
    value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
  }
  return negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
}

std::optional<double> ReadRealNumber(std::string_view text) {
  text = TrimBlanks(text);
  bool negative = TakeSign(text);
  size_t integerEnd = SkipDigits(text, 0);
  size_t mantissaEnd = integerEnd;
  size_t digits = integerEnd;
  if (mantissaEnd < text.size() && text[mantissaEnd] == '.') {
    mantissaEnd = SkipDigits(text, integerEnd + 1);
    digits += mantissaEnd - integerEnd - 1;
  }
  if (digits == 0) return std::nullopt;
  int64_t exponent = 0;
  if (mantissaEnd < text.size()) {
    if (text[mantissaEnd] != 'e' && text[mantissaEnd] != 'E') return std::nullopt;
    std::string_view power = text.substr(mantissaEnd + 1);
    std::optional<int64_t> value = ReadWholeNumber(power);
    if (!value || power != TrimBlanks(power)) return std::nullopt;
    // Far beyond any double either way, and safe to add to.
    exponent = std::clamp<int64_t>(*value, -1000000, 1000000);
  }
  std::string digitsText(text);
  const char* end = digitsText.data() + digitsText.size();
  double value = 0;
  auto [stop, error] = std::from_chars(digitsText.data(), end, value, std::chars_format::general);
  if (error == std::errc::result_out_of_range) {
    value = Magnitude(text.substr(0, mantissaEnd), exponent) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (error != std::errc() || stop != end) {
    return std::nullopt;
  }
  return negative ? -value : value;
}
