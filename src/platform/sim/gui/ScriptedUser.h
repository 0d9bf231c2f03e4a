#pragma once
// The user of a headless test: queued actions and the dialogs the test expects, with answers.
//
// Actions are taken one per idle turn by whichever message loop runs (Application::Run or a
// modal loop), so an action can act inside nested modal windows. Controls are found by component
// name among the application's forms: "BtnNext", or "FormName.BtnNext" when several forms have a
// control of that name; unqualified, a control on the active form wins. Actions enter the model
// through the controls' user-input members (UserClick, UserType...), the same the win32 peers
// call, so a disabled or hidden control, or one on a form behind a modal display, ignores them
// exactly as on screen (the ignored action is logged).
//
// Every dialog the program opens is checked against the next expectation (kind, owner, title,
// text, flags or buttons) and gets its answer; a dialog nobody expected, or one that differs,
// fails the test with a ScriptFailure. VerifyDone reports expectations never met and actions
// never taken.
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Form.h"

namespace gui {
class StringGrid;
}

namespace sim {

class HeadlessBackend;

// Which form an expected system message box is owned by.
class Owner {
 public:
  static Owner None();
  static Owner Any();
  // The form held by a program-wide reference (such as Formain), read when the box opens.
  template <class T>
  static Owner Ref(T* const& reference, std::string description) {
    return Owner([&reference](const gui::Form* form) { return form == reference; },
                 std::move(description));
  }
  // The form with this component name.
  static Owner Named(const AnsiString& name);

  bool Matches(const gui::Form* form) const { return matches_(form); }
  const std::string& Describe() const { return description_; }

 private:
  Owner(std::function<bool(const gui::Form*)> matches, std::string description)
      : matches_(std::move(matches)), description_(std::move(description)) {}
  std::function<bool(const gui::Form*)> matches_;
  std::string description_;
};

enum class DialogKind { SystemMessageBox, MessageDialog, PlainMessage, ErrorReport };
const char* DialogKindName(DialogKind kind);

// One dialog the program opened.
struct DialogRecord {
  DialogKind kind = DialogKind::SystemMessageBox;
  const gui::Form* owner = nullptr;  // system message box only
  AnsiString title;
  AnsiString text;
  unsigned flags = 0;  // MessageBoxA flags, or the message dialog's buttons
  gui::DialogType type = gui::DialogType::Information;  // message dialog only
  int answer = 0;
};

class ScriptedUser {
 public:
  explicit ScriptedUser(HeadlessBackend& backend);

  // ---- Actions, taken in order, one per idle turn of the running loop.
  ScriptedUser& Click(const AnsiString& name);
  ScriptedUser& DoubleClick(const AnsiString& name);
  // Types text into an edit box: its text becomes text (as the user replacing it would).
  ScriptedUser& Type(const AnsiString& name, const AnsiString& text);
  // Selects a row of a string grid (0 is the first row), or double-clicks it.
  ScriptedUser& SelectRow(const AnsiString& name, int row);
  ScriptedUser& DoubleClickRow(const AnsiString& name, int row);
  // The close box of a form: Form::Close. An empty name means the active form.
  ScriptedUser& CloseBox(const AnsiString& formName);
  // A check or action of the test's own, run as one turn.
  ScriptedUser& Step(std::function<void()> step, std::string description = "custom step");
  // Holds the later actions back until condition is true, as a person waits for a window to
  // appear. Meanwhile the loop goes on with timers and worker threads; when nothing else can
  // happen, the test fails naming the description.
  ScriptedUser& WaitUntil(std::function<bool()> condition, std::string description);

  // ---- Expected dialogs, in the order they must open.
  ScriptedUser& ExpectMessageBox(Owner owner, const AnsiString& title, const AnsiString& text,
                                 unsigned flags, int answer);
  ScriptedUser& ExpectMessageDialog(gui::DialogType type, const AnsiString& text, unsigned buttons,
                                    int answer);
  ScriptedUser& ExpectPlainMessage(const AnsiString& text);
  ScriptedUser& ExpectErrorReport(const AnsiString& text);

