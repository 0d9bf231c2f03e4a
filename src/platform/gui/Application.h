#pragma once
// The application object: title, main form, message loop, synchronised calls from worker
// threads, the message boxes and the default error report around every event handler.
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/gui/Backend.h"
#include "platform/gui/Component.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Form.h"

namespace gui {

class Application : public Component {
 public:
  // The application of the process; one exists at a time.
  explicit Application(std::unique_ptr<Backend> backend);
  ~Application() override;
  static Application& Instance();
  static bool Exists();

  Backend& GetBackend() { return *backend_; }

  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& title) {
    title_ = title;
    backend_->ApplicationTitleChanged(title_);
  }

  // Creates a form owned by the application, stores it in ref, then runs its creation handler
  // under the error report. The first form created is the main form.
  template <class T>
  void CreateForm(T*& ref) {
    CreateForm(ref, [](T&) {});
  }
  // The same, with prepare run on the new form before its creation handler.
  template <class T, class Prepare>
  void CreateForm(T*& ref, Prepare prepare) {
    auto& form = Make<T>(AnsiString());
    ref = &form;
    if (!mainForm_) mainForm_ = &form;
    prepare(form);
    form.DoCreate();
  }
  Form* MainForm() const { return mainForm_; }

  // Shows the main form and serves messages until Terminate.
  void Run();
  // Handles pending messages, timers, posted tasks and synchronised calls, then returns.
  void ProcessMessages();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Serves messages on the user-interface thread until done() is true, sleeping while nothing
  // is pending; whoever makes done() true from another thread calls WakeUp afterwards.
  void ServeUntil(const std::function<bool()>& done) { backend_->ServeUntil(done); }
  // Thread-safe: wakes a loop that sleeps in ServeUntil or waits for messages.
  void WakeUp();

  // Runs call on the user-interface thread and waits for it: at once when called there,
  // otherwise through the queue that the message loop serves. An exception of call is rethrown
  // in the caller.
  void Synchronize(const std::function<void()>& call);
  // Queues a task for the message loop (the deferred release of a form, for instance).
  void Post(std::function<void()> task);
  // Runs every queued task and synchronised call; back ends call it from their loops.
  // Returns true when something ran.
  bool ServeQueued();
  bool HasQueued();
  bool OnUiThread() const { return std::this_thread::get_id() == uiThread_; }

  // A form became the active window. Its OnActivate runs when it was not the program's active
  // form before: a message box or dialog closing over it is no new activation.
  void FormActivated(Form& form);

  // Destroys a form at the next turn of the loop (close action "free").
  void Release(Form& form);
  // A form being destroyed is no longer waiting for its release.
  void Forget(Form& form);

  // The system message box. An owner form gets its window first if it has none yet, so the
  // box is always owned by the form asked for.
  int MessageBox(const AnsiString& text, const AnsiString& title, unsigned flags,
                 Form* owner = nullptr);
  int MessageDlg(const AnsiString& text, DialogType type, unsigned buttons);
  void ShowMessage(const AnsiString& text);

  // The default error report.
  void HandleException(const std::exception& error);

  // A run that shows nothing: message boxes, dialogs, plain messages and error reports are not
  // shown but handed to report (their text), and answered with 0, which is none of the answers
  // a box can give, so no question is ever taken as a yes or an OK.
  void ShowNothing(std::function<void(const AnsiString& text)> report) {
    silentReport_ = std::move(report);
  }
  bool ShowsNothing() const { return static_cast<bool>(silentReport_); }
  // Runs an event handler; an exception escaping it is shown by the default error report.
  void Guard(const std::function<void()>& handler);

 private:
  std::unique_ptr<Backend> backend_;
  std::function<void(const AnsiString&)> silentReport_;
  AnsiString title_;
  Form* mainForm_ = nullptr;
  Form* activeForm_ = nullptr;
  bool terminated_ = false;
  std::thread::id uiThread_;
  std::mutex queueMutex_;
  std::deque<std::function<void()>> queue_;
  std::vector<Form*> releases_;
};

}  // namespace gui
