// The end-to-end robot: a small console program that runs inside the same Wine prefix as the
// setup program and acts on its windows from outside, as a user (or a screen reader) would.
// It finds top-level windows by title and class, reads their and their controls' texts and
// states, reads list views (rows, cells, selection), clicks buttons, check boxes and radio
// buttons, double-clicks list view rows, types into edit boxes and closes windows. Arguments arrive
// as wide strings (Wine converts the UTF-8 command line); everything printed is UTF-8.
//
// Exit codes: 0 done; 1 failed (the target did not answer in time, a window stayed, a file could
// not be read or held); 2 bad usage; 10 not found (no such window, control, list view or row, or
// none appeared in time); 11 refused (the control is there but a user could not reach it: hidden,
// disabled or inside a disabled window). Scenarios that check that something is absent accept
// only 10, so a robot that failed for another reason never passes for an absent window. 10 and
// 11 are no exit code Wine gives a crashed or aborted program (abort() ends with 3, an access
// violation with 5).

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr int kNotFound = 10;
constexpr int kRefused = 11;
constexpr UINT kMessageTimeoutMs = 2000;
constexpr DWORD kPollMs = 50;

// ---- output ------------------------------------------------------------------------------

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  return bytes;
}

void WriteTo(DWORD which, const std::wstring& line) {
  const std::string bytes = ToUtf8(line + L"\n");
  DWORD written = 0;
  WriteFile(GetStdHandle(which), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Print(const std::wstring& line) { WriteTo(STD_OUTPUT_HANDLE, line); }
void Complain(const std::wstring& line) { WriteTo(STD_ERROR_HANDLE, L"robot: " + line); }

// Control characters would break the one-line-per-window output; they are shown as escapes.
std::wstring Escaped(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    switch (c) {
      case L'\\':
        out += L"\\\\";
        break;
      case L'\r':
        out += L"\\r";
        break;
      case L'\n':
        out += L"\\n";
        break;
      case L'\t':
        out += L"\\t";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::wstring Hex(uintptr_t value) {
  wchar_t buffer[32];
  swprintf(buffer, 32, L"0x%llx", static_cast<unsigned long long>(value));
  return buffer;
}

std::wstring HandleText(HWND window) { return Hex(reinterpret_cast<uintptr_t>(window)); }

// ---- reading windows ---------------------------------------------------------------------

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

// WM_GETTEXT is marshalled across processes and also reaches edit controls, whose text is not
// the window caption; a hung target falls back to the caption the system keeps.
std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                           &length)) {
    wchar_t caption[1024] = {};
    GetWindowTextW(window, caption, 1024);
    return caption;
  }
  std::vector<wchar_t> buffer(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                      SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied);
  return std::wstring(buffer.data(), copied);
}

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

std::wstring RectText(HWND window) {
  RECT bounds = {};
  GetWindowRect(window, &bounds);
  return std::to_wstring(bounds.left) + L" " + std::to_wstring(bounds.top) + L" " +
         std::to_wstring(bounds.right) + L" " + std::to_wstring(bounds.bottom);
}

std::wstring WithoutMnemonics(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text)
    if (c != L'&') out += c;
  return out;
}

// ---- finding windows ---------------------------------------------------------------------

struct WindowQuery {
  bool hasTitle = false;
  std::wstring title;
  bool hasClass = false;
  std::wstring className;
  bool hasProcess = false;
  DWORD processId = 0;
  bool includeHidden = false;

  bool Matches(HWND window) const {
    if (!includeHidden && !IsWindowVisible(window)) return false;
    if (hasProcess && ProcessOf(window) != processId) return false;
    if (hasClass && ClassOf(window) != className) return false;
    if (hasTitle && TextOf(window) != title) return false;
    return true;
  }
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND FindTopLevel(const WindowQuery& query) {
  for (HWND window : TopLevelWindows())
    if (query.Matches(window)) return window;
  return nullptr;
}

// Polls until the window is there (or, with wantPresent false, gone) or the time is up.
HWND AwaitWindow(const WindowQuery& query, double timeoutSeconds, bool wantPresent, bool* reached) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutSeconds * 1000);
  for (;;) {
    HWND window = FindTopLevel(query);
    if ((window != nullptr) == wantPresent) {
      *reached = true;
      return window;
    }
    if (GetTickCount64() >= deadline) {
      *reached = false;
      return window;
    }
    Sleep(kPollMs);
  }
}

