#include "platform/win32_api.h"
#include "platform/system_directory.h"

#include <cstddef>
#include <cstdint>
#include <optional>

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

namespace win {
namespace {

// ADVAPI32, SHELL32 and OLE32 are not imported: the loader would resolve them, and
// the libraries they import in turn, before the program could take its own
// folder out of the library search, so a library planted beside Setup.exe
// under one of their names would be loaded. They are loaded on first use,
// by full path in the system folder (built by the product's own
// SystemFilePath), after the search was restricted. Where the system lacks
// the restriction (SetDefaultDllDirectories: XP, Vista and 7 without the
// update), their own imports would still be searched beside the program:
// there they are loaded with LOAD_WITH_ALTERED_SEARCH_PATH, which starts that
// search in the system folder, theirs. The two are never combined.
//
// Whether the search can be restricted is asked here by looking the entry up,
// not as the product's FullPathLoadFlags asks it (by calling the setter, which
// restricts the search as it answers): this layer loads the two libraries on
// its first registry, shell or library call, which may come before the
// program restricts the search, and must not restrict it for the program.
HMODULE SystemLibrary(const WString& name, Api& api, bool searchRestrictable) {
  WString path = SystemFilePath(name, api);
  if (path.empty()) return nullptr;
  return reinterpret_cast<HMODULE>(
      ::LoadLibraryExW(reinterpret_cast<const wchar_t*>(path.c_str()), nullptr,
                       searchRestrictable ? 0 : LOAD_WITH_ALTERED_SEARCH_PATH));
}

// The entry `name` of `library`, or null when either is missing.
template <typename Fn>
Fn Entry(HMODULE library, const char* name) {
  if (library == nullptr) return nullptr;
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(::GetProcAddress(reinterpret_cast<::HMODULE>(library), name)));
}

// What this layer finds of the system's optional parts: the libraries it loads
// at run time and the KERNEL32 entries that older systems lack. The real
// platform's are the system's own; the lacking one names parts that are never
// there, to show what the layer answers on a system without them.
struct SystemParts {
  const char16_t* advapi32;
  const char16_t* shell32;
  const char16_t* ole32;
  const char* isWow64Process;
  const char* isWow64Process2;
  const char* setDefaultDllDirectories;
  const char* setDllDirectoryW;
};
constexpr SystemParts kSystemParts{u"advapi32.dll", u"shell32.dll", u"ole32.dll",
                                   "IsWow64Process", "IsWow64Process2",
                                   "SetDefaultDllDirectories", "SetDllDirectoryW"};
constexpr SystemParts kLackingParts{u"pellworth-absent-advapi32.dll",
                                    u"pellworth-absent-shell32.dll", u"pellworth-absent-ole32.dll",
                                    "PellworthAbsentEntry", "PellworthAbsentEntry",
                                    "PellworthAbsentEntry", "PellworthAbsentEntry"};

// The Win32 function `function` of the library `library` (a member below).
#define SYSTEM_ENTRY(library, function) \
  const auto fn = Entry<decltype(&::function)>(library(), #function)

const wchar_t* W(const WCHAR* text) { return reinterpret_cast<const wchar_t*>(text); }
wchar_t* W(WCHAR* text) { return reinterpret_cast<wchar_t*>(text); }
::HKEY K(HKEY key) { return reinterpret_cast<::HKEY>(key); }
::HMODULE M(HMODULE module) { return reinterpret_cast<::HMODULE>(module); }
HMODULE Ours(::HMODULE module) { return reinterpret_cast<HMODULE>(module); }

class Win32Api final : public Api {
 public:
  explicit Win32Api(const SystemParts& parts) : parts_(parts) {}
  // Every call of platform/api_calls.h; the bodies follow the class.
  PELLWORTH_API_OVERRIDES

 private:
  // Each loaded once, on first use (null when it cannot be had).
  HMODULE Advapi32() {
    if (!advapi32_) advapi32_ = SystemLibrary(parts_.advapi32, *this, SearchRestrictable());
    return *advapi32_;
  }
  HMODULE Shell32() {
    if (!shell32_) shell32_ = SystemLibrary(parts_.shell32, *this, SearchRestrictable());
    return *shell32_;
  }
  HMODULE Ole32() {
    if (!ole32_) ole32_ = SystemLibrary(parts_.ole32, *this, SearchRestrictable());
    return *ole32_;
  }
  // Whether this system has SetDefaultDllDirectories (see SystemLibrary).
  bool SearchRestrictable() {
    return Kernel32Entry<void*>(parts_.setDefaultDllDirectories) != nullptr;
  }
  template <typename Fn>
  Fn Kernel32Entry(const char* name) {
    return Entry<Fn>(Ours(::GetModuleHandleW(L"kernel32.dll")), name);
  }

  const SystemParts parts_;
  std::optional<HMODULE> advapi32_;
  std::optional<HMODULE> shell32_;
  std::optional<HMODULE> ole32_;
};

UINT Win32Api::SetErrorMode(UINT mode) { return ::SetErrorMode(mode); }

HANDLE Win32Api::GetCurrentProcess() { return ::GetCurrentProcess(); }

BOOL Win32Api::IsWow64Process(HANDLE process, BOOL* wow64) {
  // Looked up at run time: Windows XP before SP2 has no such entry, and a
  // system without it has no WOW64 either.
  auto fn = Kernel32Entry<::BOOL(WINAPI*)(::HANDLE, ::PBOOL)>(parts_.isWow64Process);
  if (fn == nullptr) {
    *wow64 = FALSE;
    return TRUE;
  }
  ::BOOL result = FALSE;
  if (!fn(process, &result)) return FALSE;
  *wow64 = result;
  return TRUE;
}

BOOL Win32Api::IsWow64Process2(HANDLE process, WORD* processMachine, WORD* nativeMachine) {
  // Looked up at run time: KERNEL32 has it from Windows 10 1511 on.
  auto fn = Kernel32Entry<::BOOL(WINAPI*)(::HANDLE, ::USHORT*, ::USHORT*)>(parts_.isWow64Process2);
  if (fn == nullptr) {
    ::SetLastError(ERROR_PROC_NOT_FOUND);
    return FALSE;
  }
  ::USHORT image = 0, native = 0;
  if (!fn(process, &image, nativeMachine != nullptr ? &native : nullptr)) return FALSE;
  *processMachine = image;
  if (nativeMachine != nullptr) *nativeMachine = native;
  return TRUE;
}

const WCHAR* Win32Api::GetCommandLineW() {
  return reinterpret_cast<const WCHAR*>(::GetCommandLineW());
}

WCHAR** Win32Api::CommandLineToArgvW(const WCHAR* commandLine, int* argc) {
  SYSTEM_ENTRY(Shell32, CommandLineToArgvW);
  return fn ? reinterpret_cast<WCHAR**>(fn(W(commandLine), argc)) : nullptr;
}

HLOCAL Win32Api::LocalFree(HLOCAL memory) { return ::LocalFree(memory); }

BOOL Win32Api::GetVersionExW(OSVERSIONINFOW* info) {
  return ::GetVersionExW(reinterpret_cast<::OSVERSIONINFOW*>(info));
}

BOOL Win32Api::GetComputerNameW(WCHAR* buffer, DWORD* size) {
  ::DWORD n = *size;
  ::BOOL ok = ::GetComputerNameW(W(buffer), &n);
  *size = n;
  return ok;
}

BOOL Win32Api::GetComputerNameExW(ComputerNameFormat format, WCHAR* buffer, DWORD* size) {
  ::DWORD n = *size;
  ::BOOL ok = ::GetComputerNameExW(static_cast<::COMPUTER_NAME_FORMAT>(format), W(buffer), &n);
  *size = n;
  return ok;
}

HMODULE Win32Api::GetModuleHandleW(const WCHAR* name) {
  return Ours(::GetModuleHandleW(W(name)));
}

DWORD Win32Api::GetModuleFileNameW(HMODULE module, WCHAR* buffer, DWORD size) {
  return ::GetModuleFileNameW(M(module), W(buffer), size);
}

UINT Win32Api::GetSystemDirectoryW(WCHAR* buffer, UINT size) {
  return ::GetSystemDirectoryW(W(buffer), size);
}

HMODULE Win32Api::LoadLibraryExW(const WCHAR* path, HANDLE file, DWORD flags) {
  // A system library may forward an export to SHELL32 or ADVAPI32 (shfolder
  // does); the forward must find the copy from the system folder already
  // loaded, never look for one beside the program.
  Shell32();
  Advapi32();
  return Ours(::LoadLibraryExW(W(path), file, flags));
}

FARPROC Win32Api::GetProcAddress(HMODULE module, const char* name) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(::GetProcAddress(M(module), name)));
}

