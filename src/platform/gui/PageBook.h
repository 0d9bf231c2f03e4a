#pragma once
// A notebook of pages without tabs: the pages are child controls of the book, each filling the
// book's client area, and exactly the active page is visible. The program turns the pages; a
// control on a page that is not active is hidden with it, so the user cannot reach it.
#include <functional>
#include <vector>

#include "platform/gui/Control.h"

namespace gui {

class PageBook;

// One page of a book: a container with a caption ("page1"). The book decides whether it shows,
// so a page offers no visibility setter of its own. The windows of the page's controls are made
// when the book first shows the page.
class Page : public Control {
 public:
  Page(Component* owner, AnsiString name);
  const char* Kind() const override { return "Page"; }
  std::type_index PeerKind() const override { return typeid(Page); }
  bool DefersChildPeers() const override { return !Visible() && !everShown_; }

 private:
  friend class PageBook;
  using Control::Hide;
  using Control::SetVisible;
  using Control::Show;
  // Shows the page; the first time, its controls' peers are made just before its own window
  // shows, so the page appears with them.
  void ShowPage();

  bool everShown_ = false;
};

class PageBook : public Control {
 public:
  PageBook(Component* owner, AnsiString name);
  const char* Kind() const override { return "PageBook"; }
  std::type_index PeerKind() const override { return typeid(PageBook); }

  // The pages, in the order they were put into the book.
  std::vector<Page*> Pages() const;
  int PageCount() const { return static_cast<int>(Pages().size()); }
  // Index of the active page; -1 when the book has no page.
  int PageIndex() const;
  // Makes the page at index the active one; an index outside the pages is ignored.
  void SetPageIndex(int index);
  // The visible page; null when the book has no page.
  Page* ActivePage() const { return active_; }

  // The user turns the page (a book with tabs would call this from its peer): ignored, and
  // false, when the book cannot be reached (Control::Reachable) or the index is outside the
  // pages.
  bool UserSetPageIndex(int index);

  // Fired after SetPageIndex or UserSetPageIndex changed the active page (not when a page put
  // in or taken out of the book did).
  std::function<void()> OnPageChanged;

 protected:
  // A page was put in or taken out: the first page becomes active in an empty book, and when
  // the active page goes the one that takes its place is the page now at its index (else the
  // last one).
  void ChildrenChanged() override;
  // Every page, shown or not, keeps the book's client size.
  void BoundsChanged(bool sizeChanged) override;

 private:
  void FitPages();
  // Shows the active page and hides the others.
  void ShowActivePage();
  // Makes page the active one; false when it already was.
  bool Activate(Page* page);

  Page* active_ = nullptr;
  int activeIndex_ = -1;  // index of active_ when it was last settled
};

}  // namespace gui
