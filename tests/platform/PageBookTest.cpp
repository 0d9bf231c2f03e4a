// The page book: the page index moves only to an existing page, exactly the active page is
// visible, pages fill the book, what lies on a page the book does not show is out of the user's
// reach, and a page turn tells the peers only what changed.
#include <vector>

#include "platform/gui/Button.h"
#include "platform/gui/PageBook.h"
#include "support/SimTest.h"

namespace {

class PageBookTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    form_ = &App().Make<gui::Form>("FormSchedule");
    form_->SetBounds(0, 0, 547, 397);
    book_ = &form_->Make<gui::PageBook>("ScheBook");
    book_->SetBounds(156, 0, 391, 286);
    book_->SetParent(form_);
  }

  gui::Page& AddPage(const AnsiString& caption) {
    auto& page = form_->Make<gui::Page>(caption);
    page.SetCaption(caption);
    page.SetParent(book_);
    return page;
  }

  std::vector<gui::Page*> AddPages(int count) {
    std::vector<gui::Page*> pages;
    for (int i = 1; i <= count; ++i) pages.push_back(&AddPage("page" + std::to_string(i)));
    return pages;
  }

  // The pages that are visible, by index.
  std::vector<int> VisiblePages() const {
    std::vector<int> visible;
    const std::vector<gui::Page*> pages = book_->Pages();
    for (std::size_t i = 0; i < pages.size(); ++i) {
      if (pages[i]->Visible()) visible.push_back(static_cast<int>(i));
    }
    return visible;
  }

  gui::Form* form_ = nullptr;
  gui::PageBook* book_ = nullptr;
};

TEST_F(PageBookTest, TheIndexMovesOnlyToAnExistingPageAndOnlyThatPageIsVisible) {
  const std::vector<gui::Page*> pages = AddPages(6);
  int changes = 0;
  book_->OnPageChanged = [&] { ++changes; };
  ASSERT_EQ(book_->PageCount(), 6);
  ASSERT_EQ(book_->PageIndex(), 0) << "the first page put into the book is active";
  struct Step {
    const char* what;
    int set;
    int expected;
    int changesAfter;
  };
  const Step steps[] = {
      {"next page", 1, 1, 1},          {"same page again", 1, 1, 1},      {"last page", 5, 5, 2},
      {"one beyond the end", 6, 5, 2}, {"far beyond the end", 100, 5, 2}, {"negative", -1, 5, 2},
      {"back to the first", 0, 0, 3},
  };
  for (const Step& step : steps) {
    book_->SetPageIndex(step.set);
    EXPECT_EQ(book_->PageIndex(), step.expected) << step.what;
    EXPECT_EQ(book_->ActivePage(), pages[static_cast<std::size_t>(step.expected)]) << step.what;
    EXPECT_EQ(VisiblePages(), std::vector<int>{step.expected}) << step.what;
    EXPECT_EQ(changes, step.changesAfter) << step.what;
  }
}

TEST_F(PageBookTest, AnEmptyBookHasNoActivePageUntilAPageIsPutIn) {
  EXPECT_EQ(book_->PageCount(), 0);
  EXPECT_EQ(book_->PageIndex(), -1);
  EXPECT_EQ(book_->ActivePage(), nullptr);
  book_->SetPageIndex(0);
  EXPECT_EQ(book_->PageIndex(), -1);

  gui::Page& first = AddPage("page1");
  gui::Page& second = AddPage("page2");
  EXPECT_EQ(book_->ActivePage(), &first);
  EXPECT_TRUE(first.Visible());
  EXPECT_FALSE(second.Visible()) << "a page put into a book that shows another stays hidden";
  // A control that is not a page is no page of the book.
  auto& stray = form_->Make<gui::Button>("Stray");
  stray.SetParent(book_);
  EXPECT_EQ(book_->PageCount(), 2);
  EXPECT_TRUE(stray.Visible());
}

TEST_F(PageBookTest, WhenThePagesChangeTheActivePageStaysOrThePageAtItsIndexTakesOver) {
  std::vector<gui::Page*> pages = AddPages(4);
  book_->SetPageIndex(2);

  // A page before the active one goes: the same page stays active, one index lower.
  pages[0]->SetParent(nullptr);
  EXPECT_EQ(book_->ActivePage(), pages[2]);
  EXPECT_EQ(book_->PageIndex(), 1);

  // The active page goes: the page now at its index takes over.
  pages[2]->SetParent(nullptr);
  EXPECT_EQ(book_->ActivePage(), pages[3]);
  EXPECT_EQ(book_->PageIndex(), 1);
  EXPECT_TRUE(pages[3]->Visible());

  // The active last page is destroyed: the page before it takes over.
  form_->DestroyOwned(*pages[3]);
  EXPECT_EQ(book_->ActivePage(), pages[1]);
  EXPECT_EQ(book_->PageIndex(), 0);
  EXPECT_TRUE(pages[1]->Visible());

  pages[1]->SetParent(nullptr);
  EXPECT_EQ(book_->ActivePage(), nullptr);
  EXPECT_EQ(book_->PageIndex(), -1);
}

TEST_F(PageBookTest, EveryPageFillsTheBookWhetherItIsShownOrNot) {
  const std::vector<gui::Page*> pages = AddPages(2);
  for (gui::Page* page : pages) EXPECT_EQ(page->Bounds(), (gui::Rect{0, 0, 391, 286}));
  book_->SetBounds(0, 0, 547, 286);
  for (gui::Page* page : pages) EXPECT_EQ(page->Bounds(), (gui::Rect{0, 0, 547, 286}));
  book_->SetPageIndex(1);
  EXPECT_EQ(pages[1]->Bounds(), (gui::Rect{0, 0, 547, 286}));
}

