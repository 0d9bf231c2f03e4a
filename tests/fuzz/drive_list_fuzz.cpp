// The wizard's drive-list walk over every set of drive letters. The walk has no parser of its
// own: it is a member of the wizard reading the buffer the system's drive-strings call fills, so
// the input chooses the drives of a simulated machine (the shapes that buffer can take) and the
// walk must give exactly those roots, in order, whatever the set (none, all 26 filling the
// 105-byte buffer to its last byte, gaps anywhere).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "FuzzCheck.h"
#include "platform/gui/Application.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/gui/HeadlessBackend.h"
#include "wizard/Unit_Schedule.h"

namespace {

constexpr int kLetters = 26;

// One machine, toolkit and wizard for the whole run: only the mapped drives change per input.
class WizardOnMachine {
 public:
  WizardOnMachine()
      : machine_(std::make_unique<sim::SimMachine>(folder_.Path())),
        application_(std::make_unique<gui::Application>(std::make_unique<sim::HeadlessBackend>())),
        wizard_(std::make_unique<TFormSchedule>(nullptr, "FormSchedule")) {}

  std::vector<AnsiString> DriveListWith(std::uint32_t letters) {
    for (int i = 0; i < kLetters; ++i) {
      const char letter = static_cast<char>('A' + i);
      if (letters & (std::uint32_t{1} << i)) {
        machine_->Files().MapDrive(letter, folder_.Path() / std::string(1, letter));
      } else {
        machine_->Files().UnmapDrive(letter);
      }
    }
    std::vector<AnsiString> list{"left over"};
    wizard_->GetDriveList(list);
    return list;
  }

 private:
  sim::TempFolder folder_;
  std::unique_ptr<sim::SimMachine> machine_;
  std::unique_ptr<gui::Application> application_;
  std::unique_ptr<TFormSchedule> wizard_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static WizardOnMachine setup;
  std::uint32_t letters = 0;
  for (std::size_t i = 0; i < size && i < 4; ++i) letters |= std::uint32_t{data[i]} << (8 * i);
  letters &= (std::uint32_t{1} << kLetters) - 1;

  std::vector<AnsiString> expected;
  for (int i = 0; i < kLetters; ++i) {
    if (letters & (std::uint32_t{1} << i)) expected.push_back(AnsiString(1, 'A' + i) + ":\\");
  }
  fuzz::Require(setup.DriveListWith(letters) == expected,
                "the walk lists exactly the mapped drives' roots, in order");
  return 0;
}
