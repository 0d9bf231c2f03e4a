// String grids: SysListView32 children in report view without column headers, so screen readers
// and other programs read the cells as the list view's items and subitems. Columns mirror the
// column count and widths, items the cells, the selection the current row.
//
// The user's input: a row the user selects, with the mouse or the keys (LVN_ITEMCHANGED), goes
// to StringGrid::UserSelectRow; a double-click (NM_DBLCLK) to UserDoubleClickRow. The selection
// the peer makes itself while mirroring the model is not the user's and is not reported back.
// When the model refuses a selection, or a click leaves no row selected, the model's row is
// selected again once the list view is done with the input.
//
// Row height: a list view's rows are as high as the taller of its font and its small icons, plus
// a little padding. The grid's row height comes from an image list of empty icons whose height
// is corrected by what the first row measures; a font taller than the rows keeps them higher. The
// list view draws horizontal and vertical grid lines together: either option shows both.
#include <algorithm>
#include <vector>

#include "platform/ScopeExit.h"
#include "platform/gui/StringGrid.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/gui/CommonControls.h"
#include "platform/win32/gui/PeerKinds.h"

#include <commctrl.h>

namespace gui::win32 {

namespace {

using platform::win32::Wide;

using UniqueImageList = platform::win32::UniqueResource<
    platform::win32::traits::Simple<HIMAGELIST, nullptr, &DestroyImageList>>;

// Posted to the list view itself: put the model's row back on screen if the screen differs.
constexpr UINT kSettleSelection = WM_APP + 1;

constexpr DWORD kListStyle =
    WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER;
constexpr DWORD kSelectionState = LVIS_SELECTED | LVIS_FOCUSED;

class StringGridPeer : public WindowPeer {
 public:
  explicit StringGridPeer(StringGrid& grid) : WindowPeer(grid), grid_(grid) {}

  void Create() { CreateWindowFor({WC_LISTVIEWW, kListStyle, 0, ParentHandle()}); }

  LRESULT Notify(const NMHDR& header) override {
    switch (header.code) {
      case LVN_ITEMCHANGED:
        ItemChanged(reinterpret_cast<const NMLISTVIEW&>(header));
        return 0;
      case NM_DBLCLK:
        grid_.UserDoubleClickRow(ClickedItem(reinterpret_cast<const NMITEMACTIVATE&>(header)));
        return 0;
      default:
        return 0;
    }
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != kSettleSelection) return WindowPeer::HandleMessage(message, wParam, lParam);
    settlePosted_ = false;
    if (ShownRow() != grid_.Row()) Mirror([this] { MirrorRow(); });
    return 0;
  }

 protected:
  void UpdateKind(Changes changed) override {
    Mirror([this, changed] {
      if (changed.Has(Aspect::Items)) {
        MirrorColumns();
        MirrorItems();
      }
      if (changed.Has(Aspect::Style)) MirrorLook();
      if (changed.Has(Aspect::Style) || changed.Has(Aspect::Items)) MirrorWidths();
      if (changed.Has(Aspect::Color) || changed.Has(Aspect::Font)) MirrorColors();
      if (changed.Has(Aspect::Font) || grid_.DefaultRowHeight() != fittedFor_) FitRowHeight();
      // A cell written leaves the selection (and where the user scrolled to) alone.
      if (changed.Has(Aspect::Value) || (changed.Has(Aspect::Items) && ShownRow() != grid_.Row())) {
        MirrorRow();
      }
    });
  }

 private:
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendMessageW(Handle(), message, wParam, lParam);
  }

  // Runs a change of the window made by the peer itself; the list view's notifications of it
  // are not the user's.
  template <class Change>
  void Mirror(Change&& change) {
    const bool outer = !mirroring_;
    mirroring_ = true;
    auto done = platform::MakeScopeExit([this, outer] {
      if (outer) mirroring_ = false;
    });
    change();
  }

  void ItemChanged(const NMLISTVIEW& change) {
    if (mirroring_ || !(change.uChanged & LVIF_STATE)) return;
    const bool wasSelected = (change.uOldState & LVIS_SELECTED) != 0;
    const bool isSelected = (change.uNewState & LVIS_SELECTED) != 0;
    if (wasSelected == isSelected) return;
    if (isSelected) grid_.UserSelectRow(change.iItem);
    // Refused, or nothing selected any more: the model's row comes back after the input.
    if (!settlePosted_) settlePosted_ = ::PostMessageW(Handle(), kSettleSelection, 0, 0) != 0;
  }

