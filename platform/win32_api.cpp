#include "platform/win32_api.h"

#include <cstddef>

// The numbers of win_types.h, taken before <windows.h> turns these names into
// macros, and held against the platform's own below.
namespace check {
constexpr auto keyRead = win::KEY_READ;
constexpr auto regSz = win::REG_SZ;
constexpr auto regExpandSz = win::REG_EXPAND_SZ;
constexpr auto regDword = win::REG_DWORD;
constexpr auto errorMoreData = win::ERROR_MORE_DATA;
constexpr auto errorFileNotFound = win::ERROR_FILE_NOT_FOUND;
constexpr auto errorInvalidHandle = win::ERROR_INVALID_HANDLE;
constexpr auto errorNoMoreItems = win::ERROR_NO_MORE_ITEMS;
constexpr auto waitFailed = win::WAIT_FAILED;
constexpr auto infinite = win::INFINITE;
constexpr auto seeMaskNoCloseProcess = win::SEE_MASK_NOCLOSEPROCESS;
constexpr auto swHide = win::SW_HIDE;
constexpr auto swShowNormal = win::SW_SHOWNORMAL;
constexpr auto verPlatformWin32Nt = win::VER_PLATFORM_WIN32_NT;
constexpr auto loadLibrarySearchSystem32 = win::LOAD_LIBRARY_SEARCH_SYSTEM32;
}  // namespace check

#include <windows.h>
#include <shellapi.h>

static_assert(check::keyRead == KEY_READ, "KEY_READ");
static_assert(check::regSz == REG_SZ && check::regExpandSz == REG_EXPAND_SZ &&
                  check::regDword == REG_DWORD,
              "registry types");
static_assert(check::errorMoreData == ERROR_MORE_DATA &&
                  check::errorFileNotFound == ERROR_FILE_NOT_FOUND &&
                  check::errorInvalidHandle == ERROR_INVALID_HANDLE &&
                  check::errorNoMoreItems == ERROR_NO_MORE_ITEMS,
              "statuses");
static_assert(check::waitFailed == WAIT_FAILED && check::infinite == INFINITE, "waits");
static_assert(check::seeMaskNoCloseProcess == SEE_MASK_NOCLOSEPROCESS &&
                  check::swHide == SW_HIDE && check::swShowNormal == SW_SHOWNORMAL,
              "shell");
static_assert(check::verPlatformWin32Nt == VER_PLATFORM_WIN32_NT, "platform id");
static_assert(check::loadLibrarySearchSystem32 == 0x00000800, "library search flag");
static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wide characters");

