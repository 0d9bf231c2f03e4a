#include "platform/gui/StringGrid.h"

#include <algorithm>

namespace gui {

namespace {

constexpr int kInitialRows = 5;

const AnsiString& NoText() {
  static const AnsiString empty;
  return empty;
}

}  // namespace

StringGrid::StringGrid(Component* owner, AnsiString name)
    : Control(owner, std::move(name)),
      cells_(kInitialRows, std::vector<AnsiString>(static_cast<std::size_t>(colCount_))),
      colWidths_(static_cast<std::size_t>(colCount_), kDefaultColWidth) {
  SetColor(clWindow);
}

void StringGrid::SetColCount(int count) {
  count = std::max(count, 1);
  if (count == colCount_) return;
  colCount_ = count;
  for (auto& row : cells_) row.resize(static_cast<std::size_t>(count));
  colWidths_.resize(static_cast<std::size_t>(count), kDefaultColWidth);
  Changed(Aspect::Items | Aspect::Style);
}

void StringGrid::SetRowCount(int count) {
  count = std::max(count, 1);
  if (count == RowCount()) return;
  cells_.resize(static_cast<std::size_t>(count),
                std::vector<AnsiString>(static_cast<std::size_t>(colCount_)));
  Changes changed = Aspect::Items;
  if (row_ >= count) {
    row_ = count - 1;
    changed |= Aspect::Value;
  }
  Changed(changed);
}

const AnsiString& StringGrid::Cell(int col, int row) const {
  if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount()) return NoText();
  return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void StringGrid::SetCell(int col, int row, const AnsiString& text) {
  if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount()) return;
  AnsiString& cell = cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
  if (cell == text) return;
  cell = text;
  Changed(Aspect::Items);
}

AnsiString StringGrid::RowText(int row) const {
  AnsiString text;
  for (int col = 0; col < colCount_; ++col) text += Cell(col, row);
  return text;
}

int StringGrid::ColWidth(int col) const {
  if (col < 0 || col >= colCount_) return 0;
  return colWidths_[static_cast<std::size_t>(col)];
}

void StringGrid::SetColWidth(int col, int width) {
  if (col < 0 || col >= colCount_) return;
  width = std::max(width, 0);
  int& current = colWidths_[static_cast<std::size_t>(col)];
  if (current == width) return;
  current = width;
  Changed(Aspect::Style);
}

void StringGrid::SetDefaultRowHeight(int height) {
  height = std::max(height, 1);
  if (height == rowHeight_) return;
  rowHeight_ = height;
  Changed(Aspect::Style);
}

void StringGrid::SetRow(int row) {
  if (row < 0 || row >= RowCount() || row == row_) return;
  row_ = row;
  Changed(Aspect::Value);
}

void StringGrid::SetOptions(const GridOptions& options) {
  if (options == options_) return;
  options_ = options;
  Changed(Aspect::Style);
}

bool StringGrid::UserSelectRow(int row) {
  if (!Accepts(row)) return false;
  if (row == row_) return true;
  SetRow(row);
  Fire(OnClick);
  return true;
}

bool StringGrid::UserDoubleClickRow(int row) {
  // The first click of the two selects; OnClick may have taken the grid out of reach.
  return UserSelectRow(row) && UserDoubleClick();
}

}  // namespace gui
