// The one list of the seam's calls, in the order of platform/api.h, each with
// its whole shape. Everything the seam's layers say of a call comes from its
// line: the pure virtual call of Api (platform/api.h), the declarations of the
// real layer, the simulated machine and the fault layer, the forwarding layer
// (platform/forwarding_api.h), the fault layer's failure answers and
// accounting (faults/fault_api.cpp), the call enumeration, the names in
// messages, the per-call counts, and what the fault sweep's oracle knows of
// each call's kind. A line is
//   X(read, type, Name, (Type, name)(Type, name)..., Kind, failure)
//   read     [[nodiscard]] when the answer must be read, else nothing
//   type     what the call answers; the parameters, a pair each (none: empty)
//   Kind     Ordinary    may fail
//            CannotFail  never fails on the platform: a fault on it is counted
//                        and the call goes through (a raising one still raises)
//            HandsOut(what, handle, when)  may fail; when `when` holds after
//                        the call went through, it handed out `handle`, a
//                        `what` (Key, Process, Vector, Library, Com) that the
//                        product must give back, and the fault layer holds it
//                        until then
//            Releases(what, handle, when)  gives back a `what` handed out;
//                        when `when` holds, `handle` is given back. The sweep
//                        expects nothing of a failed release but that the run
//                        goes on
//            (`when` reads the parameters and `answer`, the platform's answer)
//   failure  Fails(answer)  what the fault layer answers in the call's place
//                        when a fault makes it fail, as platform/api.h says it
//                        fails: an expression of the parameters and `status`,
//                        the fault's status (the helpers it names are in
//                        faults/fault_api.cpp)
//            GoesThrough    a fault is counted and the call goes through
//
// A new call takes, besides its line here:
//  1. platform/api.h: its contract, in the list at the top;
//  2. platform/win32_api.cpp: the real call's body (an entry looked up at run
//     time where an older system lacks it, or in a library loaded from the
//     system folder), and platform/win_types.h with
//     platform/win_types_check.cpp for any new number or record;
//  3. sim/sim_machine.cpp (and the part of sim/ it belongs to): the simulated
//     call's body, what it records, what it refuses;
//  4. a contract case (tests/contract/) run on both platforms, and the
//     backends there when the case needs a fact of its own;
//  5. tests/sweep/oracle.cpp: its stage in StageOf when the entry makes it
//     before the road (the road is the default), and a case in Expect
//     whenever its failure changes the outcome of a road (Expect answers the
//     clean outcome otherwise, so a call whose failure matters and has no
//     case fails the sweep);
//  6. tests/binary/xp_sp3_imports.txt when the programs import it from
//     KERNEL32 and it is not there yet (and tests/binary/x64_imports.txt for
//     the x86-64 build).
// A body missing from the real layer or the simulated machine fails the link.
#pragma once

#include "platform/win_types.h"

