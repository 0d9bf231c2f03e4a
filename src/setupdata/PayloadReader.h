#pragma once
// Read-only view of one payload entry, addressed by (name, type) without regard to case. The
// installation keeps one reader and re-opens it in place for each entry.
#include <cstddef>

#include "platform/AnsiString.h"
#include "platform/Resources.h"

class PayloadReader {
 public:
  // Opens the entry; throws EResNotFound "Resource %s not found" (with the name) when missing.
  PayloadReader(const AnsiString& name, const AnsiString& type);

  // Re-opens this reader on another entry; same error as the constructor.
  void Open(const AnsiString& name, const AnsiString& type);

  std::size_t Size() const { return entry_.size; }
  // Whether the entry is a program or a library (its bytes start with the executable's "MZ").
  bool IsProgram() const {
    return entry_.size >= 2 && entry_.data[0] == 'M' && entry_.data[1] == 'Z';
  }

  // Creates or replaces the file and writes the whole entry with one write, straight from the
  // loaded resource. Throws EFCreateError "Cannot create file \"%s\". %s" when the file cannot
  // be created.
  void SaveToFile(const AnsiString& path) const;
  // The same into a file that must be new: nothing standing at the path is opened or followed.
  void SaveToNewFile(const AnsiString& path) const;

 private:
  platform::ResourceBytes entry_;
};
