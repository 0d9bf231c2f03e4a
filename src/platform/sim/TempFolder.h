#pragma once
// A fresh, empty host folder for one simulated machine, removed with everything in it when the
// object goes.
#include <filesystem>

namespace sim {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace sim
