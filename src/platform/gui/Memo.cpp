#include "platform/gui/Memo.h"

namespace gui {

std::vector<AnsiString> Memo::Lines() const {
  std::vector<AnsiString> lines;
  const AnsiString& text = Text();
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == AnsiString::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

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
