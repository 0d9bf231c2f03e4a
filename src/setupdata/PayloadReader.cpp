#include "setupdata/PayloadReader.h"

#include "platform/Errors.h"
#include "platform/Files.h"

PayloadReader::PayloadReader(const AnsiString& name, const AnsiString& type) { Open(name, type); }

void PayloadReader::Open(const AnsiString& name, const AnsiString& type) {
  const auto found = platform::FindModuleResource(name, type);
  if (!found) throw EResNotFound(Format("Resource %s not found", name.c_str()));
  entry_ = *found;
}

void PayloadReader::SaveToFile(const AnsiString& path) const {
  platform::WriteWholeFile(path, entry_.data, entry_.size);
}

void PayloadReader::SaveToNewFile(const AnsiString& path) const {
  platform::WriteNewFile(path, entry_.data, entry_.size);
}
