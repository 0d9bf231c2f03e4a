#pragma once
// COM for one thread: a single-threaded apartment with OLE, open for the life of the object.
// The thread that uses shell links (and any other COM object) owns one while it does; the
// object is destroyed on the thread that made it.
#include <cstdint>

namespace platform {

class ComApartment {
 public:
  // OleInitialize for the calling thread. A refusal is not an error here: Initialized() says
  // whether COM may be used, and nothing is undone for a refused initialisation.
  ComApartment();
  // OleUninitialize, when the initialisation succeeded.
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  bool Initialized() const { return initialized_; }
  // The thread whose apartment this is.
  std::uint32_t ThreadId() const { return threadId_; }

 private:
  std::uint32_t threadId_;
  bool initialized_ = false;
};

}  // namespace platform
