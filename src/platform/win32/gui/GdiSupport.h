#pragma once
// Colours, fonts, text measuring and the guards of device contexts on GDI. Include after the
// toolkit's headers (WindowsApi.h explains why).
#include "platform/gui/Types.h"
#include "platform/win32/UniqueResource.h"

namespace gui::win32 {

using platform::win32::UniqueGdiObject;

// A system icon or cursor id (IDI_..., IDC_...): an integer id names the same resource for the
// wide functions.
inline LPCWSTR SystemResource(LPCSTR id) { return reinterpret_cast<LPCWSTR>(id); }

inline COLORREF ToColorRef(Color color) {
  return static_cast<COLORREF>(color.red | (color.green << 8) | (color.blue << 16));
}

// A window's device context (the screen's for no window), released with the guard.
class WindowDc {
 public:
  explicit WindowDc(HWND window = nullptr) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() { ::ReleaseDC(window_, dc_); }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// The paint of a window: BeginPaint for the life of the guard, EndPaint after.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~PaintDc() { ::EndPaint(window_, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_ = {};
  HDC dc_;
};

// An object selected into a device context for the life of the guard; the previous one comes
// back after.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~SelectedObject() { ::SelectObject(dc_, previous_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

bool SameFont(const Font& a, const Font& b);

// The toolkit's font: the height is the character height (negative cell height).
UniqueGdiObject MakeFont(const Font& font);

// The font the system uses for message boxes.
UniqueGdiObject MakeMessageFont();

// Draws or measures code page 936 text with DrawTextW (format: DT_... flags).
int DrawProgramText(HDC dc, const AnsiString& text, RECT& area, UINT format);

// Size of text drawn in font as a label draws it (line breaks start new lines; an empty text
// measures as one blank, so an empty auto-sized label keeps a line's height).
Size MeasureText(HFONT font, const AnsiString& text);

// A font handle and a brush kept for the last font or colour asked for.
class FontCache {
 public:
  HFONT Get(const Font& font);

 private:
  UniqueGdiObject handle_;
  Font madeFor_;
};

class BrushCache {
 public:
  HBRUSH Get(Color color);

 private:
  UniqueGdiObject handle_;
  Color madeFor_;
};

}  // namespace gui::win32