// ---- command line ------------------------------------------------------------------------

struct Options {
  std::map<std::wstring, std::wstring> values;
  std::map<std::wstring, bool> flags;

  bool Has(const wchar_t* name) const { return values.count(name) != 0; }
  std::wstring Get(const wchar_t* name) const {
    auto found = values.find(name);
    return found == values.end() ? std::wstring() : found->second;
  }
  bool Flag(const wchar_t* name) const { return flags.count(name) != 0; }
  double Seconds(const wchar_t* name, double fallback) const {
    return Has(name) ? wcstod(Get(name).c_str(), nullptr) : fallback;
  }
};

bool IsFlagOption(const std::wstring& name) {
  return name == L"--hidden" || name == L"--box" || name == L"--force";
}

bool ParseOptions(int argc, wchar_t** argv, int first, Options* options) {
  for (int i = first; i < argc; ++i) {
    const std::wstring name = argv[i];
    if (name.rfind(L"--", 0) != 0) {
      Complain(L"unexpected argument " + name);
      return false;
    }
    if (IsFlagOption(name)) {
      options->flags[name] = true;
      continue;
    }
    if (i + 1 >= argc) {
      Complain(L"option " + name + L" needs a value");
      return false;
    }
    options->values[name] = argv[++i];
  }
  return true;
}

bool QueryFrom(const Options& options, WindowQuery* query) {
  query->hasTitle = options.Has(L"--title");
  query->title = options.Get(L"--title");
  query->hasClass = options.Has(L"--class");
  query->className = options.Get(L"--class");
  query->hasProcess = options.Has(L"--pid");
  query->processId = static_cast<DWORD>(wcstoul(options.Get(L"--pid").c_str(), nullptr, 10));
  query->includeHidden = options.Flag(L"--hidden");
  if (!query->hasTitle && !query->hasClass && !query->hasProcess) {
    Complain(L"give --title, --class or --pid");
    return false;
  }
  return true;
}

std::wstring Describe(const WindowQuery& query) {
  std::wstring text;
  if (query.hasTitle) text += L"title \"" + Escaped(query.title) + L"\"";
  if (query.hasClass) text += (text.empty() ? L"" : L" ") + (L"class \"" + query.className + L"\"");
  if (query.hasProcess)
    text += (text.empty() ? L"" : L" ") + (L"pid " + std::to_wstring(query.processId));
  return text;
}

// ---- commands ----------------------------------------------------------------------------

int Probe() {
  Print(L"robot-ok");
  return kDone;
}

int List() {
  for (HWND window : TopLevelWindows()) {
    Print(HandleText(window) + L"\t" + std::to_wstring(ProcessOf(window)) + L"\t" +
          (IsWindowVisible(window) ? L"visible" : L"hidden") + L"\t" + ClassOf(window) + L"\t" +
          Escaped(TextOf(window)));
  }
  return kDone;
}

int WaitWindow(const WindowQuery& query, const Options& options) {
  bool reached = false;
  HWND window = AwaitWindow(query, options.Seconds(L"--timeout", 30), true, &reached);
  if (!reached) {
    Complain(L"no window with " + Describe(query));
    return kNotFound;
  }
  Print(HandleText(window));
  return kDone;
}

int WaitGone(const WindowQuery& query, const Options& options) {
  bool reached = false;
  HWND window = AwaitWindow(query, options.Seconds(L"--timeout", 30), false, &reached);
  if (!reached) {
    Complain(L"window " + HandleText(window) + L" with " + Describe(query) + L" is still there");
    return kFailed;
  }
  return kDone;
}

HWND RequireWindow(const WindowQuery& query) {
  HWND window = FindTopLevel(query);
  if (window == nullptr) Complain(L"no window with " + Describe(query));
  return window;
}

int Exists(const WindowQuery& query) {
  HWND window = FindTopLevel(query);
  if (window == nullptr) return kNotFound;
  Print(HandleText(window));
  return kDone;
}

std::wstring TextLine(HWND window, int id) {
  return ClassOf(window) + L"\t" + std::to_wstring(id) + L"\t" + Escaped(TextOf(window));
}

int Texts(const WindowQuery& query) {
  HWND window = RequireWindow(query);
  if (window == nullptr) return kNotFound;
  Print(TextLine(window, 0));
  for (HWND child : ChildWindows(window)) Print(TextLine(child, GetDlgCtrlID(child)));
  return kDone;
}

