// The kinds of control the wizard adds to the input controls, the same on the real windows and
// on the headless back end: each has a window that shows; a header cell's and a page's caption
// is their window text; a page book shows exactly its active page, and a click on a control of a
// page it does not show is ignored. What the painted kinds paint is the Windows build's own
// contract (ControlPaintContract_win32.cpp): the headless back end has no pixels.
#include <string>
#include <vector>

#include "contract/ContractEnv.h"
#include "contract/GuiEnv.h"
#include "platform/gui/Button.h"
#include "platform/gui/HeaderCell.h"
#include "platform/gui/Image.h"
#include "platform/gui/PageBook.h"
#include "platform/gui/Separator.h"
#include "platform/gui/Shape.h"

namespace contract {
namespace {

class ControlKindsContract : public ContractTest {
 protected:
  ControlKindsContract() : form_(gui_.App().Make<gui::Form>("Probe")) {
    form_.SetBounds(40, 40, 560, 400);
    form_.SetColor(gui::clWhite);
  }

  template <class T>
  T& Put(gui::Control& parent, const AnsiString& name, int left, int top, int width, int height) {
    return PutControl<T>(form_, parent, name, left, top, width, height);
  }

  GuiEnv gui_;
  gui::Form& form_;
};

TEST_F(ControlKindsContract, EveryKindOfTheWizardHasAWindowThatShows) {
  auto& book = Put<gui::PageBook>(form_, "ScheBook", 0, 0, 300, 200);
  std::vector<gui::Control*> kinds = {
      &book,
      &Put<gui::Page>(book, "page1", 0, 0, 0, 0),
      &Put<gui::HeaderCell>(form_, "FieldHeader1", 26, 230, 51, 20),
      &Put<gui::Separator>(form_, "Separator1", 12, 225, 400, 2),
      &Put<gui::Shape>(form_, "Shape1", 26, 251, 388, 92),
      &Put<gui::Image>(form_, "ImagLeft", 310, 0, 156, 200),
  };
  form_.ShowForm();
  for (gui::Control* control : kinds) {
    EXPECT_NE(control->GetPeer(), nullptr) << control->Kind();
    EXPECT_TRUE(ShownVisible(*control)) << control->Kind();
  }
}

TEST_F(ControlKindsContract, TheCaptionsOfHeaderCellsAndPagesAreTheirWindowText) {
  auto& header = Put<gui::HeaderCell>(form_, "FieldHeader4", 303, 130, 111, 20);
  header.SetCaption(" 剩余空间");
  auto& book = Put<gui::PageBook>(form_, "ScheBook", 0, 160, 300, 200);
  auto& page = Put<gui::Page>(book, "page3", 0, 0, 0, 0);
  page.SetCaption("page3");
  form_.ShowForm();
  EXPECT_EQ(Readable(gui_.ShownText(header)), Readable(" 剩余空间"));
  EXPECT_EQ(Readable(gui_.ShownText(page)), "page3");

  header.SetCaption("可用空间");
  EXPECT_EQ(Readable(gui_.ShownText(header)), Readable("可用空间"));
}

TEST_F(ControlKindsContract, APageBookShowsExactlyTheWindowOfItsActivePage) {
  auto& book = Put<gui::PageBook>(form_, "ScheBook", 156, 0, 391, 286);
  std::vector<gui::Page*> pages;
  std::vector<gui::Button*> buttons;
  for (int i = 1; i <= 4; ++i) {
    pages.push_back(&Put<gui::Page>(book, "page" + std::to_string(i), 0, 0, 0, 0));
    buttons.push_back(
        &Put<gui::Button>(*pages.back(), "Button" + std::to_string(i), 10, 10, 75, 23));
  }
  form_.ShowForm();
  // A page put into the shown book later starts hidden too.
  pages.push_back(&Put<gui::Page>(book, "page5", 0, 0, 0, 0));

  struct Step {
    int set;
    int shown;
  };
  for (const Step step : {Step{0, 0}, Step{2, 2}, Step{9, 2}, Step{-1, 2}, Step{4, 4}}) {
    book.SetPageIndex(step.set);
    for (std::size_t i = 0; i < pages.size(); ++i) {
      const bool active = static_cast<int>(i) == step.shown;
      EXPECT_EQ(ShownVisible(*pages[i]), active) << "page " << i << " after index " << step.set;
      if (i < buttons.size()) {
        EXPECT_EQ(ShownVisible(*buttons[i]), active) << "button on page " << i;
      }
    }
  }
  for (gui::Page* page : pages) {
    EXPECT_EQ(page->Bounds(), (gui::Rect{0, 0, 391, 286})) << "every page fills the book";
  }
}

TEST_F(ControlKindsContract, AClickOnAControlOfAPageTheBookDoesNotShowIsIgnored) {
  auto& book = Put<gui::PageBook>(form_, "ScheBook", 0, 0, 391, 286);
  Put<gui::Page>(book, "page1", 0, 0, 0, 0);
  auto& folder = Put<gui::Page>(book, "page3", 0, 0, 0, 0);
  auto& browse = Put<gui::Button>(folder, "Button1", 24, 65, 73, 25);
  int clicks = 0;
  browse.OnClick = [&] { ++clicks; };
  form_.ShowForm();

  gui_.Click(browse);
  EXPECT_EQ(clicks, 0) << "the button's page is not shown";
  book.SetPageIndex(1);
  gui_.Click(browse);
  EXPECT_EQ(clicks, 1);
  book.SetPageIndex(0);
  gui_.Click(browse);
  EXPECT_EQ(clicks, 1) << "its page was turned away again";
}

}  // namespace
}  // namespace contract
