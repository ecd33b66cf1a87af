// Holds every number and record of win_types.h against the platform's own
// <windows.h>, at compile time, in the Windows build. The numbers are taken
// before <windows.h> turns their names into macros, then compared.
#include <cstddef>
#include <type_traits>

#include "platform/win_types.h"

// Every number of win_types.h that <windows.h> also defines.
#define PELLWORTH_WIN32_NUMBERS(X)                                                          \
  X(TRUE) X(FALSE)                                                                          \
  X(ERROR_SUCCESS) X(ERROR_FILE_NOT_FOUND) X(ERROR_ACCESS_DENIED) X(ERROR_INVALID_HANDLE)   \
  X(ERROR_INVALID_PARAMETER) X(ERROR_MOD_NOT_FOUND) X(ERROR_MORE_DATA) X(ERROR_NO_MORE_ITEMS)                      \
  X(KEY_QUERY_VALUE) X(KEY_ENUMERATE_SUB_KEYS) X(KEY_READ) X(KEY_ALL_ACCESS)                 \
  X(KEY_WOW64_64KEY) X(KEY_WOW64_32KEY)                                                     \
  X(REG_NONE) X(REG_SZ) X(REG_EXPAND_SZ) X(REG_BINARY) X(REG_DWORD) X(REG_MULTI_SZ)         \
  X(INFINITE) X(WAIT_OBJECT_0) X(WAIT_TIMEOUT) X(WAIT_FAILED) X(STILL_ACTIVE)               \
  X(SW_HIDE) X(SW_SHOWNORMAL) X(SEE_MASK_NOCLOSEPROCESS) X(SEE_MASK_FLAG_NO_UI)              \
  X(SEE_MASK_NOASYNC) X(SEM_FAILCRITICALERRORS) X(SEM_NOOPENFILEERRORBOX)                  \
  X(S_OK) X(S_FALSE) X(RPC_E_CHANGED_MODE) X(E_OUTOFMEMORY)                                 \
  X(COINIT_APARTMENTTHREADED) X(COINIT_DISABLE_OLE1DDE)                                     \
  X(VER_PLATFORM_WIN32_WINDOWS) X(VER_PLATFORM_WIN32_NT)                                    \
  X(VER_NT_WORKSTATION) X(VER_NT_DOMAIN_CONTROLLER) X(VER_NT_SERVER)                       \
  X(LOAD_LIBRARY_SEARCH_SYSTEM32) X(LOAD_WITH_ALTERED_SEARCH_PATH)                        \
  X(IMAGE_FILE_MACHINE_UNKNOWN) X(IMAGE_FILE_MACHINE_I386) X(IMAGE_FILE_MACHINE_AMD64)       \
  X(IMAGE_FILE_MACHINE_ARM64) X(ERROR_PROC_NOT_FOUND)

