#pragma once
// The GUI back end of the host build: no pixels, peers that only store state, timers on the
// SimMachine's virtual clock and a scripted user in place of a person.
//
// Showing a form activates it at once, inside Form::ShowForm, as ShowWindow activates a window
// on the real system: a form that does its work in its activation handler does it before the
// loop of its modal display is entered.
//
// One turn of a message loop (WaitAndDispatch) does the first of these that applies:
//   1. activate the form shown last, if it is not the active form yet (Form::Activated);
//   2. serve the queued tasks and synchronised calls (Application::ServeQueued);
//   3. fire the earliest due timer;
//   4. take the scripted user's next action (unless a WaitUntil holds the script back);
//   5. advance the virtual clock to the earliest armed timer and fire it;
//   6. while worker threads run, wait (real time, at most ~10 s) for one of them to queue a call;
//   7. otherwise the loop is starved: the test fails with a ScriptFailure naming the loop.
// DispatchPending (ProcessMessages) does 1, 2 and 3 until nothing is left, then takes the
// scripted user's next action (4) and again does 1, 2 and 3, without blocking. ServeUntil does
// 1, 2 and 3 and then sleeps on a condition until woken, for at most ~10 s of real
// time before the test fails.
//
// Every control kind of the toolkit has a peer here that records which aspects the model told
// it about; a kind missing from the registration is refused as the win32 back end refuses it.
//
// Text is measured with a fixed metric: a byte is font height / 2 pixels wide and a line is
// font height pixels high.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/gui/Backend.h"
#include "platform/sim/gui/RecordingCanvas.h"
#include "platform/sim/gui/ScriptFailure.h"
#include "platform/sim/gui/ScriptedUser.h"

namespace gui {
class Animate;
class Application;
}  // namespace gui

namespace sim {

class SimMachine;

class HeadlessBackend : public gui::Backend {
 public:
  // Runs on the current SimMachine's clock.
  HeadlessBackend();
  ~HeadlessBackend() override;

  // The back end of the running application (throws std::logic_error when it is another kind).
  static HeadlessBackend& Of(gui::Application& application);

  ScriptedUser& User() { return user_; }

  void SetScreenSize(gui::Size size) { screen_ = size; }
  // Paints the form on a recording canvas and returns the fills, in order.
  std::vector<Fill> Paint(gui::Form& form);

  // Modal displays in progress, innermost last.
  const std::vector<gui::Form*>& ModalStack() const { return modalStack_; }
  // The active form (the form shown last that is still visible); null when none.
  gui::Form* ActiveForm() const { return active_; }
  // True while a modal display of another form has this form disabled.
  bool DisabledByModal(const gui::Form& form) const;
  // Deadline on the virtual clock of an armed timer; nothing when the timer is not armed.
  std::optional<std::uint64_t> TimerDeadline(const gui::Timer& timer) const;
  // How often a control's peer was told to repaint.
  int Invalidations(const gui::Control& control) const;
  // How many updates the control's peer got that named this aspect.
  int Updates(const gui::Control& control, gui::Aspect aspect) const;
  // How many ticks the back end has fired, in all.
  int TicksFired() const { return ticksFired_; }
  // Called with every update a peer gets, as the screen would show it: a test records what a
  // window showed over time (a status line's texts, a bar's positions).
  void WatchUpdates(std::function<void(const gui::Control&, gui::Changes)> watcher) {
    updateWatcher_ = std::move(watcher);
  }

  // gui::Backend
  bool FormTakesInput(const gui::Form& form) override;
  void ApplicationTitleChanged(const AnsiString& /*title*/) override {}
  gui::Size MeasureText(const gui::Font& font, const AnsiString& text) override;
  gui::Size ScreenSize() override { return screen_; }
  void WaitAndDispatch() override;
  void DispatchPending() override;
  void ServeUntil(const std::function<bool()>& done) override;
  void WakeUp() override;
  void TimerChanged(gui::Timer& timer) override;
  void BeginModal(gui::Form& form) override;
  void EndModal(gui::Form& form) override;
  int SystemMessageBox(gui::Form* owner, const AnsiString& text, const AnsiString& title,
                       unsigned flags) override;
  int MessageDialog(const AnsiString& text, gui::DialogType type, unsigned buttons) override;
  void PlainMessage(const AnsiString& text, const AnsiString& title) override;
  void ErrorReport(const AnsiString& text, const AnsiString& title) override;

 private:
  class HeadlessPeer;
  // Activations, queued calls and due timers until none is left.
  void DrainPending();
  void Updated(const gui::Control& control, gui::Changes changed);
  std::function<void(const gui::Control&, gui::Changes)> updateWatcher_;
  struct ArmedTimer {
    gui::Timer* timer;
    std::uint64_t deadline;
    std::uint64_t order;  // arming order breaks ties between equal deadlines
  };
  struct ModalDisplay {
    gui::Form* form;
    std::vector<gui::Form*> disabled;
  };

  // The peer of every kind: it stores what it was told; an animation's also opens its clip.
  std::unique_ptr<gui::Peer> MakePeer(gui::Control& control);
  std::unique_ptr<gui::Peer> MakePeer(gui::Form& form);
  std::unique_ptr<gui::Peer> MakePeer(gui::Animate& animate);
  void PeerGone(gui::Control* control);
  // Sleeps until WakeUp or the limit; false when the limit passed without a wake-up.
  bool SleepUntilWoken(std::chrono::milliseconds limit);
  bool Activate();
  bool FireDueTimer();
  bool AdvanceToNextTimer();
  bool WaitForWorkers(std::chrono::milliseconds limit);
  std::vector<ArmedTimer>::iterator EarliestTimer();
  [[noreturn]] void Starved();
  std::string DescribeLoop() const;

  SimMachine& machine_;
  ScriptedUser user_;
  gui::Size screen_{1024, 768};
  // Tells the peers whether the back end still exists (peers may outlive it).
  std::shared_ptr<HeadlessBackend*> self_;
  std::vector<gui::Form*> forms_;  // forms that have a peer
  std::vector<gui::Form*> shown_;  // visible forms, shown last at the back
  gui::Form* active_ = nullptr;
  std::vector<ModalDisplay> modalDisplays_;
  std::vector<gui::Form*> modalStack_;
  std::vector<ArmedTimer> timers_;
  std::uint64_t nextTimerOrder_ = 0;
  int ticksFired_ = 0;
  int idleClockAdvances_ = 0;
  std::mutex wakeMutex_;
  std::condition_variable wake_;
  bool woken_ = false;
};

}  // namespace sim
