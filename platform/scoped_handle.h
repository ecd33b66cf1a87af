// A move-only owner of one platform handle: the policy names the handle type,
// its empty value and how to release it. Releases on every way out of a scope;
// a release that fails leaves nothing for the owner to do, so its status is
// not read. A policy is one line of release, and every owner's is here. Most
// hold nothing; one that must release through a function found at run time
// holds it, is given to the owner at construction and moves with the handle.
#pragma once

#include <utility>

#include "platform/api.h"

namespace win {

template <typename Traits>
class ScopedHandle : private Traits {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandle() = default;
  explicit ScopedHandle(Handle handle) : handle_(handle) {}
  explicit ScopedHandle(Traits policy, Handle handle = Traits::Empty())
      : Traits(policy), handle_(handle) {}
  ScopedHandle(ScopedHandle&& other) noexcept : Traits(other), handle_(other.Release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) {
      Reset(other.Release());
      static_cast<Traits&>(*this) = other;
    }
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
    if (old != Traits::Empty()) this->Close(old);
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

// An installer handle of the package check (MSIHANDLE), closed through the
// MsiCloseHandle of the msi.dll the check loaded.
struct InstallerHandleTraits {
  using Handle = unsigned long;
  using CloseFn = UINT(
#if defined(_WIN32)
      __stdcall
#endif
          *)(Handle);
  CloseFn close = nullptr;
  static Handle Empty() { return 0; }
  void Close(Handle handle) const { static_cast<void>(close(handle)); }
};

using ScopedRegKey = ScopedHandle<RegKeyTraits>;
using ScopedProcessHandle = ScopedHandle<ProcessHandleTraits>;
using ScopedLibrary = ScopedHandle<LibraryTraits>;
using ScopedLocalMemory = ScopedHandle<LocalMemoryTraits>;
using ScopedInstallerHandle = ScopedHandle<InstallerHandleTraits>;

}  // namespace win
