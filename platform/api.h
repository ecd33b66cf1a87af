// The product's one seam to the platform: every call it makes to Windows goes
// through an Api, shaped like the Win32 function of the same name. The real
// implementation (win32_api.cpp) passes each call to the system: KERNEL32's
// directly, or through an entry looked up at run time where older systems lack
// it; ADVAPI32's, SHELL32's and OLE32's through those libraries, loaded on
// first use from the system folder, and it answers as each call fails when a
// library or entry cannot be had. The simulated machine (sim/) implements the
// same contract in memory for host tests. What a new call takes:
// platform/api_calls.h.
//
// Contract, per call (what comes back, and what is left in outputs on failure):
//  SetErrorMode        the previous mode; cannot fail. The mode is the process's, and a
//                      child process inherits it.
//  IsWow64Process      nonzero on success with *wow64 set; 0 on failure, *wow64 untouched.
//                      "If the process is running under WOW64 on an Intel64, x64, or
//                      ARM64 processor" TRUE, yet "a 32-bit application running under
//                      64-bit Windows 10 on ARM" FALSE ("IsWow64Process function"): on
//                      ARM64 either answer may come.
//  IsWow64Process2     nonzero on success with *processMachine IMAGE_FILE_MACHINE_UNKNOWN
//                      when the process runs under no WOW64, else the machine of its
//                      image, and *nativeMachine the host's (when not null); 0 on failure,
//                      both untouched, and 0 with GetLastError ERROR_PROC_NOT_FOUND where
//                      KERNEL32 lacks it (before Windows 10 1511: it is looked up at run
//                      time, so the programs' import list stays XP's).
//  GetCommandLineW     the process command line, never null; owned by the platform.
//  CommandLineToArgvW  a vector of *argc strings to release with LocalFree, or null
//                      (then *argc is untouched).
//  LocalFree           null on success; the block itself on failure.
//  GetVersionExW       nonzero on success; takes an OSVERSIONINFOW (276) or an
//                      OSVERSIONINFOEXW (284) chosen by its size field; 0 and the record
//                      untouched on failure (also for any other size).
//  GetComputerNameW/ExW  nonzero on success, *size = units without the NUL; on failure 0,
//                      and the buffer's contents are unspecified.
//  GetModuleFileNameW  units copied without the NUL; 0 on failure. A path of `size`
//                      units or more fills the buffer and returns `size`; whether the
//                      last unit is then a NUL differs between versions (XP and Wine
//                      write none), so a caller never relies on one.
//  GetSystemDirectoryW units copied without the NUL; the size needed (with the NUL) when
//                      the buffer is too small; 0 on failure.
//  LoadLibraryExW      the module, or null; with no flags, as LoadLibraryW. A full path
//                      loads that file, whose own imports are searched as if named bare;
//                      LOAD_WITH_ALTERED_SEARCH_PATH starts that search in the library's
//                      own folder instead of the program's. That flag fails (null) with a
//                      path that is not full, and with any LOAD_LIBRARY_SEARCH_* flag.
//  GetProcAddress      the entry, or null.
//  SetDefaultDllDirectories, SetDllDirectoryW  nonzero on success; 0 also where the
//                      running system lacks the function (XP, unpatched Vista and 7).
//  Reg*                a Win32 status: 0 on success; 2 for a missing key or value, 6 for
//                      a bad handle, 234 for a value that does not fit (the size then
//                      holds the size needed), 259 past the last subkey. RegOpenKeyExW
//                      leaves *result null on failure.
//  CoInitializeEx      S_OK when it initialized COM on this thread, S_FALSE when it was
//                      already initialized there (in the same apartment), both to be
//                      balanced by one CoUninitialize; RPC_E_CHANGED_MODE when the thread
//                      is in another apartment (nothing to balance); another failure
//                      HRESULT otherwise (the real layer's when ole32.dll cannot be had:
//                      0x8007007E). Reserved is null.
//  CoUninitialize      balances one successful CoInitializeEx of this thread; cannot fail.
//  ShellExecuteExW     nonzero on success, with hProcess set when NOCLOSEPROCESS was
//                      asked; hInstApp is above 32 then, and means nothing without that
//                      flag. 0 on failure with hProcess null, hInstApp 32 or less and
//                      GetLastError the reason (1223, ERROR_CANCELLED, when consent to
//                      an elevation is refused). A failure shows an error box unless
//                      SEE_MASK_FLAG_NO_UI was asked. A caller without a message loop,
//                      or that ends soon after the call (this program is both), asks
//                      SEE_MASK_NOASYNC: without it the activation may run on a thread
//                      that the process's end cuts off, and the start is lost.
//  GetLastError        the calling thread's last error; read right after the call whose
//                      failure it explains.
//  WaitForSingleObject WAIT_OBJECT_0 when the process ended, WAIT_FAILED on a bad handle.
//  GetExitCodeProcess  nonzero with *code set; 0 on failure.
#pragma once

#include "platform/api_calls.h"
#include "platform/win_types.h"

namespace win {

// Every call, as platform/api_calls.h lists it. Every call that answers
// something but SetErrorMode is [[nodiscard]] there: a status or a handle
// left unread is a build warning, and a deliberate ignore is written as one
// (static_cast<void>).
class Api {
 public:
  virtual ~Api() = default;

#define PELLWORTH_API_PURE(read, type, name, pairs, kind, failure) \
  read virtual type name(PELLWORTH_PARAMETERS(pairs)) = 0;
  PELLWORTH_API_CALLS(PELLWORTH_API_PURE)
#undef PELLWORTH_API_PURE
};

// The implementation the product calls. Set once at start-up by the real
// program, and by each test for its simulated machine.
Api& Sys();
void SetSys(Api* api);

// Makes `api` current for the life of the holder and restores the previous one.
class ScopedSys {
 public:
  explicit ScopedSys(Api& api);
  ~ScopedSys();
  ScopedSys(const ScopedSys&) = delete;
  ScopedSys& operator=(const ScopedSys&) = delete;

 private:
  Api* previous_;
};

}  // namespace win
