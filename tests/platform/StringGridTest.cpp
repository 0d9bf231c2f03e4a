// The string grid's rules: never fewer than one row or column, cutting rows keeps the cells of
// the rows that stay, new rows and columns are empty, the current row stays inside the grid, a
// change names only what changed, and the user's row selection and double-click follow the one
// reachability rule.
#include "platform/gui/Edit.h"
#include "platform/gui/StringGrid.h"
#include "support/SimTest.h"

namespace {

class StringGridTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    form_ = &App().Make<gui::Form>("Probe");
    grid_ = &form_->Make<gui::StringGrid>("DiskGrid");
    grid_->SetParent(form_);
    grid_->OnClick = [this] { ++clicks_; };
    grid_->OnDoubleClick = [this] { ++doubleClicks_; };
    form_->ShowForm();
  }

  // Rows of col0|col1|... texts.
  void Fill(int cols, const std::vector<std::vector<AnsiString>>& rows) {
    grid_->SetColCount(cols);
    grid_->SetRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
      for (int col = 0; col < cols; ++col) {
        grid_->SetCell(col, row,
                       rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)]);
      }
    }
  }

  std::vector<AnsiString> RowCells(int row) const {
    std::vector<AnsiString> cells;
    for (int col = 0; col < grid_->ColCount(); ++col) cells.push_back(grid_->Cell(col, row));
    return cells;
  }

  int Updates(gui::Aspect aspect) { return Backend().Updates(*grid_, aspect); }

  gui::Form* form_ = nullptr;
  gui::StringGrid* grid_ = nullptr;
  int clicks_ = 0;
  int doubleClicks_ = 0;
};

using Cells = std::vector<AnsiString>;

TEST_F(StringGridTest, RowAndColumnCountsNeverGoBelowOne) {
  for (int count : {0, -1, -100}) {
    grid_->SetRowCount(4);
    grid_->SetRowCount(count);
    EXPECT_EQ(grid_->RowCount(), 1) << count;
    grid_->SetColCount(count);
    EXPECT_EQ(grid_->ColCount(), 1) << count;
  }
}

TEST_F(StringGridTest, CuttingBackToOneRowKeepsRowZeroAndGrownRowsStartEmpty) {
  Fill(5, {{"C:\\", "74.5 GB", "9.55 GB", " 12 MB", " 9.53 GB"},
           {"D:\\", "120.0 GB", "64.2 GB", "", ""},
           {"E:\\", "", "0.01 GB", "", ""}});
  grid_->SetRowCount(1);
  EXPECT_EQ(grid_->RowCount(), 1);
  EXPECT_EQ(RowCells(0), (Cells{"C:\\", "74.5 GB", "9.55 GB", " 12 MB", " 9.53 GB"}));
  grid_->SetRowCount(3);
  EXPECT_EQ(RowCells(0), (Cells{"C:\\", "74.5 GB", "9.55 GB", " 12 MB", " 9.53 GB"}));
  EXPECT_EQ(RowCells(1), Cells(5));
  EXPECT_EQ(RowCells(2), Cells(5));
}

TEST_F(StringGridTest, ColumnsCutAndGrownKeepTheirCellsAndWidthsAndNewOnesAreEmptyAndDefault) {
  grid_->SetColCount(4);
  grid_->SetColWidth(0, 50);
  grid_->SetColWidth(1, 80);
  grid_->SetCell(1, 0, "74.5 GB");
  grid_->SetCell(3, 0, " 12 MB");
  grid_->SetColCount(5);
  EXPECT_EQ(grid_->ColWidth(0), 50);
  EXPECT_EQ(grid_->ColWidth(1), 80);
  EXPECT_EQ(grid_->ColWidth(4), gui::StringGrid::kDefaultColWidth);
  EXPECT_EQ(RowCells(0), (Cells{"", "74.5 GB", "", " 12 MB", ""}));
  grid_->SetColCount(2);
  grid_->SetColCount(4);
  EXPECT_EQ(RowCells(0), (Cells{"", "74.5 GB", "", ""})) << "a cut column comes back empty";
  EXPECT_EQ(grid_->ColWidth(3), gui::StringGrid::kDefaultColWidth);
}

TEST_F(StringGridTest, TheRowTextJoinsTheCellsInColumnOrder) {
  Fill(5, {{"C:\\", "74.5 GB", "9.55 GB", " 12 MB", " 9.53 GB"}, {"D:\\", "", "", "", ""}});
  EXPECT_EQ(Utf8(grid_->RowText(0)), "C:\\74.5 GB9.55 GB 12 MB 9.53 GB");
  EXPECT_EQ(Utf8(grid_->RowText(1)), "D:\\");
  EXPECT_EQ(grid_->RowText(2), "");
}

