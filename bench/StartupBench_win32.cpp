// The start-up benchmark under Windows: starts programs in turn, in rounds, and measures how long
// each takes from being started to showing its window (a visible top-level window of the started
// process with the given class and title), polling every millisecond. A round that comes first
// warms the system up and is printed apart. Every program is ended after its window shows.
//   startup_bench.exe <rounds> <program> <class> <title> [<program> <class> <title>]...
// Prints one line per measurement, "warmup|sample <program index> <milliseconds>", and stops at
// a program whose window does not show with "failed <program index> <why>".
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr double kGiveUpSeconds = 60.0;
constexpr DWORD kSettleMilliseconds = 300;

struct Program {
  std::wstring path;
  std::wstring windowClass;
  std::wstring title;
};

struct WindowQuery {
  DWORD processId;
  const Program* program;
  bool found;
};

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

double SecondsSince(const LARGE_INTEGER& from) {
  LARGE_INTEGER now;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

std::wstring WindowText(HWND window) {
  wchar_t buffer[512] = {};
  GetWindowTextW(window, buffer, 512);
  return buffer;
}

std::wstring ClassOf(HWND window) {
  wchar_t buffer[256] = {};
  GetClassNameW(window, buffer, 256);
  return buffer;
}

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto* query = reinterpret_cast<WindowQuery*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != query->processId || !IsWindowVisible(window)) return TRUE;
  if (ClassOf(window) != query->program->windowClass) return TRUE;
  if (WindowText(window) != query->program->title) return TRUE;
  query->found = true;
  return FALSE;
}

bool WindowShows(DWORD processId, const Program& program) {
  WindowQuery query{processId, &program, false};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

std::string SystemMessage(DWORD error) {
  char buffer[512] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                 buffer, sizeof buffer, nullptr);
  std::string text = buffer;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

// How one start went: the milliseconds to the window, or why it never showed.
struct Start {
  std::optional<double> milliseconds;
  std::string failure;
};

Start TimeToWindow(const Program& program) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::wstring commandLine = L"\"" + program.path + L"\"";
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(program.path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    const DWORD error = GetLastError();
    return {std::nullopt,
            "could not start: " + SystemMessage(error) + " (error " + std::to_string(error) + ")"};
  }
  const UniqueHandle processHandle(process.hProcess);
  const UniqueHandle threadHandle(process.hThread);
  Start result{std::nullopt, "showed no window within " +
                                 std::to_string(static_cast<int>(kGiveUpSeconds)) + " s"};
  while (SecondsSince(start) < kGiveUpSeconds) {
    if (WindowShows(process.dwProcessId, program)) {
      result.milliseconds = SecondsSince(start) * 1000.0;
      break;
    }
    if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) {
      DWORD exitCode = 0;
      GetExitCodeProcess(process.hProcess, &exitCode);
      result.failure =
          "ended with exit code " + std::to_string(exitCode) + " before showing its window";
      break;
    }
  }
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, INFINITE);
  Sleep(kSettleMilliseconds);
  return result;
}

}  // namespace

int main() {
  int argc = 0;
  std::unique_ptr<LPWSTR, decltype(&LocalFree)> argv(CommandLineToArgvW(GetCommandLineW(), &argc),
                                                     &LocalFree);
  if (!argv || argc < 5 || (argc - 2) % 3 != 0) {
    std::fprintf(stderr, "usage: startup_bench <rounds> <program> <class> <title>...\n");
    return 2;
  }
  const int rounds = _wtoi(argv.get()[1]);
  std::vector<Program> programs;
  for (int at = 2; at + 2 < argc; at += 3) {
    programs.push_back({argv.get()[at], argv.get()[at + 1], argv.get()[at + 2]});
  }
  for (int round = 0; round <= rounds; ++round) {
    for (std::size_t index = 0; index < programs.size(); ++index) {
      const Start start = TimeToWindow(programs[index]);
      if (!start.milliseconds) {
        std::printf("failed %u %s\n", static_cast<unsigned>(index), start.failure.c_str());
        return 1;
      }
      std::printf("%s %u %.3f\n", round == 0 ? "warmup" : "sample", static_cast<unsigned>(index),
                  *start.milliseconds);
      std::fflush(stdout);
    }
  }
  return 0;
}
