// A move-only owner of one platform handle: the policy names the handle type,
// its empty value and how to release it. Releases on every way out of a scope;
// a release that fails leaves nothing for the owner to do, so its status is
// not read.
#pragma once

#include <utility>

#include "platform/api.h"

namespace win {

template <typename Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandle() = default;
  explicit ScopedHandle(Handle handle) : handle_(handle) {}
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() { Reset(); }

  Handle Get() const { return handle_; }
  bool IsValid() const { return handle_ != Traits::Empty(); }
  // For out-parameters: releases what is held and hands out the slot.
  Handle* Receive() {
    Reset();
    return &handle_;
  }
  Handle Release() { return std::exchange(handle_, Traits::Empty()); }
  void Reset(Handle handle = Traits::Empty()) {
    Handle old = std::exchange(handle_, handle);
    if (old != Traits::Empty()) Traits::Close(old);
  }

 private:
  Handle handle_ = Traits::Empty();
};

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Empty() { return nullptr; }
  static void Close(Handle key) { static_cast<void>(Sys().RegCloseKey(key)); }
};

struct ProcessHandleTraits {
  using Handle = HANDLE;
  static Handle Empty() { return nullptr; }
  static void Close(Handle process) { static_cast<void>(Sys().CloseHandle(process)); }
};

struct LibraryTraits {
  using Handle = HMODULE;
  static Handle Empty() { return nullptr; }
  static void Close(Handle library) { static_cast<void>(Sys().FreeLibrary(library)); }
};

// A block the platform allocated for the caller (CommandLineToArgvW's vector).
struct LocalMemoryTraits {
  using Handle = HLOCAL;
  static Handle Empty() { return nullptr; }
  static void Close(Handle memory) { static_cast<void>(Sys().LocalFree(memory)); }
};

using ScopedRegKey = ScopedHandle<RegKeyTraits>;
using ScopedProcessHandle = ScopedHandle<ProcessHandleTraits>;
using ScopedLibrary = ScopedHandle<LibraryTraits>;
using ScopedLocalMemory = ScopedHandle<LocalMemoryTraits>;

}  // namespace win
