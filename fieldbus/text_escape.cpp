#include "fieldbus/text_escape.h"

#include <cstdio>

#include "fieldbus/ascii_fallback.h"
#include "fieldbus/table_text.h"

TextEscape CurrentTextEscape = TextEscape::None;

namespace {

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

// An ASCII character of the text, in the format's own way.
void PutAscii(std::string& out, char c, TextEscape escape) {
  switch (escape) {
    case TextEscape::EdsString:
      if (c == '"' || c == '\\') out += '\\';
      break;
    case TextEscape::GsdString:
      if (c == '"') c = '\'';
      break;
    case TextEscape::Xml:
      if (c == '&') return void(out += "&amp;");
      if (c == '<') return void(out += "&lt;");
      if (c == '>') return void(out += "&gt;");
      if (c == '"') return void(out += "&quot;");
      break;
    case TextEscape::CanopenValue:
      if (c == ';') c = ',';
      break;
    case TextEscape::None:
      break;
  }
  out += c;
}

void PutXmlCharacter(std::string& out, char32_t c) {
  if (c <= 0xFF) {
    out += static_cast<char>(c);
  } else if (c == 0xFFFE || c == 0xFFFF) {
    // Not characters of XML at all.
    out += '?';
  } else {
    char reference[16];
    std::snprintf(reference, sizeof reference, "&#x%X;", static_cast<unsigned>(c));
    out += reference;
  }
}

}  // namespace

std::string EscapeText(std::string_view text, TextEscape escape) {
  if (escape == TextEscape::None) return std::string(text);
  std::string escaped;
  escaped.reserve(text.size());
  size_t at = 0;
  char32_t c;
  while (NextCodePoint(text, at, c)) {
    if (IsControl(c)) {
      escaped += ' ';
    } else if (c < 0x80) {
      PutAscii(escaped, static_cast<char>(c), escape);
    } else if (escape == TextEscape::Xml) {
      PutXmlCharacter(escaped, c);
    } else {
      for (char ascii : AsciiFallback(c)) PutAscii(escaped, ascii, escape);
    }
  }
  return escaped;
}