#define PELLWORTH_API_CALLS(X)                                                                    \
  /* Process and start-up. SetErrorMode's answer, the previous mode, may be ignored. */           \
  X(, win::UINT, SetErrorMode, (win::UINT, mode), CannotFail, GoesThrough)                        \
  X([[nodiscard]], win::HANDLE, GetCurrentProcess, , CannotFail, GoesThrough)                     \
  X([[nodiscard]], win::BOOL, IsWow64Process, (win::HANDLE, process)(win::BOOL*, wow64),          \
    Ordinary, Fails(win::FALSE))                                                                  \
  X([[nodiscard]], win::BOOL, IsWow64Process2,                                                    \
    (win::HANDLE, process)(win::WORD*, processMachine)(win::WORD*, nativeMachine), Ordinary,      \
    Fails(win::FALSE))                                                                            \
  X([[nodiscard]], const win::WCHAR*, GetCommandLineW, , Ordinary, Fails(u""))                    \
  X([[nodiscard]], win::WCHAR**, CommandLineToArgvW, (const win::WCHAR*, commandLine)(int*, argc), \
    HandsOut(Vector, answer, answer != nullptr), Fails(nullptr))                                  \
  X([[nodiscard]], win::HLOCAL, LocalFree, (win::HLOCAL, memory),                                 \
    Releases(Vector, memory, answer == nullptr && memory != nullptr), Fails(memory))              \
  /* Version, names, module. */                                                                   \
  X([[nodiscard]], win::BOOL, GetVersionExW, (win::OSVERSIONINFOW*, info), Ordinary,              \
    Fails(win::FALSE))                                                                            \
  X([[nodiscard]], win::BOOL, GetComputerNameW, (win::WCHAR*, buffer)(win::DWORD*, size),         \
    Ordinary, Fails(NameUnspecified(buffer, size)))                                               \
  X([[nodiscard]], win::BOOL, GetComputerNameExW,                                                 \
    (win::ComputerNameFormat, format)(win::WCHAR*, buffer)(win::DWORD*, size), Ordinary,          \
    Fails(NameUnspecified(buffer, size)))                                                         \
  X([[nodiscard]], win::HMODULE, GetModuleHandleW, (const win::WCHAR*, name), Ordinary,           \
    Fails(nullptr))                                                                               \
  X([[nodiscard]], win::DWORD, GetModuleFileNameW,                                                \
    (win::HMODULE, module)(win::WCHAR*, buffer)(win::DWORD, size), Ordinary, Fails(0))            \
  X([[nodiscard]], win::UINT, GetSystemDirectoryW, (win::WCHAR*, buffer)(win::UINT, size),        \
    Ordinary, Fails(0))                                                                           \
  /* Libraries. */                                                                                \
  X([[nodiscard]], win::HMODULE, LoadLibraryExW,                                                  \
    (const win::WCHAR*, path)(win::HANDLE, file)(win::DWORD, flags),                              \
    HandsOut(Library, answer, answer != nullptr), Fails(nullptr))                                 \
  X([[nodiscard]], win::FARPROC, GetProcAddress, (win::HMODULE, module)(const char*, name),       \
    Ordinary, Fails(nullptr))                                                                     \
  X([[nodiscard]], win::BOOL, FreeLibrary, (win::HMODULE, module),                                \
    Releases(Library, module, answer), Fails(win::FALSE))                                         \
  X([[nodiscard]], win::BOOL, SetDefaultDllDirectories, (win::DWORD, flags), Ordinary,            \
    Fails(win::FALSE))                                                                            \
  X([[nodiscard]], win::BOOL, SetDllDirectoryW, (const win::WCHAR*, path), Ordinary,              \
    Fails(win::FALSE))                                                                            \
  /* Registry. */                                                                                 \
  X([[nodiscard]], win::LONG, RegOpenKeyExW,                                                      \
    (win::HKEY, parent)(const win::WCHAR*, subKey)(win::DWORD, options)(win::REGSAM, access)      \
    (win::HKEY*, result),                                                                         \
    HandsOut(Key, *result, answer == win::ERROR_SUCCESS && result != nullptr),                    \
    Fails(KeyNotOpened(result, status)))                                                          \
  X([[nodiscard]], win::LONG, RegQueryValueExW,                                                   \
    (win::HKEY, key)(const win::WCHAR*, valueName)(win::DWORD*, reserved)(win::DWORD*, type)      \
    (win::BYTE*, data)(win::DWORD*, size),                                                        \
    Ordinary, Fails(status))                                                                      \
  X([[nodiscard]], win::LONG, RegQueryInfoKeyW,                                                   \
    (win::HKEY, key)(win::WCHAR*, className)(win::DWORD*, classChars)(win::DWORD*, reserved)      \
    (win::DWORD*, subKeys)(win::DWORD*, maxSubKeyChars)(win::DWORD*, maxClassChars)               \
    (win::DWORD*, values)(win::DWORD*, maxValueNameChars)(win::DWORD*, maxValueBytes)             \
    (win::DWORD*, securityDescriptorBytes)(win::FILETIME*, lastWrite),                            \
    Ordinary, Fails(status))                                                                      \
  X([[nodiscard]], win::LONG, RegEnumKeyExW,                                                      \
    (win::HKEY, key)(win::DWORD, index)(win::WCHAR*, name)(win::DWORD*, nameChars)                \
    (win::DWORD*, reserved)(win::WCHAR*, className)(win::DWORD*, classChars)                      \
    (win::FILETIME*, lastWrite),                                                                  \
    Ordinary, Fails(status))                                                                      \
  X([[nodiscard]], win::LONG, RegDeleteKeyW, (win::HKEY, key)(const win::WCHAR*, subKey),         \
    Ordinary, Fails(status))                                                                      \
  X([[nodiscard]], win::LONG, RegCloseKey, (win::HKEY, key),                                      \
    Releases(Key, key, answer == win::ERROR_SUCCESS), Fails(status))                              \
  /* COM, which the shell's starts may need on the calling thread. */                             \
  X([[nodiscard]], win::HRESULT, CoInitializeEx, (void*, reserved)(win::DWORD, flags),            \
    HandsOut(Com, nullptr, answer == win::S_OK || answer == win::S_FALSE),                        \
    Fails(status < 0 ? status : win::E_OUTOFMEMORY))                                              \
  X(, void, CoUninitialize, , Releases(Com, nullptr, true), GoesThrough)                          \
  /* Processes. */                                                                                \
  X([[nodiscard]], win::BOOL, ShellExecuteExW, (win::SHELLEXECUTEINFOW*, info),                   \
    HandsOut(Process, info->hProcess, answer && info->hProcess != nullptr),                       \
    Fails(StartRefused(info, status)))                                                            \
  X([[nodiscard]], win::DWORD, WaitForSingleObject,                                               \
    (win::HANDLE, handle)(win::DWORD, milliseconds), Ordinary, Fails(win::WAIT_FAILED))           \
  X([[nodiscard]], win::BOOL, GetExitCodeProcess, (win::HANDLE, process)(win::DWORD*, exitCode),  \
    Ordinary, Fails(win::FALSE))                                                                  \
  X([[nodiscard]], win::BOOL, CloseHandle, (win::HANDLE, handle),                                 \
    Releases(Process, handle, answer), Fails(win::FALSE))                                         \
  X(, void, Sleep, (win::DWORD, milliseconds), CannotFail, GoesThrough)                           \
  X([[nodiscard]], win::DWORD, GetLastError, , CannotFail, GoesThrough)                           \
  /* Diagnostics. */                                                                              \
  X(, void, OutputDebugStringW, (const win::WCHAR*, text), CannotFail, GoesThrough)

