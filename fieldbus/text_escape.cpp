#include "fieldbus/text_escape.h"

TextEscape CurrentTextEscape = TextEscape::None;

namespace {

std::string_view Replacement(const char& c, TextEscape escape) {
  if (static_cast<unsigned char>(c) < 0x20) return " ";
  switch (escape) {
    case TextEscape::EdsString:
      if (c == '"') return "\\\"";
      if (c == '\\') return "\\\\";
      break;
    case TextEscape::GsdString:
      if (c == '"') return "'";
      break;
    case TextEscape::Xml:
      if (c == '&') return "&amp;";
      if (c == '<') return "&lt;";
      if (c == '>') return "&gt;";
      if (c == '"') return "&quot;";
      break;
    case TextEscape::None:
      break;
  }
  return {&c, 1};
}

}  // namespace

std::string EscapeText(std::string_view text, TextEscape escape) {
  if (escape == TextEscape::None) return std::string(text);
  std::string escaped;
  escaped.reserve(text.size());
  for (const char& c : text) escaped += Replacement(c, escape);
  return escaped;
}
