#include "ui/toolkit/backends/win32_fonts.h"

#include <algorithm>
#include <map>

#include "ui/toolkit/backends/font_kinds.h"

namespace {

// A memory DC with the font selected, for measuring on any thread.
class MeasuringContext {
 public:
  explicit MeasuringContext(const FontDescription& font)
      : dc_(CreateCompatibleDC(nullptr)), font_(CreateGdiFont(font)), old_(SelectObject(dc_, font_)) {}
  ~MeasuringContext() {
    SelectObject(dc_, old_);
    DeleteObject(font_);
    DeleteDC(dc_);
  }
  MeasuringContext(const MeasuringContext&) = delete;
  MeasuringContext& operator=(const MeasuringContext&) = delete;
  HDC Dc() const { return dc_; }

 private:
  HDC dc_;
  HFONT font_;
  HGDIOBJ old_;
};

int Width(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

struct ThreadFonts {
  std::map<FontHandle, HFONT> fonts;
  ~ThreadFonts() {
    for (auto& [handle, font] : fonts) DeleteObject(font);
  }
};

}  // namespace

HFONT CreateGdiFont(const FontDescription& font) {
  FaceKind kind = KindOfFace(font.face);
  bool mono = kind == FaceKind::Monospace, serif = kind == FaceKind::Serif;
  // The family and pitch lead GDI to a face of the same kind where the named one is missing.
  DWORD family = mono ? FIXED_PITCH | FF_MODERN : serif ? VARIABLE_PITCH | FF_ROMAN : VARIABLE_PITCH | FF_SWISS;
  const wchar_t* windowsFace = mono ? L"Courier New" : serif ? L"Times New Roman" : L"Arial";
  // A negative height asks for the character height, as FLTK's font size is.
  return CreateFontW(-std::max(1, font.height), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic, font.underline,
                     FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, family, windowsFace);
}

HFONT ThreadFont(FontHandle handle) {
  thread_local ThreadFonts cache;
  auto found = cache.fonts.find(handle);
  if (found != cache.fonts.end()) return found->second;
  HFONT font = CreateGdiFont(DescribeFont(handle));
  cache.fonts[handle] = font;
  return font;
}

FontMetrics MeasureGdiFont(const FontDescription& font) {
  MeasuringContext context(font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(context.Dc(), &metrics);
  return FontMetrics{metrics.tmHeight, metrics.tmAscent, metrics.tmDescent, Width(context.Dc(), L"x")};
}

std::vector<int> MeasureGdiCharacters(const FontDescription& font, const std::vector<uint32_t>& codes) {
  MeasuringContext context(font);
  std::vector<int> widths;
  widths.reserve(codes.size());
  for (uint32_t code : codes) {
    std::wstring character;
    AppendUtf16(character, code);
    widths.push_back(Width(context.Dc(), character));
  }
  return widths;
}
