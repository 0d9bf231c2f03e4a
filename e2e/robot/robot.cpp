// The end-to-end robot: a small console program that runs inside the same Wine prefix as the
// setup program and acts on its windows from outside, as a user (or a screen reader) would.
// It finds top-level windows by title and class, reads their and their controls' texts, clicks
// buttons and closes windows. Arguments arrive as wide strings (Wine converts the UTF-8 command
// line); everything printed is UTF-8.
//
// Exit codes: 0 done, 1 window or control not found (or timeout), 2 bad usage.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kDone = 0;
constexpr int kNotFound = 1;
constexpr int kUsage = 2;
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

bool IsFlagOption(const std::wstring& name) { return name == L"--hidden" || name == L"--box"; }

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
    return kNotFound;
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

HWND FindButton(HWND window, const Options& options) {
  const bool byId = options.Has(L"--id");
  const int id = byId ? _wtoi(options.Get(L"--id").c_str()) : 0;
  const std::wstring caption = options.Get(L"--button");
  for (HWND child : ChildWindows(window)) {
    if (byId ? GetDlgCtrlID(child) == id
             : (TextOf(child) == caption ||
                WithoutMnemonics(TextOf(child)) == WithoutMnemonics(caption)))
      return child;
  }
  return nullptr;
}

// The click is posted, not sent: a click that opens a modal box in the target must not hold
// the robot until somebody answers that box.
int Click(const WindowQuery& query, const Options& options) {
  if (!options.Has(L"--id") && !options.Has(L"--button")) {
    Complain(L"click needs --id or --button");
    return kUsage;
  }
  HWND window = RequireWindow(query);
  if (window == nullptr) return kNotFound;
  HWND button = FindButton(window, options);
  if (button == nullptr) {
    Complain(L"no control " +
             (options.Has(L"--id") ? L"with id " + options.Get(L"--id")
                                   : L"\"" + options.Get(L"--button") + L"\"") +
             L" in window with " + Describe(query));
    return kNotFound;
  }
  if (!IsWindowEnabled(button) || !IsWindowVisible(button)) {
    Complain(L"control " + HandleText(button) + L" is disabled or hidden");
    return kNotFound;
  }
  PostMessageW(button, BM_CLICK, 0, 0);
  Print(HandleText(button));
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
      L"  click       --title T (--button TEXT | --id N)\n"
      L"  close       --title T [--box]");
}

int Run(int argc, wchar_t** argv) {
  if (argc < 2) {
    Usage();
    return kUsage;
  }
  const std::wstring command = argv[1];
  if (command == L"probe") return Probe();
  if (command == L"list") return List();

  Options options;
  WindowQuery query;
  if (!ParseOptions(argc, argv, 2, &options) || !QueryFrom(options, &query)) return kUsage;
  if (command == L"wait-window") return WaitWindow(query, options);
  if (command == L"wait-gone") return WaitGone(query, options);
  if (command == L"exists") return Exists(query);
  if (command == L"texts") return Texts(query);
  if (command == L"info") return Info(query);
  if (command == L"controls") return Controls(query);
  if (command == L"click") return Click(query, options);
  if (command == L"close") return Close(query, options);
  Usage();
  return kUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv) { return Run(argc, argv); }