TEST_F(StringGridTest, PlacesOutsideTheGridReadEmptyAndWritesThereAreIgnored) {
  Fill(2, {{"C:\\", "74.5 GB"}, {"D:\\", "120.0 GB"}});
  grid_->SetRow(1);
  const int items = Updates(gui::Aspect::Items);
  const int values = Updates(gui::Aspect::Value);
  const int styles = Updates(gui::Aspect::Style);
  struct Place {
    int col, row;
  };
  for (const Place& p : {Place{-1, 0}, Place{2, 0}, Place{0, -1}, Place{0, 2}}) {
    grid_->SetCell(p.col, p.row, "X");
    EXPECT_EQ(grid_->Cell(p.col, p.row), "") << p.col << "," << p.row;
  }
  for (int col : {-1, 2}) {
    grid_->SetColWidth(col, 99);
    EXPECT_EQ(grid_->ColWidth(col), 0) << col;
  }
  for (int row : {-1, 2, 100}) {
    grid_->SetRow(row);
    EXPECT_FALSE(grid_->UserSelectRow(row)) << row;
    EXPECT_FALSE(grid_->UserDoubleClickRow(row)) << row;
  }
  EXPECT_EQ(grid_->Row(), 1);
  EXPECT_EQ(clicks_ + doubleClicks_, 0);
  EXPECT_EQ(RowCells(0), (Cells{"C:\\", "74.5 GB"}));
  EXPECT_EQ(RowCells(1), (Cells{"D:\\", "120.0 GB"}));
  EXPECT_EQ(Updates(gui::Aspect::Items), items);
  EXPECT_EQ(Updates(gui::Aspect::Value), values);
  EXPECT_EQ(Updates(gui::Aspect::Style), styles);
}

TEST_F(StringGridTest, EachChangeNamesItsOwnAspectAndAnUnchangedValueNamesNone) {
  Fill(5, {{"C:\\", "", "", "", ""}, {"D:\\", "", "", "", ""}, {"E:\\", "", "", "", ""}});
  struct Step {
    const char* what;
    std::function<void()> change;
    int items, value, style;  // updates of each aspect the step makes
  };
  gui::GridOptions flat;
  flat.border = false;
  flat.rowSelect = true;
  const Step steps[] = {
      {"cell", [&] { grid_->SetCell(1, 2, "74.5 GB"); }, 1, 0, 0},
      {"same cell text", [&] { grid_->SetCell(1, 2, "74.5 GB"); }, 0, 0, 0},
      {"current row", [&] { grid_->SetRow(2); }, 0, 1, 0},
      {"same current row", [&] { grid_->SetRow(2); }, 0, 0, 0},
      {"more rows", [&] { grid_->SetRowCount(4); }, 1, 0, 0},
      {"rows cut below the current row", [&] { grid_->SetRowCount(1); }, 1, 1, 0},
      {"same row count", [&] { grid_->SetRowCount(1); }, 0, 0, 0},
      {"column width", [&] { grid_->SetColWidth(0, 50); }, 0, 0, 1},
      {"same column width", [&] { grid_->SetColWidth(0, 50); }, 0, 0, 0},
      {"row height", [&] { grid_->SetDefaultRowHeight(14); }, 0, 0, 1},
      {"same row height", [&] { grid_->SetDefaultRowHeight(14); }, 0, 0, 0},
      {"options", [&] { grid_->SetOptions(flat); }, 0, 0, 1},
      {"same options", [&] { grid_->SetOptions(flat); }, 0, 0, 0},
      {"user selects a row",
       [&] {
         grid_->SetRowCount(3);
         grid_->UserSelectRow(1);
       },
       1, 1, 0},
  };
  for (const Step& step : steps) {
    const int items = Updates(gui::Aspect::Items);
    const int value = Updates(gui::Aspect::Value);
    const int style = Updates(gui::Aspect::Style);
    const int text = Updates(gui::Aspect::Text);
    const int bounds = Updates(gui::Aspect::Bounds);
    step.change();
    EXPECT_EQ(Updates(gui::Aspect::Items) - items, step.items) << step.what;
    EXPECT_EQ(Updates(gui::Aspect::Value) - value, step.value) << step.what;
    EXPECT_EQ(Updates(gui::Aspect::Style) - style, step.style) << step.what;
    EXPECT_EQ(Updates(gui::Aspect::Text), text) << step.what;
    EXPECT_EQ(Updates(gui::Aspect::Bounds), bounds) << step.what;
  }
  EXPECT_EQ(grid_->Row(), 1);
}

