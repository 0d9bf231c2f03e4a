#pragma once
// Colours, fonts and text measuring on GDI. Include after the toolkit's headers (WindowsApi.h
// explains why).
#include "platform/gui/Types.h"
#include "platform/win32/UniqueResource.h"

namespace gui::win32 {

using platform::win32::UniqueGdiObject;

inline COLORREF ToColorRef(Color color) {
  return static_cast<COLORREF>(color.red | (color.green << 8) | (color.blue << 16));
}

bool SameFont(const Font& a, const Font& b);

// CreateFontA for the toolkit's font: the height is the character height (negative cell height).
UniqueGdiObject MakeFont(const Font& font);

// The font the system uses for message boxes.
UniqueGdiObject MakeMessageFont();

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
