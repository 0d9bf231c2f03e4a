#pragma once
// The peer of a control: a real window that mirrors the control's fields and feeds the user's
// input back into it. One subclass per kind of control; this base does what all share.
#include "platform/gui/Control.h"
#include "platform/win32/gui/GdiSupport.h"

namespace gui::win32 {

using platform::win32::UniqueHwnd;

// Window classes of the toolkit's own windows; their names start with kOwnClassPrefix.
constexpr char kOwnClassPrefix[] = "Korv";
constexpr char kFormClass[] = "KorvForm";
constexpr char kPanelClass[] = "KorvPanel";

class WindowPeer : public Peer {
 public:
  explicit WindowPeer(Control& control);
  ~WindowPeer() override;
  WindowPeer(const WindowPeer&) = delete;
  WindowPeer& operator=(const WindowPeer&) = delete;

  Control& GetControl() const { return control_; }
  HWND Handle() const { return window_.Get(); }

  // Mirrors the control: parent, text, font, colour, the kind's own fields, bounds, enabled
  // state and visibility.
  void Update() override;
  void Invalidate() override;

  // The peer of a window made for a control, or nullptr for any other window.
  static WindowPeer* FromHandle(HWND window);
  // The peer of a control that has one.
  static WindowPeer* Of(const Control* control);

  // A notification (WM_COMMAND code) that this standard control sent to its parent.
  virtual void Command(WORD /*notification*/) {}
  // WM_CTLCOLOR... for this control: sets up dc and returns the background brush.
  virtual HBRUSH ControlColor(HDC dc);
  // The brush of the control's colour.
  HBRUSH BackgroundBrush() { return brush_.Get(control_.GetColor()); }
  HFONT CurrentFont() { return font_.Get(control_.GetFont()); }

  // Window procedure of the toolkit's own window classes.
  static LRESULT CALLBACK OwnClassProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;

 protected:
  struct CreateArgs {
    const char* className = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;  // the owner, for a top-level window
  };
  // Creates the window, of a standard class or of the toolkit's own, and mirrors the control.
  void CreateWindowFor(const CreateArgs& args);

  // Messages of a window of the toolkit's own classes. The default routes the notifications of
  // child controls to their peers and leaves the rest to DefWindowProc.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Fields of the kind (styles, alignment...), mirrored before bounds and visibility.
  virtual void UpdateKind() {}
  virtual void UpdateGeometry();
  virtual void UpdateVisibility();
  virtual void UpdateEnabled();
  // The window of the parent control, where this control's window lives.
  HWND ParentHandle() const;
  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Bounds are applied only when the model's differ from those applied last, so a window the
  // user moved stays where it is until the program moves it.
  bool PlacedAt(const Rect& bounds) const { return everPlaced_ && placed_ == bounds; }
  void MarkPlaced(const Rect& bounds) {
    placed_ = bounds;
    everPlaced_ = true;
  }

 private:
  static LRESULT CALLBACK StandardClassProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) noexcept;
  void UpdateParent();
  void UpdateText();
  void UpdateFont();
  void WindowDestroyed();

  Control& control_;
  WNDPROC standardProc_ = nullptr;  // the class's own procedure of a subclassed standard control
  bool ownClass_ = false;
  FontCache font_;
  BrushCache brush_;
  HFONT fontSent_ = nullptr;
  Rect placed_;
  bool everPlaced_ = false;
  UniqueHwnd window_;  // last, so the window goes before the font and brush it uses
};

// Routes an exception out of a window procedure to the default error report.
void ReportFromWindowProc() noexcept;

// Runs a message handler; nothing escapes it (window procedures are noexcept).
template <class Handler>
LRESULT GuardedMessage(Handler&& handler) noexcept {
  try {
    return handler();
  } catch (...) {
    ReportFromWindowProc();
  }
  return 0;
}

}  // namespace gui::win32
