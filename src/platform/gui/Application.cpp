#include "platform/gui/Application.h"

#include <algorithm>
#include <stdexcept>

namespace gui {

namespace {
// The application of the process, as the runtime's global application object.
Application* g_instance = nullptr;

struct SyncCallState {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::exception_ptr error;
};
}  // namespace

Application::Application(std::unique_ptr<Backend> backend)
    : Component(nullptr, "Application"),
      backend_(std::move(backend)),
      uiThread_(std::this_thread::get_id()) {
  if (g_instance) throw std::logic_error("only one application may exist");
  g_instance = this;
}

Application::~Application() {
  // Forms go while the back end that shows them is still there.
  DestroyComponents();
  g_instance = nullptr;
}

Application& Application::Instance() {
  if (!g_instance) throw std::logic_error("no application");
  return *g_instance;
}

bool Application::Exists() { return g_instance != nullptr; }

void Application::Run() {
  if (mainForm_) mainForm_->ShowForm();
  while (!terminated_) backend_->WaitAndDispatch();
}

void Application::ProcessMessages() { backend_->DispatchPending(); }

void Application::Terminate() {
  terminated_ = true;
  backend_->WakeUp();
}

void Application::WakeUp() {
  // Under the queue lock, as Post wakes: see there.
  std::lock_guard<std::mutex> lock(queueMutex_);
  backend_->WakeUp();
}

void Application::Synchronize(const std::function<void()>& call) {
  if (OnUiThread()) {
    call();
    return;
  }
  auto state = std::make_shared<SyncCallState>();
  Post([state, &call] {
    try {
      call();
    } catch (...) {
      state->error = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(state->mutex);
    state->finished = true;
    state->done.notify_all();
  });
  std::unique_lock<std::mutex> lock(state->mutex);
  state->done.wait(lock, [&] { return state->finished; });
  if (state->error) std::rethrow_exception(state->error);
}

void Application::Post(std::function<void()> task) {
  // Woken under the lock: the loop may serve the task, and the application end, as soon as the
  // lock is released, so no worker may still be inside the back end then.
  std::lock_guard<std::mutex> lock(queueMutex_);
  queue_.push_back(std::move(task));
  backend_->WakeUp();
}

bool Application::HasQueued() {
  std::lock_guard<std::mutex> lock(queueMutex_);
  return !queue_.empty() || !releases_.empty();
}

bool Application::ServeQueued() {
  bool ran = false;
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard<std::mutex> lock(queueMutex_);
      if (queue_.empty()) break;
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    task();
    ran = true;
  }
  while (!releases_.empty()) {
    Form* form = releases_.front();
    releases_.erase(releases_.begin());
    if (Component* owner = form->Owner()) owner->DestroyOwned(*form);
    ran = true;
  }
  return ran;
}

void Application::Release(Form& form) {
  if (std::find(releases_.begin(), releases_.end(), &form) == releases_.end()) {
    releases_.push_back(&form);
  }
  backend_->WakeUp();
}

void Application::FormActivated(Form& form) {
  if (activeForm_ == &form) return;
  activeForm_ = &form;
  form.Activated();
}

void Application::Forget(Form& form) {
  releases_.erase(std::remove(releases_.begin(), releases_.end(), &form), releases_.end());
  if (mainForm_ == &form) mainForm_ = nullptr;
  if (activeForm_ == &form) activeForm_ = nullptr;
}

int Application::MessageBox(const AnsiString& text, const AnsiString& title, unsigned flags,
                            Form* owner) {
  if (silentReport_) {
    silentReport_(text);
    return 0;
  }
  if (owner) owner->HandleNeeded();
  return backend_->SystemMessageBox(owner, text, title, flags);
}

int Application::MessageDlg(const AnsiString& text, DialogType type, unsigned buttons) {
  if (silentReport_) {
    silentReport_(text);
    return 0;
  }
  return backend_->MessageDialog(text, type, buttons);
}

void Application::ShowMessage(const AnsiString& text) {
  if (silentReport_) {
    silentReport_(text);
    return;
  }
  backend_->PlainMessage(text, title_);
}

void Application::HandleException(const std::exception& error) {
  if (silentReport_) {
    silentReport_(error.what());
    return;
  }
  backend_->ErrorReport(error.what(), title_);
}

void Application::Guard(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    HandleException(error);
  }
}

}  // namespace gui