TEST_F(StringGridTest, CuttingAwayTheCurrentRowMakesTheLastRowCurrent) {
  grid_->SetRowCount(6);
  grid_->SetRow(5);
  grid_->SetRowCount(3);
  EXPECT_EQ(grid_->Row(), 2);
  grid_->SetRowCount(1);
  EXPECT_EQ(grid_->Row(), 0);
  EXPECT_EQ(clicks_, 0) << "the program's change is no click";
}

TEST_F(StringGridTest, TheUserSelectsAndDoubleClicksRowsOfAReachableGridOnly) {
  grid_->SetRowCount(3);
  EXPECT_TRUE(grid_->UserSelectRow(2));
  EXPECT_EQ(grid_->Row(), 2);
  EXPECT_EQ(clicks_, 1);
  EXPECT_TRUE(grid_->UserSelectRow(2)) << "the current row again reaches the grid";
  EXPECT_EQ(clicks_, 1) << "but changes nothing";
  EXPECT_TRUE(grid_->UserDoubleClickRow(0));
  EXPECT_EQ(grid_->Row(), 0);
  EXPECT_EQ(clicks_, 2) << "the double-click's first click selects the row";
  EXPECT_EQ(doubleClicks_, 1);
  EXPECT_TRUE(grid_->UserDoubleClickRow(0));
  EXPECT_EQ(clicks_, 2);
  EXPECT_EQ(doubleClicks_, 2);

  grid_->SetEnabled(false);
  EXPECT_FALSE(grid_->UserSelectRow(1));
  EXPECT_FALSE(grid_->UserDoubleClickRow(1));
  grid_->SetEnabled(true);
  form_->Hide();
  EXPECT_FALSE(grid_->UserSelectRow(1));
  EXPECT_EQ(grid_->Row(), 0);
  EXPECT_EQ(clicks_, 2);
  EXPECT_EQ(doubleClicks_, 2);
}

TEST_F(StringGridTest, AClickHandlerThatTakesTheGridAwayStopsTheDoubleClick) {
  grid_->SetRowCount(3);
  grid_->OnClick = [this] { grid_->Hide(); };
  EXPECT_FALSE(grid_->UserDoubleClickRow(2));
  EXPECT_EQ(grid_->Row(), 2);
  EXPECT_EQ(doubleClicks_, 0);
}

TEST_F(StringGridTest, TheScriptedUserSelectsAndDoubleClicksRowsAndLogsWhatWasIgnored) {
  Fill(1, {{"C:\\"}, {"D:\\"}, {"E:\\"}});
  AnsiString picked;
  grid_->OnDoubleClick = [&] { picked = grid_->RowText(grid_->Row()); };
  User()
      .SelectRow("DiskGrid", 1)
      .Step([&] { EXPECT_EQ(grid_->Row(), 1); }, "row 1 is current")
      .DoubleClickRow("Probe.DiskGrid", 2)
      .DoubleClickRow("DiskGrid", 3)
      .Step([&] { grid_->SetEnabled(false); }, "grid disabled")
      .SelectRow("DiskGrid", 0)
      .Step([&] { App().Terminate(); }, "end");
  App().Run();
  EXPECT_EQ(Utf8(picked), "E:\\");
  EXPECT_EQ(grid_->Row(), 2);
  EXPECT_EQ(clicks_, 2);
  ASSERT_EQ(User().IgnoredActions().size(), 2u);
  EXPECT_NE(User().IgnoredActions()[0].find("it has 3 rows"), std::string::npos)
      << User().IgnoredActions()[0];
  EXPECT_NE(User().IgnoredActions()[1].find("disabled"), std::string::npos)
      << User().IgnoredActions()[1];
}

TEST_F(StringGridTest, SelectingARowOfAControlThatIsNoGridFailsTheScript) {
  auto& edit = form_->Make<gui::Edit>("Edit_Path");
  edit.SetParent(form_);
  User().SelectRow("Edit_Path", 0);
  const std::string failure = ScriptFailureOf([&] { App().Run(); });
  EXPECT_NE(failure.find("no string grid"), std::string::npos) << failure;
}

}  // namespace
