#include "generic/string_utility.h"

#include "runtime/number_format.h"
#include "runtime/stream.h"

String UpperCase(std::string_view text) {
  String result = String::Copy(text);
  char* data = result.WritableData();
  for (int i = 0; i < result.Length(); ++i) {
    if (data[i] >= 'a' && data[i] <= 'z') data[i] = static_cast<char>(data[i] - 'a' + 'A');
  }
  return result;
}

String Left(const String& text, int count) { return text.Substring(0, count); }

String From(const String& text, int position) { return text.Substring(position, text.Length()); }

String Mid(const String& text, int position, int count) { return text.Substring(position, count); }

int Find(std::string_view text, int from, std::string_view what) {
  if (what.empty()) return -1;
  size_t start = from < 0 ? 0 : static_cast<size_t>(from);
  if (start > text.size()) return -1;
  size_t found = text.find(what, start);
  return found == std::string_view::npos ? -1 : static_cast<int>(found);
}

void PadRight(String& text, char c, int width) {
  if (c == '\0') return;
  int missing = width - text.Length();
  if (missing <= 0) return;
  text.ReplaceRange(text.Length(), 0, missing);
  char* data = text.WritableData();
  for (int i = text.Length() - missing; i < text.Length(); ++i) data[i] = c;
}

String PadText(const String& text, int width) {
  String padded = text;
  PadRight(padded, ' ', width);
  return padded;
}

String IntText(int64_t value, int digits) {
  String text;
  StringStream out(text);
  PutNumber(out, value, NumberZeroFill, 0, digits, 0, 0);
  return text;
}
