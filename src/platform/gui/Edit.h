#pragma once
// A single-line edit box. Its text is the caption; OnChange runs whenever the text changes,
// typed by the user or assigned by the program.
#include <functional>

#include "platform/gui/Control.h"

namespace gui {

class Edit : public Control {
 public:
  Edit(Component* owner, AnsiString name) : Control(owner, std::move(name)) { SetColor(clWindow); }
  const char* Kind() const override { return "Edit"; }
  std::type_index PeerKind() const override { return typeid(Edit); }

  const AnsiString& Text() const { return Caption(); }
  void SetText(const AnsiString& text) { SetCaption(text); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);

  std::function<void()> OnChange;

  // The user typed: the text becomes text (ignored when unreachable or read-only; false then).
  bool UserType(const AnsiString& text);

 protected:
  void TextChanged() override { Fire(OnChange); }

 private:
  bool readOnly_ = false;
};

}  // namespace gui
