#pragma once
// The running program as the simulated machine started it: its command line and the payload
// resources of its module.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/AnsiString.h"

namespace sim {

class SimModule {
 public:
  // The program's command line ("setup.exe" unless a test gives another).
  void SetCommandLine(const AnsiString& line);
  AnsiString CommandLine() const;

  void AddResource(const AnsiString& name, const AnsiString& type, std::string bytes);
  // Pointer stays valid for the life of the machine; null when absent (case-insensitive).
  const std::string* FindResource(const AnsiString& name, const AnsiString& type) const;

 private:
  struct Resource {
    AnsiString name;
    AnsiString type;
    std::unique_ptr<std::string> bytes;
  };

  mutable std::mutex mutex_;
  AnsiString commandLine_ = "\"C:\\Downloads\\setup.exe\"";
  std::vector<Resource> resources_;
};

}  // namespace sim
