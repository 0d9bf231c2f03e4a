#include "main/Program.h"

#include "host/Unit_main.h"
#include "platform/ComApartment.h"
#include "platform/Process.h"
#include "platform/gui/Application.h"
#include "wizard/Unit_Schedule.h"

namespace {
constexpr const char* kSingleInstanceMutexName = "KOrvlSetup_27805";
constexpr const char* kAlreadyRunningText = "安装程序已经运行";
constexpr const char* kAlreadyRunningTitle = "运行提示";
}  // namespace

int RunSetup(gui::Application& application, std::optional<platform::NamedMutex>& guard) {
  guard.emplace(platform::NamedMutex::Create(kSingleInstanceMutexName));
  if (guard->CreationError() == platform::kErrorAlreadyExists) {
    // This process was not granted ownership; the first setup keeps its guard.
    guard->Release();
    application.MessageBox(kAlreadyRunningText, kAlreadyRunningTitle,
                           gui::mb::kOk | gui::mb::kIconInformation);
    return 0;
  }
  application.SetTitle(SetupTitle);
  application.CreateForm(Formain);
  application.CreateForm(FormSchedule);
  application.Run();
  return 0;
}

int RunProgram(std::unique_ptr<gui::Backend> backend) {
  // The guard outlives every window: it is released only as the process ends.
  std::optional<platform::NamedMutex> guard;
  // COM for the user-interface thread, open before the application object exists and until it
  // and every window are gone: the installation makes its shell links on this thread.
  const platform::ComApartment com;
  gui::Application application(std::move(backend));
  return RunSetup(application, guard);
}
