// The one list of the seam's calls, in the order of platform/api.h, each with
// its kind. The call enumeration, the names in messages, the per-call counts
// of the fault layer and the simulated machine, and what the fault layer and
// the fault sweep's oracle know of each call's kind all come from it:
//   Ordinary    may fail; the fault layer makes it fail as platform/api.h says
//   CannotFail  never fails on the platform: a fault on it is counted and the
//               call goes through (a raising one still raises)
//   HandsOut    may fail; on success it hands out something the product must
//               give back (a key, a process handle, a vector, a library, a
//               COM initialization), which the fault layer holds until then
//   Releases    gives back what a HandsOut call handed out; the sweep expects
//               nothing of a failed release but that the run goes on
//
// A new call takes, besides its line here:
//  1. platform/api.h: the pure virtual call and its contract;
//  2. platform/win32_api.cpp: the real call (an entry looked up at run time
//     where an older system lacks it, or in a library loaded from the system
//     folder), and platform/win_types.h with platform/win_types_check.cpp for
//     any new number or record;
//  3. sim/sim_machine.h (and the part of sim/ it belongs to): the simulated
//     call, what it records, what it refuses;
//  4. faults/fault_api.h and .cpp: its failure and, for HandsOut and
//     Releases, the accounting of what it hands out or gives back;
//  5. platform/forwarding_api.h: one forwarding line;
//  6. a contract case (tests/contract/) run on both platforms, and the
//     backends there when the case needs a fact of its own;
//  7. tests/sweep/oracle.cpp: a case in Expect whenever its failure changes
//     the outcome of a road (Expect answers the clean outcome otherwise, so a
//     call whose failure matters and has no case fails the sweep);
//  8. tests/binary/xp_sp3_imports.txt when the programs import it from
//     KERNEL32 (and tests/binary/x64_imports.txt for the x86-64 build).
// The real layer, the simulated machine and the fault layer derive from Api,
// and ForwardingApi is instantiated in a host test and in the Windows test
// build: a call missing from any of them fails the build.
#pragma once

#define PELLWORTH_API_CALLS(X) \
  X(SetErrorMode, CannotFail)               \
  X(GetCurrentProcess, CannotFail)          \
  X(IsWow64Process, Ordinary)               \
  X(GetCommandLineW, Ordinary)              \
  X(CommandLineToArgvW, HandsOut)           \
  X(LocalFree, Releases)                    \
  X(GetVersionExW, Ordinary)                \
  X(GetComputerNameW, Ordinary)             \
  X(GetComputerNameExW, Ordinary)           \
  X(GetModuleHandleW, Ordinary)             \
  X(GetModuleFileNameW, Ordinary)           \
  X(GetSystemDirectoryW, Ordinary)          \
  X(LoadLibraryExW, HandsOut)               \
  X(GetProcAddress, Ordinary)               \
  X(FreeLibrary, Releases)                  \
  X(SetDefaultDllDirectories, Ordinary)     \
  X(SetDllDirectoryW, Ordinary)             \
  X(RegOpenKeyExW, HandsOut)                \
  X(RegQueryValueExW, Ordinary)             \
  X(RegQueryInfoKeyW, Ordinary)             \
  X(RegEnumKeyExW, Ordinary)                \
  X(RegDeleteKeyW, Ordinary)                \
  X(RegCloseKey, Releases)                  \
  X(CoInitializeEx, HandsOut)               \
  X(CoUninitialize, Releases)               \
  X(ShellExecuteExW, HandsOut)              \
  X(WaitForSingleObject, Ordinary)          \
  X(GetExitCodeProcess, Ordinary)           \
  X(CloseHandle, Releases)                  \
  X(Sleep, CannotFail)                      \
  X(GetLastError, CannotFail)               \
  X(OutputDebugStringW, CannotFail)

namespace win {

enum class Call {
#define PELLWORTH_CALL_ENUM(name, kind) name,
  PELLWORTH_API_CALLS(PELLWORTH_CALL_ENUM)
#undef PELLWORTH_CALL_ENUM
  kCount
};
constexpr int kCallCount = static_cast<int>(Call::kCount);

inline const char* CallName(Call call) {
  static const char* const names[] = {
#define PELLWORTH_CALL_NAME(name, kind) #name,
      PELLWORTH_API_CALLS(PELLWORTH_CALL_NAME)
#undef PELLWORTH_CALL_NAME
  };
  return names[static_cast<int>(call)];
}

enum class CallKind { Ordinary, CannotFail, HandsOut, Releases };

constexpr CallKind KindOf(Call call) {
  constexpr CallKind kinds[] = {
#define PELLWORTH_CALL_KIND(name, kind) CallKind::kind,
      PELLWORTH_API_CALLS(PELLWORTH_CALL_KIND)
#undef PELLWORTH_CALL_KIND
  };
  return kinds[static_cast<int>(call)];
}

}  // namespace win