// A call's parameters, from its pairs: PELLWORTH_PARAMETERS((T, a)(U, b)) is
// `T a, U b`, PELLWORTH_ARGUMENTS of the same `a, b`; both empty for none.
// (Each pair's macro hands over to the next in turn, and the last one left is
// pasted with _END, which is empty.)
#define PELLWORTH_PARAMETERS(pairs) PELLWORTH_PAIRS_END(PELLWORTH_PARAMETER_0 pairs)
#define PELLWORTH_PARAMETER_0(type, name) type name PELLWORTH_PARAMETER_1
#define PELLWORTH_PARAMETER_1(type, name) , type name PELLWORTH_PARAMETER_2
#define PELLWORTH_PARAMETER_2(type, name) , type name PELLWORTH_PARAMETER_1
#define PELLWORTH_ARGUMENTS(pairs) PELLWORTH_PAIRS_END(PELLWORTH_ARGUMENT_0 pairs)
#define PELLWORTH_ARGUMENT_0(type, name) name PELLWORTH_ARGUMENT_1
#define PELLWORTH_ARGUMENT_1(type, name) , name PELLWORTH_ARGUMENT_2
#define PELLWORTH_ARGUMENT_2(type, name) , name PELLWORTH_ARGUMENT_1
#define PELLWORTH_PARAMETER_0_END
#define PELLWORTH_PARAMETER_1_END
#define PELLWORTH_PARAMETER_2_END
#define PELLWORTH_ARGUMENT_0_END
#define PELLWORTH_ARGUMENT_1_END
#define PELLWORTH_ARGUMENT_2_END
#define PELLWORTH_PAIRS_END(...) PELLWORTH_PAIRS_END_(__VA_ARGS__)
#define PELLWORTH_PAIRS_END_(...) __VA_ARGS__##_END

// Declares every call of the list in a class that implements Api (the real
// layer, the simulated machine, the fault layer); the class defines the bodies.
#define PELLWORTH_API_OVERRIDE(read, type, name, pairs, kind, failure) \
  type name(PELLWORTH_PARAMETERS(pairs)) override;
#define PELLWORTH_API_OVERRIDES PELLWORTH_API_CALLS(PELLWORTH_API_OVERRIDE)

namespace win {

enum class Call {
#define PELLWORTH_CALL_ENUM(read, type, name, pairs, kind, failure) name,
  PELLWORTH_API_CALLS(PELLWORTH_CALL_ENUM)
#undef PELLWORTH_CALL_ENUM
  kCount
};
constexpr int kCallCount = static_cast<int>(Call::kCount);

inline const char* CallName(Call call) {
  static const char* const names[] = {
#define PELLWORTH_CALL_NAME(read, type, name, pairs, kind, failure) #name,
      PELLWORTH_API_CALLS(PELLWORTH_CALL_NAME)
#undef PELLWORTH_CALL_NAME
  };
  return names[static_cast<int>(call)];
}

enum class CallKind { Ordinary, CannotFail, HandsOut, Releases };

#define PELLWORTH_KIND_Ordinary CallKind::Ordinary
#define PELLWORTH_KIND_CannotFail CallKind::CannotFail
#define PELLWORTH_KIND_HandsOut(what, handle, when) CallKind::HandsOut
#define PELLWORTH_KIND_Releases(what, handle, when) CallKind::Releases

constexpr CallKind KindOf(Call call) {
  constexpr CallKind kinds[] = {
#define PELLWORTH_CALL_KIND(read, type, name, pairs, kind, failure) PELLWORTH_KIND_##kind,
      PELLWORTH_API_CALLS(PELLWORTH_CALL_KIND)
#undef PELLWORTH_CALL_KIND
  };
  return kinds[static_cast<int>(call)];
}

}  // namespace win
