// The whole program on its own application object: COM is open on the user-interface thread
// before the first window is made and until the last one is gone.
#include <memory>
#include <string>

#include "SetupFixture.h"
#include "platform/SystemThread.h"

namespace {

// Whether COM was open on the user-interface thread at the moments the back end notes.
struct ComSeen {
  bool titleSet = false;
  bool whenTitleSet = false;
  bool whenBackendGone = false;
};

// The headless back end of the program's own application object. It notes whether COM is open
// on the user-interface thread when the program first speaks to it (the title, set before any
// window is made) and when it goes (after every window), and reports its script's problems then.
class ComWatchingBackend : public sim::HeadlessBackend {
 public:
  ComWatchingBackend(sim::SimMachine& machine, std::uint32_t uiThread, ComSeen& seen)
      : machine_(machine), uiThread_(uiThread), seen_(seen) {
    User().SetFailureListener([](const std::string& message) { ADD_FAILURE() << message; });
  }
  ~ComWatchingBackend() override {
    seen_.whenBackendGone = machine_.Threads().ComInitialized(uiThread_);
    for (const std::string& problem : User().Problems()) ADD_FAILURE() << problem;
    User().EndScript();
  }

  void ApplicationTitleChanged(const AnsiString& title) override {
    if (!seen_.titleSet) seen_.whenTitleSet = machine_.Threads().ComInitialized(uiThread_);
    seen_.titleSet = true;
    sim::HeadlessBackend::ApplicationTitleChanged(title);
  }

 private:
  sim::SimMachine& machine_;
  std::uint32_t uiThread_;
  ComSeen& seen_;
};

class ProgramComTest : public SetupFixture {};

TEST_F(ProgramComTest, ComIsOpenOnTheUserInterfaceThreadForTheWholeLifeOfTheWindows) {
  // The program makes its own application object; the fixture's must go first.
  DestroyApplication();
  const std::uint32_t ui = platform::CurrentThreadId();
  ComSeen seen;
  auto backend = std::make_unique<ComWatchingBackend>(Machine(), ui, seen);
  bool comWhileWizardShown = false;
  backend->User()
      .WaitUntil([] { return FormSchedule && FormSchedule->IsModal() && FormSchedule->Visible(); },
                 "the wizard is on screen")
      .Step([&] { comWhileWizardShown = Machine().Threads().ComInitialized(ui); },
            "wizard on screen")
      .CloseBox("")
      .ExpectMessageBox(sim::Owner::Ref(FormSchedule, "FormSchedule"), kExitTitle, kExitQuestion,
                        0x1, gui::idOk);
  EXPECT_FALSE(Machine().Threads().ComInitialized(ui));

  EXPECT_EQ(RunProgram(std::move(backend)), 0);

  ASSERT_TRUE(seen.titleSet);
  EXPECT_TRUE(seen.whenTitleSet) << "open before the first window";
  EXPECT_TRUE(comWhileWizardShown);
  EXPECT_TRUE(seen.whenBackendGone) << "open until every window is gone";
  EXPECT_FALSE(Machine().Threads().ComInitialized(ui)) << "closed when the program ends";
  EXPECT_EQ(Formain, nullptr);
  EXPECT_EQ(FormSchedule, nullptr);
}

}  // namespace
