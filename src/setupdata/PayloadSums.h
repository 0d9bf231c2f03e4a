#pragma once
// The size and SHA-256 of every payload entry, how the setup carries it (as it is, or compressed),
// and the bytes the installation writes in all, as the packer carried them in the setup's
// "PayloadSums" entry. The setup compares what it finds on disk with these, and checks what it
// decodes of a compressed entry against them.
#include <cstdint>
#include <map>
#include <optional>
#include <utility>

#include "platform/AnsiString.h"

// How an entry's bytes are carried: the file's own bytes, or one zstd frame of them.
enum class StoredForm { kRaw, kZstd };

struct EntrySum {
  std::uint64_t size = 0;  // of the file the entry makes
  AnsiString sha256;       // of the file the entry makes: 64 lowercase hex digits
  StoredForm form = StoredForm::kRaw;
  std::uint64_t storedSize = 0;  // of the entry's bytes in the setup; size when raw
};

class PayloadSums {
 public:
  // The name and type of the entry that carries the sums.
  static constexpr const char* kEntryName = "PayloadSums";
  static constexpr const char* kEntryType = "txtname";

  // Reads the "PayloadSums" entry of the running setup; nothing when it is missing or damaged
  // (any line that does not parse, a wrong first line, a missing total), so the setup goes on
  // without sums.
  static std::optional<PayloadSums> Load();
  // The same from text (what Load reads): a first line "Korvello payload sums 2", one line
  // "<name> <type> <size> <sha256> <raw|zstd> <stored size>" per entry (a raw entry's stored
  // size is its size), a last line "total <bytes>", CR LF between them.
  static std::optional<PayloadSums> Parse(const AnsiString& text);

  // The sum of an entry, names and types compared without regard to ASCII case as payload
  // entries are; null when the setup carries no such entry.
  const EntrySum* Find(const AnsiString& name, const AnsiString& type) const;
  // The bytes the installation writes below the install folder.
  std::uint64_t TotalBytes() const { return totalBytes_; }

 private:
  // (name, type) in upper case.
  using Key = std::pair<AnsiString, AnsiString>;
  static Key KeyOf(const AnsiString& name, const AnsiString& type);

  std::map<Key, EntrySum> entries_;
  std::uint64_t totalBytes_ = 0;
};