// Where the controls are: class, id, visibility, screen rectangle and text, one per line.
int Controls(const WindowQuery& query) {
  HWND window = RequireWindow(query);
  if (window == nullptr) return kNotFound;
  for (HWND child : ChildWindows(window))
    Print(ClassOf(child) + L"\t" + std::to_wstring(GetDlgCtrlID(child)) + L"\t" +
          (IsWindowVisible(child) ? L"visible" : L"hidden") + L"\t" + RectText(child) + L"\t" +
          Escaped(TextOf(child)));
  return kDone;
}

int Info(const WindowQuery& query) {
  HWND window = RequireWindow(query);
  if (window == nullptr) return kNotFound;
  const auto style = static_cast<uintptr_t>(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)));
  const auto exStyle =
      static_cast<uintptr_t>(static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
  Print(L"hwnd " + HandleText(window));
  Print(L"class " + ClassOf(window));
  Print(L"title " + Escaped(TextOf(window)));
  Print(L"pid " + std::to_wstring(ProcessOf(window)));
  Print(L"style " + Hex(style));
  Print(L"exstyle " + Hex(exStyle));
  Print(L"rect " + RectText(window));
  HWND owner = GetWindow(window, GW_OWNER);
  Print(L"owner " + HandleText(owner));
  Print(L"enabled " + std::to_wstring(IsWindowEnabled(window) ? 1 : 0));
  return kDone;
}

// ---- controls ----------------------------------------------------------------------------

// A control of a window, chosen by one of
//   --id N           its control id;
//   --button TEXT    its text, '&' mnemonics ignored (buttons, check boxes, radio buttons);
//   --nth CLASS:N    the N-th control (from 1) of that window class, in the order `state` lists
//                    the controls (depth first, panels' controls after the panel).
struct ControlQuery {
  enum class By { Id, Text, Nth } by = By::Id;
  int id = 0;
  std::wstring text;
  std::wstring className;
  int nth = 0;

  std::wstring Describe() const {
    switch (by) {
      case By::Id:
        return L"with id " + std::to_wstring(id);
      case By::Text:
        return L"\"" + Escaped(text) + L"\"";
      case By::Nth:
        return L"number " + std::to_wstring(nth) + L" of class " + className;
    }
    return std::wstring();
  }
};

bool ControlQueryFrom(const Options& options, ControlQuery* query) {
  const int given = (options.Has(L"--id") ? 1 : 0) + (options.Has(L"--button") ? 1 : 0) +
                    (options.Has(L"--nth") ? 1 : 0);
  if (given != 1) {
    Complain(L"choose the control with one of --id, --button or --nth");
    return false;
  }
  if (options.Has(L"--id")) {
    query->by = ControlQuery::By::Id;
    query->id = _wtoi(options.Get(L"--id").c_str());
  } else if (options.Has(L"--button")) {
    query->by = ControlQuery::By::Text;
    query->text = options.Get(L"--button");
  } else {
    const std::wstring nth = options.Get(L"--nth");
    const size_t colon = nth.rfind(L':');
    query->by = ControlQuery::By::Nth;
    query->className = nth.substr(0, colon == std::wstring::npos ? 0 : colon);
    query->nth = colon == std::wstring::npos ? 0 : _wtoi(nth.c_str() + colon + 1);
    if (query->className.empty() || query->nth < 1) {
      Complain(L"--nth takes CLASS:N with N from 1, not " + nth);
      return false;
    }
  }
  return true;
}

bool SameClass(HWND window, const std::wstring& className) {
  return _wcsicmp(ClassOf(window).c_str(), className.c_str()) == 0;
}

HWND FindControl(HWND window, const ControlQuery& query) {
  int seen = 0;
  for (HWND child : ChildWindows(window)) {
    switch (query.by) {
      case ControlQuery::By::Id:
        if (GetDlgCtrlID(child) == query.id) return child;
        break;
      case ControlQuery::By::Text: {
        const std::wstring text = TextOf(child);
        if (text == query.text || WithoutMnemonics(text) == WithoutMnemonics(query.text))
          return child;
        break;
      }
      case ControlQuery::By::Nth:
        if (SameClass(child, query.className) && ++seen == query.nth) return child;
        break;
    }
  }
  return nullptr;
}

