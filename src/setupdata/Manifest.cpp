#include "setupdata/Manifest.h"

ManifestLine SplitManifestLine(const AnsiString& line) {
  ManifestLine result;
  const auto firstSpace = line.find(' ');
  if (firstSpace == AnsiString::npos) {
    result.name = line;
    return result;
  }
  result.name = line.substr(0, firstSpace);
  const auto typeStart = firstSpace + 1;
  const auto secondSpace = line.find(' ', typeStart);
  result.type = line.substr(
      typeStart, secondSpace == AnsiString::npos ? AnsiString::npos : secondSpace - typeStart);
  const auto pathStart = result.name.size() + result.type.size() + 2;
  if (pathStart < line.size()) result.path = line.substr(pathStart);
  return result;
}

AnsiString ManifestFolderPart(const AnsiString& path) {
  const std::size_t lastBackslash = LastDelimiter(path, "\\");
  return lastBackslash == AnsiString::npos ? AnsiString() : path.substr(0, lastBackslash);
}
