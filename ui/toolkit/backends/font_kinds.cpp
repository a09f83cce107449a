#include "ui/toolkit/backends/font_kinds.h"

#include <cctype>
#include <string>

FaceKind KindOfFace(std::string_view name) {
  std::string face;
  for (char c : name) face += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  auto has = [&face](const char* part) { return face.find(part) != std::string::npos; };
  if (has("mono") || has("courier") || has("console") || has("fixed")) return FaceKind::Monospace;
  if (has("times") || (has("serif") && !has("sans"))) return FaceKind::Serif;
  return FaceKind::Sans;
}
