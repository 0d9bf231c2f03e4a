#include "platform/win32/gui/GdiSupport.h"

#include <cwchar>

#include "platform/win32/Cp936.h"

namespace gui::win32 {

using platform::win32::Wide;

bool SameFont(const Font& a, const Font& b) {
  return a.name == b.name && a.height == b.height && a.charset == b.charset && a.bold == b.bold &&
         a.italic == b.italic;
}

UniqueGdiObject MakeFont(const Font& font) {
  LOGFONTW description = {};
  description.lfHeight = -font.height;
  description.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
  description.lfItalic = font.italic ? TRUE : FALSE;
  description.lfCharSet = static_cast<BYTE>(font.charset);
  description.lfOutPrecision = OUT_DEFAULT_PRECIS;
  description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  description.lfQuality = DEFAULT_QUALITY;
  description.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const std::wstring face = Wide(font.name);
  std::wcsncpy(description.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  return UniqueGdiObject(::CreateFontIndirectW(&description));
}

UniqueGdiObject MakeMessageFont() {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    return UniqueGdiObject(::CreateFontIndirectW(&metrics.lfMessageFont));
  }
  Font fallback;
  fallback.height = 12;
  return MakeFont(fallback);
}

int DrawProgramText(HDC dc, const AnsiString& text, RECT& area, UINT format) {
  const std::wstring wide = Wide(text);
  return ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &area, format);
}

Size MeasureText(HFONT font, const AnsiString& text) {
  WindowDc screen;
  SelectedObject selected(screen.Get(), font);
  RECT rect = {0, 0, 0, 0};
  DrawProgramText(screen.Get(), text.empty() ? AnsiString(" ") : text, rect,
                  DT_CALCRECT | DT_EXPANDTABS | DT_NOCLIP);
  return Size{rect.right - rect.left, rect.bottom - rect.top};
}

HFONT FontCache::Get(const Font& font) {
  if (!handle_ || !SameFont(font, madeFor_)) {
    handle_ = MakeFont(font);
    madeFor_ = font;
  }
  return static_cast<HFONT>(handle_.Get());
}

HBRUSH BrushCache::Get(Color color) {
  if (!handle_ || color != madeFor_) {
    handle_.Reset(::CreateSolidBrush(ToColorRef(color)));
    madeFor_ = color;
  }
  return static_cast<HBRUSH>(handle_.Get());
}

}  // namespace gui::win32
