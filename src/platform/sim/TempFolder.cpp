#include "platform/sim/TempFolder.h"

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace sim {

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "korv-sim-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

}  // namespace sim
