#pragma once
// ContractTest: the fixture of the platform contract tests. The same tests run in the host build
// against the simulated Windows and, built with MinGW into korv_contract.exe, against the real
// back end under Wine; so they speak only through the platform headers and this fixture. The
// build links one implementation of it: ContractEnv_sim.cpp (a fresh SimMachine per test) or
// ContractEnv_win32.cpp (a fresh folder under the system's temporary folder and a fresh registry
// key per test).
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/AnsiString.h"

namespace contract {

// The one string-named resource of a string type that the test program carries, in language
// 2052 as the payload is (contract.rc; the simulated machine is given the same).
inline constexpr char kNoteName[] = "CONTRACTNOTE";
inline constexpr char kNoteType[] = "CONTRACTTEXT";
inline constexpr char kNoteBytes[] = "Korvello contract resource";

// Text for a failure message: printable ASCII as it is, every other byte as \xNN, so CP936
// bytes read the same on every console.
inline std::string Readable(const AnsiString& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      shown += c;
    } else {
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 0xF];
    }
  }
  return shown;
}

// The machine of one test.
class ContractEnv {
 public:
  ContractEnv();
  ~ContractEnv();
  ContractEnv(const ContractEnv&) = delete;
  ContractEnv& operator=(const ContractEnv&) = delete;

  // An empty folder for the test's files, with its final backslash ("C:\scratch\"); it goes
  // with the environment.
  const AnsiString& Scratch() const;
  // The file name of the running test program, as the process list gives it.
  const AnsiString& ProgramName() const;
  // A registry key path no other test uses ("Software\KorvContract\<unique>"), for keys below
  // HKEY_CURRENT_USER and HKEY_CLASSES_ROOT; it goes, with everything below it, under both
  // roots with the environment.
  const AnsiString& RegistryKey() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

class ContractTest : public ::testing::Test {
 protected:
  // A path inside the scratch folder.
  AnsiString Scratch(const AnsiString& relative = {}) const { return env_.Scratch() + relative; }
  const AnsiString& ProgramName() const { return env_.ProgramName(); }
  // A key path inside the test's registry key.
  AnsiString RegistryKey(const AnsiString& relative = {}) const {
    return relative.empty() ? env_.RegistryKey() : env_.RegistryKey() + "\\" + relative;
  }

 private:
  ContractEnv env_;
};

}  // namespace contract
