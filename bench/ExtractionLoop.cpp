#include "ExtractionLoop.h"

#include <stdexcept>
#include <vector>

#include "install/RunChanges.h"
#include "platform/Files.h"
#include "platform/Resources.h"
#include "setupdata/Manifest.h"
#include "setupdata/PayloadReader.h"

namespace {

// The manifest travels in the payload as the entry FileTxt5 txtname.
AnsiString PayloadManifest() {
  const auto manifest = platform::FindModuleResource("FileTxt5", "txtname");
  if (!manifest) throw std::runtime_error("the payload carries no manifest (FileTxt5 txtname)");
  return AnsiString(reinterpret_cast<const char*>(manifest->data), manifest->size);
}

void EnsureFolder(RunChanges& changes, const AnsiString& folder) {
  if (platform::DirectoryExists(folder)) return;
  if (!changes.MakeFolder(folder)) {
    throw std::runtime_error(Format("cannot create the folder %s", folder.c_str()));
  }
}

}  // namespace

std::size_t ExtractPayload(const AnsiString& installFolder) {
  const std::vector<AnsiString> lines = SplitLines(PayloadManifest());
  // As the run does it: each change in the journal first, an earlier file moved aside, and the
  // earlier files deleted once every entry is written.
  RunChanges changes(installFolder, {});
  changes.BeginJournal();
  EnsureFolder(changes, installFolder);
  PayloadReader reader("FileTxt5", "txtname");
  for (const AnsiString& line : lines) {
    const ManifestLine entry = SplitManifestLine(line);
    EnsureFolder(changes, installFolder + ManifestFolderPart(entry.path));
    reader.Open(entry.name, entry.type);
    const AnsiString target = installFolder + entry.path;
    changes.BeforeWrite(target);
    reader.SaveToFile(target);
  }
  changes.Commit();
  return lines.size();
}
