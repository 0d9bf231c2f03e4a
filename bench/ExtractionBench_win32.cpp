// The extraction benchmark under Windows: packed around a product's payload exactly as setup.exe
// is, it extracts that payload into the folder named on its command line and prints how long the
// extraction itself took.
//   extraction_bench.exe C:\bench\run1
#include <windows.h>

#include <cstdio>
#include <exception>

#include "ExtractionLoop.h"

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <install-folder\\>\n", argv[0]);
    return 2;
  }
  AnsiString folder = argv[1];
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  try {
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    const std::size_t entries = ExtractPayload(folder);
    QueryPerformanceCounter(&end);
    std::printf("extracted %u entries in %.6f s\n", static_cast<unsigned>(entries),
                Seconds(start, end));
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "extraction_bench: %s\n", error.what());
    return 1;
  }
}
