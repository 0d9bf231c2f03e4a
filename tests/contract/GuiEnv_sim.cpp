// The contract's GUI on the headless back end: the scripted user acts, a message loop takes
// the action.
#include "contract/GuiEnv.h"

#include "platform/gui/CheckBox.h"
#include "platform/gui/RadioButton.h"
#include "platform/sim/gui/HeadlessBackend.h"

namespace contract {

namespace {

AnsiString QualifiedName(gui::Control& control) {
  gui::Form* form = control.ParentForm();
  return form && form != &control ? form->Name() + "." + control.Name() : control.Name();
}

void TakeScriptedActions(gui::Application& application) {
  auto& backend = sim::HeadlessBackend::Of(application);
  while (backend.User().HasActions()) backend.WaitAndDispatch();
}

}  // namespace

GuiEnv::GuiEnv()
    : application_(std::make_unique<gui::Application>(std::make_unique<sim::HeadlessBackend>())) {}

GuiEnv::~GuiEnv() = default;

void GuiEnv::Click(gui::Control& control) {
  sim::HeadlessBackend::Of(*application_).User().Click(QualifiedName(control));
  TakeScriptedActions(*application_);
}

void GuiEnv::Type(gui::Edit& edit, const AnsiString& text) {
  sim::HeadlessBackend::Of(*application_).User().Type(QualifiedName(edit), text);
  TakeScriptedActions(*application_);
}

AnsiString GuiEnv::ShownText(gui::Control& control) { return control.Caption(); }

bool GuiEnv::ShownChecked(gui::Control& control) {
  if (auto* box = dynamic_cast<gui::CheckBox*>(&control)) return box->Checked();
  return dynamic_cast<gui::RadioButton&>(control).Checked();
}

}  // namespace contract

// ---- Whether a control shows: on the headless back end, the model's visibility.
namespace contract {

bool ShownVisible(gui::Control& control) { return control.GetPeer() && control.Showing(); }

}  // namespace contract

// ---- String grids: the screen is the model.

namespace contract {

void GuiEnv::SelectRow(gui::StringGrid& grid, int row) {
  sim::HeadlessBackend::Of(*application_).User().SelectRow(QualifiedName(grid), row);
  TakeScriptedActions(*application_);
}

void GuiEnv::DoubleClickRow(gui::StringGrid& grid, int row) {
  sim::HeadlessBackend::Of(*application_).User().DoubleClickRow(QualifiedName(grid), row);
  TakeScriptedActions(*application_);
}

AnsiString GuiEnv::ShownCell(gui::StringGrid& grid, int col, int row) {
  return grid.Cell(col, row);
}

int GuiEnv::ShownRowCount(gui::StringGrid& grid) { return grid.RowCount(); }

int GuiEnv::ShownColCount(gui::StringGrid& grid) { return grid.ColCount(); }

int GuiEnv::ShownRow(gui::StringGrid& grid) { return grid.Row(); }

int GuiEnv::ShownRowHeight(gui::StringGrid& grid) { return grid.DefaultRowHeight(); }

}  // namespace contract
