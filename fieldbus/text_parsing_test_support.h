// What the test parsers of the description formats share: trimming, letter case,
// lines, numbers as the formats write them. Free of the test framework, so that the
// fuzz targets check with the same parsers.
#pragma once

#include <cctype>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

// "line N: message", N counted up to the offset at.
inline bool FailAt(std::string& error, const std::string& text, size_t at, const std::string& message) {
  size_t line = 1;
  for (size_t i = 0; i < at && i < text.size(); ++i) line += text[i] == '\n';
  error = "line " + std::to_string(line) + ": " + message;
  return false;
}

inline std::string Trim(const std::string& text) {
  size_t start = text.find_first_not_of(" \t\r\n");
  if (start == std::string::npos) return "";
  size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(start, end - start + 1);
}

inline std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Lines without their CR LF or LF.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// Decimal, or hexadecimal after "0x"; nothing else on the line.
inline bool Number(const std::string& text, long long& value) {
  std::string trimmed = Trim(text);
  if (trimmed.empty()) return false;
  char* end = nullptr;
  value = std::strtoll(trimmed.c_str(), &end, 0);
  return *end == '\0';
}
