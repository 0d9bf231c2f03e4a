#include "platform/sim/gui/HeadlessBackend.h"

#include <algorithm>
#include <stdexcept>

#include <array>

#include "platform/gui/Application.h"
#include "platform/gui/ControlKinds.h"
#include "platform/gui/Form.h"
#include "platform/gui/Timer.h"
#include "platform/sim/SimMachine.h"

namespace sim {
namespace {

// A loop that only ever advances the clock to fire timers has run out of things to do.
constexpr int kMaxIdleClockAdvances = 10000;
// How long a loop waits, in real time, for running worker threads to queue a call.
constexpr std::chrono::seconds kWorkerWait{10};
// While workers run, each clock advance first gives them this long to queue a call.
constexpr std::chrono::milliseconds kWorkerGrace{1};

template <class T>
void Erase(std::vector<T>& items, const T& item) {
  items.erase(std::remove(items.begin(), items.end(), item), items.end());
}

}  // namespace

// Stores nothing but what it was told: how often each aspect changed and how often it was asked
// to repaint; tells the back end when it goes.
class HeadlessBackend::HeadlessPeer : public gui::Peer {
 public:
  // mirror, when given, is what the peer of a kind does with an update besides counting it.
  HeadlessPeer(gui::Control& control, std::weak_ptr<HeadlessBackend*> backend,
               std::function<void(gui::Changes)> mirror = {})
      : control_(&control), backend_(std::move(backend)), mirror_(std::move(mirror)) {}
  ~HeadlessPeer() override {
    if (auto backend = backend_.lock()) (*backend)->PeerGone(control_);
  }
  void Update(gui::Changes changed) override {
    for (std::size_t bit = 0; bit < updates_.size(); ++bit) {
      if (changed.Has(static_cast<gui::Aspect>(1u << bit))) ++updates_[bit];
    }
    if (mirror_) mirror_(changed);
    if (auto backend = backend_.lock()) (*backend)->Updated(*control_, changed);
  }
  void Invalidate() override { ++invalidations_; }
  int Invalidations() const { return invalidations_; }
  int Updates(gui::Aspect aspect) const {
    for (std::size_t bit = 0; bit < updates_.size(); ++bit) {
      if (static_cast<unsigned>(aspect) == (1u << bit)) return updates_[bit];
    }
    return 0;
  }

