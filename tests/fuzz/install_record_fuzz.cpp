// The installation record's reader over arbitrary texts: it never acts on a path outside the
// install folder, and what it accepts it writes back to a text that reads the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "install/InstallRecord.h"
#include "install/RecordFields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  AnsiString why;
  const auto parsed = ParseRecord(text, &why);
  if (!parsed) {
    fuzz::Require(!why.empty(), "a refused record says why");
    return 0;
  }
  for (const RecordedFile& file : parsed->files)
    fuzz::Require(record::IsInsidePath(file.path), "every file is inside the install folder");
  for (const AnsiString& folder : parsed->folders)
    fuzz::Require(record::IsInsidePath(folder), "every folder is inside the install folder");
  const std::string written = RecordText(*parsed);
  const auto again = ParseRecord(written);
  fuzz::Require(again.has_value(), "a record written back is read again");
  fuzz::Require(RecordText(*again) == written, "a record written back reads the same");
  return 0;
}