BOOL Win32Api::FreeLibrary(HMODULE module) { return ::FreeLibrary(M(module)); }

// Both looked up at run time: XP before SP1 lacks the second, and XP, Vista
// and 7 without their updates lack the first.
BOOL Win32Api::SetDefaultDllDirectories(DWORD flags) {
  auto fn = Kernel32Entry<::BOOL(WINAPI*)(::DWORD)>(parts_.setDefaultDllDirectories);
  return fn != nullptr && fn(flags);
}

BOOL Win32Api::SetDllDirectoryW(const WCHAR* path) {
  auto fn = Kernel32Entry<::BOOL(WINAPI*)(::LPCWSTR)>(parts_.setDllDirectoryW);
  return fn != nullptr && fn(W(path));
}

LONG Win32Api::RegOpenKeyExW(HKEY parent, const WCHAR* subKey, DWORD options, REGSAM access,
                             HKEY* result) {
  SYSTEM_ENTRY(Advapi32, RegOpenKeyExW);
  ::HKEY opened = nullptr;
  LONG status = fn ? fn(K(parent), W(subKey), options, access, &opened) : ERROR_MOD_NOT_FOUND;
  *result = status == 0 ? reinterpret_cast<HKEY>(opened) : nullptr;
  return status;
}

LONG Win32Api::RegQueryValueExW(HKEY key, const WCHAR* valueName, DWORD* reserved, DWORD* type,
                                BYTE* data, DWORD* size) {
  SYSTEM_ENTRY(Advapi32, RegQueryValueExW);
  if (!fn) return ERROR_MOD_NOT_FOUND;
  return fn(K(key), W(valueName), reinterpret_cast<::LPDWORD>(reserved),
            reinterpret_cast<::LPDWORD>(type), data, reinterpret_cast<::LPDWORD>(size));
}

