// The one list of the seam's calls, in the order of platform/api.h. The call
// enumeration, the names in messages and the per-call counts of the fault
// layer and the simulated machine all come from it.
//
// A new call is more than its line here. Each layer answers it in its own way
// (the fault layer with the call's own failure and its handle accounting, the
// simulated machine with its model, the real layer with the system's call,
// found at run time where older systems lack it), so each is written by hand:
//  1. here, its line;
//  2. platform/api.h: the pure virtual call and its contract;
//  3. platform/win32_api.cpp: the real call;
//  4. sim/sim_machine.h and .cpp: the simulated call, and what it records;
//  5. faults/fault_api.h and .cpp: its failure (and, for a call that hands out
//     or takes back a handle, the accounting);
//  6. platform/forwarding_api.h: one forwarding line;
//  7. tests/sweep/oracle.cpp, when the platform's call cannot fail;
//  8. a contract case (tests/contract/) run on both platforms.
// Each of 3 to 6 derives from Api itself, so the build names any that lacks it.
#pragma once

#define PELLWORTH_API_CALLS(X) \
  X(SetErrorMode)              \
  X(GetCurrentProcess)         \
  X(IsWow64Process)            \
  X(GetCommandLineW)           \
  X(CommandLineToArgvW)        \
  X(LocalFree)                 \
  X(GetVersionExW)             \
  X(GetComputerNameW)          \
  X(GetComputerNameExW)        \
  X(GetModuleHandleW)          \
  X(GetModuleFileNameW)        \
  X(GetSystemDirectoryW)       \
  X(LoadLibraryExW)            \
  X(GetProcAddress)            \
  X(FreeLibrary)               \
  X(SetDefaultDllDirectories)  \
  X(SetDllDirectoryW)          \
  X(RegOpenKeyExW)             \
  X(RegQueryValueExW)          \
  X(RegQueryInfoKeyW)          \
  X(RegEnumKeyExW)             \
  X(RegDeleteKeyW)             \
  X(RegCloseKey)               \
  X(CoInitializeEx)            \
  X(CoUninitialize)            \
  X(ShellExecuteExW)           \
  X(WaitForSingleObject)       \
  X(GetExitCodeProcess)        \
  X(CloseHandle)               \
  X(Sleep)                     \
  X(GetLastError)              \
  X(OutputDebugStringW)

namespace win {

enum class Call {
#define PELLWORTH_CALL_ENUM(name) name,
  PELLWORTH_API_CALLS(PELLWORTH_CALL_ENUM)
#undef PELLWORTH_CALL_ENUM
  kCount
};
constexpr int kCallCount = static_cast<int>(Call::kCount);

inline const char* CallName(Call call) {
  static const char* const names[] = {
#define PELLWORTH_CALL_NAME(name) #name,
      PELLWORTH_API_CALLS(PELLWORTH_CALL_NAME)
#undef PELLWORTH_CALL_NAME
  };
  return names[static_cast<int>(call)];
}

}  // namespace win