  // Every dialog opened so far, expected or not.
  const std::vector<DialogRecord>& Dialogs() const { return dialogs_; }
  // Clicks and other actions that the program ignored (disabled or hidden targets).
  const std::vector<std::string>& IgnoredActions() const { return ignored_; }
  bool HasActions() const { return !actions_.empty(); }
  // The description of the wait that holds the script back now; empty when none does.
  std::string WaitingFor() const;
  std::size_t PendingExpectations() const { return expectations_.size(); }

  // Forgets the actions and expected dialogs not used yet (after a failure provoked on purpose).
  void ClearScript() {
    actions_.clear();
    expectations_.clear();
  }

  // Unmet expectations and untaken actions, one readable line each; empty when all went well.
  std::vector<std::string> Problems() const;
  // Throws a ScriptFailure listing the problems, if any.
  void VerifyDone() const;

  // Every failure raised so far (a failure may be caught on its way, by a worker thread for
  // instance; the test still sees it here).
  const std::vector<std::string>& Failures() const { return failures_; }
  // Hands the failures over and forgets them (a test that provokes a failure on purpose).
  std::vector<std::string> TakeFailures() { return std::exchange(failures_, {}); }
  // Records the failure, tells the listener and throws it.
  [[noreturn]] void Fail(const std::string& message);
  // Called with every failure as it is raised (the test fixture reports it to GoogleTest).
  void SetFailureListener(std::function<void(const std::string&)> listener) {
    listener_ = std::move(listener);
  }
  // After the script: a later dialog (from clean-up) is recorded as a failure and answered with
  // Cancel/No/OK instead of throwing, so destructors never throw.
  void EndScript() { ended_ = true; }
  bool Ended() const { return ended_; }

  // ---- Called by the headless back end.
  // Takes the next action; false when none is left.
  bool TakeNextAction();
  int OnSystemMessageBox(const gui::Form* owner, const AnsiString& text, const AnsiString& title,
                         unsigned flags);
  int OnMessageDialog(const AnsiString& text, gui::DialogType type, unsigned buttons);
  void OnPlainMessage(const AnsiString& text, const AnsiString& title);
  void OnErrorReport(const AnsiString& text, const AnsiString& title);

 private:
  struct Action {
    std::string description;
    std::function<void()> run;
    std::function<bool()> ready;  // empty: ready at once
  };
  struct Expectation {
    DialogRecord dialog;  // what must open, with the answer to give
    Owner owner = Owner::Any();
    bool checkTitle = true;
  };

  void RecordFailure(const std::string& message);
  ScriptedUser& Queue(std::string description, std::function<void()> run);
  ScriptedUser& Expect(Expectation expectation);
  int Answer(DialogRecord shown);
  gui::Control& FindControl(const AnsiString& name);
  gui::Form& FindForm(const AnsiString& name);
  // Acts on a row of the string grid of that name (a control of another kind fails the script);
  // act is the grid's user-input member, false when the grid ignored the action.
  void ActOnRow(const AnsiString& name, int row, const std::string& action,
                const std::function<bool(gui::StringGrid&)>& act);
  // Logs an action the program ignored because the user could not reach its control.
  void Ignored(const std::string& action, const gui::Control& control);

  HeadlessBackend& backend_;
  std::deque<Action> actions_;
  std::deque<Expectation> expectations_;
  std::vector<DialogRecord> dialogs_;
  std::vector<std::string> ignored_;
  std::vector<std::string> failures_;
  std::function<void(const std::string&)> listener_;
  bool ended_ = false;
};

// Readable text of a dialog or a control for failure messages (UTF-8, CR shown as "\r").
std::string Describe(const DialogRecord& dialog);
std::string Describe(const gui::Control& control);

}  // namespace sim
