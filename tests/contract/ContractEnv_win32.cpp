// The contract's machine in the Windows build: the system the test program runs on, with a
// fresh folder under the temporary folder and a fresh registry key for each test, removed with
// everything in them after. The folder's name has Chinese in it, so every contract meets a path
// beyond ASCII whatever the system's code page is.
#include <atomic>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "contract/ContractEnv.h"
#include "contract/Win32Support.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

namespace contract {

namespace {

using platform::win32::Narrow;
using platform::win32::Wide;

std::atomic<unsigned> nextScratch{0};

struct FindTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type value) noexcept { ::FindClose(value); }
};
using UniqueFind = platform::win32::UniqueResource<FindTraits>;

AnsiString TempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) throw std::runtime_error("GetTempPathW failed");
  AnsiString folder = Narrow(std::wstring_view(buffer, length));
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

// A folder name no other test or run uses.
AnsiString NewScratchFolder() {
  const AnsiString folder =
      TempFolder() + Format("korv-contract-测试-%lu-%llu-%u\\", ::GetCurrentProcessId(),
                            static_cast<unsigned long long>(::GetTickCount64()), nextScratch++);
  if (!::CreateDirectoryW(Wide(folder).c_str(), nullptr)) {
    throw std::runtime_error("cannot create the scratch folder " + Readable(folder));
  }
  return folder;
}

// The file name part of the running program's path.
AnsiString OwnFileName() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  const std::wstring_view path(buffer, length);
  const std::size_t slash = path.find_last_of(L"\\/");
  return Narrow(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

// The parent of the tests' registry keys, and the keys above it that a test may create.
constexpr wchar_t kRegistryParent[] = L"Software\\KorvContract";
const wchar_t* const kRegistryAncestors[] = {kRegistryParent, L"Software"};

std::atomic<unsigned> nextRegistryKey{0};

AnsiString NewRegistryKey() {
  return Format("Software\\KorvContract\\%lu-%llu-%u", ::GetCurrentProcessId(),
                static_cast<unsigned long long>(::GetTickCount64()), nextRegistryKey++);
}

bool KeyExists(HKEY root, const wchar_t* path) {
  platform::win32::UniqueHKey key;
  return ::RegOpenKeyExW(root, path, 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

// A test's keys below one root, and the keys above them that were not there before it.
class RegistryCleanUp {
 public:
  RegistryCleanUp(HKEY root, std::wstring key) : root_(root), key_(std::move(key)) {
    for (const wchar_t* ancestor : kRegistryAncestors) {
      if (!KeyExists(root_, ancestor)) newAncestors_.push_back(ancestor);
    }
  }
  ~RegistryCleanUp() {
    ::RegDeleteTreeW(root_, key_.c_str());
    ::RegDeleteKeyW(root_, key_.c_str());
    // Deepest first; a key that holds anything (another run's keys) stays.
    for (const wchar_t* ancestor : newAncestors_) ::RegDeleteKeyW(root_, ancestor);
  }
  RegistryCleanUp(const RegistryCleanUp&) = delete;
  RegistryCleanUp& operator=(const RegistryCleanUp&) = delete;

 private:
  HKEY root_;
  std::wstring key_;
  std::vector<const wchar_t*> newAncestors_;
};

}  // namespace

struct ContractEnv::Impl {
  AnsiString scratch = NewScratchFolder();
  std::wstring wideScratch = Wide(scratch);  // converted once, so removal cannot throw
  AnsiString programName = OwnFileName();
  AnsiString registryKey = NewRegistryKey();
  RegistryCleanUp userKeys{HKEY_CURRENT_USER, Wide(registryKey)};
  RegistryCleanUp classKeys{HKEY_CLASSES_ROOT, Wide(registryKey)};
};

ContractEnv::ContractEnv() : impl_(std::make_unique<Impl>()) {}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  const UniqueFind search(::FindFirstFileW((folder + L"*").c_str(), &entry));
  if (search) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(folder + name + L"\\");
      } else {
        ::SetFileAttributesW((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW((folder + name).c_str());
      }
    } while (::FindNextFileW(search.Get(), &entry));
  }
  ::RemoveDirectoryW(folder.c_str());
}

ContractEnv::~ContractEnv() { RemoveTree(impl_->wideScratch); }

const AnsiString& ContractEnv::Scratch() const { return impl_->scratch; }

const AnsiString& ContractEnv::ProgramName() const { return impl_->programName; }

const AnsiString& ContractEnv::RegistryKey() const { return impl_->registryKey; }

}  // namespace contract
