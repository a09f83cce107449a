// Windows speaks UTF-16 at its W calls; the program keeps UTF-8 throughout. These
// convert at that boundary, and turn the system's error numbers into texts and into
// the C library's numbers the callers test. Built for Windows only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/string.h"

std::wstring WideText(std::string_view utf8);
std::string Utf8Text(std::wstring_view wide);
// One code point, two UTF-16 units beyond U+FFFF.
void AppendUtf16(std::wstring& text, uint32_t code);
// FormatMessage's text for a GetLastError() number, without its line end.
String WindowsErrorText(unsigned long error);
// The C library's error number for a GetLastError() number (EIO for the rest).
int ErrorNumberOfWindowsError(unsigned long error);
