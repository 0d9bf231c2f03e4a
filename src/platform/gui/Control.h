#pragma once
// Controls: components with a parent, bounds, visibility, text, font and colour. The control's
// fields are the truth; a back end peer mirrors them on screen and feeds user input back.
#include <functional>
#include <memory>
#include <typeindex>
#include <vector>

#include "platform/gui/Component.h"
#include "platform/gui/Types.h"

namespace gui {

class Control;
class Form;

// What a back end keeps for one control (a window handle in the win32 back end).
class Peer {
 public:
  virtual ~Peer() = default;
  // These fields of the control changed: mirror them, and nothing else.
  virtual void Update(Changes changed) = 0;
  // Repaint the control.
  virtual void Invalidate() = 0;
};

class Control : public Component {
 public:
  Control(Component* owner, AnsiString name);
  ~Control() override;

  // Kind of control, for messages and descriptions ("Form", "Panel", "Label", ...).
  virtual const char* Kind() const = 0;
  // The toolkit type whose peer shows this control: a window class's own subclass of Form is
  // shown as a Form. Back ends bind peers to these types (PeerRegistry).
  virtual std::type_index PeerKind() const = 0;

  Control* Parent() const { return parent_; }
  void SetParent(Control* parent);
  const std::vector<Control*>& Children() const { return children_; }
  // The form this control sits on (itself for a form).
  Form* ParentForm();

  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.Width(); }
  int Height() const { return bounds_.Height(); }
  Rect Bounds() const { return bounds_; }
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
  void SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }
  void SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }
  void SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }
  // Client area size; equals the bounds for child controls, a form subtracts its frame.
  virtual int ClientWidth() const { return Width(); }
  virtual int ClientHeight() const { return Height(); }

  Align GetAlign() const { return align_; }
  void SetAlign(Align align);

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible here and in every parent.
  bool Showing() const;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& caption);

  const Font& GetFont() const { return font_; }
  void SetFont(const Font& font);
  Color GetColor() const { return color_; }
  void SetColor(Color color);
  // The pointer over the enabled control; the back end asks for it as the mouse moves, so a
  // change needs no update of the peer.
  Cursor GetCursor() const { return cursor_; }
  void SetCursor(Cursor cursor) { cursor_ = cursor; }

  // Fired after the control changed size (also when its parent's layout moved it).
  std::function<void()> OnResize;
  std::function<void()> OnClick;
  std::function<void()> OnDoubleClick;

  // ---- User input. Every action of the user enters the model through one of these members,
  // from the win32 peers and from the scripted user alike. An action on a control the user
  // cannot reach (Reachable) is ignored, as the system ignores a click on a disabled window;
  // the members then return false.
  // A click: the kind's own effect (a check box toggles...), then OnClick.
  bool UserClick();
  bool UserDoubleClick();

  // True when the user can reach the control now: it and every parent are visible and enabled,
  // and its form takes input (shown, and not behind another form's modal display).
  bool Reachable() const;

  Peer* GetPeer() const { return peer_.get(); }
  void SetPeer(std::unique_ptr<Peer> peer) { peer_ = std::move(peer); }
  // Makes the peers this control and its children lack, down to the controls whose windows wait
  // until they are first shown (DefersChildPeers).
  void CreatePeers();
  // True while the children's peers wait for this control to be shown: a page the book has not
  // shown yet keeps its controls without windows, so a program starts without making the
  // windows of pages the user may never see.
  virtual bool DefersChildPeers() const { return false; }

 protected:
  // Tells the peer what changed.
  void Changed(Changes changed);
  // What a user click does to the control itself; false when the click changes nothing and
  // raises no OnClick (a radio button that is already checked).
  virtual bool ClickEffect() { return true; }
  // The text as the user typed it: the window shows it already, so the peer is not told.
  void SetCaptionTypedByUser(const AnsiString& caption);
  // The caption changed, by the program or by the user (an edit raises OnChange).
  virtual void TextChanged() {}
  // Runs an event handler under the default error report.
  static void Fire(const std::function<void()>& handler);
  // Lays out aligned children inside the client area, top and bottom first, then client.
  void Realign();
  // A child was added or removed (also when a child goes away with its destruction).
  virtual void ChildrenChanged() {}
  virtual void BoundsChanged(bool sizeChanged);
  // The caption or font changed (an auto-sized label measures itself again).
  virtual void TextOrFontChanged() {}

 private:
  void RemoveChild(Control* child);
  Control* parent_ = nullptr;
  std::vector<Control*> children_;
  Rect bounds_;
  Align align_ = Align::None;
  bool visible_ = true;
  bool enabled_ = true;
  AnsiString caption_;
  Font font_;
  Color color_ = clBtnFace;
  Cursor cursor_ = Cursor::Default;
  std::unique_ptr<Peer> peer_;
};

// The edge around a panel: none (flat), raised, or lowered (a 2-pixel-high lowered panel is an
// etched line).
enum class PanelBevel { None, Raised, Lowered };

// A rectangular area with a background colour and an optional caption.
class Panel : public Control {
 public:
  Panel(Component* owner, AnsiString name);
  const char* Kind() const override { return "Panel"; }
  std::type_index PeerKind() const override { return typeid(Panel); }
  TextAlign Alignment() const { return alignment_; }
  void SetAlignment(TextAlign alignment);
  PanelBevel BevelOuter() const { return bevel_; }
  void SetBevelOuter(PanelBevel bevel);
  // Any edge; SetBevel(true) raises it, SetBevel(false) makes the panel flat.
  bool Bevel() const { return bevel_ != PanelBevel::None; }
  void SetBevel(bool bevel) { SetBevelOuter(bevel ? PanelBevel::Raised : PanelBevel::None); }

 private:
  TextAlign alignment_ = TextAlign::Center;
  PanelBevel bevel_ = PanelBevel::Raised;
};

// Static text. With AutoSize the label takes the size of its text in its font.
class Label : public Control {
 public:
  Label(Component* owner, AnsiString name);
  const char* Kind() const override { return "Label"; }
  std::type_index PeerKind() const override { return typeid(Label); }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool wordWrap);
  // Re-measures the text when AutoSize is on.
  void AdjustSize();

 protected:
  void TextOrFontChanged() override { AdjustSize(); }

 private:
  bool autoSize_ = true;
  bool transparent_ = false;
  bool wordWrap_ = false;
};

}  // namespace gui
