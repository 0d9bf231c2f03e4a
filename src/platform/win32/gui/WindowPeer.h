#pragma once
// The peer of a control: a real window that mirrors the control's fields and feeds the user's
// input back into the control's user-input members. One subclass per kind of control, in a
// file of its own; this base does what all share.
#include <string>

#include "platform/gui/Control.h"
#include "platform/win32/gui/BaseWindow.h"
#include "platform/win32/gui/GdiSupport.h"

namespace gui::win32 {

using platform::win32::UniqueHwnd;

// Window classes of the toolkit's own windows.
constexpr wchar_t kFormClass[] = L"KorvForm";
constexpr wchar_t kPanelClass[] = L"KorvPanel";

class WindowPeer : public Peer {
 public:
  explicit WindowPeer(Control& control);
  ~WindowPeer() override;
  WindowPeer(const WindowPeer&) = delete;
  WindowPeer& operator=(const WindowPeer&) = delete;

  Control& GetControl() const { return control_; }
  HWND Handle() const { return window_.Get(); }

  // Mirrors the aspects that changed.
  void Update(Changes changed) override;
  void Invalidate() override;

  // The peer of a window made for a control, or nullptr for any other window.
  static WindowPeer* FromHandle(HWND window);
  // The peer of a control that has one.
  static WindowPeer* Of(const Control* control);

  // A notification (WM_COMMAND code) that this standard control sent to its parent.
  virtual void Command(WORD /*notification*/) {}
  // A WM_NOTIFY that this common control sent to its parent; returns the parent's answer.
  virtual LRESULT Notify(const NMHDR& /*header*/) { return 0; }
  // WM_CTLCOLOR... for this control: sets up dc and returns the background brush.
  virtual HBRUSH ControlColor(HDC dc);
  // The brush of the control's colour.
  HBRUSH BackgroundBrush() { return brush_.Get(control_.GetColor()); }
  HFONT CurrentFont() { return font_.Get(control_.GetFont()); }

  // For BaseWindow: every window of a peer, of the toolkit's own classes or a subclassed
  // standard control.
  void Attach(HWND window) { window_.Reset(window); }
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT WindowGone(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  struct CreateArgs {
    const wchar_t* className = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;  // the owner, for a top-level window
  };
  // Creates the window, of a standard class or of the toolkit's own, and mirrors the control.
  void CreateWindowFor(const CreateArgs& args);

  // Aspects of the kind (value, items, style...), mirrored before bounds and visibility.
  virtual void UpdateKind(Changes /*changed*/) {}
  virtual void UpdateGeometry();
  virtual void UpdateVisibility();
  virtual void UpdateEnabled();
  // Sets the window text to the control's text.
  virtual void UpdateText();
  // The window of the parent control, where this control's window lives.
  HWND ParentHandle() const;
  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The window's text, in code page 936 (EEncodingError when it cannot be).
  AnsiString WindowText() const;
  void SetWindowText(const AnsiString& text);
  // Replaces a style bit set of the window.
  void SetStyleBits(DWORD mask, DWORD bits);
  // Bounds are applied only when the model's differ from those applied last, so a window the
  // user moved stays where it is until the program moves it.
  bool PlacedAt(const Rect& bounds) const { return everPlaced_ && placed_ == bounds; }
  void MarkPlaced(const Rect& bounds) {
    placed_ = bounds;
    everPlaced_ = true;
  }

 private:
  void UpdateParent();
  void UpdateFont();
  // WM_SETCURSOR: sets the control's own pointer when the mouse is over this window's client
  // area and the control asks for one; false leaves the pointer to the window's class.
  bool SetOwnCursor(HWND under, WORD hitTest);
  // Puts a child window right below the window of the nearest earlier sibling control that has
  // one, or on top of its siblings when none has: the windows' order, and with it the tab order,
  // is the order of the controls, however late a window was made (a page's controls get theirs
  // when the page is first shown).
  void PlaceAmongSiblings();

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

using PeerWindow = BaseWindow<WindowPeer>;

}  // namespace gui::win32