namespace ours {
#define PELLWORTH_TAKE(name) constexpr auto name##_value = win::name;
PELLWORTH_WIN32_NUMBERS(PELLWORTH_TAKE)
PELLWORTH_TAKE(LOAD_LIBRARY_SEARCH_FLAGS)
#undef PELLWORTH_TAKE
}  // namespace ours

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#define PELLWORTH_SAME(name) \
  static_assert(ours::name##_value == static_cast<std::decay_t<decltype(ours::name##_value)>>(name), #name);
PELLWORTH_WIN32_NUMBERS(PELLWORTH_SAME)
#undef PELLWORTH_SAME

// Every LOAD_LIBRARY_SEARCH_* flag that excludes LOAD_WITH_ALTERED_SEARCH_PATH.
static_assert(ours::LOAD_LIBRARY_SEARCH_FLAGS_value ==
                  (LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_APPLICATION_DIR |
                   LOAD_LIBRARY_SEARCH_USER_DIRS | LOAD_LIBRARY_SEARCH_SYSTEM32 |
                   LOAD_LIBRARY_SEARCH_DEFAULT_DIRS),
              "LOAD_LIBRARY_SEARCH_FLAGS");

// The predefined keys are pointers, not constants: the contract suite opens
// keys below them on the real platform instead.

#define PELLWORTH_FORMAT(name) static_assert(win::name == static_cast<int>(::name), #name);
PELLWORTH_FORMAT(ComputerNameNetBIOS)
PELLWORTH_FORMAT(ComputerNameDnsHostname)
PELLWORTH_FORMAT(ComputerNameDnsDomain)
PELLWORTH_FORMAT(ComputerNameDnsFullyQualified)
PELLWORTH_FORMAT(ComputerNamePhysicalNetBIOS)
PELLWORTH_FORMAT(ComputerNamePhysicalDnsHostname)
PELLWORTH_FORMAT(ComputerNamePhysicalDnsDomain)
PELLWORTH_FORMAT(ComputerNamePhysicalDnsFullyQualified)
#undef PELLWORTH_FORMAT

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wide characters");

#define PELLWORTH_LAYOUT(ours, theirs, field) \
  static_assert(offsetof(win::ours, field) == offsetof(::theirs, field), #ours "." #field)
static_assert(sizeof(win::OSVERSIONINFOEXW) == sizeof(::OSVERSIONINFOEXW), "OSVERSIONINFOEXW");
static_assert(sizeof(win::OSVERSIONINFOW) == sizeof(::OSVERSIONINFOW), "OSVERSIONINFOW");
PELLWORTH_LAYOUT(OSVERSIONINFOW, OSVERSIONINFOW, szCSDVersion);
static_assert(sizeof(win::OSVERSIONINFOW::szCSDVersion) == sizeof(::OSVERSIONINFOW::szCSDVersion) &&
                  sizeof(win::OSVERSIONINFOEXW::szCSDVersion) == sizeof(::OSVERSIONINFOEXW::szCSDVersion),
              "szCSDVersion");
PELLWORTH_LAYOUT(OSVERSIONINFOEXW, OSVERSIONINFOEXW, szCSDVersion);
PELLWORTH_LAYOUT(OSVERSIONINFOEXW, OSVERSIONINFOEXW, wServicePackMajor);
PELLWORTH_LAYOUT(OSVERSIONINFOEXW, OSVERSIONINFOEXW, wSuiteMask);
PELLWORTH_LAYOUT(OSVERSIONINFOEXW, OSVERSIONINFOEXW, wProductType);
static_assert(sizeof(win::SHELLEXECUTEINFOW) == sizeof(::SHELLEXECUTEINFOW), "SHELLEXECUTEINFOW");
PELLWORTH_LAYOUT(SHELLEXECUTEINFOW, SHELLEXECUTEINFOW, fMask);
PELLWORTH_LAYOUT(SHELLEXECUTEINFOW, SHELLEXECUTEINFOW, lpVerb);
PELLWORTH_LAYOUT(SHELLEXECUTEINFOW, SHELLEXECUTEINFOW, lpFile);
PELLWORTH_LAYOUT(SHELLEXECUTEINFOW, SHELLEXECUTEINFOW, lpParameters);
PELLWORTH_LAYOUT(SHELLEXECUTEINFOW, SHELLEXECUTEINFOW, lpDirectory);
PELLWORTH_LAYOUT(SHELLEXECUTEINFOW, SHELLEXECUTEINFOW, nShow);
PELLWORTH_LAYOUT(SHELLEXECUTEINFOW, SHELLEXECUTEINFOW, hInstApp);
PELLWORTH_LAYOUT(SHELLEXECUTEINFOW, SHELLEXECUTEINFOW, hkeyClass);
PELLWORTH_LAYOUT(SHELLEXECUTEINFOW, SHELLEXECUTEINFOW, hProcess);
static_assert(sizeof(win::FILETIME) == sizeof(::FILETIME), "FILETIME");
#undef PELLWORTH_LAYOUT
