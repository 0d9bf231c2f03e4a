#include "platform/gui/Control.h"

#include <algorithm>

#include "platform/gui/Application.h"
#include "platform/gui/Form.h"

namespace gui {

Control::Control(Component* owner, AnsiString name) : Component(owner, std::move(name)) {}

Control::~Control() {
  // Children are owned elsewhere (by the form); forget the links both ways.
  for (Control* child : children_) child->parent_ = nullptr;
  if (parent_) {
    parent_->RemoveChild(this);
    parent_->ChildrenChanged();
  }
  peer_.reset();
}

void Control::RemoveChild(Control* child) {
  children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
}

void Control::SetParent(Control* parent) {
  if (parent_ == parent) return;
  Control* const previous = parent_;
  if (previous) previous->RemoveChild(this);
  parent_ = parent;
  if (parent_) {
    parent_->children_.push_back(this);
    // The parent settles its children first (a page book hides all but its active page), so a
    // window made now starts out as the parent wants it.
    parent_->ChildrenChanged();
    if (parent_->GetPeer() && !parent_->DefersChildPeers() && Application::Exists()) {
      CreatePeers();
    }
    parent_->Realign();
  }
  Changed(Aspect::Parent);
  if (previous) previous->ChildrenChanged();
}

void Control::CreatePeers() {
  if (!peer_) peer_ = Application::Instance().GetBackend().CreatePeer(*this);
  if (DefersChildPeers()) return;
  for (Control* child : children_) child->CreatePeers();
}

Form* Control::ParentForm() {
  Control* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<Form*>(c);
}

void Control::SetBounds(int left, int top, int width, int height) {
  const Rect next{left, top, left + width, top + height};
  if (next == bounds_) return;
  const bool sizeChanged = next.Width() != bounds_.Width() || next.Height() != bounds_.Height();
  bounds_ = next;
  BoundsChanged(sizeChanged);
}

void Control::BoundsChanged(bool sizeChanged) {
  Changed(Aspect::Bounds);
  if (parent_ && align_ != Align::None) parent_->Realign();
  if (sizeChanged) {
    Realign();
    if (OnResize && Application::Exists()) Application::Instance().Guard(OnResize);
  }
}

void Control::SetAlign(Align align) {
  if (align_ == align) return;
  align_ = align;
  if (parent_) parent_->Realign();
}

void Control::Realign() {
  int top = 0;
  int bottom = ClientHeight();
  int left = 0;
  int right = ClientWidth();
  for (Control* c : children_) {
    if (!c->visible_) continue;
    switch (c->align_) {
      case Align::Top:
        c->SetBounds(left, top, right - left, c->Height());
        top += c->Height();
        break;
      case Align::Bottom:
        bottom -= c->Height();
        c->SetBounds(left, bottom, right - left, c->Height());
        break;
      default:
        break;
    }
  }
  for (Control* c : children_) {
    if (!c->visible_) continue;
    switch (c->align_) {
      case Align::Left:
        c->SetBounds(left, top, c->Width(), bottom - top);
        left += c->Width();
        break;
      case Align::Right:
        right -= c->Width();
        c->SetBounds(right, top, c->Width(), bottom - top);
        break;
      default:
        break;
    }
  }
  for (Control* c : children_) {
    if (c->visible_ && c->align_ == Align::Client) {
      c->SetBounds(left, top, right - left, bottom - top);
    }
  }
}

void Control::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  if (parent_) parent_->Realign();
  Changed(Aspect::Visible);
}

bool Control::Showing() const {
  for (const Control* c = this; c; c = c->parent_) {
    if (!c->visible_) return false;
  }
  return true;
}

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Changed(Aspect::Enabled);
}

void Control::SetCaption(const AnsiString& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  Changed(Aspect::Text);
  TextOrFontChanged();
  TextChanged();
}

void Control::SetCaptionTypedByUser(const AnsiString& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  TextOrFontChanged();
  TextChanged();
}

void Control::SetFont(const Font& font) {
  font_ = font;
  Changed(Aspect::Font);
  TextOrFontChanged();
}

void Control::SetColor(Color color) {
  color_ = color;
  Changed(Aspect::Color);
}

bool Control::Reachable() const {
  for (const Control* c = this; c; c = c->parent_) {
    if (!c->visible_ || !c->enabled_) return false;
    if (!c->parent_) {
      const auto* form = dynamic_cast<const Form*>(c);
      return form && Application::Exists() &&
             Application::Instance().GetBackend().FormTakesInput(*form);
    }
  }
  return false;
}

void Control::Fire(const std::function<void()>& handler) {
  if (handler && Application::Exists()) Application::Instance().Guard(handler);
}

bool Control::UserClick() {
  if (!Reachable()) return false;
  if (ClickEffect()) Fire(OnClick);
  return true;
}

bool Control::UserDoubleClick() {
  if (!Reachable()) return false;
  Fire(OnDoubleClick);
  return true;
}

void Control::Changed(Changes changed) {
  if (peer_) peer_->Update(changed);
}

Panel::Panel(Component* owner, AnsiString name) : Control(owner, std::move(name)) {}

void Panel::SetAlignment(TextAlign alignment) {
  alignment_ = alignment;
  Changed(Aspect::Style);
}

void Panel::SetBevelOuter(PanelBevel bevel) {
  if (bevel_ == bevel) return;
  bevel_ = bevel;
  Changed(Aspect::Style);
}

Label::Label(Component* owner, AnsiString name) : Control(owner, std::move(name)) {}

void Label::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  AdjustSize();
}

void Label::SetTransparent(bool transparent) {
  transparent_ = transparent;
  Changed(Aspect::Style);
}

void Label::SetWordWrap(bool wordWrap) {
  wordWrap_ = wordWrap;
  Changed(Aspect::Style);
}

void Label::AdjustSize() {
  if (!autoSize_ || wordWrap_ || !Application::Exists()) return;
  const Size size = Application::Instance().GetBackend().MeasureText(GetFont(), Caption());
  SetBounds(Left(), Top(), size.width, size.height);
}

}  // namespace gui
