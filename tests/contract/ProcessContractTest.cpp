// The process contract: the named mutex that guards against a second setup, and the process
// list that finds a running product.
#include <algorithm>
#include <optional>

#include "contract/ContractEnv.h"
#include "platform/Process.h"

namespace contract {
namespace {

using ProcessContract = ContractTest;

constexpr char kMutexName[] = "Korvello.Contract.SingleInstance";

TEST_F(ProcessContract, ASecondHandleOnTheMutexFindsTheNameTakenUntilAllAreClosed) {
  {
    platform::NamedMutex first = platform::NamedMutex::Create(kMutexName);
    EXPECT_EQ(first.CreationError(), 0u);
    {
      platform::NamedMutex second = platform::NamedMutex::Create(kMutexName);
      EXPECT_EQ(second.CreationError(), platform::kErrorAlreadyExists);
      second.Release();  // not the owner: ignored
    }
    platform::NamedMutex third = platform::NamedMutex::Create(kMutexName);
    EXPECT_EQ(third.CreationError(), platform::kErrorAlreadyExists)
        << "the first handle still holds the name";
    first.Release();
    platform::NamedMutex fourth = platform::NamedMutex::Create(kMutexName);
    EXPECT_EQ(fourth.CreationError(), platform::kErrorAlreadyExists)
        << "releasing does not free the name; closing does";
  }
  platform::NamedMutex again = platform::NamedMutex::Create(kMutexName);
  EXPECT_EQ(again.CreationError(), 0u) << "every handle was closed";
}

TEST_F(ProcessContract, MutexNamesAreCaseSensitive) {
  platform::NamedMutex lower = platform::NamedMutex::Create("korvello.contract.case");
  platform::NamedMutex upper = platform::NamedMutex::Create("KORVELLO.CONTRACT.CASE");
  EXPECT_EQ(lower.CreationError(), 0u);
  EXPECT_EQ(upper.CreationError(), 0u);
}

TEST_F(ProcessContract, TheProcessListNamesTheRunningProgram) {
  const std::optional<std::vector<AnsiString>> names = platform::SnapshotProcessNames();
  ASSERT_TRUE(names.has_value());
  EXPECT_NE(std::find(names->begin(), names->end(), ProgramName()), names->end())
      << ProgramName() << " is not among the " << names->size() << " process names";
}

}  // namespace
}  // namespace contract