// The window and control that a click or typing acts on; complains when either is missing.
HWND RequireControl(const WindowQuery& windowQuery, const ControlQuery& controlQuery) {
  HWND window = RequireWindow(windowQuery);
  if (window == nullptr) return nullptr;
  HWND control = FindControl(window, controlQuery);
  if (control == nullptr)
    Complain(L"no control " + controlQuery.Describe() + L" in window with " +
             Describe(windowQuery));
  return control;
}

// Why a user could not act on the control now, or empty when they could. A user cannot reach a
// hidden or disabled control, nor one inside a disabled window (a disabled panel, a window
// behind a modal box). With force, a disabled window around an enabled, visible control is let
// through: the messages then reach the control's own window as if the user had, which is how a
// scenario proves that the program's model ignores input it should never have got.
std::wstring Unreachable(HWND control, bool force) {
  if (!IsWindowVisible(control)) return L"hidden (itself or a window around it)";
  if (!IsWindowEnabled(control)) return L"disabled";
  if (force) return std::wstring();
  HWND desktop = GetDesktopWindow();
  for (HWND up = GetAncestor(control, GA_PARENT); up != nullptr && up != desktop;
       up = GetAncestor(up, GA_PARENT)) {
    if (!IsWindowEnabled(up))
      return L"inside the disabled window " + HandleText(up) + L" (" + ClassOf(up) + L")";
  }
  return std::wstring();
}

bool Reachable(HWND control, const Options& options) {
  const std::wstring why = Unreachable(control, options.Flag(L"--force"));
  if (why.empty()) return true;
  Complain(L"control " + HandleText(control) + L" is " + why);
  return false;
}

// A message sent and waited for, so that when the robot ends the target has handled it (and
// whatever its handler did in turn); false when the target did not answer in time.
bool SendAndWait(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                 DWORD_PTR* result = nullptr) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             result != nullptr ? result : &ignored) != 0;
}

// The click is posted, not sent: a click that opens a modal box in the target must not hold
// the robot until somebody answers that box. A check box or radio button is clicked the same
// way; the program decides what its mark becomes.
int Click(const WindowQuery& query, const Options& options) {
  ControlQuery controlQuery;
  if (!ControlQueryFrom(options, &controlQuery)) return kUsage;
  HWND button = RequireControl(query, controlQuery);
  if (button == nullptr) return kNotFound;
  if (!Reachable(button, options)) return kRefused;
  PostMessageW(button, BM_CLICK, 0, 0);
  Print(HandleText(button));
  return kDone;
}

// The keys of a text as a keyboard gives them to an edit box: one character per UTF-16 unit,
// a line break (CR LF, CR or LF) as the Enter key's CR.
std::wstring KeysOf(const std::wstring& text) {
  std::wstring keys;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && i > 0 && text[i - 1] == L'\r') continue;
    keys += text[i] == L'\n' ? L'\r' : text[i];
  }
  return keys;
}

// Types over the whole text of an edit box: selects everything, then sends one WM_CHAR per key
// as the keyboard would deliver them. Sent, not posted: when the robot ends, the control and the
// program have seen every key.
int Type(const WindowQuery& query, const Options& options) {
  if (!options.Has(L"--text")) {
    Complain(L"type needs --text");
    return kUsage;
  }
  ControlQuery controlQuery;
  if (!ControlQueryFrom(options, &controlQuery)) return kUsage;
  HWND edit = RequireControl(query, controlQuery);
  if (edit == nullptr) return kNotFound;
  if (!Reachable(edit, options)) return kRefused;
  if (!SendAndWait(edit, EM_SETSEL, 0, -1)) {
    Complain(L"control " + HandleText(edit) + L" did not answer the selection in time");
    return kFailed;
  }
  for (wchar_t key : KeysOf(options.Get(L"--text"))) {
    if (!SendAndWait(edit, WM_CHAR, key, 1)) {
      Complain(L"control " + HandleText(edit) + L" did not take the key " + Hex(key) + L" in time");
      return kFailed;
    }
  }
  Print(HandleText(edit));
  return kDone;
}

