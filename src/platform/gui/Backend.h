#pragma once
// What a GUI back end provides: peers for controls, the message loop, timers, text measuring and
// the message boxes. The win32 back end uses real windows; the headless one serves tests.
#include <functional>
#include <memory>

#include "platform/gui/Control.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/PeerRegistry.h"
#include "platform/gui/Types.h"

namespace gui {

class Form;
class Timer;

class Backend {
 public:
  virtual ~Backend() = default;

  // Makes the peer of a control, by its type (PeerRegistry). Called for a form and its children
  // when the form's window is first needed (the controls of a page the book has not shown yet
  // when that page first shows), and for a control whose parent already has a peer. Throws
  // Exception for a kind this back end has no peer for.
  std::unique_ptr<Peer> CreatePeer(Control& control) { return peers_.Make(control); }
  // True when the user can act on this form now: it is shown and no modal display of another
  // form holds it disabled. The one rule behind Control::Reachable.
  virtual bool FormTakesInput(const Form& form) = 0;
  // The application title changed: it names the application's own (taskbar) window.
  virtual void ApplicationTitleChanged(const AnsiString& title) = 0;
  // Size of a text in a font (auto-sized labels).
  virtual Size MeasureText(const Font& font, const AnsiString& text) = 0;
  // Client size a maximised borderless form gets (the screen).
  virtual Size ScreenSize() = 0;

  // Blocks until something happens, then handles it: a window message, a due timer, a posted
  // task or synchronised call (Application::ServeQueued), a scripted user action.
  virtual void WaitAndDispatch() = 0;
  // Handles whatever is pending without blocking (ProcessMessages).
  virtual void DispatchPending() = 0;
  // Serves messages until done() is true, sleeping while there is nothing to serve. done is
  // checked after every batch of work; whatever makes it true must also wake the loop (WakeUp).
  virtual void ServeUntil(const std::function<bool()>& done) = 0;
  // Thread-safe: a task or synchronised call was queued; wake the loop.
  virtual void WakeUp() = 0;

  // A timer was enabled, disabled, re-armed or is being destroyed (then disabled).
  virtual void TimerChanged(Timer& timer) = 0;

  // A modal display starts or ends: other windows are disabled meanwhile.
  virtual void BeginModal(Form& form) = 0;
  virtual void EndModal(Form& form) = 0;

  // MessageBoxA(owner, text, title, flags); returns the answer.
  virtual int SystemMessageBox(Form* owner, const AnsiString& text, const AnsiString& title,
                               unsigned flags) = 0;
  // The toolkit's message dialog; returns idYes, idNo, idOk or idCancel.
  virtual int MessageDialog(const AnsiString& text, DialogType type, unsigned buttons) = 0;
  // The toolkit's plain message: the application title, one "OK" button, no icon.
  virtual void PlainMessage(const AnsiString& text, const AnsiString& title) = 0;
  // The default error report of an exception that no handler caught.
  virtual void ErrorReport(const AnsiString& text, const AnsiString& title) = 0;

 protected:
  PeerRegistry& Peers() { return peers_; }

 private:
  PeerRegistry peers_;
};

}  // namespace gui
