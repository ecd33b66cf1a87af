// A move-only owner of one platform handle: the policy names the handle type,
// its empty value and how to release it. Releases on every way out of a scope.
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
  static void Close(Handle key) { Sys().RegCloseKey(key); }
};

struct ProcessHandleTraits {
  using Handle = HANDLE;
  static Handle Empty() { return nullptr; }
  static void Close(Handle process) { Sys().CloseHandle(process); }
};

struct LibraryTraits {
  using Handle = HMODULE;
  static Handle Empty() { return nullptr; }
  static void Close(Handle library) { Sys().FreeLibrary(library); }
};

using ScopedRegKey = ScopedHandle<RegKeyTraits>;
using ScopedProcessHandle = ScopedHandle<ProcessHandleTraits>;
using ScopedLibrary = ScopedHandle<LibraryTraits>;

// The folder that GetSystemDirectoryW names, without a trailing separator, or
// empty when the platform does not deliver it. The one builder of system
// folder paths: the product asks through Sys(), the real layer's library
// loader through itself.
WString SystemDirectory(Api& api = Sys());
// `file` in the system folder, or empty when that folder is unknown.
WString SystemFilePath(const WString& file, Api& api = Sys());
// Takes the program's own folder and the current folder out of the library
// search, so that a library planted beside the program (in a downloads folder,
// say) is never loaded by the system libraries it calls. Where the system
// cannot search the system folder alone, at least the current folder goes.
void RestrictLibrarySearch(Api& api = Sys());

// The flags that load a library by its full path with its own imports found in
// the system folder: none where the search is restricted to it
// (SetDefaultDllDirectories, asked again here: after RestrictLibrarySearch it
// changes nothing, and its answer says whether the restriction holds), else
// LOAD_WITH_ALTERED_SEARCH_PATH (XP, Vista and 7 without the update), which
// starts the search for a library's imports in that library's own folder. The
// two are never combined: the documentation has them exclude each other.
DWORD FullPathLoadFlags(Api& api = Sys());
// The library at `path` (a full path) loaded with those flags, or null.
HMODULE LoadLibraryByFullPath(const WString& path, Api& api = Sys());
// The system library `name` (msi.dll, say) from the system folder, its imports
// from there too; null when it or the folder cannot be had.
HMODULE LoadSystemLibrary(const WString& name, Api& api = Sys());

}  // namespace win