// The check mark of a check box or radio button; "-" for any other control.
std::wstring MarkOf(HWND control) {
  if (!SameClass(control, L"Button")) return L"-";
  switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      break;
    default:
      return L"-";
  }
  DWORD_PTR mark = 0;
  if (!SendAndWait(control, BM_GETCHECK, 0, 0, &mark)) return L"?";
  switch (mark) {
    case BST_CHECKED:
      return L"checked";
    case BST_INDETERMINATE:
      return L"indeterminate";
    default:
      return L"unchecked";
  }
}

// The position of a progress bar; "-" for any other control.
std::wstring PositionOf(HWND control) {
  if (!SameClass(control, PROGRESS_CLASSW)) return L"-";
  DWORD_PTR position = 0;
  if (!SendAndWait(control, PBM_GETPOS, 0, 0, &position)) return L"?";
  return std::to_wstring(static_cast<int>(position));
}

// What a user sees of every control, one line each: class, its number among the controls of
// that class (for --nth), id, visibility (with the windows around it), its own enabled state,
// check mark, progress position and text.
int State(const WindowQuery& query) {
  HWND window = RequireWindow(query);
  if (window == nullptr) return kNotFound;
  std::map<std::wstring, int> counts;
  for (HWND child : ChildWindows(window)) {
    const std::wstring className = ClassOf(child);
    int& count = counts[className];
    ++count;
    Print(className + L"\t" + std::to_wstring(count) + L"\t" +
          std::to_wstring(GetDlgCtrlID(child)) + L"\t" +
          (IsWindowVisible(child) ? L"visible" : L"hidden") + L"\t" +
          (IsWindowEnabled(child) ? L"enabled" : L"disabled") + L"\t" + MarkOf(child) + L"\t" +
          PositionOf(child) + L"\t" + Escaped(TextOf(child)));
  }
  return kDone;
}

// ---- list views --------------------------------------------------------------------------

// A list view answers its item and column messages through pointers into its own process, so
// the robot reads another program's list view through a block of memory in that process: it
// writes the request there, sends the message with the block's address and reads the answer
// back.

struct CloseProcess {
  void operator()(HANDLE process) const { CloseHandle(process); }
};
using UniqueProcess = std::unique_ptr<void, CloseProcess>;

