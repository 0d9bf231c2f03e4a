#pragma once
// A flat column header cell above a table: its caption on the system's colour of an inactive
// caption's gradient. The caption is the cell's window text, so other programs can read it.
#include "platform/gui/Control.h"

namespace gui {

class HeaderCell : public Control {
 public:
  HeaderCell(Component* owner, AnsiString name) : Control(owner, std::move(name)) {}
  const char* Kind() const override { return "HeaderCell"; }
  std::type_index PeerKind() const override { return typeid(HeaderCell); }
};

}  // namespace gui
