// The sample Korvello program: the product's main executable that the setup installs as KORV.exe.
// Its main window (class "TKorv30", title "Korvello") is what the setup looks for when it offers
// to close a running copy, and it shows the [Option] Reset value of the "Options.ini" beside the
// executable so that a check from outside can see the value the setup wrote before starting it.
#include <windows.h>

#include <string>

namespace {

constexpr char kWindowClass[] = "TKorv30";
constexpr char kWindowTitle[] = "Korvello";
constexpr int kResetLabelId = 101;

// Folder of this executable with its trailing backslash, in UTF-16 so that a folder with a
// Chinese name is found on any system.
std::wstring OwnFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  const std::wstring whole(path, length);
  return whole.substr(0, whole.find_last_of(L"\\:") + 1);
}

// The value is plain ASCII ("88"), so its UTF-16 letters narrow one to one.
std::string ReadResetOption() {
  const std::wstring iniPath = OwnFolder() + L"Options.ini";
  wchar_t value[256] = {};
  GetPrivateProfileStringW(L"Option", L"Reset", L"", value, 256, iniPath.c_str());
  std::string narrow;
  for (const wchar_t* c = value; *c; ++c) narrow += *c < 0x80 ? static_cast<char>(*c) : '?';
  return narrow;
}

void CreateLabel(HWND parent, const std::string& text, int top, int id) {
  HWND label = CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, 16, top,
                               360, 20, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(nullptr), nullptr);
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateLabel(window, "Korvello 示例程序 v2.8.3.8", 16, 100);
      CreateLabel(window, "Reset=" + ReadResetOption(), 44, kResetLabelId);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassA(&windowClass)) return 1;

  HWND window = CreateWindowExA(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 420, 140, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  ShowWindow(window, showCommand);
  UpdateWindow(window);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
