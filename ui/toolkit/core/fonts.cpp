#include "ui/toolkit/core/fonts.h"

#include <mutex>
#include <utility>
#include <unordered_map>
#include <vector>

#include "runtime/utf8.h"
#include "ui/toolkit/core/window_backend.h"

namespace {

struct FontEntry {
  explicit FontEntry(FontDescription described) : description(std::move(described)) {}
  FontDescription description;
  bool measured = false;
  FontMetrics metrics;
  std::unordered_map<uint32_t, int> widths;
};

// The table only grows: a program uses a handful of fonts. It is never destroyed: the
// backend's thread may still draw text while the process ends.
std::mutex& fontLock = *new std::mutex;
std::vector<FontEntry>& fonts = *new std::vector<FontEntry>(1, FontEntry({"Sans", 13}));

FontEntry& Entry(FontHandle font) { return fonts[font < fonts.size() ? font : 0]; }

}  // namespace

FontHandle CreateFont(const FontDescription& description) {
  std::lock_guard guard(fontLock);
  for (size_t i = 1; i < fonts.size(); ++i) {
    if (fonts[i].description == description) return static_cast<FontHandle>(i);
  }
  fonts.emplace_back(description);
  return static_cast<FontHandle>(fonts.size() - 1);
}

FontDescription DescribeFont(FontHandle font) {
  std::lock_guard guard(fontLock);
  return Entry(font).description;
}

FontMetrics GetFontMetrics(FontHandle font) {
  FontDescription description;
  {
    std::lock_guard guard(fontLock);
    FontEntry& entry = Entry(font);
    if (entry.measured) return entry.metrics;
    description = entry.description;
  }
  // Measured outside the lock: the backend may have to ask its own thread.
  FontMetrics metrics = Backend().MeasureFont(description);
  std::lock_guard guard(fontLock);
  FontEntry& entry = Entry(font);
  entry.metrics = metrics;
  entry.measured = true;
  return metrics;
}

int MeasureTextWidth(FontHandle font, std::string_view text) {
  std::vector<uint32_t> codes;
  for (size_t at = 0; at < text.size();) codes.push_back(NextCodePoint(text, at));
  std::vector<uint32_t> missing;
  FontDescription description;
  {
    std::lock_guard guard(fontLock);
    FontEntry& entry = Entry(font);
    for (uint32_t code : codes) {
      if (!entry.widths.contains(code)) missing.push_back(code);
    }
    description = entry.description;
  }
  if (!missing.empty()) {
    // The printable Latin-1 range at once: most texts need no second round.
    for (uint32_t code = 0x20; code < 0x100; ++code) missing.push_back(code);
    std::vector<int> widths = Backend().MeasureCharacters(description, missing);
    std::lock_guard guard(fontLock);
    FontEntry& entry = Entry(font);
    for (size_t i = 0; i < missing.size(); ++i) entry.widths[missing[i]] = widths[i];
  }
  std::lock_guard guard(fontLock);
  FontEntry& entry = Entry(font);
  int width = 0;
  for (uint32_t code : codes) width += entry.widths[code];
  return width;
}

void ForgetFontMeasures() {
  std::lock_guard guard(fontLock);
  for (FontEntry& entry : fonts) {
    entry.measured = false;
    entry.widths.clear();
  }
}