 private:
  gui::Control* control_;
  std::weak_ptr<HeadlessBackend*> backend_;
  std::function<void(gui::Changes)> mirror_;
  std::array<int, 16> updates_{};
  int invalidations_ = 0;
};

HeadlessBackend::HeadlessBackend()
    : machine_(SimMachine::Current()),
      user_(*this),
      self_(std::make_shared<HeadlessBackend*>(this)) {
  gui::RegisterEveryKind(Peers(), [this](auto& control) { return MakePeer(control); });
}

HeadlessBackend::~HeadlessBackend() = default;

HeadlessBackend& HeadlessBackend::Of(gui::Application& application) {
  auto* backend = dynamic_cast<HeadlessBackend*>(&application.GetBackend());
  if (!backend) throw std::logic_error("the application does not run on the headless back end");
  return *backend;
}

std::vector<Fill> HeadlessBackend::Paint(gui::Form& form) {
  RecordingCanvas canvas;
  form.Paint(canvas);
  return canvas.Fills();
}

bool HeadlessBackend::DisabledByModal(const gui::Form& form) const {
  for (const auto& display : modalDisplays_) {
    if (std::find(display.disabled.begin(), display.disabled.end(), &form) !=
        display.disabled.end()) {
      return true;
    }
  }
  return false;
}

std::optional<std::uint64_t> HeadlessBackend::TimerDeadline(const gui::Timer& timer) const {
  for (const auto& armed : timers_) {
    if (armed.timer == &timer) return armed.deadline;
  }
  return std::nullopt;
}

int HeadlessBackend::Invalidations(const gui::Control& control) const {
  const auto* peer = dynamic_cast<const HeadlessPeer*>(control.GetPeer());
  return peer ? peer->Invalidations() : 0;
}

int HeadlessBackend::Updates(const gui::Control& control, gui::Aspect aspect) const {
  const auto* peer = dynamic_cast<const HeadlessPeer*>(control.GetPeer());
  return peer ? peer->Updates(aspect) : 0;
}

bool HeadlessBackend::FormTakesInput(const gui::Form& form) {
  return form.GetPeer() && form.Visible() && !DisabledByModal(form);
}

std::unique_ptr<gui::Peer> HeadlessBackend::MakePeer(gui::Control& control) {
  return std::make_unique<HeadlessPeer>(control, self_);
}

std::unique_ptr<gui::Peer> HeadlessBackend::MakePeer(gui::Form& form) {
  forms_.push_back(&form);
  // Showing a form activates it at once, as ShowWindow does: its activation handler runs inside
  // the show, before the loop that follows it (a modal display's) turns even once.
  return std::make_unique<HeadlessPeer>(
      form, self_, [backend = std::weak_ptr<HeadlessBackend*>(self_), &form](gui::Changes changed) {
        if (!changed.Has(gui::Aspect::Visible) || !form.Visible()) return;
        if (auto alive = backend.lock()) (*alive)->Activate();
      });
}

std::unique_ptr<gui::Peer> HeadlessBackend::MakePeer(gui::Animate& animate) {
  // No system here lacks a clip: a named clip opens as soon as the peer hears of it.
  const auto open = [&animate] {
    animate.ReportClipOpened(animate.GetCommonAvi() != gui::CommonAvi::None);
  };
  open();
  return std::make_unique<HeadlessPeer>(animate, self_, [open](gui::Changes changed) {
    if (changed.Has(gui::Aspect::Value)) open();
  });
}

void HeadlessBackend::Updated(const gui::Control& control, gui::Changes changed) {
  if (updateWatcher_) updateWatcher_(control, changed);
}

void HeadlessBackend::PeerGone(gui::Control* control) {
  auto* form = static_cast<gui::Form*>(nullptr);
  for (gui::Form* known : forms_) {
    if (static_cast<gui::Control*>(known) == control) form = known;
  }
  if (!form) return;
  Erase(forms_, form);
  Erase(shown_, form);
  Erase(modalStack_, form);
  for (auto& display : modalDisplays_) Erase(display.disabled, form);
  modalDisplays_.erase(std::remove_if(modalDisplays_.begin(), modalDisplays_.end(),
                                      [form](const ModalDisplay& d) { return d.form == form; }),
                       modalDisplays_.end());
  // The next form takes over quietly: a form goes away only while it is being destroyed, and the
  // others may be half destroyed too (the application's end), so no activation handler runs.
  if (active_ == form) active_ = shown_.empty() ? nullptr : shown_.back();
}

gui::Size HeadlessBackend::MeasureText(const gui::Font& font, const AnsiString& text) {
  return gui::Size{static_cast<int>(text.size()) * font.height / 2, font.height};
}

bool HeadlessBackend::Activate() {
  for (gui::Form* form : forms_) {
    const bool listed = std::find(shown_.begin(), shown_.end(), form) != shown_.end();
    if (form->Visible() && !listed) shown_.push_back(form);
    if (!form->Visible() && listed) Erase(shown_, form);
  }
  gui::Form* top = shown_.empty() ? nullptr : shown_.back();
  if (top == active_) return false;
  active_ = top;
  if (!top) return false;
  gui::Application::Instance().FormActivated(*top);
  return true;
}

std::vector<HeadlessBackend::ArmedTimer>::iterator HeadlessBackend::EarliestTimer() {
  // A timer without a handler is not armed, as the system timer is only set for one with.
  auto earliest = timers_.end();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (!it->timer->OnTimer) continue;
    if (earliest == timers_.end() || it->deadline < earliest->deadline ||
        (it->deadline == earliest->deadline && it->order < earliest->order)) {
      earliest = it;
    }
  }
  return earliest;
}

bool HeadlessBackend::FireDueTimer() {
  const auto earliest = EarliestTimer();
  const std::uint64_t now = machine_.Clock().Now();
  if (earliest == timers_.end() || earliest->deadline > now) return false;
  gui::Timer* timer = earliest->timer;
  // Re-armed before the tick: the tick may disable, re-arm or destroy its timer.
  earliest->deadline = now + timer->Interval();
  earliest->order = nextTimerOrder_++;
  ++ticksFired_;
  timer->Tick();
  return true;
}

bool HeadlessBackend::AdvanceToNextTimer() {
  if (EarliestTimer() == timers_.end()) return false;
  if (++idleClockAdvances_ > kMaxIdleClockAdvances) {
    user_.Fail("only timers keep firing: " + DescribeLoop() + " has had " +
               std::to_string(kMaxIdleClockAdvances) +
               " timer ticks in a row with no scripted action and no queued call");
  }
  if (machine_.Threads().RunningCount() > 0 && WaitForWorkers(kWorkerGrace)) return true;
  const auto earliest = EarliestTimer();
  const std::uint64_t now = machine_.Clock().Now();
  if (earliest->deadline > now) machine_.Clock().Advance(earliest->deadline - now);
  return FireDueTimer();
}

bool HeadlessBackend::WaitForWorkers(std::chrono::milliseconds limit) {
  auto& application = gui::Application::Instance();
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    // The application's queue lock is never taken while holding wakeMutex_ (WakeUp may be
    // called under it).
    if (application.HasQueued()) return true;
    if (user_.HasActions() && user_.WaitingFor().empty()) return true;  // a wait was met
    if (machine_.Threads().RunningCount() == 0) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    std::unique_lock<std::mutex> lock(wakeMutex_);
    wake_.wait_until(lock, std::min(deadline, now + std::chrono::milliseconds(10)),
                     [this] { return woken_; });
    woken_ = false;
  }
}