#define SAME_LAYOUT(ours, theirs, field) \
  static_assert(offsetof(win::ours, field) == offsetof(::theirs, field), #ours "." #field)
static_assert(sizeof(win::OSVERSIONINFOEXW) == sizeof(::OSVERSIONINFOEXW), "OSVERSIONINFOEXW");
static_assert(sizeof(win::OSVERSIONINFOW) == sizeof(::OSVERSIONINFOW), "OSVERSIONINFOW");
SAME_LAYOUT(OSVERSIONINFOEXW, OSVERSIONINFOEXW, szCSDVersion);
SAME_LAYOUT(OSVERSIONINFOEXW, OSVERSIONINFOEXW, wServicePackMajor);
SAME_LAYOUT(OSVERSIONINFOEXW, OSVERSIONINFOEXW, wProductType);
static_assert(sizeof(win::SHELLEXECUTEINFOW) == sizeof(::SHELLEXECUTEINFOW), "SHELLEXECUTEINFOW");
SAME_LAYOUT(SHELLEXECUTEINFOW, SHELLEXECUTEINFOW, lpParameters);
SAME_LAYOUT(SHELLEXECUTEINFOW, SHELLEXECUTEINFOW, nShow);
SAME_LAYOUT(SHELLEXECUTEINFOW, SHELLEXECUTEINFOW, hkeyClass);
SAME_LAYOUT(SHELLEXECUTEINFOW, SHELLEXECUTEINFOW, hProcess);
static_assert(sizeof(win::FILETIME) == sizeof(::FILETIME), "FILETIME");
#undef SAME_LAYOUT

namespace win {
namespace {

const wchar_t* W(const WCHAR* text) { return reinterpret_cast<const wchar_t*>(text); }
wchar_t* W(WCHAR* text) { return reinterpret_cast<wchar_t*>(text); }
::HKEY K(HKEY key) { return reinterpret_cast<::HKEY>(key); }
::HMODULE M(HMODULE module) { return reinterpret_cast<::HMODULE>(module); }
HMODULE Ours(::HMODULE module) { return reinterpret_cast<HMODULE>(module); }

class Win32Api final : public Api {
 public:
  HANDLE GetCurrentProcess() override { return ::GetCurrentProcess(); }
  BOOL IsWow64Process(HANDLE process, BOOL* wow64) override {
    // Looked up at run time: Windows XP before SP2 has no such entry, and a
    // system without it has no WOW64 either.
    using Fn = ::BOOL(WINAPI*)(::HANDLE, ::PBOOL);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
    if (fn == nullptr) {
      *wow64 = 0;
      return 1;
    }
    ::BOOL result = 0;
    if (!fn(process, &result)) return 0;
    *wow64 = result;
    return 1;
  }
  const WCHAR* GetCommandLineW() override {
    return reinterpret_cast<const WCHAR*>(::GetCommandLineW());
  }
  WCHAR** CommandLineToArgvW(const WCHAR* commandLine, int* argc) override {
    return reinterpret_cast<WCHAR**>(::CommandLineToArgvW(W(commandLine), argc));
  }
  HLOCAL LocalFree(HLOCAL memory) override { return ::LocalFree(memory); }

  BOOL GetVersionExW(OSVERSIONINFOW* info) override {
    return ::GetVersionExW(reinterpret_cast<::OSVERSIONINFOW*>(info));
  }
  BOOL GetComputerNameW(WCHAR* buffer, DWORD* size) override {
    ::DWORD n = *size;
    ::BOOL ok = ::GetComputerNameW(W(buffer), &n);
    *size = n;
    return ok;
  }
  BOOL GetComputerNameExW(ComputerNameFormat format, WCHAR* buffer, DWORD* size) override {
    ::DWORD n = *size;
    ::BOOL ok = ::GetComputerNameExW(static_cast<::COMPUTER_NAME_FORMAT>(format), W(buffer), &n);
    *size = n;
    return ok;
  }
  HMODULE GetModuleHandleW(const WCHAR* name) override {
    return Ours(::GetModuleHandleW(W(name)));
  }
  DWORD GetModuleFileNameW(HMODULE module, WCHAR* buffer, DWORD size) override {
    return ::GetModuleFileNameW(M(module), W(buffer), size);
  }
  UINT GetSystemDirectoryW(WCHAR* buffer, UINT size) override {
    return ::GetSystemDirectoryW(W(buffer), size);
  }

  HMODULE LoadLibraryW(const WCHAR* path) override { return Ours(::LoadLibraryW(W(path))); }
  FARPROC GetProcAddress(HMODULE module, const char* name) override {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(::GetProcAddress(M(module), name)));
  }
  BOOL FreeLibrary(HMODULE module) override { return ::FreeLibrary(M(module)); }
  // Both looked up at run time: XP before SP1 lacks the second, and XP, Vista
  // and 7 without their updates lack the first.
  BOOL SetDefaultDllDirectories(DWORD flags) override {
    using Fn = ::BOOL(WINAPI*)(::DWORD);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    return fn != nullptr && fn(flags);
  }
  BOOL SetDllDirectoryW(const WCHAR* path) override {
    using Fn = ::BOOL(WINAPI*)(::LPCWSTR);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDllDirectoryW")));
    return fn != nullptr && fn(W(path));
  }

  LONG RegOpenKeyExW(HKEY parent, const WCHAR* subKey, DWORD options, REGSAM access,
                     HKEY* result) override {
    ::HKEY opened = nullptr;
    LONG status = ::RegOpenKeyExW(K(parent), W(subKey), options, access, &opened);
    *result = status == 0 ? reinterpret_cast<HKEY>(opened) : nullptr;
    return status;
  }
  LONG RegQueryValueExW(HKEY key, const WCHAR* valueName, DWORD* reserved, DWORD* type,
                        BYTE* data, DWORD* size) override {
    return ::RegQueryValueExW(K(key), W(valueName), reinterpret_cast<::LPDWORD>(reserved),
                              reinterpret_cast<::LPDWORD>(type), data,
                              reinterpret_cast<::LPDWORD>(size));
  }
  LONG RegQueryInfoKeyW(HKEY key, WCHAR* className, DWORD* classChars, DWORD* reserved,
                        DWORD* subKeys, DWORD* maxSubKeyChars, DWORD* maxClassChars,
                        DWORD* values, DWORD* maxValueNameChars, DWORD* maxValueBytes,
                        DWORD* securityDescriptorBytes, FILETIME* lastWrite) override {
    auto d = [](DWORD* p) { return reinterpret_cast<::LPDWORD>(p); };
    return ::RegQueryInfoKeyW(K(key), W(className), d(classChars), d(reserved), d(subKeys),
                              d(maxSubKeyChars), d(maxClassChars), d(values),
                              d(maxValueNameChars), d(maxValueBytes), d(securityDescriptorBytes),
                              reinterpret_cast<::PFILETIME>(lastWrite));
  }
  LONG RegEnumKeyExW(HKEY key, DWORD index, WCHAR* name, DWORD* nameChars, DWORD* reserved,
                     WCHAR* className, DWORD* classChars, FILETIME* lastWrite) override {
    return ::RegEnumKeyExW(K(key), index, W(name), reinterpret_cast<::LPDWORD>(nameChars),
                           reinterpret_cast<::LPDWORD>(reserved), W(className),
                           reinterpret_cast<::LPDWORD>(classChars),
                           reinterpret_cast<::PFILETIME>(lastWrite));
  }
  LONG RegDeleteKeyW(HKEY key, const WCHAR* subKey) override {
    return ::RegDeleteKeyW(K(key), W(subKey));
  }
  LONG RegCloseKey(HKEY key) override { return ::RegCloseKey(K(key)); }

  BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) override {
    return ::ShellExecuteExW(reinterpret_cast<::SHELLEXECUTEINFOW*>(info));
  }
  HINSTANCE ShellExecuteW(HWND owner, const WCHAR* verb, const WCHAR* file,
                          const WCHAR* parameters, const WCHAR* directory, int show) override {
    return reinterpret_cast<HINSTANCE>(::ShellExecuteW(reinterpret_cast<::HWND>(owner), W(verb),
                                                       W(file), W(parameters), W(directory),
                                                       show));
  }
  DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) override {
    return ::WaitForSingleObject(handle, milliseconds);
  }
  BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) override {
    ::DWORD code = 0;
    ::BOOL ok = ::GetExitCodeProcess(process, &code);
    if (ok) *exitCode = code;
    return ok;
  }
  BOOL CloseHandle(HANDLE handle) override { return ::CloseHandle(handle); }
  void Sleep(DWORD milliseconds) override { ::Sleep(milliseconds); }
  void OutputDebugStringW(const WCHAR* text) override { ::OutputDebugStringW(W(text)); }
};

}  // namespace

Api& RealApi() {
  static Win32Api api;
  return api;
}

}  // namespace win
