// The contract's machine in the Windows build: the system the test program runs on, with a
// fresh folder under the temporary folder for each test, removed with everything in it after.
#include <atomic>
#include <stdexcept>

#include "contract/ContractEnv.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

namespace contract {

namespace {

std::atomic<unsigned> nextScratch{0};

struct FindTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type value) noexcept { ::FindClose(value); }
};
using UniqueFind = platform::win32::UniqueResource<FindTraits>;

AnsiString TempFolder() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathA(sizeof(buffer), buffer);
  if (length == 0 || length > MAX_PATH) throw std::runtime_error("GetTempPathA failed");
  AnsiString folder(buffer, length);
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

// A folder name no other test or run uses.
AnsiString NewScratchFolder() {
  const AnsiString folder =
      TempFolder() + Format("korv-contract-%lu-%llu-%u\\", ::GetCurrentProcessId(),
                            static_cast<unsigned long long>(::GetTickCount64()), nextScratch++);
  if (!::CreateDirectoryA(folder.c_str(), nullptr)) {
    throw std::runtime_error("cannot create the scratch folder " + folder);
  }
  return folder;
}

// Deletes folder (ending in a backslash) and everything in it; what cannot go stays.
void RemoveTree(const AnsiString& folder) {
  WIN32_FIND_DATAA entry;
  const UniqueFind search(::FindFirstFileA((folder + "*").c_str(), &entry));
  if (search) {
    do {
      const AnsiString name = entry.cFileName;
      if (name == "." || name == "..") continue;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(folder + name + "\\");
      } else {
        ::SetFileAttributesA((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA((folder + name).c_str());
      }
    } while (::FindNextFileA(search.Get(), &entry));
  }
  ::RemoveDirectoryA(folder.c_str());
}

// The file name part of the running program's path.
AnsiString OwnFileName() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  const AnsiString path(buffer, length);
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsLeadByte(path[i])) {
      ++i;
    } else if (path[i] == '\\' || path[i] == '/') {
      start = i + 1;
    }
  }
  return path.substr(start);
}

}  // namespace

struct ContractEnv::Impl {
  AnsiString scratch = NewScratchFolder();
  AnsiString programName = OwnFileName();
};

ContractEnv::ContractEnv() : impl_(std::make_unique<Impl>()) {}

ContractEnv::~ContractEnv() { RemoveTree(impl_->scratch); }

const AnsiString& ContractEnv::Scratch() const { return impl_->scratch; }

const AnsiString& ContractEnv::ProgramName() const { return impl_->programName; }

}  // namespace contract
