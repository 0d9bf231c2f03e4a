#include "platform/gui/Memo.h"

namespace gui {

std::vector<AnsiString> Memo::Lines() const { return SplitLines(Text()); }

void Memo::SetLines(const std::vector<AnsiString>& lines) {
  AnsiString text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines[i];
  }
  SetText(text);
}

void Memo::SetScrollBars(ScrollBars scrollBars) {
  if (scrollBars_ == scrollBars) return;
  scrollBars_ = scrollBars;
  Changed(Aspect::Style);
}

void Memo::SetWordWrap(bool wordWrap) {
  if (wordWrap_ == wordWrap) return;
  wordWrap_ = wordWrap;
  Changed(Aspect::Style);
}

}  // namespace gui
