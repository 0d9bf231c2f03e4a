#pragma once
// Top-level windows.
#include <functional>
#include <memory>

#include "platform/gui/Canvas.h"
#include "platform/gui/Control.h"

namespace gui {

class Form : public Control {
 public:
  Form(Component* owner, AnsiString name);
  ~Form() override;
  const char* Kind() const override { return "Form"; }
  std::type_index PeerKind() const override { return typeid(Form); }

  BorderStyle GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(BorderStyle style);
  WindowState GetWindowState() const { return windowState_; }
  void SetWindowState(WindowState state);
  Position GetPosition() const { return position_; }
  void SetPosition(Position position);
  bool Scrollbars() const { return scrollbars_; }
  void SetScrollbars(bool shown) { scrollbars_ = shown; }

  // A form's bounds are its client area; the back end adds the frame around it.
  // Sets the client size; the back end also calls this when the window got its real size.
  void SetClientSize(int width, int height) { SetBounds(Left(), Top(), width, height); }

  // Handlers, bound by the window classes to their own members.
  std::function<void()> OnCreate;
  std::function<void()> OnShow;
  std::function<void()> OnActivate;
  std::function<void()> OnPaint;
  std::function<void(CloseAction&)> OnClose;
  std::function<void(bool&)> OnCloseQuery;

  // Creates a control owned by this form and places it on parent, in the form's font (as a
  // control designed on the form takes it).
  template <class T>
  T& Put(Control& parent, AnsiString name, int left, int top, int width, int height) {
    T& control = Make<T>(std::move(name));
    control.SetFont(GetFont());
    control.SetBounds(left, top, width, height);
    control.SetParent(&parent);
    return control;
  }

  // Runs OnCreate under the error report; called once after construction by Application.
  void DoCreate();

  // Creates the form's window (and its controls' windows, but for those of pages not yet shown)
  // now if it has none yet, as asking a form for its window handle does; the window stays hidden
  // until shown.
  void HandleNeeded();
  // Shows the window (creating its peers); OnShow runs each time it goes from hidden to shown.
  void ShowForm();
  // Shows the window modally and serves messages until ModalResult is set or the application
  // terminates; returns the modal result (mrCancel when the application ended the display).
  int ShowModal();
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }
  bool IsModal() const { return modal_; }

  // The close request: for a modal form it sets ModalResult to mrCancel (the modal loop then
  // asks OnCloseQuery and OnClose); otherwise it asks OnCloseQuery, then OnClose, and acts on
  // the close action. Closing the main form terminates the application.
  void Close();
  // Asks OnCloseQuery; true when the form may close.
  bool CloseQuery();

  // Paints: the back end supplies the canvas and calls this for every paint.
  void Paint(Canvas& canvas);
  // The canvas of the paint in progress (valid only inside OnPaint).
  Canvas& GetCanvas();

  // Called by the back end when the window became the active window.
  void Activated();

 private:
  // True when the modal display is over: the application terminated (mrCancel), or a modal
  // result was set and the form agreed to close.
  bool ModalDisplayEnded();
  void CloseModal();
  void DoClose(CloseAction& action);
  BorderStyle borderStyle_ = BorderStyle::Sizeable;
  WindowState windowState_ = WindowState::Normal;
  Position position_ = Position::Designed;
  bool scrollbars_ = true;
  int modalResult_ = mrNone;
  bool modal_ = false;
  Canvas* paintCanvas_ = nullptr;
};

}  // namespace gui
