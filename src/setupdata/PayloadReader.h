#pragma once
// Read-only view of one payload entry, addressed by (name, type) without regard to case. The
// installation keeps one reader and re-opens it in place for each entry. An entry the payload
// sums list as compressed is decoded as it is saved, so what is written is the packed file.
#include <cstddef>
#include <memory>
#include <optional>

#include "platform/AnsiString.h"
#include "platform/Files.h"
#include "platform/Resources.h"
#include "setupdata/EntryDecoder.h"
#include "setupdata/PayloadSums.h"

class PayloadReader {
 public:
  // Opens the entry; throws EResNotFound "Resource %s not found" (with the name) when missing,
  // and EResDamaged "Resource %s is damaged" when its size is not what the payload sums carry.
  PayloadReader(const AnsiString& name, const AnsiString& type);

  // Re-opens this reader on another entry; same errors as the constructor.
  void Open(const AnsiString& name, const AnsiString& type);

  // The size of the file the entry makes.
  std::size_t Size() const;
  // Whether the entry is a program or a library (its file starts with the executable's "MZ").
  bool IsProgram() const;

  // Creates or replaces the file and writes the whole entry: a raw entry with one write,
  // straight from the loaded resource; a compressed one in pieces as it is decoded. Throws
  // EFCreateError "Cannot create file \"%s\". %s" when the file cannot be created or written,
  // and EResDamaged when a compressed entry does not decode to the file of its sum (what was
  // written by then stays).
  void SaveToFile(const AnsiString& path) const;
  // The same into a file that must be new: nothing standing at the path is opened or followed.
  void SaveToNewFile(const AnsiString& path) const;

 private:
  bool IsCompressed() const;
  void Save(const AnsiString& path, platform::FileWriter::Creation creation) const;

  // Read once per reader; without sums every entry is taken as raw.
  std::optional<PayloadSums> sums_;
  AnsiString name_;
  platform::ResourceBytes entry_;
  std::optional<EntrySum> sum_;
  // Made for the first compressed entry and kept for the next.
  mutable std::unique_ptr<EntryDecoder> decoder_;
};
