#include "platform/sim/Utf8.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>

namespace sim {
namespace {

// One iconv conversion descriptor, closed when the converter goes out of scope.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (Valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts text; a byte that cannot be converted is handed to keepByte and skipped.
  template <class KeepByte>
  std::string Convert(const std::string& text, KeepByte keepByte) {
    std::string out;
    if (!Valid()) return text;
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char buffer[256];
    while (inLeft > 0) {
      char* outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t result = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
      out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
      if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
        keepByte(out, static_cast<unsigned char>(*in));
        ++in;
        --inLeft;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return out;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::string Utf8(const AnsiString& cp936) {
  Converter converter("UTF-8", "CP936");
  return converter.Convert(cp936, [](std::string& out, unsigned char byte) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\x%02X", byte);
    out += escape;
  });
}

AnsiString FromUtf8(const std::string& utf8) {
  Converter converter("CP936", "UTF-8");
  return converter.Convert(
      utf8, [](std::string& out, unsigned char byte) { out += static_cast<char>(byte); });
}

std::optional<AnsiString> StrictCp936(const std::string& utf8) {
  Converter converter("CP936", "UTF-8");
  bool failed = false;
  AnsiString text =
      converter.Convert(utf8, [&failed](std::string&, unsigned char) { failed = true; });
  if (failed) return std::nullopt;
  return text;
}

}  // namespace sim
