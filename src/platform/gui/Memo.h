#pragma once
// A multi-line text box. Its text is its lines joined by CR LF (the line break of an edit
// control); Lines splits the text at CR LF, CR or LF.
#include <vector>

#include "platform/gui/Edit.h"

namespace gui {

enum class ScrollBars { None, Vertical, Horizontal, Both };

class Memo : public Edit {
 public:
  Memo(Component* owner, AnsiString name) : Edit(owner, std::move(name)) {}
  const char* Kind() const override { return "Memo"; }
  std::type_index PeerKind() const override { return typeid(Memo); }

  std::vector<AnsiString> Lines() const;
  void SetLines(const std::vector<AnsiString>& lines);

  ScrollBars GetScrollBars() const { return scrollBars_; }
  void SetScrollBars(ScrollBars scrollBars);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool wordWrap);

 private:
  ScrollBars scrollBars_ = ScrollBars::None;
  bool wordWrap_ = true;
};

}  // namespace gui
