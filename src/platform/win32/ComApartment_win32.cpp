#include "platform/ComApartment.h"

#include "platform/SystemThread.h"
#include "platform/win32/WindowsApi.h"

#include <ole2.h>

namespace platform {

ComApartment::ComApartment()
    : threadId_(CurrentThreadId()), initialized_(SUCCEEDED(::OleInitialize(nullptr))) {}

ComApartment::~ComApartment() {
  if (initialized_) ::OleUninitialize();
}

}  // namespace platform
