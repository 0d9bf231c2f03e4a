// The clean-up guard: its action runs once when the scope ends, also by an exception, and not at
// all once dismissed; a moved guard hands the action over.
#include <stdexcept>

#include <gtest/gtest.h>

#include "platform/ScopeExit.h"

namespace {

TEST(ScopeExitTest, RunsOnceWhenTheScopeEndsNormallyOrByAnException) {
  int runs = 0;
  {
    const auto guard = platform::MakeScopeExit([&] { ++runs; });
    EXPECT_EQ(runs, 0) << "not before the scope ends";
  }
  EXPECT_EQ(runs, 1);

  try {
    const auto guard = platform::MakeScopeExit([&] { ++runs; });
    throw std::runtime_error("leaving early");
  } catch (const std::runtime_error&) {
    EXPECT_EQ(runs, 2) << "ran while the exception left the scope";
  }
  EXPECT_EQ(runs, 2);
}

TEST(ScopeExitTest, ADismissedGuardDoesNothing) {
  int runs = 0;
  {
    auto guard = platform::MakeScopeExit([&] { ++runs; });
    guard.Dismiss();
  }
  EXPECT_EQ(runs, 0);
}

TEST(ScopeExitTest, AMovedGuardRunsTheActionOnceWhereItWentTo) {
  int runs = 0;
  {
    auto first = platform::MakeScopeExit([&] { ++runs; });
    { auto second = std::move(first); }
    EXPECT_EQ(runs, 1) << "ran when the guard it was moved to went";
  }
  EXPECT_EQ(runs, 1) << "the moved-from guard does not run it again";
}

}  // namespace
