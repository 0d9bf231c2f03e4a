#include "support/SimTest.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/sim/gui/ScriptFailure.h"

namespace {
// How long the end of a test waits for worker threads that are still running.
constexpr std::chrono::seconds kThreadEndWait{10};
}  // namespace

SimTest::SimTest()
    : machine_(std::make_unique<sim::SimMachine>(folder_.Path())),
      application_(std::make_unique<gui::Application>(std::make_unique<sim::HeadlessBackend>())) {
  ReportFailuresToTest();
}

SimTest::~SimTest() {
  application_.reset();
  machine_.reset();
}

void SimTest::ReportFailuresToTest() {
  User().SetFailureListener([](const std::string& message) { ADD_FAILURE() << message; });
}

void SimTest::TearDown() {
  if (application_) {
    for (const std::string& problem : User().Problems()) ADD_FAILURE() << problem;
    User().EndScript();
    DestroyApplication();
  }
  const auto deadline = std::chrono::steady_clock::now() + kThreadEndWait;
  while (machine_->Threads().RunningCount() > 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (machine_->Threads().RunningCount() > 0) {
    ADD_FAILURE() << machine_->Threads().RunningCount()
                  << " worker thread(s) still running at the end of the test";
  }
}

void SimTest::DestroyApplication() {
  try {
    application_.reset();
  } catch (const sim::ScriptFailure& failure) {
    ADD_FAILURE() << "while ending the application: " << failure.Message();
  } catch (const std::exception& error) {
    ADD_FAILURE() << "while ending the application: " << error.what();
  }
  application_.reset();
}

std::filesystem::path SimTest::HostPath(const AnsiString& windowsPath) const {
  return machine_->Files().HostPath(windowsPath);
}

bool SimTest::Exists(const AnsiString& windowsPath) const {
  std::error_code error;
  const auto host = HostPath(windowsPath);
  return !host.empty() && std::filesystem::exists(host, error);
}

void SimTest::WriteFile(const AnsiString& windowsPath, const std::string& bytes) {
  const auto host = HostPath(windowsPath);
  std::filesystem::create_directories(host.parent_path());
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.flush()) << "cannot write " << host;
}

std::string SimTest::ReadFile(const AnsiString& windowsPath) const {
  std::ifstream in(HostPath(windowsPath), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string SimTest::ScriptFailureOf(const std::function<void()>& body) {
  User().SetFailureListener(nullptr);
  std::string message;
  try {
    body();
  } catch (const sim::ScriptFailure& failure) {
    message = failure.Message();
  }
  User().TakeFailures();
  ReportFailuresToTest();
  return message;
}
