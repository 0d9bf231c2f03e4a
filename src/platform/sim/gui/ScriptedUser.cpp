#include "platform/sim/gui/ScriptedUser.h"

#include <cstdio>
#include <utility>

#include "platform/gui/Application.h"
#include "platform/gui/Edit.h"
#include "platform/gui/StringGrid.h"
#include "platform/sim/Utf8.h"
#include "platform/sim/gui/HeadlessBackend.h"

namespace sim {
namespace {

std::string Quoted(const AnsiString& text) {
  std::string readable;
  for (char c : Utf8(text)) {
    if (c == '\r') {
      readable += "\\r";
    } else if (c == '\n') {
      readable += "\\n";
    } else {
      readable += c;
    }
  }
  return "\"" + readable + "\"";
}

std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

const char* TypeName(gui::DialogType type) {
  switch (type) {
    case gui::DialogType::Warning:
      return "Warning";
    case gui::DialogType::Error:
      return "Error";
    case gui::DialogType::Information:
      return "Information";
    case gui::DialogType::Confirmation:
      return "Confirmation";
  }
  return "?";
}

// The form a control belongs to: the form it sits on, or else the form that owns it.
gui::Form* FormOf(gui::Control& control) {
  if (gui::Form* form = control.ParentForm()) return form;
  for (gui::Component* owner = control.Owner(); owner; owner = owner->Owner()) {
    if (auto* form = dynamic_cast<gui::Form*>(owner)) return form;
  }
  return nullptr;
}

void CollectControls(const gui::Component& root, std::vector<gui::Control*>& out) {
  for (const auto& component : root.Components()) {
    if (auto* control = dynamic_cast<gui::Control*>(component.get())) out.push_back(control);
    CollectControls(*component, out);
  }
}

std::vector<gui::Control*> AllControls() {
  std::vector<gui::Control*> controls;
  CollectControls(gui::Application::Instance(), controls);
  return controls;
}

std::string FormList() {
  std::string list;
  for (gui::Control* control : AllControls()) {
    if (dynamic_cast<gui::Form*>(control)) list += " " + Describe(*control);
  }
  return list.empty() ? " none" : list;
}

// The answer a dialog gets when the script has ended: the most cautious button it has.
int CautiousAnswer(const DialogRecord& dialog) {
  if (dialog.kind == DialogKind::SystemMessageBox) {
    switch (dialog.flags & 0xF) {
      case gui::mb::kYesNo:
        return gui::idNo;
      case gui::mb::kOkCancel:
        return gui::idCancel;
      default:
        return gui::idOk;
    }
  }
  if (dialog.kind == DialogKind::MessageDialog) {
    if (dialog.flags & gui::dlg::kCancel) return gui::idCancel;
    if (dialog.flags & gui::dlg::kNo) return gui::idNo;
  }
  return gui::idOk;
}

}  // namespace

// ---------------------------------------------------------------- Owner

Owner Owner::None() {
  return Owner([](const gui::Form* form) { return form == nullptr; }, "no owner");
}

Owner Owner::Any() {
  return Owner([](const gui::Form*) { return true; }, "any owner");
}

Owner Owner::Named(const AnsiString& name) {
  return Owner([name](const gui::Form* form) { return form && form->Name() == name; },
               "form " + Utf8(name));
}

// ---------------------------------------------------------------- descriptions

const char* DialogKindName(DialogKind kind) {
  switch (kind) {
    case DialogKind::SystemMessageBox:
      return "system message box";
    case DialogKind::MessageDialog:
      return "message dialog";
    case DialogKind::PlainMessage:
      return "plain message";
    case DialogKind::ErrorReport:
      return "error report";
  }
  return "?";
}

std::string Describe(const DialogRecord& dialog) {
  std::string text = DialogKindName(dialog.kind);
  switch (dialog.kind) {
    case DialogKind::SystemMessageBox:
      text += " owned by " + (dialog.owner ? Describe(*dialog.owner) : std::string("nothing")) +
              ", title " + Quoted(dialog.title) + ", text " + Quoted(dialog.text) + ", flags " +
              Hex(dialog.flags);
      break;
    case DialogKind::MessageDialog:
      text += std::string(" of type ") + TypeName(dialog.type) + ", text " + Quoted(dialog.text) +
              ", buttons " + Hex(dialog.flags);
      break;
    case DialogKind::PlainMessage:
    case DialogKind::ErrorReport:
      text += " titled " + Quoted(dialog.title) + ", text " + Quoted(dialog.text);
      break;
  }
  return text;
}

std::string Describe(const gui::Control& control) {
  std::string name = control.Name().empty() ? std::string("(unnamed ") + control.Kind() + ")"
                                            : Utf8(control.Name());
  if (!control.Caption().empty()) name += " " + Quoted(control.Caption());
  return name;
}

// ---------------------------------------------------------------- the script

ScriptedUser::ScriptedUser(HeadlessBackend& backend) : backend_(backend) {}

ScriptedUser& ScriptedUser::Queue(std::string description, std::function<void()> run) {
  actions_.push_back({std::move(description), std::move(run), {}});
  return *this;
}

ScriptedUser& ScriptedUser::Click(const AnsiString& name) {
  return Queue("click " + Utf8(name), [this, name] {
    gui::Control& control = FindControl(name);
    if (!control.UserClick()) Ignored("click on", control);
  });
}

ScriptedUser& ScriptedUser::DoubleClick(const AnsiString& name) {
  return Queue("double-click " + Utf8(name), [this, name] {
    gui::Control& control = FindControl(name);
    if (!control.UserDoubleClick()) Ignored("double-click on", control);
  });
}

ScriptedUser& ScriptedUser::Type(const AnsiString& name, const AnsiString& text) {
  return Queue("type " + Quoted(text) + " into " + Utf8(name), [this, name, text] {
    gui::Control& control = FindControl(name);
    auto* edit = dynamic_cast<gui::Edit*>(&control);
    if (!edit) Fail("typing into " + Describe(control) + ", which is no edit box");
    if (!edit->UserType(text)) Ignored("typing into", control);
  });
}

ScriptedUser& ScriptedUser::SelectRow(const AnsiString& name, int row) {
  return Queue("select row " + std::to_string(row) + " of " + Utf8(name), [this, name, row] {
    ActOnRow(name, row, "selecting",
             [row](gui::StringGrid& grid) { return grid.UserSelectRow(row); });
  });
}

ScriptedUser& ScriptedUser::DoubleClickRow(const AnsiString& name, int row) {
  return Queue("double-click row " + std::to_string(row) + " of " + Utf8(name), [this, name, row] {
    ActOnRow(name, row, "double-clicking",
             [row](gui::StringGrid& grid) { return grid.UserDoubleClickRow(row); });
  });
}

ScriptedUser& ScriptedUser::CloseBox(const AnsiString& formName) {
  return Queue(
      "close box of " + (formName.empty() ? std::string("the active form") : Utf8(formName)),
      [this, formName] {
        gui::Form& form = FindForm(formName);
        if (!form.Reachable()) {
          Ignored("close box of", form);
          return;
        }
        gui::Application::Instance().Guard([&form] { form.Close(); });
      });
}

void ScriptedUser::Ignored(const std::string& action, const gui::Control& control) {
  ignored_.push_back(action + " " + Describe(control) +
                     " (hidden, disabled or behind a modal window)");
}

ScriptedUser& ScriptedUser::Step(std::function<void()> step, std::string description) {
  return Queue(std::move(description), std::move(step));
}

ScriptedUser& ScriptedUser::WaitUntil(std::function<bool()> condition, std::string description) {
  actions_.push_back({"wait until " + description, [] {}, std::move(condition)});
  return *this;
}

std::string ScriptedUser::WaitingFor() const {
  if (actions_.empty() || !actions_.front().ready || actions_.front().ready()) return {};
  return actions_.front().description;
}

bool ScriptedUser::TakeNextAction() {
  bool passedWait = false;
  while (!actions_.empty()) {
    if (actions_.front().ready && !actions_.front().ready()) return passedWait;
    Action action = std::move(actions_.front());
    actions_.pop_front();
    // A wait that is met is no action of its own: the person acts on what they waited for.
    if (action.ready) {
      passedWait = true;
      continue;
    }
    action.run();
    return true;
  }
  return passedWait;
}

gui::Control& ScriptedUser::FindControl(const AnsiString& name) {
  AnsiString formName;
  AnsiString controlName = name;
  const std::size_t dot = name.find('.');
  if (dot != AnsiString::npos) {
    formName = name.substr(0, dot);
    controlName = name.substr(dot + 1);
  }
  std::vector<gui::Control*> matches;
  for (gui::Control* control : AllControls()) {
    if (control->Name() != controlName) continue;
    gui::Form* form = FormOf(*control);
    if (!formName.empty() && !(form && form->Name() == formName)) continue;
    matches.push_back(control);
  }
  if (matches.size() > 1) {
    std::vector<gui::Control*> onActive;
    for (gui::Control* control : matches) {
      if (backend_.ActiveForm() && FormOf(*control) == backend_.ActiveForm()) {
        onActive.push_back(control);
      }
    }
    if (onActive.size() == 1) return *onActive.front();
    Fail("several controls are named " + Utf8(name) +
         " and none on the active form alone; name it as Form.Control");
  }
  if (matches.empty()) Fail("no control named " + Utf8(name) + "; forms:" + FormList());
  return *matches.front();
}

gui::Form& ScriptedUser::FindForm(const AnsiString& name) {
  if (name.empty()) {
    if (!backend_.ActiveForm()) Fail("close box of the active form: no form is active");
    return *backend_.ActiveForm();
  }
  for (gui::Control* control : AllControls()) {
    auto* form = dynamic_cast<gui::Form*>(control);
    if (form && form->Name() == name) return *form;
  }
  Fail("no form named " + Utf8(name) + "; forms:" + FormList());
}

void ScriptedUser::ActOnRow(const AnsiString& name, int row, const std::string& action,
                            const std::function<bool(gui::StringGrid&)>& act) {
  gui::Control& control = FindControl(name);
  auto* grid = dynamic_cast<gui::StringGrid*>(&control);
  const std::string what = action + " row " + std::to_string(row) + " of";
  if (!grid) Fail(what + " " + Describe(control) + ", which is no string grid");
  if (act(*grid)) return;
  if (row < 0 || row >= grid->RowCount()) {
    ignored_.push_back(what + " " + Describe(*grid) + " (it has " +
                       std::to_string(grid->RowCount()) + " rows)");
  } else {
    Ignored(what, *grid);
  }
}

// ---------------------------------------------------------------- dialogs

ScriptedUser& ScriptedUser::Expect(Expectation expectation) {
  expectations_.push_back(std::move(expectation));
  return *this;
}

ScriptedUser& ScriptedUser::ExpectMessageBox(Owner owner, const AnsiString& title,
                                             const AnsiString& text, unsigned flags, int answer) {
  Expectation e;
  e.dialog.kind = DialogKind::SystemMessageBox;
  e.dialog.title = title;
  e.dialog.text = text;
  e.dialog.flags = flags;
  e.dialog.answer = answer;
  e.owner = std::move(owner);
  return Expect(std::move(e));
}

ScriptedUser& ScriptedUser::ExpectMessageDialog(gui::DialogType type, const AnsiString& text,
                                                unsigned buttons, int answer) {
  Expectation e;
  e.dialog.kind = DialogKind::MessageDialog;
  e.dialog.type = type;
  e.dialog.text = text;
  e.dialog.flags = buttons;
  e.dialog.answer = answer;
  e.checkTitle = false;  // the back end gets the type; its title follows from it
  return Expect(std::move(e));
}

ScriptedUser& ScriptedUser::ExpectPlainMessage(const AnsiString& text) {
  Expectation e;
  e.dialog.kind = DialogKind::PlainMessage;
  e.dialog.text = text;
  e.dialog.answer = gui::idOk;
  e.checkTitle = false;
  return Expect(std::move(e));
}

ScriptedUser& ScriptedUser::ExpectErrorReport(const AnsiString& text) {
  Expectation e;
  e.dialog.kind = DialogKind::ErrorReport;
  e.dialog.text = text;
  e.dialog.answer = gui::idOk;
  e.checkTitle = false;
  return Expect(std::move(e));
}

static std::string DescribeExpected(const DialogRecord& dialog, const Owner& owner) {
  std::string text = Describe(dialog);
  if (dialog.kind == DialogKind::SystemMessageBox) {
    const std::size_t at = text.find(" owned by ");
    const std::size_t end = text.find(", title ");
    text.replace(at, end - at, " owned by " + owner.Describe());
  }
  if (dialog.kind == DialogKind::PlainMessage || dialog.kind == DialogKind::ErrorReport) {
    text = std::string(DialogKindName(dialog.kind)) + ", text " + Quoted(dialog.text);
  }
  return text;
}

int ScriptedUser::Answer(DialogRecord shown) {
  std::string problem;
  int answer = CautiousAnswer(shown);
  if (expectations_.empty()) {
    problem = "unexpected " + Describe(shown);
  } else {
    const Expectation expected = std::move(expectations_.front());
    expectations_.pop_front();
    const DialogRecord& want = expected.dialog;
    const bool same = want.kind == shown.kind && want.text == shown.text &&
                      (!expected.checkTitle || want.title == shown.title) &&
                      (shown.kind != DialogKind::SystemMessageBox ||
                       (want.flags == shown.flags && expected.owner.Matches(shown.owner))) &&
                      (shown.kind != DialogKind::MessageDialog ||
                       (want.flags == shown.flags && want.type == shown.type));
    if (same) {
      answer = want.answer;
    } else {
      problem = "dialog #" + std::to_string(dialogs_.size() + 1) + " differs from the script:\n" +
                "  expected " + DescribeExpected(want, expected.owner) + "\n" + "  opened   " +
                Describe(shown);
    }
  }
  shown.answer = answer;
  dialogs_.push_back(shown);
  if (!problem.empty()) {
    if (!ended_) Fail(problem);
    RecordFailure(problem);
  }
  return answer;
}

int ScriptedUser::OnSystemMessageBox(const gui::Form* owner, const AnsiString& text,
                                     const AnsiString& title, unsigned flags) {
  DialogRecord shown;
  shown.kind = DialogKind::SystemMessageBox;
  shown.owner = owner;
  shown.title = title;
  shown.text = text;
  shown.flags = flags;
  return Answer(std::move(shown));
}

int ScriptedUser::OnMessageDialog(const AnsiString& text, gui::DialogType type, unsigned buttons) {
  DialogRecord shown;
  shown.kind = DialogKind::MessageDialog;
  shown.title = gui::DialogTitle(type);
  shown.text = text;
  shown.flags = buttons;
  shown.type = type;
  return Answer(std::move(shown));
}

void ScriptedUser::OnPlainMessage(const AnsiString& text, const AnsiString& title) {
  DialogRecord shown;
  shown.kind = DialogKind::PlainMessage;
  shown.title = title;
  shown.text = text;
  Answer(std::move(shown));
}

void ScriptedUser::OnErrorReport(const AnsiString& text, const AnsiString& title) {
  DialogRecord shown;
  shown.kind = DialogKind::ErrorReport;
  shown.title = title;
  shown.text = text;
  Answer(std::move(shown));
}

// ---------------------------------------------------------------- verdict

void ScriptedUser::RecordFailure(const std::string& message) {
  failures_.push_back(message);
  if (listener_) listener_(message);
}

void ScriptedUser::Fail(const std::string& message) {
  RecordFailure(message);
  throw ScriptFailure(message);
}

std::vector<std::string> ScriptedUser::Problems() const {
  std::vector<std::string> problems;
  for (const auto& expected : expectations_) {
    problems.push_back("expected dialog never opened: " +
                       DescribeExpected(expected.dialog, expected.owner));
  }
  for (const auto& action : actions_) {
    problems.push_back("scripted action never taken: " + action.description);
  }
  return problems;
}

void ScriptedUser::VerifyDone() const {
  const auto problems = Problems();
  if (problems.empty()) return;
  std::string message;
  for (const auto& problem : problems) message += problem + "\n";
  throw ScriptFailure(message);
}

}  // namespace sim
