#include "install/RecordFields.h"

#include <cstdio>
#include <exception>

#include "platform/CommandLine.h"

namespace record {

namespace {

constexpr char kSeparator = '\t';
constexpr const char* kHexDigits = "0123456789abcdef";

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The components of a backslash-separated path, splitting only at backslashes that are
// characters of their own (never the trail byte of a CP936 character).
std::vector<AnsiString> Components(const AnsiString& path) {
  std::vector<AnsiString> parts(1);
  for (std::size_t at = 0; at < path.size(); ++at) {
    const char c = path[at];
    if (IsLeadByte(c) && at + 1 < path.size()) {
      parts.back() += c;
      parts.back() += path[++at];
    } else if (c == '\\') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

bool IsSoundComponent(const AnsiString& part) {
  if (part.empty() || part == "." || part == "..") return false;
  for (std::size_t at = 0; at < part.size(); ++at) {
    const auto byte = static_cast<unsigned char>(part[at]);
    if (IsLeadByte(part[at]) && at + 1 < part.size()) {
      ++at;  // a trail byte is never a separator or a control character
      continue;
    }
    if (byte < 32 || byte == ':' || byte == '/' || byte == '\\') return false;
  }
  return true;
}

bool AllSound(const std::vector<AnsiString>& parts, std::size_t from) {
  if (parts.size() <= from) return false;
  for (std::size_t index = from; index < parts.size(); ++index) {
    if (!IsSoundComponent(parts[index])) return false;
  }
  return true;
}

}  // namespace

std::string Utf8(const AnsiString& text) { return platform::Utf8Text(text); }

AnsiString Ansi(const std::string& utf8) {
  try {
    return platform::AnsiTextOfUtf8(utf8);
  } catch (const std::exception&) {
    throw Damaged{"a text that is not UTF-8 of code page 936 characters"};
  }
}

void Expect(const Fields& fields, std::size_t count) {
  if (fields.size() != count) throw Damaged{"a line of " + fields[0] + " with a wrong field count"};
}

std::string JoinFields(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t index = 0; index < fields.size(); ++index) {
    if (index > 0) line += kSeparator;
    line += fields[index];
  }
  return line;
}

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields(1);
  for (char c : line) {
    if (c == kSeparator) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

std::string HexOf(const std::string& bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    text += kHexDigits[byte >> 4];
    text += kHexDigits[byte & 0x0F];
  }
  return text;
}

std::optional<std::string> BytesOfHex(const std::string& text) {
  if (text.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  bytes.reserve(text.size() / 2);
  for (std::size_t at = 0; at < text.size(); at += 2) {
    const int high = HexDigitValue(text[at]);
    const int low = HexDigitValue(text[at + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += static_cast<char>(high * 16 + low);
  }
  return bytes;
}

std::string DecimalOf(std::uint64_t number) { return std::to_string(number); }

std::optional<std::uint64_t> NumberOf(const std::string& text) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  std::uint64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (number > (UINT64_MAX - digit) / 10) return std::nullopt;
    number = number * 10 + digit;
  }
  return number;
}

std::string RootName(platform::RootKey root) {
  return root == platform::RootKey::ClassesRoot ? "HKCR" : "HKCU";
}

std::optional<platform::RootKey> RootOf(const std::string& name) {
  if (name == "HKCR") return platform::RootKey::ClassesRoot;
  if (name == "HKCU") return platform::RootKey::CurrentUser;
  return std::nullopt;
}

std::string ValueField(const std::optional<platform::RawValue>& value) {
  if (!value) return "none";
  return DecimalOf(value->type) + ":" + HexOf(value->data);
}

std::optional<std::optional<platform::RawValue>> ValueOfField(const std::string& field) {
  if (field == "none") return std::optional<platform::RawValue>();
  const std::size_t colon = field.find(':');
  if (colon == std::string::npos) return std::nullopt;
  const auto type = NumberOf(field.substr(0, colon));
  const auto data = BytesOfHex(field.substr(colon + 1));
  if (!type || *type > UINT32_MAX || !data) return std::nullopt;
  platform::RawValue value;
  value.type = static_cast<std::uint32_t>(*type);
  value.data = *data;
  return std::optional<platform::RawValue>(value);
}

bool IsInsidePath(const AnsiString& relative) { return AllSound(Components(relative), 0); }

bool IsAbsoluteDrivePath(const AnsiString& path) {
  if (path.size() < 4 || path[1] != ':' || path[2] != '\\') return false;
  const char drive = path[0];
  if (!((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z'))) return false;
  AnsiString rest = path.substr(3);
  // A folder's path ends in its backslash.
  if (!rest.empty() && rest.back() == '\\' && LastDelimiter(rest, "\\") == rest.size() - 1)
    rest.pop_back();
  return AllSound(Components(rest), 0);
}

}  // namespace record