TEST_F(PageBookTest, AControlOnAPageTheBookDoesNotShowIsOutOfTheUsersReach) {
  const std::vector<gui::Page*> pages = AddPages(2);
  auto& next = form_->Make<gui::Button>("BtnNext");
  next.SetParent(pages[1]);
  int clicks = 0;
  next.OnClick = [&] { ++clicks; };
  form_->ShowForm();

  EXPECT_FALSE(next.Reachable());
  User().Click("BtnNext").Step([&] {
    book_->SetPageIndex(1);
    EXPECT_TRUE(next.Reachable());
  });
  User().Click("BtnNext").Step([&] { App().Terminate(); });
  App().Run();
  EXPECT_EQ(clicks, 1) << "only the click after the page turn arrived";
  ASSERT_EQ(User().IgnoredActions().size(), 1u);
  EXPECT_NE(User().IgnoredActions()[0].find("BtnNext"), std::string::npos);
}

TEST_F(PageBookTest, TheUserTurnsThePageOnlyWhenTheBookIsReachable) {
  AddPages(3);
  int changes = 0;
  book_->OnPageChanged = [&] { ++changes; };
  EXPECT_FALSE(book_->UserSetPageIndex(1)) << "the form is not shown";
  form_->ShowForm();
  book_->SetEnabled(false);
  EXPECT_FALSE(book_->UserSetPageIndex(1)) << "the book is disabled";
  EXPECT_EQ(book_->PageIndex(), 0);
  EXPECT_EQ(changes, 0);
  book_->SetEnabled(true);
  EXPECT_FALSE(book_->UserSetPageIndex(3)) << "no such page";
  EXPECT_TRUE(book_->UserSetPageIndex(2));
  EXPECT_EQ(book_->PageIndex(), 2);
  EXPECT_EQ(VisiblePages(), std::vector<int>{2});
  EXPECT_EQ(changes, 1);
}

// A page's controls get their peers (their windows, on Windows) when the book first shows the
// page, so the form's windows are made without those of pages the user may never see.
TEST_F(PageBookTest, APagesControlsGetTheirPeersWhenThePageIsFirstShown) {
  const std::vector<gui::Page*> pages = AddPages(3);
  const auto put = [&](gui::Control& parent, const AnsiString& name) -> gui::Control& {
    auto& control = form_->Make<gui::Panel>(name);
    control.SetParent(&parent);
    return control;
  };
  gui::Control& welcome = put(*pages[0], "Panel1");
  gui::Control& memo = put(*pages[1], "Memo1");
  gui::Control& inner = put(put(*pages[1], "Panel2"), "Inner");
  gui::Control& folder = put(*pages[2], "Edit_Path");
  form_->ShowForm();
  EXPECT_NE(welcome.GetPeer(), nullptr) << "the page shown with the form";
  for (gui::Page* page : pages) EXPECT_NE(page->GetPeer(), nullptr) << page->Name();
  for (const gui::Control* waiting : {&memo, &inner, &folder}) {
    EXPECT_EQ(waiting->GetPeer(), nullptr) << waiting->Name();
  }
  gui::Control& added = put(*pages[1], "RadioButton1");
  EXPECT_EQ(added.GetPeer(), nullptr) << "put on a page that waits";

  book_->SetPageIndex(1);
  for (const gui::Control* shown : {&memo, &inner, &added}) {
    EXPECT_NE(shown->GetPeer(), nullptr) << shown->Name();
  }
  EXPECT_EQ(folder.GetPeer(), nullptr) << "its page still waits";
  // Turned away again: the page keeps its peers, and a control put on it gets one at once.
  book_->SetPageIndex(0);
  EXPECT_NE(memo.GetPeer(), nullptr);
  EXPECT_NE(put(*pages[1], "RadioButton2").GetPeer(), nullptr);
  book_->SetPageIndex(2);
  EXPECT_NE(folder.GetPeer(), nullptr);
}

TEST_F(PageBookTest, APageTurnTellsTheBookItsValueAndTheTwoPagesTheirVisibilityOnly) {
  const std::vector<gui::Page*> pages = AddPages(3);
  form_->ShowForm();
  const auto updates = [&](const gui::Control& control, gui::Aspect aspect) {
    return Backend().Updates(control, aspect);
  };
  const int bookValue = updates(*book_, gui::Aspect::Value);
  const int bookVisible = updates(*book_, gui::Aspect::Visible);
  const int bookText = updates(*book_, gui::Aspect::Text);
  std::vector<int> visible, bounds, text;
  for (gui::Page* page : pages) {
    visible.push_back(updates(*page, gui::Aspect::Visible));
    bounds.push_back(updates(*page, gui::Aspect::Bounds));
    text.push_back(updates(*page, gui::Aspect::Text));
  }

  book_->SetPageIndex(2);
  book_->SetPageIndex(7);  // ignored: nothing to tell

  EXPECT_EQ(updates(*book_, gui::Aspect::Value), bookValue + 1);
  EXPECT_EQ(updates(*book_, gui::Aspect::Visible), bookVisible);
  EXPECT_EQ(updates(*book_, gui::Aspect::Text), bookText);
  const int visibleAfter[] = {1, 0, 1};
  for (std::size_t i = 0; i < pages.size(); ++i) {
    EXPECT_EQ(updates(*pages[i], gui::Aspect::Visible), visible[i] + visibleAfter[i]) << i;
    EXPECT_EQ(updates(*pages[i], gui::Aspect::Text), text[i]) << i;
    EXPECT_EQ(updates(*pages[i], gui::Aspect::Bounds), bounds[i]) << i << " moved";
  }
}

}  // namespace
