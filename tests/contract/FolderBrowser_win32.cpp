// The system's folder browser, answered from a second thread the way a user would: the dialog
// shows the title, starts on the folder asked for when it exists, keeps the program's windows
// disabled and the critical-error boxes off while it is up, and gives the chosen folder back as
// the shell writes paths. (The simulated browser answers from the test's script instead.)
#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "contract/ContractEnv.h"
#include "platform/ComApartment.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

#include <commctrl.h>

namespace contract {
namespace {

using platform::win32::Wide;

constexpr auto kDialogWait = std::chrono::seconds(20);

// What the answering thread saw of the open dialog.
struct Seen {
  bool dialog = false;
  bool titleShown = false;
  bool programWindowDisabled = false;
  bool criticalErrorsOff = false;
  AnsiString selection;  // the tree's selected item when answered
};

struct DialogSearch {
  DWORD threadId;
  HWND found = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM search) noexcept {
  wchar_t name[16] = {};
  ::GetClassNameW(window, name, 16);
  if (std::wstring(name) == L"#32770" && ::IsWindowVisible(window)) {
    reinterpret_cast<DialogSearch*>(search)->found = window;
    return FALSE;
  }
  return TRUE;
}

struct TextSearch {
  const std::wstring* text;
  bool found = false;
};

BOOL CALLBACK FindTitleText(HWND window, LPARAM search) noexcept {
  auto* s = reinterpret_cast<TextSearch*>(search);
  wchar_t text[512] = {};
  ::GetWindowTextW(window, text, 512);
  if (*s->text == text) s->found = true;
  return !s->found;
}

BOOL CALLBACK FindTree(HWND window, LPARAM found) noexcept {
  wchar_t name[32] = {};
  ::GetClassNameW(window, name, 32);
  if (std::wstring(name) != WC_TREEVIEWW) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The text of the folder the dialog's tree has selected.
std::wstring SelectedItemText(HWND dialog) {
  HWND tree = nullptr;
  ::EnumChildWindows(dialog, &FindTree, reinterpret_cast<LPARAM>(&tree));
  if (!tree) return {};
  const auto item =
      reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!item) return {};
  wchar_t text[MAX_PATH] = {};
  TVITEMW query{};
  query.mask = TVIF_TEXT;
  query.hItem = item;
  query.pszText = text;
  query.cchTextMax = MAX_PATH;
  ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
  return text;
}

// Answers the next folder browser of thread with OK (or Cancel), noting what it saw first. It
// answers once the tree's selection names showing (or at once when that is empty), as a user
// answers what the dialog shows: the tree may still be settling on its first folder when the
// dialog appears.
class Answerer {
 public:
  Answerer(DWORD threadId, HWND programWindow, std::wstring title, std::wstring showing, bool ok)
      : worker_([this, threadId, programWindow, title, showing, ok] {
          Answer(threadId, programWindow, title, showing, ok);
        }) {}
  ~Answerer() {
    if (worker_.joinable()) worker_.join();
  }
  Answerer(const Answerer&) = delete;
  Answerer& operator=(const Answerer&) = delete;

  Seen Result() {
    worker_.join();
    return seen_;
  }

 private:
  void Answer(DWORD threadId, HWND programWindow, const std::wstring& title,
              const std::wstring& showing, bool ok) {
    const auto deadline = std::chrono::steady_clock::now() + kDialogWait;
    DialogSearch search{threadId};
    while (!search.found && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      ::EnumThreadWindows(threadId, &FindDialog, reinterpret_cast<LPARAM>(&search));
    }
    if (!search.found) return;
    while (!showing.empty() && SelectedItemText(search.found).find(showing) == std::wstring::npos &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    seen_.dialog = true;
    seen_.selection = platform::win32::Narrow(SelectedItemText(search.found));
    TextSearch text{&title};
    ::EnumChildWindows(search.found, &FindTitleText, reinterpret_cast<LPARAM>(&text));
    seen_.titleShown = text.found;
    seen_.programWindowDisabled = !::IsWindowEnabled(programWindow);
    seen_.criticalErrorsOff = (::GetErrorMode() & SEM_FAILCRITICALERRORS) != 0;
    ::PostMessageW(search.found, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
  }

  Seen seen_;
  std::thread worker_;
};

class FolderBrowser : public ContractTest {
 protected:
  void SetUp() override {
    previousErrorMode_ = ::SetErrorMode(0);
    programWindow_.Reset(::CreateWindowExW(0, L"STATIC", L"Korvello",
                                           WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                           nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(programWindow_);
  }
  void TearDown() override { ::SetErrorMode(previousErrorMode_); }

  // Opens the browser on initialFolder and answers it once its selection names showing; the
  // folder it gave back.
  std::optional<AnsiString> Browse(const AnsiString& initialFolder, const AnsiString& showing,
                                   bool ok, Seen& seen) {
    const AnsiString title = "选择安装路径";
    Answerer answerer(::GetCurrentThreadId(), programWindow_.Get(), Wide(title), Wide(showing), ok);
    const std::optional<AnsiString> chosen =
        platform::BrowseForFolder(nullptr, title, initialFolder);
    seen = answerer.Result();
    return chosen;
  }

  platform::ComApartment com_;
  platform::win32::UniqueHwnd programWindow_;
  UINT previousErrorMode_ = 0;
};

TEST_F(FolderBrowser, OkGivesTheFolderItStartedOnWithoutAFinalBackslash) {
  const AnsiString folder = Scratch("Korvello 软件");
  ASSERT_TRUE(platform::CreateDirectory(folder));
  Seen seen;
  const std::optional<AnsiString> chosen = Browse(folder + "\\", "Korvello 软件", true, seen);
  ASSERT_TRUE(seen.dialog) << "no folder browser appeared";
  EXPECT_TRUE(seen.titleShown);
  EXPECT_TRUE(seen.programWindowDisabled) << "the program's windows stay disabled while it is up";
  EXPECT_TRUE(seen.criticalErrorsOff);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(Readable(*chosen), Readable(folder)) << "selected: " << Readable(seen.selection);
  EXPECT_TRUE(::IsWindowEnabled(programWindow_.Get()));
  EXPECT_EQ(::GetErrorMode() & SEM_FAILCRITICALERRORS, 0u) << "the error mode is restored";
}

TEST_F(FolderBrowser, ADriveRootKeepsItsBackslash) {
  const AnsiString root = Scratch().substr(0, 3);
  Seen seen;
  const std::optional<AnsiString> chosen = Browse(root, root.substr(0, 2), true, seen);
  ASSERT_TRUE(seen.dialog) << "no folder browser appeared";
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(Readable(*chosen), Readable(root));
}

TEST_F(FolderBrowser, CancelGivesNothingAndGivesTheWindowsBack) {
  Seen seen;
  const std::optional<AnsiString> chosen = Browse(Scratch("missing\\"), "", false, seen);
  ASSERT_TRUE(seen.dialog) << "no folder browser appeared";
  EXPECT_TRUE(seen.programWindowDisabled);
  EXPECT_FALSE(chosen.has_value()) << Readable(chosen.value_or(""));
  EXPECT_TRUE(::IsWindowEnabled(programWindow_.Get()));
}

}  // namespace
}  // namespace contract
