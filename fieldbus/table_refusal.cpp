#include "fieldbus/table_refusal.h"

#include "fieldbus/table_text.h"

namespace {

String lastRefusal;

// Enough of a text to find it in the table.
constexpr size_t ShownLength = 40;

}  // namespace

std::string RefusalText(const TableRefusal& refusal) {
  std::string text = "line " + std::to_string(refusal.line);
  if (!refusal.column.empty()) text += ", " + refusal.column;
  return text + ": " + refusal.reason;
}

std::string Shown(std::string_view text) {
  std::string shown;
  size_t at = 0;
  size_t count = 0;
  char32_t c;
  while (NextCodePoint(text, at, c)) {
    if (++count > ShownLength) return shown + "...";
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) shown += '?';
    else AppendUtf8(shown, c);
  }
  return shown;
}

std::string Quoted(std::string_view text) { return text.empty() ? "an empty field" : "\"" + Shown(text) + "\""; }

String LastFieldbusRefusal() { return lastRefusal; }

void SetFieldbusRefusal(std::string_view text) {
  lastRefusal = String::Copy(text.substr(0, MaxStringLength));
}