  // The row of a double-click: the list view names the item when the click is on its label;
  // elsewhere in the row the hit test finds it.
  int ClickedItem(const NMITEMACTIVATE& click) {
    if (click.iItem >= 0) return click.iItem;
    LVHITTESTINFO hit = {};
    hit.pt = click.ptAction;
    Send(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return hit.iItem;
  }

  int ShownRow() {
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  }

  void MirrorColumns() {
    while (static_cast<int>(widths_.size()) < grid_.ColCount()) {
      const int col = static_cast<int>(widths_.size());
      LVCOLUMNW column = {};
      column.mask = LVCF_WIDTH | LVCF_SUBITEM;
      column.cx = grid_.ColWidth(col);
      column.iSubItem = col;
      Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(col), reinterpret_cast<LPARAM>(&column));
      widths_.push_back(column.cx);
      for (auto& row : shown_) row.emplace_back();
    }
    // Column 0 stays: the grid has at least one column.
    while (static_cast<int>(widths_.size()) > grid_.ColCount()) {
      widths_.pop_back();
      Send(LVM_DELETECOLUMN, widths_.size());
      for (auto& row : shown_) row.pop_back();
    }
  }

  void MirrorItems() {
    while (static_cast<int>(shown_.size()) < grid_.RowCount()) {
      wchar_t empty[] = L"";
      LVITEMW item = {};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(shown_.size());
      item.pszText = empty;
      Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      shown_.emplace_back(widths_.size());
    }
    while (static_cast<int>(shown_.size()) > grid_.RowCount()) {
      shown_.pop_back();
      Send(LVM_DELETEITEM, shown_.size());
    }
    for (int row = 0; row < grid_.RowCount(); ++row) {
      for (int col = 0; col < grid_.ColCount(); ++col) MirrorCell(col, row);
    }
  }

  void MirrorCell(int col, int row) {
    AnsiString& shown = shown_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    const AnsiString& text = grid_.Cell(col, row);
    if (shown == text) return;
    std::wstring wide = Wide(text);
    LVITEMW item = {};
    item.iSubItem = col;
    item.pszText = wide.data();
    Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    shown = text;
  }

  void MirrorWidths() {
    for (std::size_t col = 0; col < widths_.size(); ++col) {
      const int width = grid_.ColWidth(static_cast<int>(col));
      if (widths_[col] == width) continue;
      Send(LVM_SETCOLUMNWIDTH, col, MAKELPARAM(width, 0));
      widths_[col] = width;
    }
  }

  void MirrorLook() {
    const GridOptions& options = grid_.Options();
    const DWORD lines = options.horzLines || options.vertLines ? LVS_EX_GRIDLINES : 0;
    const DWORD rows = options.rowSelect ? LVS_EX_FULLROWSELECT : 0;
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT, lines | rows);
    SetStyleBits(LVS_NOSCROLL, options.scrollBars == ScrollBars::None ? LVS_NOSCROLL : 0);
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_EXSTYLE));
    const DWORD border = options.border ? WS_EX_CLIENTEDGE : 0;
    if ((exStyle & WS_EX_CLIENTEDGE) != border) {
      ::SetWindowLongPtrW(Handle(), GWL_EXSTYLE, (exStyle & ~WS_EX_CLIENTEDGE) | border);
      ::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
  }

  void MirrorColors() {
    const COLORREF back = ToColorRef(grid_.GetColor());
    Send(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(back));
    Send(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(back));
    Send(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ToColorRef(grid_.GetFont().color)));
    Invalidate();
  }

  // Icons as high as the row height less the padding the list view adds. The padding differs
  // between versions of the list view, so the first row's measured height corrects the icons'
  // once. A font taller than the rows wins: icons cannot make a row lower than its text.
  void FitRowHeight() {
    const int wanted = grid_.DefaultRowHeight();
    fittedFor_ = wanted;
    SetIconHeight(wanted - 1);
    RECT row = {};
    row.left = LVIR_BOUNDS;
    if (!Send(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row))) return;
    const int measured = row.bottom - row.top;
    if (measured != wanted) SetIconHeight(iconHeight_ + wanted - measured);
  }

  void SetIconHeight(int height) {
    height = std::max(height, 1);
    if (height == iconHeight_) return;
    UniqueImageList icons(CreateImageList(1, height, ILC_COLOR, 0, 1));
    if (!icons) return;
    // The list view owns the image list it shows and gives back the one it showed before.
    UniqueImageList previous(reinterpret_cast<HIMAGELIST>(
        Send(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons.Release()))));
    iconHeight_ = height;
  }

  // Selection and focus on the model's row and nowhere else.
  void MirrorRow() {
    LVITEMW state = {};
    state.stateMask = kSelectionState;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    const int row = grid_.Row();
    state.state = kSelectionState;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  }

  StringGrid& grid_;
  std::vector<int> widths_;                     // the columns shown, with their widths
  std::vector<std::vector<AnsiString>> shown_;  // the cells shown, [row][col]
  int iconHeight_ = 0;                          // of the image list shown; 0 before the first
  int fittedFor_ = 0;                           // the row height the icons were fitted to
  bool mirroring_ = false;
  bool settlePosted_ = false;
};

}  // namespace

std::unique_ptr<Peer> MakePeer(StringGrid& grid) {
  auto peer = std::make_unique<StringGridPeer>(grid);
  peer->Create();
  return peer;
}

}  // namespace gui::win32
