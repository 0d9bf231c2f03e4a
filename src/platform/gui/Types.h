#pragma once
// Plain value types of the GUI toolkit.
#include <cstdint>

#include "platform/AnsiString.h"

namespace gui {

// An RGB colour; the system colours the windows use are named below.
struct Color {
  std::uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const Color& o) const {
    return red == o.red && green == o.green && blue == o.blue;
  }
  bool operator!=(const Color& o) const { return !(*this == o); }
};
constexpr Color RGB(int r, int g, int b) {
  return Color{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
               static_cast<std::uint8_t>(b)};
}
constexpr Color clWhite = RGB(255, 255, 255);
constexpr Color clBlack = RGB(0, 0, 0);
constexpr Color clYellow = RGB(255, 255, 0);
constexpr Color clBtnFace = RGB(240, 240, 240);
constexpr Color clWindow = RGB(255, 255, 255);
constexpr Color clWindowText = RGB(0, 0, 0);

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

struct Size {
  int width = 0, height = 0;
};

constexpr int GB2312_CHARSET = 134;
constexpr int DEFAULT_CHARSET = 1;

struct Font {
  AnsiString name = "Tahoma";
  int height = 11;  // character height in pixels
  int charset = DEFAULT_CHARSET;
  Color color = clWindowText;
  bool bold = false;
  bool italic = false;
};

// SimSun ("宋体") in the GB2312 character set, the setup's Chinese face.
inline Font SimSunFont(int height, bool bold = false, Color color = clWindowText) {
  Font font;
  font.name = "宋体";
  font.charset = GB2312_CHARSET;
  font.height = height;
  font.bold = bold;
  font.color = color;
  return font;
}

enum class Align { None, Top, Bottom, Left, Right, Client };
enum class TextAlign { Left, Center, Right };
enum class BorderStyle { Sizeable, None, Dialog };
enum class WindowState { Normal, Maximized };
enum class Position { Designed, ScreenCenter };
enum class CloseAction { None, Hide, Free };
// The mouse pointer over a control: the window's own (the arrow; the I-beam over a text box) or
// the pointing hand.
enum class Cursor { Default, HandPoint };

// What changed in a control, so that its peer mirrors only that.
enum class Aspect : unsigned {
  Text = 1u << 0,     // caption or text
  Bounds = 1u << 1,   // position and size
  Visible = 1u << 2,  // the control's own visibility
  Enabled = 1u << 3,  // the control's own enabled state
  Font = 1u << 4,
  Color = 1u << 5,
  Value = 1u << 6,   // checked state, position, selection...
  Items = 1u << 7,   // lines, rows...
  Style = 1u << 8,   // the kind's look: alignment, bevel, border, word wrap...
  Parent = 1u << 9,  // the parent control
};

class Changes {
 public:
  constexpr Changes() = default;
  constexpr Changes(Aspect aspect) : bits_(static_cast<unsigned>(aspect)) {}  // NOLINT: implicit
  static constexpr Changes All() { return Changes(~0u); }
  constexpr bool Has(Aspect aspect) const { return (bits_ & static_cast<unsigned>(aspect)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr Changes operator|(Changes other) const { return Changes(bits_ | other.bits_); }
  constexpr Changes& operator|=(Changes other) {
    bits_ |= other.bits_;
    return *this;
  }
  constexpr bool operator==(Changes other) const { return bits_ == other.bits_; }

 private:
  constexpr explicit Changes(unsigned bits) : bits_(bits) {}
  unsigned bits_ = 0;
};
constexpr Changes operator|(Aspect a, Aspect b) { return Changes(a) | Changes(b); }

// Modal results, compared with the standard identifiers.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrYes = 6;
constexpr int mrNo = 7;

}  // namespace gui
