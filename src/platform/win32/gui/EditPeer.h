#pragma once
// Edit boxes: EDIT children. What the user types reaches the model through Edit::UserType (on
// EN_CHANGE), without being written back to the window; text the model refuses is put back.
// The program's own text changes are written without raising a user change.
#include "platform/gui/Edit.h"
#include "platform/win32/gui/WindowPeer.h"

namespace gui::win32 {

class EditPeer : public WindowPeer {
 public:
  explicit EditPeer(Edit& edit) : WindowPeer(edit), edit_(edit) {}

  // Creates the window with the styles of its kind.
  void Create(DWORD kindStyle);

  void Command(WORD notification) override;

 protected:
  void UpdateText() override;
  void UpdateKind(Changes changed) override;

 private:
  Edit& edit_;
  bool writing_ = false;  // the peer itself is setting the window text
};

}  // namespace gui::win32