// Memory in another process, released with the block.
class RemoteBlock {
 public:
  RemoteBlock(HANDLE process, size_t size)
      : process_(process),
        address_(static_cast<char*>(
            VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {}
  ~RemoteBlock() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;

  bool Valid() const { return address_ != nullptr; }
  char* At(size_t offset) const { return address_ + offset; }
  bool Write(size_t offset, const void* data, size_t size) const {
    SIZE_T written = 0;
    return WriteProcessMemory(process_, At(offset), data, size, &written) && written == size;
  }
  bool Read(size_t offset, void* data, size_t size) const {
    SIZE_T read = 0;
    return ReadProcessMemory(process_, At(offset), data, size, &read) && read == size;
  }

 private:
  HANDLE process_;
  char* address_;
};

// A list view of another process in report view: its rows, columns, cells, selection and where
// its rows are.
class RemoteListView {
 public:
  RemoteListView(HWND list, UniqueProcess process)
      : list_(list), process_(std::move(process)), block_(process_.get(), kBlockSize) {}

  // Null, with the reason told, when the list view's process cannot be opened or given memory.
  static std::unique_ptr<RemoteListView> Open(HWND list) {
    UniqueProcess process(OpenProcess(
        PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
        FALSE, ProcessOf(list)));
    if (!process) {
      Complain(L"cannot open the process of the list view " + HandleText(list) + L" (error " +
               std::to_wstring(GetLastError()) + L")");
      return nullptr;
    }
    auto view = std::make_unique<RemoteListView>(list, std::move(process));
    if (!view->block_.Valid()) {
      Complain(L"cannot get memory in the process of the list view " + HandleText(list));
      return nullptr;
    }
    return view;
  }

  std::optional<int> Rows() const { return Count(list_, LVM_GETITEMCOUNT); }

  // The header knows the columns; a list view without one is asked column by column.
  std::optional<int> Columns() const {
    DWORD_PTR header = 0;
    if (SendAndWait(list_, LVM_GETHEADER, 0, 0, &header) && header != 0)
      return Count(reinterpret_cast<HWND>(header), HDM_GETITEMCOUNT);
    int columns = 0;
    for (;;) {
      LVCOLUMNW column = {};
      column.mask = LVCF_WIDTH;
      DWORD_PTR found = 0;
      if (!block_.Write(kColumnAt, &column, sizeof column) ||
          !SendAndWait(list_, LVM_GETCOLUMNW, columns, Remote(kColumnAt), &found))
        return std::nullopt;
      if (!found) return columns;
      ++columns;
    }
  }

  // The selected rows, in order.
  std::optional<std::vector<int>> Selected() const {
    std::vector<int> rows;
    DWORD_PTR next = static_cast<DWORD_PTR>(-1);
    for (;;) {
      if (!SendAndWait(list_, LVM_GETNEXTITEM, next, MAKELPARAM(LVNI_SELECTED, 0), &next))
        return std::nullopt;
      const int row = static_cast<int>(static_cast<INT_PTR>(next));
      // A list view answers -1 after the last one; a row twice would never end.
      if (row < 0 || (!rows.empty() && row <= rows.back())) return rows;
      rows.push_back(row);
    }
  }

  std::optional<std::wstring> Cell(int row, int column) const {
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(block_.At(kTextAt));
    item.cchTextMax = kTextLength;
    DWORD_PTR length = 0;
    if (!block_.Write(kItemAt, &item, sizeof item) ||
        !SendAndWait(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), Remote(kItemAt), &length))
      return std::nullopt;
    std::vector<wchar_t> text(kTextLength, L'\0');
    if (!block_.Read(kTextAt, text.data(), text.size() * sizeof(wchar_t))) return std::nullopt;
    return std::wstring(text.data(), std::min<size_t>(length, kTextLength - 1));
  }

  // The whole row's rectangle, in the list view's client coordinates.
  std::optional<RECT> RowBounds(int row) const {
    RECT bounds = {};
    bounds.left = LVIR_BOUNDS;
    DWORD_PTR done = 0;
    if (!block_.Write(kRectAt, &bounds, sizeof bounds) ||
        !SendAndWait(list_, LVM_GETITEMRECT, static_cast<WPARAM>(row), Remote(kRectAt), &done) ||
        !done || !block_.Read(kRectAt, &bounds, sizeof bounds))
      return std::nullopt;
    return bounds;
  }

 private:
  // The block holds one request of each kind and the text buffer.
  static constexpr size_t kItemAt = 0;
  static constexpr size_t kColumnAt = 256;
  static constexpr size_t kRectAt = 512;
  static constexpr size_t kTextAt = 768;
  static constexpr int kTextLength = 1024;
  static constexpr size_t kBlockSize = kTextAt + kTextLength * sizeof(wchar_t);
  static_assert(sizeof(LVITEMW) <= kColumnAt - kItemAt && sizeof(LVCOLUMNW) <= kRectAt - kColumnAt,
                "the requests overlap");

  LPARAM Remote(size_t offset) const { return reinterpret_cast<LPARAM>(block_.At(offset)); }

  static std::optional<int> Count(HWND window, UINT message) {
    DWORD_PTR count = 0;
    if (!SendAndWait(window, message, 0, 0, &count)) return std::nullopt;
    return static_cast<int>(static_cast<INT_PTR>(count));
  }

  HWND list_;
  UniqueProcess process_;
  RemoteBlock block_;  // after the process handle: freed while the handle is still open
};

// The list view a command acts on: the one chosen by CONTROL, or the window's first.
HWND RequireListView(const WindowQuery& query, const Options& options, bool* usage) {
  *usage = false;
  ControlQuery controlQuery;
  controlQuery.by = ControlQuery::By::Nth;
  controlQuery.className = WC_LISTVIEWW;
  controlQuery.nth = 1;
  if ((options.Has(L"--id") || options.Has(L"--button") || options.Has(L"--nth")) &&
      !ControlQueryFrom(options, &controlQuery)) {
    *usage = true;
    return nullptr;
  }
  HWND list = RequireControl(query, controlQuery);
  if (list != nullptr && !SameClass(list, WC_LISTVIEWW)) {
    Complain(L"control " + HandleText(list) + L" is a " + ClassOf(list) + L", not a list view");
    return nullptr;
  }
  return list;
}

// One line per row: the row number (from 0), "selected" or "unselected", then the cells,
// tab-separated and escaped as `texts` escapes.
int Grid(const WindowQuery& query, const Options& options) {
  bool usage = false;
  HWND list = RequireListView(query, options, &usage);
  if (list == nullptr) return usage ? kUsage : kNotFound;
  const auto view = RemoteListView::Open(list);
  if (!view) return kFailed;
  const auto rows = view->Rows();
  const auto columns = view->Columns();
  const auto selected = view->Selected();
  if (!rows || !columns || !selected) {
    Complain(L"the list view " + HandleText(list) + L" did not answer in time");
    return kFailed;
  }
  for (int row = 0; row < *rows; ++row) {
    const bool isSelected = std::find(selected->begin(), selected->end(), row) != selected->end();
    std::wstring line = std::to_wstring(row) + L"\t" + (isSelected ? L"selected" : L"unselected");
    for (int column = 0; column < *columns; ++column) {
      const auto cell = view->Cell(row, column);
      if (!cell) {
        Complain(L"cannot read row " + std::to_wstring(row) + L", column " +
                 std::to_wstring(column) + L" of the list view " + HandleText(list));
        return kFailed;
      }
      line += L"\t" + Escaped(*cell);
    }
    Print(line);
  }
  return kDone;
}

// A double-click on a row, as the mouse gives it: the button's double-click and release at the
// middle of the row's visible part. Posted, like a click: what the double-click starts in the
// program must not hold the robot.
int DoubleClickRow(const WindowQuery& query, const Options& options) {
  const std::wstring rowText = options.Get(L"--row");
  wchar_t* end = nullptr;
  const long row = wcstol(rowText.c_str(), &end, 10);
  if (rowText.empty() || *end != L'\0') {
    Complain(L"dblclick-row needs --row N, a row number from 0");
    return kUsage;
  }
  bool usage = false;
  HWND list = RequireListView(query, options, &usage);
  if (list == nullptr) return usage ? kUsage : kNotFound;
  if (!Reachable(list, options)) return kRefused;
  const auto view = RemoteListView::Open(list);
  if (!view) return kFailed;
  const auto rows = view->Rows();
  if (!rows) {
    Complain(L"the list view " + HandleText(list) + L" did not answer in time");
    return kFailed;
  }
  if (row < 0 || row >= *rows) {
    Complain(L"the list view " + HandleText(list) + L" has no row " + std::to_wstring(row));
    return kNotFound;
  }
  const auto bounds = view->RowBounds(static_cast<int>(row));
  RECT client = {};
  RECT visible = {};
  if (!bounds || !GetClientRect(list, &client) || !IntersectRect(&visible, &*bounds, &client)) {
    Complain(L"row " + std::to_wstring(row) + L" of the list view " + HandleText(list) +
             L" is not in view");
    return kRefused;
  }
  const LPARAM at =
      MAKELPARAM((visible.left + visible.right) / 2, (visible.top + visible.bottom) / 2);
  PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  Print(HandleText(list));
  return kDone;
}

// --box closes as the caption's close box does (the system command); otherwise a plain
// WM_CLOSE is posted.
int Close(const WindowQuery& query, const Options& options) {
  HWND window = RequireWindow(query);
  if (window == nullptr) return kNotFound;
  if (options.Flag(L"--box"))
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  else
    PostMessageW(window, WM_CLOSE, 0, 0);
  return kDone;
}

void Usage() {
  Complain(
      L"usage: robot COMMAND [options]\n"
      L"  (a window is chosen by --title, --class and/or --pid, the Windows process id)\n"
      L"  probe                                   prints robot-ok\n"
      L"  list                                    every top-level window\n"
      L"  wait-window --title T [--class C] [--timeout S] [--hidden]\n"
      L"  wait-gone   --title T [--class C] [--timeout S]\n"
      L"  exists      --title T [--class C] [--hidden]\n"
      L"  texts       --title T [--class C]      class, control id and text per line\n"
      L"  info        --title T [--class C]      handle, styles, rectangle, process\n"
      L"  controls    --title T [--class C]      class, id, visibility, rectangle, text\n"
      L"  state       --title T [--class C]      class, number, id, visibility, enabled, mark,\n"
      L"                                          progress position, text\n"
      L"  click       --title T CONTROL [--force] clicks a button, check box or radio button\n"
      L"  type        --title T CONTROL --text S [--force]\n"
      L"                                          types S over an edit box's text (LF = Enter)\n"
      L"  grid        --title T [CONTROL]        a list view's rows: number, selected or\n"
      L"                                          unselected, the cells (tab-separated)\n"
      L"  dblclick-row --title T --row N [CONTROL] [--force]\n"
      L"                                          double-clicks row N (from 0) of a list view\n"
      L"  close       --title T [--box]\n"
      L"  link        FILE                       a shell link's target and working folder\n"
      L"  hold        FILE                       keeps FILE open without sharing until killed\n"
      L"  CONTROL is --button TEXT, --id N or --nth CLASS:N (N-th of the class, from 1);\n"
      L"  for grid and dblclick-row the window's first list view when not given.\n"
      L"  A control the user cannot reach is refused; --force lets through one that is itself\n"
      L"  enabled and visible but inside a disabled window.\n"
      L"exit codes: 0 done, 1 failed, 2 bad usage, 10 not found, 11 refused (out of a user's\n"
      L"  reach)");
}

// ---- files ---------------------------------------------------------------------------------

// Says which step of reading a link failed, with the system's code, and gives kFailed.
int LinkFailure(const std::wstring& file, const wchar_t* step, HRESULT code) {
  Complain(L"cannot read the link " + file + L": " + step + L" failed (" +
           Hex(static_cast<uint32_t>(code)) + L")");
  return kFailed;
}

// Prints a shell link's target and working folder, tab-separated, as the shell reads them.
int Link(const std::wstring& file) {
  HRESULT code = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(code)) return LinkFailure(file, L"CoInitializeEx", code);
  int result = kFailed;
  // The target is read as the shell opens it: the link's item list. (Wine keeps the path copy
  // that GetPath reads in the ANSI code page, which loses Chinese outside a Chinese locale.)
  IShellLinkW* link = nullptr;
  IPersistFile* persist = nullptr;
  PIDLIST_ABSOLUTE item = nullptr;
  wchar_t target[MAX_PATH] = {};
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(code = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkW, reinterpret_cast<void**>(&link)))) {
    LinkFailure(file, L"CoCreateInstance", code);
  } else if (FAILED(code = link->QueryInterface(IID_IPersistFile,
                                                reinterpret_cast<void**>(&persist)))) {
    LinkFailure(file, L"QueryInterface", code);
  } else if (FAILED(code = persist->Load(file.c_str(), STGM_READ))) {
    LinkFailure(file, L"Load", code);
  } else if (FAILED(code = link->GetIDList(&item)) || !item) {
    LinkFailure(file, L"GetIDList", code);
  } else if (!SHGetPathFromIDListW(item, target)) {
    LinkFailure(file, L"SHGetPathFromIDList", E_FAIL);
  } else if (FAILED(code = link->GetWorkingDirectory(folder, MAX_PATH))) {
    LinkFailure(file, L"GetWorkingDirectory", code);
  } else {
    Print(Escaped(target) + L"\t" + Escaped(folder));
    result = kDone;
  }
  CoTaskMemFree(item);
  if (persist) persist->Release();
  if (link) link->Release();
  CoUninitialize();
  return result;
}

