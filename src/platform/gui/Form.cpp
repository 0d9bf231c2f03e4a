#include "platform/gui/Form.h"

#include <stdexcept>

#include "platform/gui/Application.h"

namespace gui {

namespace {
// Ends a modal display however the loop is left, so no window stays disabled.
class ModalScope {
 public:
  ModalScope(Backend& backend, Form& form, bool& modalFlag)
      : backend_(backend), form_(form), modalFlag_(modalFlag) {
    modalFlag_ = true;
    backend_.BeginModal(form_);
  }
  ~ModalScope() {
    backend_.EndModal(form_);
    modalFlag_ = false;
  }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

 private:
  Backend& backend_;
  Form& form_;
  bool& modalFlag_;
};
}  // namespace

Form::Form(Component* owner, AnsiString name) : Control(owner, std::move(name)) {
  SetVisible(false);
}

Form::~Form() {
  if (Application::Exists()) Application::Instance().Forget(*this);
}

void Form::SetBorderStyle(BorderStyle style) {
  borderStyle_ = style;
  Changed(Aspect::Style);
}

void Form::SetWindowState(WindowState state) {
  windowState_ = state;
  Changed(Aspect::Style);
}

void Form::SetPosition(Position position) {
  position_ = position;
  Changed(Aspect::Style);
}

void Form::DoCreate() {
  if (OnCreate) Application::Instance().Guard(OnCreate);
}

void Form::HandleNeeded() { CreatePeers(); }

void Form::ShowForm() {
  auto& app = Application::Instance();
  HandleNeeded();
  if (windowState_ == WindowState::Maximized) {
    const Size screen = app.GetBackend().ScreenSize();
    SetBounds(0, 0, screen.width, screen.height);
  }
  if (Visible()) return;
  if (OnShow) app.Guard(OnShow);
  SetVisible(true);
}

int Form::ShowModal() {
  auto& app = Application::Instance();
  modalResult_ = mrNone;
  {
    ModalScope scope(app.GetBackend(), *this, modal_);
    ShowForm();
    // Asked before every wait: the display may have ended inside the show, in the form's
    // activation, where a nested loop may already have taken the message that told of it.
    while (!ModalDisplayEnded()) app.GetBackend().WaitAndDispatch();
  }
  Hide();
  return modalResult_;
}

bool Form::ModalDisplayEnded() {
  if (Application::Instance().Terminated()) {
    modalResult_ = mrCancel;
    return true;
  }
  if (modalResult_ == mrNone) return false;
  CloseModal();
  return modalResult_ != mrNone;
}

void Form::CloseModal() {
  CloseAction action = CloseAction::None;
  if (CloseQuery()) {
    action = CloseAction::Hide;
    DoClose(action);
  }
  if (action == CloseAction::None) {
    modalResult_ = mrNone;
  } else if (action == CloseAction::Free) {
    Application::Instance().Release(*this);
  }
}

void Form::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  CloseAction action = CloseAction::Hide;
  DoClose(action);
  if (action == CloseAction::None) return;
  auto& app = Application::Instance();
  if (app.MainForm() == this) {
    app.Terminate();
  } else {
    Hide();
    if (action == CloseAction::Free) app.Release(*this);
  }
}

bool Form::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) Application::Instance().Guard([&] { OnCloseQuery(canClose); });
  return canClose;
}

void Form::DoClose(CloseAction& action) {
  if (OnClose) Application::Instance().Guard([&] { OnClose(action); });
}

void Form::Paint(Canvas& canvas) {
  paintCanvas_ = &canvas;
  if (OnPaint) Application::Instance().Guard(OnPaint);
  paintCanvas_ = nullptr;
}

Canvas& Form::GetCanvas() {
  if (!paintCanvas_) throw std::logic_error("canvas used outside painting");
  return *paintCanvas_;
}

void Form::Activated() {
  if (OnActivate) Application::Instance().Guard(OnActivate);
}

}  // namespace gui
