// The windows of a page's controls are made when the book first shows the page, not with the
// form: a program starts without making windows for pages the user may never see. However late a
// window is made, it takes its place among its siblings in the order of the controls, the order
// windows made with the form would have had, and with it the tab order. Windows only: the
// headless back end has no windows to order.
#include <string>
#include <vector>

#include "contract/ContractEnv.h"
#include "contract/GuiEnv.h"
#include "contract/Win32Support.h"
#include "platform/gui/Button.h"
#include "platform/gui/Edit.h"
#include "platform/gui/PageBook.h"

namespace contract {
namespace {

std::string Names(const std::vector<gui::Control*>& controls) {
  std::string names;
  for (const gui::Control* control : controls) names += control->Name() + " ";
  return names;
}

// The controls whose windows lie directly in the window of parent, top of the z-order first
// (the order the dialog manager tabs through); "?" for a window of no control of parent.
std::string WindowOrder(gui::Control& parent) {
  std::string names;
  for (HWND window = ::GetWindow(WindowOf(parent), GW_CHILD); window;
       window = ::GetWindow(window, GW_HWNDNEXT)) {
    std::string name = "?";
    for (gui::Control* child : parent.Children()) {
      if (child->GetPeer() && WindowOf(*child) == window) name = child->Name();
    }
    names += name + " ";
  }
  return names;
}

class PageWindowsContract : public ContractTest {
 protected:
  PageWindowsContract() : form_(gui_.App().Make<gui::Form>("Probe")) {
    form_.SetBounds(40, 40, 560, 400);
    book_ = &Put<gui::PageBook>(form_, "ScheBook", 0, 0, 391, 286);
    first_ = &Put<gui::Page>(*book_, "page1", 0, 0, 0, 0);
    Put<gui::Button>(*first_, "Welcome", 10, 10, 75, 23);
    second_ = &Put<gui::Page>(*book_, "page2", 0, 0, 0, 0);
  }

  template <class T>
  T& Put(gui::Control& parent, const AnsiString& name, int left, int top, int width, int height) {
    return PutControl<T>(form_, parent, name, left, top, width, height);
  }

  GuiEnv gui_;
  gui::Form& form_;
  gui::PageBook* book_ = nullptr;
  gui::Page* first_ = nullptr;
  gui::Page* second_ = nullptr;
};

TEST_F(PageWindowsContract, AHiddenPagesControlsGetTheirWindowsWhenThePageFirstShows) {
  auto& label = Put<gui::Label>(*second_, "Label3", 10, 10, 60, 13);
  auto& edit = Put<gui::Edit>(*second_, "Edit_Path", 10, 30, 200, 21);
  edit.SetText("D:\\Program Files\\Korvl280\\");
  auto& panel = Put<gui::Panel>(*second_, "Panel2", 10, 60, 200, 80);
  auto& inner = Put<gui::Button>(panel, "Button1", 5, 5, 73, 25);
  form_.ShowForm();
  const std::vector<gui::Control*> waiting = {&label, &edit, &panel, &inner};
  for (gui::Control* control : waiting) {
    EXPECT_EQ(control->GetPeer(), nullptr) << control->Name() << " has a window already";
  }
  ASSERT_NE(second_->GetPeer(), nullptr) << "the page itself has its window";
  // Changed while it has no window: the window shows the control as it is when made.
  label.SetCaption("可用空间");
  edit.SetText("C:\\Korvello\\");

  book_->SetPageIndex(1);
  for (gui::Control* control : waiting) {
    EXPECT_TRUE(ShownVisible(*control)) << control->Name();
  }
  EXPECT_EQ(Readable(gui_.ShownText(label)), Readable("可用空间"));
  EXPECT_EQ(Readable(gui_.ShownText(edit)), Readable("C:\\Korvello\\"));
  EXPECT_EQ(::GetParent(WindowOf(inner)), WindowOf(panel));

  // Turned away and back: the same windows, hidden and shown again.
  const HWND editWindow = WindowOf(edit);
  book_->SetPageIndex(0);
  EXPECT_FALSE(ShownVisible(edit));
  book_->SetPageIndex(1);
  EXPECT_EQ(WindowOf(edit), editWindow);
  EXPECT_TRUE(ShownVisible(edit));
}

TEST_F(PageWindowsContract, WindowsMadeLateTakeTheOrderOfTheControls) {
  Put<gui::Label>(*second_, "Label3", 10, 10, 60, 13);
  Put<gui::Edit>(*second_, "Edit_Path", 10, 30, 200, 21);
  Put<gui::Button>(*second_, "Button1", 220, 30, 73, 25);
  form_.ShowForm();
  // Put on the page while it waits: still no window, and last in the order.
  Put<gui::Button>(*second_, "Button2", 220, 60, 73, 25);
  // A control that had its window on the form, moved onto the waiting page: its window moves
  // into the page's window before its earlier siblings have theirs.
  auto& moved = Put<gui::Edit>(form_, "Edit2", 400, 10, 100, 21);
  ASSERT_NE(moved.GetPeer(), nullptr);
  moved.SetParent(second_);
  EXPECT_EQ(::GetParent(WindowOf(moved)), WindowOf(*second_));

  book_->SetPageIndex(1);
  EXPECT_EQ(WindowOrder(*second_), Names(second_->Children()));
  EXPECT_EQ(Names(second_->Children()), "Label3 Edit_Path Button1 Button2 Edit2 ");
  // The tab order follows: from the path box to the two buttons, then the moved box.
  const HWND page = WindowOf(*second_);
  HWND stop = WindowOf(*second_->Children()[1]);
  for (std::size_t next = 2; next < 5; ++next) {
    stop = ::GetNextDlgTabItem(page, stop, FALSE);
    EXPECT_EQ(stop, WindowOf(*second_->Children()[next])) << second_->Children()[next]->Name();
  }

  // Put on the page once it shows: a window at once, at the end.
  auto& later = Put<gui::Button>(*second_, "Button3", 220, 90, 73, 25);
  EXPECT_NE(later.GetPeer(), nullptr);
  EXPECT_EQ(WindowOrder(*second_), Names(second_->Children()));
}

// The order the late windows take is the one windows made at once have: the controls' order.
TEST_F(PageWindowsContract, WindowsMadeWithTheFormFollowTheOrderOfTheControls) {
  auto& before = form_.Make<gui::Button>("btnpri");
  before.SetBounds(252, 300, 77, 23);
  before.SetParent(&form_);
  Put<gui::Button>(form_, "BtnNext", 340, 300, 77, 23);
  Put<gui::Edit>(*second_, "Edit_Path", 10, 30, 200, 21);
  form_.ShowForm();
  book_->SetPageIndex(1);
  EXPECT_EQ(WindowOrder(form_), Names(form_.Children()));
  EXPECT_EQ(WindowOrder(*book_), Names(book_->Children()));
}

}  // namespace
}  // namespace contract
