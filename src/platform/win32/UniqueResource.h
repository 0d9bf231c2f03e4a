#pragma once
// Owners of Windows resources: one move-only template for handles, keys, windows, GDI objects
// and modules, a reference-counting pointer for COM interfaces, and a clean-up guard.
#include <utility>

#include "platform/ScopeExit.h"
#include "platform/win32/WindowsApi.h"

namespace platform::win32 {

// Traits: the handle type, its "no resource" value and how it is given back to the system.
template <class Traits>
class UniqueResource {
 public:
  using Type = typename Traits::Type;

  UniqueResource() noexcept = default;
  explicit UniqueResource(Type value) noexcept : value_(value) {}
  ~UniqueResource() { Reset(); }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Type Get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Traits::Invalid(); }

  // Closes the current resource (if any) and takes value.
  void Reset(Type value = Traits::Invalid()) noexcept {
    const Type old = std::exchange(value_, value);
    if (old != Traits::Invalid()) Traits::Close(old);
  }
  // Gives up ownership without closing.
  [[nodiscard]] Type Release() noexcept { return std::exchange(value_, Traits::Invalid()); }
  // Closes the current resource and returns the storage for an API's output parameter.
  Type* Put() noexcept {
    Reset();
    return &value_;
  }

 private:
  Type value_ = Traits::Invalid();
};

namespace traits {

template <class T, T invalid, auto close>
struct Simple {
  using Type = T;
  static Type Invalid() noexcept { return invalid; }
  static void Close(Type value) noexcept { close(value); }
};

// Handles whose failure value is INVALID_HANDLE_VALUE (files, snapshots): the value is not a
// constant expression, so it has its own traits.
struct FileHandle {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type value) noexcept { ::CloseHandle(value); }
};

inline void CloseHandle(HANDLE h) noexcept { ::CloseHandle(h); }
inline void CloseKey(HKEY key) noexcept { ::RegCloseKey(key); }
inline void DestroyWindow(HWND window) noexcept { ::DestroyWindow(window); }
inline void DeleteGdiObject(HGDIOBJ object) noexcept { ::DeleteObject(object); }
inline void UnloadModule(HMODULE module) noexcept { ::FreeLibrary(module); }

}  // namespace traits

// Kernel objects that report failure as a null handle (threads, mutexes, processes).
using UniqueHandle = UniqueResource<traits::Simple<HANDLE, nullptr, traits::CloseHandle>>;
// Kernel objects that report failure as INVALID_HANDLE_VALUE (files, tool-help snapshots).
using UniqueFileHandle = UniqueResource<traits::FileHandle>;
using UniqueHKey = UniqueResource<traits::Simple<HKEY, nullptr, traits::CloseKey>>;
using UniqueHwnd = UniqueResource<traits::Simple<HWND, nullptr, traits::DestroyWindow>>;
using UniqueGdiObject = UniqueResource<traits::Simple<HGDIOBJ, nullptr, traits::DeleteGdiObject>>;
using UniqueHModule = UniqueResource<traits::Simple<HMODULE, nullptr, traits::UnloadModule>>;

// A counted reference to a COM interface: AddRef on copy, Release when dropped.
template <class T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr& other) noexcept : ptr_(other.ptr_) {
    if (ptr_) ptr_->AddRef();
  }
  ComPtr& operator=(const ComPtr& other) noexcept {
    ComPtr(other).Swap(*this);
    return *this;
  }
  ComPtr(ComPtr&& other) noexcept : ptr_(other.Release()) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).Swap(*this);
    return *this;
  }

  T* Get() const noexcept { return ptr_; }
  T* operator->() const noexcept { return ptr_; }
  explicit operator bool() const noexcept { return ptr_ != nullptr; }

  void Reset() noexcept {
    if (T* old = std::exchange(ptr_, nullptr)) old->Release();
  }
  // Gives up the reference without releasing it.
  [[nodiscard]] T* Release() noexcept { return std::exchange(ptr_, nullptr); }
  // Drops the current reference and returns the storage for an API's output parameter.
  T** Put() noexcept {
    Reset();
    return &ptr_;
  }
  // The same storage typed for QueryInterface and CoCreateInstance.
  void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }

  // QueryInterface for another interface; empty when the object does not offer it.
  template <class U>
  ComPtr<U> As() const noexcept {
    ComPtr<U> other;
    if (ptr_) ptr_->QueryInterface(__uuidof(U), other.PutVoid());
    return other;
  }

  void Swap(ComPtr& other) noexcept { std::swap(ptr_, other.ptr_); }

 private:
  T* ptr_ = nullptr;
};

// The clean-up guard, under the name this back end has always used.
using platform::MakeScopeExit;
using platform::ScopeExit;

}  // namespace platform::win32
