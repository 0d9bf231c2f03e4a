// What the kinds the toolkit paints itself paint, on the real windows: the image its bitmap
// resource (natural size from the top-left corner, or stretched), the shape a frame around an
// inside that is not its own, the separator a line that fades into its colour, the panel its
// lowered or raised edge, the header cell its background and caption. Each window paints itself
// into a 32-bit surface (WM_PRINTCLIENT), so nothing depends on the display. The headless back
// end has no pixels: this contract is the Windows build's alone.
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "contract/ContractEnv.h"
#include "contract/GuiEnv.h"
#include "platform/gui/HeaderCell.h"
#include "platform/gui/Image.h"
#include "platform/gui/Separator.h"
#include "platform/gui/Shape.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/gui/WindowPeer.h"
#include "support/TestNames.h"

namespace contract {
namespace {

using platform::win32::UniqueGdiObject;

// The picture the contract test program carries (contract.rc): 8 x 6 pixels in four flat
// quarters, as src/main/artwork.py draws them.
constexpr char kPicture[] = "CONTRACTPICTURE";
constexpr int kPictureWidth = 8;
constexpr int kPictureHeight = 6;
constexpr gui::Color kTopLeft = gui::RGB(255, 0, 0);
constexpr gui::Color kTopRight = gui::RGB(0, 160, 0);
constexpr gui::Color kBottomLeft = gui::RGB(0, 0, 255);
constexpr gui::Color kBottomRight = gui::RGB(255, 255, 0);

// What a surface holds where the window painted nothing.
constexpr gui::Color kUnpainted = gui::RGB(1, 2, 3);

void DeleteSurfaceDc(HDC dc) noexcept { ::DeleteDC(dc); }
using UniqueSurfaceDc =
    platform::win32::UniqueResource<platform::win32::traits::Simple<HDC, nullptr, DeleteSurfaceDc>>;

HWND WindowOf(gui::Control& control) {
  const gui::win32::WindowPeer* peer = gui::win32::WindowPeer::Of(&control);
  if (!peer || !peer->Handle()) throw std::runtime_error("the control has no window");
  return peer->Handle();
}

// The colour at (x, y) of the control's client area after its window painted itself on a
// surface first filled with kUnpainted.
gui::Color Pixel(gui::Control& control, int x, int y) {
  const HWND window = WindowOf(control);
  RECT client;
  ::GetClientRect(window, &client);
  if (x < 0 || y < 0 || x >= client.right || y >= client.bottom) {
    throw std::runtime_error("the point lies outside the control's client area");
  }
  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = client.right;
  format.bmiHeader.biHeight = -client.bottom;  // top-down rows
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const UniqueSurfaceDc surface(::CreateCompatibleDC(nullptr));
  const UniqueGdiObject bitmap(
      ::CreateDIBSection(surface.Get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!surface || !bitmap) throw std::runtime_error("cannot make a surface to paint on");
  const gui::win32::SelectedObject selected(surface.Get(), bitmap.Get());
  const UniqueGdiObject unpainted(::CreateSolidBrush(gui::win32::ToColorRef(kUnpainted)));
  ::FillRect(surface.Get(), &client, static_cast<HBRUSH>(unpainted.Get()));
  ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.Get()),
                 PRF_CLIENT | PRF_ERASEBKGND);
  ::GdiFlush();
  const COLORREF pixel = ::GetPixel(surface.Get(), x, y);
  return gui::RGB(GetRValue(pixel), GetGValue(pixel), GetBValue(pixel));
}

// Whether the point (x, y) of the control's client area belongs to its window: a window cut
// to a region lets the rest through to what lies under it.
bool WindowTakesPoint(gui::Control& control, int x, int y) {
  const HWND window = WindowOf(control);
  RECT client;
  ::GetClientRect(window, &client);
  if (!::PtInRect(&client, POINT{x, y})) return false;
  const UniqueGdiObject region(::CreateRectRgn(0, 0, 0, 0));
  if (::GetWindowRgn(window, static_cast<HRGN>(region.Get())) == ERROR) return true;
  return ::PtInRegion(static_cast<HRGN>(region.Get()), x, y) != FALSE;
}

std::string Shown(gui::Color color) {
  return "RGB(" + std::to_string(color.red) + ", " + std::to_string(color.green) + ", " +
         std::to_string(color.blue) + ")";
}

int Brightness(gui::Color color) { return color.red + color.green + color.blue; }

gui::Color SystemColor(int index) {
  const COLORREF colour = ::GetSysColor(index);
  return gui::RGB(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

class ControlPaintContract : public ContractTest {
 protected:
  ControlPaintContract() : form_(gui_.App().Make<gui::Form>("Probe")) {
    form_.SetBounds(40, 40, 560, 400);
    form_.SetColor(gui::clWhite);
  }

  template <class T>
  T& Put(const AnsiString& name, int left, int top, int width, int height) {
    T& control = form_.Make<T>(name);
    control.SetBounds(left, top, width, height);
    control.SetParent(&form_);
    return control;
  }

  GuiEnv gui_;
  gui::Form& form_;
};

struct ImageCase {
  const char* what;
  bool stretch;
  int width, height;  // the box
  struct Probe {
    int x, y;
    gui::Color expected;
  };
  std::vector<Probe> probes;
};

void PrintTo(const ImageCase& c, std::ostream* out) { *out << c.what; }

constexpr gui::Color kImageColour = gui::RGB(200, 220, 240);

const ImageCase kImageCases[] = {
    {"natural size in a larger box",
     false,
     20,
     12,
     {{0, 0, kTopLeft},
      {kPictureWidth - 1, 0, kTopRight},
      {0, kPictureHeight - 1, kBottomLeft},
      {kPictureWidth - 1, kPictureHeight - 1, kBottomRight},
      {kPictureWidth, 0, kImageColour},
      {0, kPictureHeight, kImageColour},
      {19, 11, kImageColour}}},
    {"natural size cut off by a smaller box",
     false,
     6,
     3,
     {{0, 0, kTopLeft}, {5, 0, kTopRight}, {5, 2, kTopRight}}},
    {"stretched to twice its size",
     true,
     2 * kPictureWidth,
     2 * kPictureHeight,
     {{0, 0, kTopLeft},
      {2 * kPictureWidth - 1, 0, kTopRight},
      {0, 2 * kPictureHeight - 1, kBottomLeft},
      {2 * kPictureWidth - 1, 2 * kPictureHeight - 1, kBottomRight},
      {kPictureWidth + 1, kPictureHeight + 1, kBottomRight}}},
    {"stretched into a flat box",
     true,
     40,
     2,
     {{0, 0, kTopLeft}, {39, 0, kTopRight}, {0, 1, kBottomLeft}, {39, 1, kBottomRight}}},
};

class ImageContract : public ControlPaintContract,
                      public ::testing::WithParamInterface<ImageCase> {};

TEST_P(ImageContract, AnImageDrawsItsBitmapResource) {
  const ImageCase& c = GetParam();
  auto& image = Put<gui::Image>("ImagLeft", 0, 0, c.width, c.height);
  image.SetColor(kImageColour);
  image.SetStretch(c.stretch);
  image.SetBitmapResource(kPicture);
  form_.ShowForm();
  for (const ImageCase::Probe& probe : c.probes) {
    EXPECT_EQ(Shown(Pixel(image, probe.x, probe.y)), Shown(probe.expected))
        << "at (" << probe.x << ", " << probe.y << ")";
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ImageContract, ::testing::ValuesIn(kImageCases),
                         [](const ::testing::TestParamInfo<ImageCase>& info) {
                           return test_names::Name(info.param.what);
                         });

TEST_F(ControlPaintContract, AnImageWithoutItsBitmapShowsItsColourAndTakesANewNameAtOnce) {
  auto& image = Put<gui::Image>("Imagtop", 0, 0, 16, 8);
  image.SetColor(kImageColour);
  image.SetBitmapResource("NOSUCHPICTURE");
  form_.ShowForm();
  EXPECT_EQ(Shown(Pixel(image, 0, 0)), Shown(kImageColour));
  image.SetBitmapResource(kPicture);
  EXPECT_EQ(Shown(Pixel(image, 0, 0)), Shown(kTopLeft));
  image.SetBitmapResource("");
  EXPECT_EQ(Shown(Pixel(image, 0, 0)), Shown(kImageColour));
}

// A shape of the progress window's size, framed with pens one and three pixels wide.
class ShapeContract : public ControlPaintContract {
 protected:
  static constexpr int kRight = 358;
  static constexpr int kBottom = 204;
  static constexpr gui::Color kPen = gui::RGB(16, 83, 194);

  // Every ring of the frame, from the edge inwards, is the pen's; the pixels just inside it are
  // not the shape's at all.
  void ExpectFrame(gui::Shape& shape, int pen) {
    for (int ring = 0; ring < pen; ++ring) {
      for (const auto& [x, y] : {std::pair{ring, 100}, std::pair{kRight - ring, 100},
                                 std::pair{180, ring}, std::pair{180, kBottom - ring},
                                 std::pair{ring, ring}, std::pair{kRight - ring, kBottom - ring}}) {
        EXPECT_EQ(Shown(Pixel(shape, x, y)), Shown(kPen)) << "frame at (" << x << ", " << y << ")";
        EXPECT_TRUE(WindowTakesPoint(shape, x, y)) << "frame at (" << x << ", " << y << ")";
      }
    }
    for (const auto& [x, y] :
         {std::pair{pen, 100}, std::pair{kRight - pen, 100}, std::pair{180, pen},
          std::pair{180, kBottom - pen}, std::pair{pen, pen}, std::pair{180, 100}}) {
      EXPECT_EQ(Shown(Pixel(shape, x, y)), Shown(kUnpainted))
          << "the shape paints no inside, at (" << x << ", " << y << ")";
      EXPECT_FALSE(WindowTakesPoint(shape, x, y))
          << "the inside is whatever lies under it, at (" << x << ", " << y << ")";
    }
  }
};

class ShapePenWidths : public ShapeContract, public ::testing::WithParamInterface<int> {};

TEST_P(ShapePenWidths, AShapeFramesAnInsideThatIsNotItsOwnWithItsPensWidth) {
  const int pen = GetParam();
  auto& shape = Put<gui::Shape>("Shape1", 0, 0, kRight + 1, kBottom + 1);
  shape.SetPenColor(kPen);
  shape.SetPenWidth(pen);
  form_.ShowForm();
  ExpectFrame(shape, pen);
}

INSTANTIATE_TEST_SUITE_P(PenWidth, ShapePenWidths, ::testing::Values(1, 3),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::to_string(info.param) + "_pixels";
                         });

TEST_F(ShapeContract, AShownShapeTakesANewPenWidthAtOnce) {
  auto& shape = Put<gui::Shape>("Shape1", 0, 0, kRight + 1, kBottom + 1);
  shape.SetPenColor(kPen);
  form_.ShowForm();
  shape.SetPenWidth(3);
  ExpectFrame(shape, 3);
  shape.SetPenWidth(1);
  ExpectFrame(shape, 1);
}

TEST_F(ControlPaintContract, ASeparatorLineFadesIntoItsColourTowardsTheRight) {
  auto& separator = Put<gui::Separator>("Separator1", 12, 125, 400, 2);
  separator.SetColor(gui::clWhite);
  form_.ShowForm();
  const gui::Color left = Pixel(separator, 0, 0);
  const gui::Color middle = Pixel(separator, 200, 0);
  const gui::Color right = Pixel(separator, 399, 0);
  EXPECT_EQ(Shown(left), Shown(SystemColor(COLOR_BTNSHADOW)));
  EXPECT_LT(Brightness(left), Brightness(middle)) << Shown(left) << " " << Shown(middle);
  EXPECT_LT(Brightness(middle), Brightness(right)) << Shown(middle) << " " << Shown(right);
  EXPECT_EQ(Shown(right), Shown(gui::clWhite));
}

TEST_F(ControlPaintContract, ALoweredPanelIsDarkAboveAndLightBelowARaisedOneTheOtherWayRound) {
  auto& lowered = Put<gui::Panel>("Panel3", 0, 286, 547, 2);
  lowered.SetBevelOuter(gui::PanelBevel::Lowered);
  auto& raised = Put<gui::Panel>("ButtonBar1", 0, 300, 547, 10);
  form_.ShowForm();
  EXPECT_LT(Brightness(Pixel(lowered, 100, 0)), Brightness(Pixel(lowered, 100, 1)));
  EXPECT_GT(Brightness(Pixel(raised, 100, 0)), Brightness(Pixel(raised, 100, 9)));
  raised.SetBevelOuter(gui::PanelBevel::Lowered);
  EXPECT_LT(Brightness(Pixel(raised, 100, 0)), Brightness(Pixel(raised, 100, 9)));
}

TEST_F(ControlPaintContract, AHeaderCellPaintsItsBackgroundAndItsCaption) {
  auto& header = Put<gui::HeaderCell>("FieldHeader2", 76, 130, 81, 20);
  header.SetCaption("Disk size");  // Latin letters: the system's fonts surely have them
  form_.ShowForm();
  const gui::Color background = Pixel(header, 78, 10);
  EXPECT_EQ(Shown(background), Shown(SystemColor(COLOR_GRADIENTINACTIVECAPTION)));
  // The caption's strokes somewhere on the middle row, left of the cell's middle.
  bool text = false;
  for (int x = 2; x < 40 && !text; ++x) text = Pixel(header, x, 10) != background;
  EXPECT_TRUE(text) << "no caption drawn on " << Shown(background);
}

}  // namespace
}  // namespace contract
