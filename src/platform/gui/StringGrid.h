#pragma once
// A grid of text cells, columns by rows, with a current row. The grid has no fixed (header) rows
// or columns: every row holds data, and headers, when a window wants them, are controls of their
// own above it.
//
// It never has fewer than one column or one row. Cutting the rows keeps the cells of the rows
// that stay (row 0 always stays); rows and columns added later start empty. The current row is
// always a row of the grid: cutting it away makes the last row current.
//
// What the model tells its peer: cell texts and the row and column counts are Items, the current
// row is Value, column widths, row height and the look (GridOptions) are Style.
#include <vector>

#include "platform/gui/Control.h"
#include "platform/gui/Memo.h"

namespace gui {

// How the grid looks.
struct GridOptions {
  bool border = true;      // a sunken edge around the grid
  bool rowSelect = false;  // the whole current row shows selected
  bool horzLines = true;   // lines between the rows
  bool vertLines = true;   // lines between the columns
  ScrollBars scrollBars = ScrollBars::Both;

  bool operator==(const GridOptions& o) const {
    return border == o.border && rowSelect == o.rowSelect && horzLines == o.horzLines &&
           vertLines == o.vertLines && scrollBars == o.scrollBars;
  }
  bool operator!=(const GridOptions& o) const { return !(*this == o); }
};

class StringGrid : public Control {
 public:
  static constexpr int kDefaultColWidth = 64;

  StringGrid(Component* owner, AnsiString name);
  const char* Kind() const override { return "StringGrid"; }
  std::type_index PeerKind() const override { return typeid(StringGrid); }

  int ColCount() const { return colCount_; }
  // At least 1. Columns added are empty and kDefaultColWidth wide.
  void SetColCount(int count);
  int RowCount() const { return static_cast<int>(cells_.size()); }
  // At least 1. Rows added are empty; the rows that stay keep their cells.
  void SetRowCount(int count);

  // The text of a cell; empty outside the grid.
  const AnsiString& Cell(int col, int row) const;
  // A cell outside the grid is ignored.
  void SetCell(int col, int row, const AnsiString& text);
  // The row's cells joined in column order; empty outside the grid.
  AnsiString RowText(int row) const;

  // Width of a column in pixels; 0 outside the grid.
  int ColWidth(int col) const;
  // A column outside the grid is ignored; a negative width counts as 0.
  void SetColWidth(int col, int width);
  int DefaultRowHeight() const { return rowHeight_; }
  // At least 1 pixel.
  void SetDefaultRowHeight(int height);

  // The current (selected) row.
  int Row() const { return row_; }
  // The program moves the current row; a row outside the grid is ignored. No event runs.
  void SetRow(int row);

  const GridOptions& Options() const { return options_; }
  void SetOptions(const GridOptions& options);

  // The help text of the grid (shown as a tip by a back end that shows tips).
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& hint) { hint_ = hint; }

  // ---- User input (see Control). A row outside the grid is ignored too (false).
  // The user selects a row: it becomes current and OnClick runs. Selecting the row that is
  // current already changes nothing and runs nothing (the action still reached the grid: true).
  bool UserSelectRow(int row);
  // The user double-clicks a row: the row is selected as by UserSelectRow, then OnDoubleClick
  // runs.
  bool UserDoubleClickRow(int row);

 private:
  bool Accepts(int row) const { return row >= 0 && row < RowCount() && Reachable(); }

  int colCount_ = 5;
  std::vector<std::vector<AnsiString>> cells_;  // [row][col]
  std::vector<int> colWidths_;
  int rowHeight_ = 24;
  int row_ = 0;
  GridOptions options_;
  AnsiString hint_;
};

}  // namespace gui
