#include "setupdata/PayloadReader.h"

#include "platform/Errors.h"
#include "setupdata/EntryDecoder.h"

PayloadReader::PayloadReader(const AnsiString& name, const AnsiString& type)
    : sums_(PayloadSums::Load()) {
  Open(name, type);
}

void PayloadReader::Open(const AnsiString& name, const AnsiString& type) {
  const auto found = platform::FindModuleResource(name, type);
  if (!found) throw EResNotFound(Format("Resource %s not found", name.c_str()));
  const EntrySum* sum = sums_ ? sums_->Find(name, type) : nullptr;
  // A truncated or padded entry is found before anything of it is written.
  if (sum && sum->storedSize != found->size) {
    throw EResDamaged(Format("Resource %s is damaged", name.c_str()));
  }
  // The packer lists every entry in the sums. Without its line (the sums missing or damaged) a
  // compressed entry cannot be told from a raw one, and writing the frame as the file would
  // install a broken product without a word.
  if (!sum && EntryDecoder::StartsLikeAFrame(*found)) {
    throw EResDamaged(Format("Resource %s is damaged", name.c_str()));
  }
  name_ = name;
  entry_ = *found;
  sum_ = sum ? std::optional<EntrySum>(*sum) : std::nullopt;
}

bool PayloadReader::IsCompressed() const { return sum_ && sum_->form == StoredForm::kZstd; }

std::size_t PayloadReader::Size() const {
  return IsCompressed() ? static_cast<std::size_t>(sum_->size) : entry_.size;
}

bool PayloadReader::IsProgram() const {
  if (!IsCompressed()) return entry_.size >= 2 && entry_.data[0] == 'M' && entry_.data[1] == 'Z';
  if (!decoder_) decoder_ = std::make_unique<EntryDecoder>();
  return decoder_->Head(entry_, 2) == "MZ";
}

void PayloadReader::SaveToFile(const AnsiString& path) const {
  if (!IsCompressed()) return platform::WriteWholeFile(path, entry_.data, entry_.size);
  Save(path, platform::FileWriter::Creation::kReplace);
}

void PayloadReader::SaveToNewFile(const AnsiString& path) const {
  if (!IsCompressed()) return platform::WriteNewFile(path, entry_.data, entry_.size);
  Save(path, platform::FileWriter::Creation::kNew);
}

void PayloadReader::Save(const AnsiString& path, platform::FileWriter::Creation creation) const {
  platform::FileWriter file(path, creation);
  if (!decoder_) decoder_ = std::make_unique<EntryDecoder>();
  decoder_->Decode(name_, entry_, *sum_,
                   [&file](const void* data, std::size_t size) { file.Write(data, size); });
}
