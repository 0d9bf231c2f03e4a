#pragma once
// The runtime's exceptions. Their messages are the runtime's own texts, so the default error
// report shows exactly what the user of the original program saw.
#include <stdexcept>

#include "platform/AnsiString.h"

class Exception : public std::runtime_error {
 public:
  explicit Exception(const AnsiString& message) : std::runtime_error(message) {}
};

// "Resource %s not found"
class EResNotFound : public Exception {
  using Exception::Exception;
};
// "Resource %s is damaged": an entry whose bytes do not make the file they were packed from.
class EResDamaged : public Exception {
  using Exception::Exception;
};
// "Cannot create file \"%s\". %s"
class EFCreateError : public Exception {
  using Exception::Exception;
};
// "Cannot open file \"%s\". %s"
class EFOpenError : public Exception {
  using Exception::Exception;
};
// "Thread creation error: %s", "Thread Error: %s (%d)"
class EThread : public Exception {
  using Exception::Exception;
};
// "Unable to write to %s"
class EIniFileException : public Exception {
  using Exception::Exception;
};
// Text that cannot cross between the program's code page 936 and the system's UTF-16: a name
// from the system with a character code page 936 has no form for, or bytes that are not code
// page 936 text. Reported, never passed on mangled.
class EEncodingError : public Exception {
  using Exception::Exception;
};
// "'%s' is not a valid integer value", "'%s' is not a valid floating point value"
class EConvertError : public Exception {
  using Exception::Exception;
};
// "Invalid data type for '%s'", "Failed to set data for '%s'"
class ERegistryException : public Exception {
  using Exception::Exception;
};
// A COM call that failed: the system's text for its result code (such as "Class not
// registered").
class EOleSysError : public Exception {
  using Exception::Exception;
};
