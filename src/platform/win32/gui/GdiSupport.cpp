#include "platform/win32/gui/GdiSupport.h"

namespace gui::win32 {

namespace {

// Selects an object into a device context for the life of the guard.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~Selection() { ::SelectObject(dc_, previous_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// The screen's device context for the life of the guard.
class ScreenDc {
 public:
  ScreenDc() : dc_(::GetDC(nullptr)) {}
  ~ScreenDc() { ::ReleaseDC(nullptr, dc_); }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

}  // namespace

bool SameFont(const Font& a, const Font& b) {
  return a.name == b.name && a.height == b.height && a.charset == b.charset && a.bold == b.bold &&
         a.italic == b.italic;
}

UniqueGdiObject MakeFont(const Font& font) {
  return UniqueGdiObject(::CreateFontA(
      -font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic ? TRUE : FALSE, FALSE,
      FALSE, static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.name.c_str()));
}

UniqueGdiObject MakeMessageFont() {
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    return UniqueGdiObject(::CreateFontIndirectA(&metrics.lfMessageFont));
  }
  return UniqueGdiObject(::CreateFontA(
      -12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, gui::DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Tahoma"));
}

Size MeasureText(HFONT font, const AnsiString& text) {
  ScreenDc screen;
  Selection selected(screen.Get(), font);
  const AnsiString measured = text.empty() ? AnsiString(" ") : text;
  RECT rect = {0, 0, 0, 0};
  ::DrawTextA(screen.Get(), measured.c_str(), static_cast<int>(measured.size()), &rect,
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