// Keeps a file open without sharing, as a running program keeps its executable, until killed.
int Hold(const std::wstring& file) {
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    Complain(L"cannot open " + file);
    return kFailed;
  }
  Print(L"holding");
  for (;;) Sleep(1000);
}

int Run(int argc, wchar_t** argv) {
  if (argc < 2) {
    Usage();
    return kUsage;
  }
  const std::wstring command = argv[1];
  if (command == L"probe") return Probe();
  if (command == L"list") return List();
  if (command == L"link" && argc == 3) return Link(argv[2]);
  if (command == L"hold" && argc == 3) return Hold(argv[2]);

  Options options;
  WindowQuery query;
  if (!ParseOptions(argc, argv, 2, &options) || !QueryFrom(options, &query)) return kUsage;
  if (command == L"wait-window") return WaitWindow(query, options);
  if (command == L"wait-gone") return WaitGone(query, options);
  if (command == L"exists") return Exists(query);
  if (command == L"texts") return Texts(query);
  if (command == L"info") return Info(query);
  if (command == L"controls") return Controls(query);
  if (command == L"state") return State(query);
  if (command == L"click") return Click(query, options);
  if (command == L"type") return Type(query, options);
  if (command == L"grid") return Grid(query, options);
  if (command == L"dblclick-row") return DoubleClickRow(query, options);
  if (command == L"close") return Close(query, options);
  Usage();
  return kUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv) { return Run(argc, argv); }
