// The Win32 types, records and numbers the product uses, defined without
// <windows.h> so that the product compiles on any host.
//
// Every number here is the platform's own: the Windows build checks each one
// but the predefined keys (the contract suite opens keys below them instead),
// and the records' sizes and field offsets, against <windows.h> at compile
// time (win_types_check.cpp; a number added here is added there too), and the
// contract tests check the statuses against the running platform. Text is
// UTF-16 (char16_t); on Windows it is passed to the wide API unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace win {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = std::uint32_t;
using BOOL = int;
using WCHAR = char16_t;
using REGSAM = DWORD;
using ULONG_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;

struct HKEY__;
struct HWND__;
struct HINSTANCE__;
using HKEY = HKEY__*;
using HWND = HWND__*;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using HANDLE = void*;
using HLOCAL = void*;
using FARPROC = void (*)();
using HRESULT = std::int32_t;

// A growable UTF-16 string with value semantics; every path, key, value,
// name and command line in the product is one.
using WString = std::u16string;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// Predefined keys are sign-extended 32-bit values, as in <winreg.h>.
inline HKEY PredefinedKey(LONG value) {
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(value)));
}
inline HKEY HKeyLocalMachine() { return PredefinedKey(static_cast<LONG>(0x80000002)); }
inline HKEY HKeyCurrentUser() { return PredefinedKey(static_cast<LONG>(0x80000001)); }

// Statuses (winerror.h).
constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MOD_NOT_FOUND = 126;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_NO_MORE_ITEMS = 259;

// Registry (winnt.h).
// The rights KEY_READ holds that the simulated machine enforces, and the view
// flags it records.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;

// Waits and processes (winbase.h).
constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD STILL_ACTIVE = 259;

// Shell (winuser.h, shellapi.h).
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr DWORD SEE_MASK_NOCLOSEPROCESS = 0x00000040;
constexpr DWORD SEE_MASK_NOASYNC = 0x00000100;  // the start completes before the call returns
constexpr DWORD SEE_MASK_FLAG_NO_UI = 0x00000400;  // no error box when the start fails

// The process's error mode (winbase.h): which boxes the system shows itself.
constexpr UINT SEM_FAILCRITICALERRORS = 0x0001;  // no "no disk in drive" box
constexpr UINT SEM_NOOPENFILEERRORBOX = 0x8000;  // no box when a file is not found

// COM (winerror.h, objbase.h).
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;  // already initialized on this thread: still to be balanced
constexpr HRESULT RPC_E_CHANGED_MODE = static_cast<HRESULT>(0x80010106);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD COINIT_DISABLE_OLE1DDE = 0x4;

// Machine types of an image or a processor (winnt.h), as IsWow64Process2 answers them.
constexpr WORD IMAGE_FILE_MACHINE_UNKNOWN = 0;  // the process runs under no WOW64
constexpr WORD IMAGE_FILE_MACHINE_I386 = 0x014C;
constexpr WORD IMAGE_FILE_MACHINE_AMD64 = 0x8664;
constexpr WORD IMAGE_FILE_MACHINE_ARM64 = 0xAA64;
constexpr LONG ERROR_PROC_NOT_FOUND = 127;  // an entry the running system lacks

// Version records (winnt.h).
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
constexpr BYTE VER_NT_WORKSTATION = 1;
constexpr BYTE VER_NT_DOMAIN_CONTROLLER = 2;
constexpr BYTE VER_NT_SERVER = 3;

// Library search (libloaderapi.h): the LOAD_LIBRARY_SEARCH_* flags from Windows
// 8 and in Vista and 7 with the update; LOAD_WITH_ALTERED_SEARCH_PATH
// everywhere, the fallback where they are missing.
constexpr DWORD LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x00000800;
constexpr DWORD LOAD_WITH_ALTERED_SEARCH_PATH = 0x00000008;
// Every LOAD_LIBRARY_SEARCH_* flag (DLL_LOAD_DIR to DEFAULT_DIRS), none of
// which combines with LOAD_WITH_ALTERED_SEARCH_PATH.
constexpr DWORD LOAD_LIBRARY_SEARCH_FLAGS = 0x00001F00;

// Computer name formats (sysinfoapi.h, COMPUTER_NAME_FORMAT).
enum ComputerNameFormat : int {
  ComputerNameNetBIOS = 0,
  ComputerNameDnsHostname = 1,
  ComputerNameDnsDomain = 2,
  ComputerNameDnsFullyQualified = 3,
  ComputerNamePhysicalNetBIOS = 4,
  ComputerNamePhysicalDnsHostname = 5,
  ComputerNamePhysicalDnsDomain = 6,
  ComputerNamePhysicalDnsFullyQualified = 7,
};

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
};

struct OSVERSIONINFOEXW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};
static_assert(sizeof(OSVERSIONINFOW) == 276, "OSVERSIONINFOW is 276 bytes");
static_assert(sizeof(OSVERSIONINFOEXW) == 284, "OSVERSIONINFOEXW is 284 bytes");

// SHELLEXECUTEINFOW as <shellapi.h> publishes it: 60 bytes in a 32-bit
// program, 112 in a 64-bit one.
struct SHELLEXECUTEINFOW {
  DWORD cbSize;
  DWORD fMask;
  HWND hwnd;
  const WCHAR* lpVerb;
  const WCHAR* lpFile;
  const WCHAR* lpParameters;
  const WCHAR* lpDirectory;
  int nShow;
  HINSTANCE hInstApp;
  void* lpIDList;
  const WCHAR* lpClass;
  HKEY hkeyClass;
  DWORD dwHotKey;
  union {
    HANDLE hIcon;
    HANDLE hMonitor;
  };
  HANDLE hProcess;
};
static_assert(sizeof(SHELLEXECUTEINFOW) == (sizeof(void*) == 4 ? 60 : 112),
              "SHELLEXECUTEINFOW is 60 bytes in a 32-bit program, 112 in a 64-bit one");

// The signature of shfolder.dll's SHGetFolderPathW (returns an HRESULT).
using SHGetFolderPathWFn = LONG(
#if defined(_WIN32)
    __stdcall
#endif
        *)(HWND, int, HANDLE, DWORD, WCHAR*);

}  // namespace win
