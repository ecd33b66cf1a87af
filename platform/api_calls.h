// The one list of the seam's calls, in the order of platform/api.h. The call
// enumeration, the names in messages and the per-call counts of the fault
// layer and the simulated machine all come from it: a new call is one line
// here (and its declaration in api.h).
#pragma once

#define PELLWORTH_API_CALLS(X) \
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