LONG Win32Api::RegQueryInfoKeyW(HKEY key, WCHAR* className, DWORD* classChars, DWORD* reserved,
                                DWORD* subKeys, DWORD* maxSubKeyChars, DWORD* maxClassChars,
                                DWORD* values, DWORD* maxValueNameChars, DWORD* maxValueBytes,
                                DWORD* securityDescriptorBytes, FILETIME* lastWrite) {
  SYSTEM_ENTRY(Advapi32, RegQueryInfoKeyW);
  if (!fn) return ERROR_MOD_NOT_FOUND;
  auto d = [](DWORD* p) { return reinterpret_cast<::LPDWORD>(p); };
  return fn(K(key), W(className), d(classChars), d(reserved), d(subKeys), d(maxSubKeyChars),
            d(maxClassChars), d(values), d(maxValueNameChars), d(maxValueBytes),
            d(securityDescriptorBytes), reinterpret_cast<::PFILETIME>(lastWrite));
}

LONG Win32Api::RegEnumKeyExW(HKEY key, DWORD index, WCHAR* name, DWORD* nameChars,
                             DWORD* reserved, WCHAR* className, DWORD* classChars,
                             FILETIME* lastWrite) {
  SYSTEM_ENTRY(Advapi32, RegEnumKeyExW);
  if (!fn) return ERROR_MOD_NOT_FOUND;
  return fn(K(key), index, W(name), reinterpret_cast<::LPDWORD>(nameChars),
            reinterpret_cast<::LPDWORD>(reserved), W(className),
            reinterpret_cast<::LPDWORD>(classChars), reinterpret_cast<::PFILETIME>(lastWrite));
}

LONG Win32Api::RegDeleteKeyW(HKEY key, const WCHAR* subKey) {
  SYSTEM_ENTRY(Advapi32, RegDeleteKeyW);
  return fn ? fn(K(key), W(subKey)) : ERROR_MOD_NOT_FOUND;
}

LONG Win32Api::RegCloseKey(HKEY key) {
  SYSTEM_ENTRY(Advapi32, RegCloseKey);
  return fn ? fn(K(key)) : ERROR_MOD_NOT_FOUND;
}

HRESULT Win32Api::CoInitializeEx(void* reserved, DWORD flags) {
  SYSTEM_ENTRY(Ole32, CoInitializeEx);
  return fn ? fn(reserved, flags) : HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
}

void Win32Api::CoUninitialize() {
  SYSTEM_ENTRY(Ole32, CoUninitialize);
  if (fn) fn();
}

BOOL Win32Api::ShellExecuteExW(SHELLEXECUTEINFOW* info) {
  SYSTEM_ENTRY(Shell32, ShellExecuteExW);
  if (!fn) {
    info->hProcess = nullptr;
    info->hInstApp = reinterpret_cast<HINSTANCE>(std::uintptr_t{2});  // as for a missing file
    ::SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  return fn(reinterpret_cast<::SHELLEXECUTEINFOW*>(info));
}

DWORD Win32Api::WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  return ::WaitForSingleObject(handle, milliseconds);
}

BOOL Win32Api::GetExitCodeProcess(HANDLE process, DWORD* exitCode) {
  ::DWORD code = 0;
  ::BOOL ok = ::GetExitCodeProcess(process, &code);
  if (ok) *exitCode = code;
  return ok;
}

BOOL Win32Api::CloseHandle(HANDLE handle) { return ::CloseHandle(handle); }

void Win32Api::Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }

DWORD Win32Api::GetLastError() { return ::GetLastError(); }

void Win32Api::OutputDebugStringW(const WCHAR* text) { ::OutputDebugStringW(W(text)); }

#undef SYSTEM_ENTRY

}  // namespace

Api& RealApi() {
  static Win32Api api(kSystemParts);
  return api;
}

Api& RealApiLackingOptionalParts() {
  static Win32Api api(kLackingParts);
  return api;
}

Api& RealApiWithoutSearchRestriction(const char16_t* library) {
  static Win32Api api({library, library, library, kSystemParts.isWow64Process,
                       kSystemParts.isWow64Process2, kLackingParts.setDefaultDllDirectories,
                       kSystemParts.setDllDirectoryW});
  return api;
}

}  // namespace win
