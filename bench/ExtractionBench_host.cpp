// The extraction benchmark of the host build: the product folder's files become the payload of a
// simulated machine built on a host folder, and the installation's extraction writes them below
// its drive C: onto real host folders. Prints how long the extraction itself took.
//   korv_extraction_bench_host <product-folder> <machine-folder>
// The entries land in <machine-folder>/C/Korvello.
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>

#include "ExtractionLoop.h"
#include "platform/Files.h"
#include "platform/sim/SimMachine.h"
#include "setupdata/Manifest.h"

namespace {

constexpr const char* kInstallFolder = "C:\\Korvello\\";

// Every entry the product's manifest lists, read through the simulated drive P: mapped onto the
// product folder, becomes a payload entry of the machine.
void LoadPayload(sim::SimMachine& machine, const std::filesystem::path& productFolder) {
  machine.Files().MapDrive('P', productFolder);
  const AnsiString manifest = platform::ReadWholeFile("P:\\Setup.log");
  for (const AnsiString& line : SplitLines(manifest)) {
    const ManifestLine entry = SplitManifestLine(line);
    machine.Module().AddResource(entry.name, entry.type,
                                 platform::ReadWholeFile("P:\\" + entry.path));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <product-folder> <machine-folder>\n", argv[0]);
    return 2;
  }
  try {
    sim::SimMachine machine(argv[2]);
    LoadPayload(machine, argv[1]);
    const auto start = std::chrono::steady_clock::now();
    const std::size_t entries = ExtractPayload(kInstallFolder);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("extracted %u entries in %.6f s\n", static_cast<unsigned>(entries), took.count());
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "korv_extraction_bench_host: %s\n", error.what());
    return 1;
  }
}
