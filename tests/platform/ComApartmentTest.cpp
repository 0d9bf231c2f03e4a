// COM apartments on the simulated machine: open for the thread that made one, for as long as it
// lives; nested openings count; a refused initialisation opens and closes nothing.
#include <cstdint>
#include <memory>
#include <thread>

#include "platform/ComApartment.h"
#include "platform/SystemThread.h"
#include "support/SimTest.h"

namespace {

class ComApartmentTest : public SimTest {
 protected:
  // Runs body on a fresh thread of its own and waits for it; returns that thread's id.
  template <class Body>
  static std::uint32_t OnOtherThread(Body body) {
    std::uint32_t id = 0;
    std::thread other([&] {
      id = platform::CurrentThreadId();
      body(id);
    });
    other.join();
    return id;
  }

  std::uint32_t ui = platform::CurrentThreadId();
};

TEST_F(ComApartmentTest, IsOpenForTheCreatingThreadOnlyUntilItGoes) {
  EXPECT_FALSE(Machine().Threads().ComInitialized(ui));
  {
    const platform::ComApartment com;
    EXPECT_TRUE(com.Initialized());
    EXPECT_EQ(com.ThreadId(), ui);
    EXPECT_TRUE(Machine().Threads().ComInitialized(ui));
    OnOtherThread([&](std::uint32_t self) {
      EXPECT_NE(self, ui);
      EXPECT_FALSE(Machine().Threads().ComInitialized(self))
          << "another thread has no COM of its own";
    });
  }
  EXPECT_FALSE(Machine().Threads().ComInitialized(ui));
}

TEST_F(ComApartmentTest, AnApartmentOfAnotherThreadLeavesThisThreadWithout) {
  bool openThere = false;
  bool openHereMeanwhile = true;
  const std::uint32_t other = OnOtherThread([&](std::uint32_t self) {
    const platform::ComApartment com;
    openThere =
        com.Initialized() && com.ThreadId() == self && Machine().Threads().ComInitialized(self);
    openHereMeanwhile = Machine().Threads().ComInitialized(ui);
  });
  EXPECT_TRUE(openThere);
  EXPECT_FALSE(openHereMeanwhile);
  EXPECT_FALSE(Machine().Threads().ComInitialized(other)) << "closed when the apartment went";
}

TEST_F(ComApartmentTest, NestedApartmentsKeepCOMUntilTheOutermostGoes) {
  auto outer = std::make_unique<platform::ComApartment>();
  {
    const platform::ComApartment inner;
    EXPECT_TRUE(inner.Initialized());
  }
  EXPECT_TRUE(Machine().Threads().ComInitialized(ui));
  outer.reset();
  EXPECT_FALSE(Machine().Threads().ComInitialized(ui));
}

TEST_F(ComApartmentTest, ARefusedInitialisationOpensNothingAndClosesNothing) {
  Machine().Threads().SetComRefused(true);
  {
    const platform::ComApartment refused;
    EXPECT_FALSE(refused.Initialized());
    EXPECT_FALSE(Machine().Threads().ComInitialized(ui));
  }

  Machine().Threads().SetComRefused(false);
  const platform::ComApartment open;
  Machine().Threads().SetComRefused(true);
  {
    const platform::ComApartment refused;
    EXPECT_FALSE(refused.Initialized());
  }
  EXPECT_TRUE(Machine().Threads().ComInitialized(ui))
      << "a refused apartment must not close another";
}

}  // namespace
