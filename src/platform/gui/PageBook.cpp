#include "platform/gui/PageBook.h"

#include <algorithm>

namespace gui {

Page::Page(Component* owner, AnsiString name) : Control(owner, std::move(name)) {
  SetAlign(Align::Client);
}

void Page::ShowPage() {
  if (!everShown_) {
    everShown_ = true;
    // Not while a form is taken apart: a book whose form let go of it turns to another page as
    // its pages go, and that page will never show.
    if (GetPeer() && ParentForm()) CreatePeers();
  }
  SetVisible(true);
}

PageBook::PageBook(Component* owner, AnsiString name) : Control(owner, std::move(name)) {}

std::vector<Page*> PageBook::Pages() const {
  std::vector<Page*> pages;
  for (Control* child : Children()) {
    if (auto* page = dynamic_cast<Page*>(child)) pages.push_back(page);
  }
  return pages;
}

int PageBook::PageIndex() const {
  const std::vector<Page*> pages = Pages();
  const auto found = std::find(pages.begin(), pages.end(), active_);
  return found == pages.end() ? -1 : static_cast<int>(found - pages.begin());
}

void PageBook::SetPageIndex(int index) {
  const std::vector<Page*> pages = Pages();
  if (index < 0 || index >= static_cast<int>(pages.size())) return;
  if (Activate(pages[static_cast<std::size_t>(index)])) Fire(OnPageChanged);
}

bool PageBook::UserSetPageIndex(int index) {
  if (!Reachable() || index < 0 || index >= PageCount()) return false;
  SetPageIndex(index);
  return true;
}

void PageBook::ChildrenChanged() {
  const std::vector<Page*> pages = Pages();
  Page* next = active_;
  if (std::find(pages.begin(), pages.end(), active_) == pages.end()) {
    const int count = static_cast<int>(pages.size());
    next = count == 0 ? nullptr
                      : pages[static_cast<std::size_t>(std::clamp(activeIndex_, 0, count - 1))];
  }
  FitPages();
  if (!Activate(next)) {
    activeIndex_ = PageIndex();
    ShowActivePage();
  }
}

void PageBook::BoundsChanged(bool sizeChanged) {
  Control::BoundsChanged(sizeChanged);
  if (sizeChanged) FitPages();
}

void PageBook::FitPages() {
  for (Page* page : Pages()) page->SetBounds(0, 0, ClientWidth(), ClientHeight());
}

bool PageBook::Activate(Page* page) {
  if (page == active_) return false;
  active_ = page;
  activeIndex_ = PageIndex();
  ShowActivePage();
  Changed(Aspect::Value);
  return true;
}

void PageBook::ShowActivePage() {
  // Hidden first, so that two pages never show at once.
  for (Page* page : Pages()) {
    if (page != active_) page->SetVisible(false);
  }
  if (active_) active_->ShowPage();
}

}  // namespace gui
