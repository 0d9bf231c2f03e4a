// The backdrop: the blue-to-black gradient and the footer layout.
#include <vector>

#include "SetupFixture.h"
#include "platform/gui/Control.h"

namespace {

class BackdropTest : public SetupFixture {
 protected:
  // Paints the host at the given client height; returns the blue value each row ends up with
  // (-1 for a row nothing painted) and the fills as made.
  std::vector<sim::Fill> PaintAtHeight(int height) {
    host_ = &App().Make<TFormain>("probe");
    host_->SetClientSize(1024, height);
    return Backend().Paint(*host_);
  }
  static std::vector<int> RowColours(const std::vector<sim::Fill>& fills, int height) {
    std::vector<int> rows(height, -1);
    for (const auto& fill : fills) {
      for (int y = fill.rect.top; y < fill.rect.bottom; ++y) {
        if (y >= 0 && y < height) rows[y] = fill.color.blue;
      }
    }
    return rows;
  }
  TFormain* host_ = nullptr;
};

TEST_F(BackdropTest, At768PixelsEveryBandIsThreeRowsFromBlueToBlack) {
  const auto fills = PaintAtHeight(768);
  ASSERT_EQ(fills.size(), 256u);
  for (std::size_t i = 0; i < fills.size(); ++i) {
    const int blue = 255 - static_cast<int>(i);
    EXPECT_EQ(fills[i].color, gui::RGB(0, 0, blue)) << "band " << blue;
    EXPECT_EQ(fills[i].rect,
              (gui::Rect{0, 3 * static_cast<int>(i), 1024, 3 * static_cast<int>(i) + 3}))
        << "band " << blue;
  }
  EXPECT_EQ(fills.front().rect, (gui::Rect{0, 0, 1024, 3}));  // band 255: rows 0 to 2
}

TEST_F(BackdropTest, BelowTwoHundredFiftySixPixelsZeroHeightBandsPaintNothing) {
  const int height = 100;
  const auto fills = PaintAtHeight(height);
  ASSERT_EQ(fills.size(), 256u);
  int painting = 0;
  for (const auto& fill : fills) {
    EXPECT_LE(fill.rect.top, fill.rect.bottom);
    if (fill.rect.Height() > 0) ++painting;
  }
  // Bands tile the client area, so exactly one band per row paints.
  EXPECT_EQ(painting, height);
  const auto rows = RowColours(fills, height);
  for (int y = 0; y < height; ++y) {
    ASSERT_NE(rows[y], -1) << "row " << y;
    if (y > 0) {
      EXPECT_LE(rows[y], rows[y - 1]) << "row " << y;
    }
  }
  EXPECT_GT(rows.front(), 250);  // blue at the top
  // Black at the bottom: the last band has zero height here, so the darkest row is band 1.
  EXPECT_LE(rows.back(), 1);
}

TEST_F(BackdropTest, BandEdgesRoundHalvesToEven) {
  // 640 / 256 = 2.5 rows a band: edges at 2.5, 7.5, 12.5 go to 2, 8, 12.
  const auto fills = PaintAtHeight(640);
  EXPECT_EQ(fills[0].rect.top, 0);
  EXPECT_EQ(fills[0].rect.bottom, 2);
  EXPECT_EQ(fills[1].rect.bottom, 5);
  EXPECT_EQ(fills[2].rect.bottom, 8);
  EXPECT_EQ(fills[3].rect.bottom, 10);
  EXPECT_EQ(fills[4].rect.bottom, 12);
  EXPECT_EQ(fills.back().rect.bottom, 640);
}

TEST_F(BackdropTest, CoversTheScreenWithTitleBandAndFooterKeptRightAligned) {
  ScriptWaitForWizard();
  Backend().SetScreenSize({1280, 1024});
  User().Step(
      [&] {
        EXPECT_EQ(Formain->Width(), 1280);
        EXPECT_EQ(Formain->Height(), 1024);
        EXPECT_EQ(Formain->Panel_Title->Bounds(), (gui::Rect{0, 0, 1280, 117}));
        EXPECT_EQ(Formain->Panel1->Bounds(), (gui::Rect{0, 1024 - 29, 1280, 1024}));
        EXPECT_EQ(Formain->Label1->Left(), 36);
        EXPECT_GT(Formain->Label2->Width(), 0);
        EXPECT_EQ(Formain->Label2->Left(), 1280 - Formain->Label2->Width() - 32);
        EXPECT_EQ(Formain->GetBorderStyle(), gui::BorderStyle::None);
      },
      "backdrop laid out");
  ScriptCloseWizardConfirmed();
  RunWholeSetup();
}

TEST_F(BackdropTest, FooterFollowsEveryResize) {
  auto& host = App().Make<TFormain>("probe");
  host.SetClientSize(800, 600);
  EXPECT_EQ(host.Label2->Left(), 800 - host.Label2->Width() - 32);
  host.SetClientSize(1600, 900);
  EXPECT_EQ(host.Label2->Left(), 1600 - host.Label2->Width() - 32);
  EXPECT_EQ(host.Panel1->Top(), 900 - 29);
}

}  // namespace
