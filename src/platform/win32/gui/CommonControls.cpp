#include "platform/win32/gui/CommonControls.h"

#include "platform/Errors.h"

namespace gui::win32 {

namespace {

constexpr wchar_t kLibrary[] = L"comctl32.dll";

// A function of the loaded library; null when the library or the function is not there.
template <class Function>
Function Lookup(const char* name) {
  const HMODULE module = ::GetModuleHandleW(kLibrary);
  if (!module) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace

CommonControlsLibrary::CommonControlsLibrary(DWORD classes) : module_(::LoadLibraryW(kLibrary)) {
  if (!module_) throw Exception("Cannot load the common controls library");
  using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init = Lookup<Init>("InitCommonControlsEx");
  INITCOMMONCONTROLSEX controls = {sizeof(controls), classes};
  if (init) init(&controls);
}

CommonControlsLibrary::~CommonControlsLibrary() { ::FreeLibrary(module_); }

HIMAGELIST CreateImageList(int width, int height, UINT flags, int initial, int grow) {
  using Create = HIMAGELIST(WINAPI*)(int, int, UINT, int, int);
  const auto create = Lookup<Create>("ImageList_Create");
  return create ? create(width, height, flags, initial, grow) : nullptr;
}

void DestroyImageList(HIMAGELIST list) noexcept {
  using Destroy = BOOL(WINAPI*)(HIMAGELIST);
  if (const auto destroy = Lookup<Destroy>("ImageList_Destroy")) destroy(list);
}

}  // namespace gui::win32