void HeadlessBackend::WaitAndDispatch() {
  if (!user_.Failures().empty() && !user_.Ended()) {
    throw ScriptFailure("the script has already failed: " + user_.Failures().front());
  }
  auto& application = gui::Application::Instance();
  if (Activate()) return;
  if (application.ServeQueued()) {
    idleClockAdvances_ = 0;
    return;
  }
  if (FireDueTimer()) return;
  if (user_.TakeNextAction()) {
    idleClockAdvances_ = 0;
    return;
  }
  if (AdvanceToNextTimer()) return;
  if (machine_.Threads().RunningCount() > 0) {
    if (WaitForWorkers(kWorkerWait) || machine_.Threads().RunningCount() == 0) return;
    user_.Fail(DescribeLoop() + " waited " + std::to_string(kWorkerWait.count()) +
               " s for a running worker thread to queue a call, and none came");
  }
  Starved();
}

void HeadlessBackend::DispatchPending() {
  DrainPending();
  // The user's next action is input waiting in the queue, as a click on Cancel waits for the
  // next ProcessMessages of a long run. One per call: a person acts once between two looks.
  if (user_.TakeNextAction()) DrainPending();
}

void HeadlessBackend::DrainPending() {
  auto& application = gui::Application::Instance();
  bool busy = true;
  while (busy) {
    busy = Activate();
    busy = application.ServeQueued() || busy;
    busy = FireDueTimer() || busy;
  }
}

void HeadlessBackend::ServeUntil(const std::function<bool()>& done) {
  for (;;) {
    DrainPending();
    if (done()) return;
    if (!SleepUntilWoken(kWorkerWait) && !done()) {
      user_.Fail(DescribeLoop() + " waited " + std::to_string(kWorkerWait.count()) +
                 " s for a wake-up that never came");
    }
  }
}

bool HeadlessBackend::SleepUntilWoken(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(wakeMutex_);
  const bool woken = wake_.wait_for(lock, limit, [this] { return woken_; });
  woken_ = false;
  return woken;
}

void HeadlessBackend::WakeUp() {
  // Notified under the lock: once the waiting loop sees woken_, this back end may be destroyed.
  std::lock_guard<std::mutex> lock(wakeMutex_);
  woken_ = true;
  wake_.notify_all();
}

void HeadlessBackend::TimerChanged(gui::Timer& timer) {
  auto armed = std::find_if(timers_.begin(), timers_.end(),
                            [&timer](const ArmedTimer& t) { return t.timer == &timer; });
  if (!timer.Enabled() || timer.Interval() == 0) {
    if (armed != timers_.end()) timers_.erase(armed);
    return;
  }
  const std::uint64_t deadline = machine_.Clock().Now() + timer.Interval();
  if (armed == timers_.end()) {
    timers_.push_back({&timer, deadline, nextTimerOrder_++});
  } else {
    armed->deadline = deadline;
    armed->order = nextTimerOrder_++;
  }
}

void HeadlessBackend::BeginModal(gui::Form& form) {
  ModalDisplay display{&form, {}};
  for (gui::Form* shown : shown_) {
    if (shown != &form) display.disabled.push_back(shown);
  }
  modalDisplays_.push_back(std::move(display));
  modalStack_.push_back(&form);
}

void HeadlessBackend::EndModal(gui::Form& form) {
  for (auto it = modalDisplays_.rbegin(); it != modalDisplays_.rend(); ++it) {
    if (it->form == &form) {
      modalDisplays_.erase(std::next(it).base());
      break;
    }
  }
  const auto last = std::find(modalStack_.rbegin(), modalStack_.rend(), &form);
  if (last != modalStack_.rend()) modalStack_.erase(std::next(last).base());
}

int HeadlessBackend::SystemMessageBox(gui::Form* owner, const AnsiString& text,
                                      const AnsiString& title, unsigned flags) {
  // A box is owned by a window: a form that has none cannot own it, as on the real system.
  return user_.OnSystemMessageBox(owner && owner->GetPeer() ? owner : nullptr, text, title, flags);
}

int HeadlessBackend::MessageDialog(const AnsiString& text, gui::DialogType type, unsigned buttons) {
  return user_.OnMessageDialog(text, type, buttons);
}

void HeadlessBackend::PlainMessage(const AnsiString& text, const AnsiString& title) {
  user_.OnPlainMessage(text, title);
}

void HeadlessBackend::ErrorReport(const AnsiString& text, const AnsiString& title) {
  user_.OnErrorReport(text, title);
}

std::string HeadlessBackend::DescribeLoop() const {
  std::string loop = modalStack_.empty() ? std::string("the application's message loop")
                                         : "the modal display of " + Describe(*modalStack_.back());
  loop += " (visible forms:";
  if (shown_.empty()) loop += " none";
  for (const gui::Form* form : shown_) loop += " " + Describe(*form);
  return loop + ")";
}

void HeadlessBackend::Starved() {
  const std::string waiting = user_.WaitingFor();
  user_.Fail("the message loop is starved: " + DescribeLoop() + " waits for input, but " +
             (waiting.empty() ? std::string("the script has no action left")
                              : "the script is held at \"" + waiting + "\"") +
             ", no timer is armed and no worker thread runs");
}

}  // namespace sim
