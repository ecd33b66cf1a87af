#include "sim/sim_machine.h"

#include <algorithm>
#include <sstream>

namespace sim {
namespace {

constexpr std::uintptr_t kCurrentProcess = static_cast<std::uintptr_t>(-1);
constexpr std::uintptr_t kModuleBase = 0x400000;

win::BOOL CopyName(const win::WString& name, win::WCHAR* buffer, win::DWORD* size) {
  if (*size < name.size() + 1) {
    *size = static_cast<win::DWORD>(name.size() + 1);
    return win::FALSE;
  }
  std::copy(name.begin(), name.end(), buffer);
  buffer[name.size()] = 0;
  *size = static_cast<win::DWORD>(name.size());
  return win::TRUE;
}

}  // namespace

Machine::Machine() {
  errorModes.reserve(8);  // no allocation of the simulation's inside a run
  computerNamesEx = {
      {win::ComputerNameNetBIOS, u"WS-0042"},
      {win::ComputerNameDnsHostname, u"ws-0042"},
      {win::ComputerNameDnsDomain, u"corp.example"},
      {win::ComputerNameDnsFullyQualified, u"ws-0042.corp.example"},
      {win::ComputerNamePhysicalNetBIOS, u"WS-0042"},
      {win::ComputerNamePhysicalDnsHostname, u"ws-0042"},
      {win::ComputerNamePhysicalDnsDomain, u"corp.example"},
      {win::ComputerNamePhysicalDnsFullyQualified, u"ws-0042.corp.example"},
  };
  registry.CreateKey(win::HKeyLocalMachine(), u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  // shfolder.dll exports these two entries (and no others that matter here).
  libraries.Add(SystemFile(u"shfolder.dll"), {"SHGetFolderPathA", "SHGetFolderPathW"});
}

Machine::~Machine() = default;

void Machine::SetDword(win::HKEY root, const win::WString& path, const win::WString& name,
                       win::DWORD value) {
  registry.SetValue(root, path, name, win::REG_DWORD,
                    {static_cast<win::BYTE>(value), static_cast<win::BYTE>(value >> 8),
                     static_cast<win::BYTE>(value >> 16), static_cast<win::BYTE>(value >> 24)});
}

// ---------------------------------------------------------------- the calls

win::UINT Machine::SetErrorMode(win::UINT mode) {
  errorModes.push_back(mode);
  return std::exchange(errorMode, mode);
}

win::HANDLE Machine::GetCurrentProcess() { return reinterpret_cast<win::HANDLE>(kCurrentProcess); }

win::BOOL Machine::IsWow64Process(win::HANDLE process, win::BOOL* result) {
  if (!hasIsWow64Process) return *result = win::FALSE, win::TRUE;
  if (process != reinterpret_cast<win::HANDLE>(kCurrentProcess) && !processes.Holds(process))
    return win::FALSE;
  *result = wow64 && !isWow64ProcessSaysFalse ? win::TRUE : win::FALSE;
  return win::TRUE;
}

win::BOOL Machine::IsWow64Process2(win::HANDLE process, win::WORD* processMachine,
                                   win::WORD* nativeMachine) {
  if (!hasIsWow64Process2) {
    processes.lastError = static_cast<win::DWORD>(win::ERROR_PROC_NOT_FOUND);
    return win::FALSE;
  }
  if (process != reinterpret_cast<win::HANDLE>(kCurrentProcess) && !processes.Holds(process))
    return win::FALSE;
  *processMachine = wow64 ? win::IMAGE_FILE_MACHINE_I386 : win::IMAGE_FILE_MACHINE_UNKNOWN;
  if (nativeMachine != nullptr) *nativeMachine = wow64 ? wow64Host : win::IMAGE_FILE_MACHINE_I386;
  return win::TRUE;
}

const win::WCHAR* Machine::GetCommandLineW() { return commandLine.c_str(); }

win::WCHAR** Machine::CommandLineToArgvW(const win::WCHAR* text, int* argc) {
  if (!systemLibrariesLoad || text == nullptr || argc == nullptr) return nullptr;
  std::vector<win::WString> strings = SplitCommandLine(text, modulePath);
  *argc = static_cast<int>(strings.size());
  return vectors.Make(std::move(strings));
}

win::HLOCAL Machine::LocalFree(win::HLOCAL memory) { return vectors.Free(memory); }

win::BOOL Machine::GetVersionExW(win::OSVERSIONINFOW* info) {
  win::DWORD size = info->dwOSVersionInfoSize;
  versionRecordSizes.push_back(size);
  if (size != sizeof(win::OSVERSIONINFOW) && size != sizeof(win::OSVERSIONINFOEXW))
    return win::FALSE;
  info->dwMajorVersion = os.major;
  info->dwMinorVersion = os.minor;
  info->dwBuildNumber = os.build;
  info->dwPlatformId = os.platformId;
  std::fill(std::begin(info->szCSDVersion), std::end(info->szCSDVersion), win::WCHAR(0));
  std::copy_n(os.csdVersion.begin(), std::min<size_t>(os.csdVersion.size(), 127),
              info->szCSDVersion);
  if (size == sizeof(win::OSVERSIONINFOEXW)) {
    auto* ex = reinterpret_cast<win::OSVERSIONINFOEXW*>(info);
    ex->wServicePackMajor = os.servicePackMajor;
    ex->wServicePackMinor = os.servicePackMinor;
    ex->wSuiteMask = os.suiteMask;
    ex->wProductType = os.productType;
    ex->wReserved = 0;
  }
  return win::TRUE;
}

win::BOOL Machine::GetComputerNameW(win::WCHAR* buffer, win::DWORD* size) {
  return CopyName(computerName, buffer, size);
}

win::BOOL Machine::GetComputerNameExW(win::ComputerNameFormat format, win::WCHAR* buffer,
                                      win::DWORD* size) {
  auto it = computerNamesEx.find(format);
  if (it == computerNamesEx.end()) return win::FALSE;
  return CopyName(it->second, buffer, size);
}

win::HMODULE Machine::GetModuleHandleW(const win::WCHAR* name) {
  if (name != nullptr) return nullptr;
  return reinterpret_cast<win::HMODULE>(kModuleBase);
}

win::DWORD Machine::GetModuleFileNameW(win::HMODULE module, win::WCHAR* buffer, win::DWORD size) {
  if (module != nullptr && module != reinterpret_cast<win::HMODULE>(kModuleBase)) return 0;
  if (size == 0) return 0;
  if (modulePath.size() >= size) {
    std::copy_n(modulePath.begin(), size, buffer);  // filled, no terminator
    return size;
  }
  std::copy(modulePath.begin(), modulePath.end(), buffer);
  buffer[modulePath.size()] = 0;
  return static_cast<win::DWORD>(modulePath.size());
}

win::UINT Machine::GetSystemDirectoryW(win::WCHAR* buffer, win::UINT size) {
  systemDirectorySizes.push_back(size);
  if (size < systemDirectory.size() + 1) {
    auto needed = static_cast<win::UINT>(systemDirectory.size() + 1);
    if (systemDirectoryGrows > 0) {
      --systemDirectoryGrows;
      systemDirectory.append(5, u'g');
    }
    return needed;
  }
  std::copy(systemDirectory.begin(), systemDirectory.end(), buffer);
  buffer[systemDirectory.size()] = 0;
  return static_cast<win::UINT>(systemDirectory.size());
}

win::HMODULE Machine::LoadLibraryExW(const win::WCHAR* path, win::HANDLE, win::DWORD flags) {
  return libraries.Load(path, flags, modulePath.substr(0, modulePath.rfind(u'\\')),
                        systemDirectory);
}

win::FARPROC Machine::GetProcAddress(win::HMODULE module, const char* name) {
  return libraries.Entry(module, name);
}

win::BOOL Machine::FreeLibrary(win::HMODULE module) { return libraries.Free(module); }

win::BOOL Machine::SetDefaultDllDirectories(win::DWORD flags) {
  return libraries.SetDefaultDirectories(flags);
}

win::BOOL Machine::SetDllDirectoryW(const win::WCHAR* path) { return libraries.SetDirectory(path); }

// Without ADVAPI32 from the system folder, every registry call answers as the
// real layer answers then.
win::LONG Machine::RegOpenKeyExW(win::HKEY parent, const win::WCHAR* subKey, win::DWORD options,
                                 win::REGSAM access, win::HKEY* result) {
  if (!systemLibrariesLoad) return *result = nullptr, win::ERROR_MOD_NOT_FOUND;
  return registry.Open(parent, subKey, options, access, result, NextHandle());
}

win::LONG Machine::RegQueryValueExW(win::HKEY key, const win::WCHAR* valueName,
                                    win::DWORD* reserved, win::DWORD* type, win::BYTE* data,
                                    win::DWORD* size) {
  if (!systemLibrariesLoad) return win::ERROR_MOD_NOT_FOUND;
  return registry.QueryValue(key, valueName, reserved, type, data, size);
}

win::LONG Machine::RegQueryInfoKeyW(win::HKEY key, win::WCHAR* className, win::DWORD* classChars,
                                    win::DWORD* reserved, win::DWORD* subKeys,
                                    win::DWORD* maxSubKeyChars, win::DWORD* maxClassChars,
                                    win::DWORD* values, win::DWORD* maxValueNameChars,
                                    win::DWORD* maxValueBytes, win::DWORD* securityDescriptorBytes,
                                    win::FILETIME* lastWrite) {
  if (!systemLibrariesLoad) return win::ERROR_MOD_NOT_FOUND;
  return registry.QueryInfo(key, className, classChars, reserved, subKeys, maxSubKeyChars,
                            maxClassChars, values, maxValueNameChars, maxValueBytes,
                            securityDescriptorBytes, lastWrite);
}

win::LONG Machine::RegEnumKeyExW(win::HKEY key, win::DWORD index, win::WCHAR* name,
                                 win::DWORD* nameChars, win::DWORD*, win::WCHAR* className,
                                 win::DWORD* classChars, win::FILETIME* lastWrite) {
  if (!systemLibrariesLoad) return win::ERROR_MOD_NOT_FOUND;
  return registry.EnumKey(key, index, name, nameChars, className, classChars, lastWrite);
}

win::LONG Machine::RegDeleteKeyW(win::HKEY key, const win::WCHAR* subKey) {
  if (!systemLibrariesLoad) return win::ERROR_MOD_NOT_FOUND;
  return registry.DeleteKey(key, subKey);
}

win::LONG Machine::RegCloseKey(win::HKEY key) {
  return systemLibrariesLoad ? registry.Close(key) : win::ERROR_MOD_NOT_FOUND;
}

// Without OLE32 from the system folder, as the real layer answers then.
win::HRESULT Machine::CoInitializeEx(void*, win::DWORD flags) {
  return systemLibrariesLoad ? processes.CoInitialize(flags)
                             : static_cast<win::HRESULT>(0x8007007E);
}

void Machine::CoUninitialize() {
  if (systemLibrariesLoad) processes.CoUninitialize();
}

win::BOOL Machine::ShellExecuteExW(win::SHELLEXECUTEINFOW* info) {
  if (!systemLibrariesLoad) return processes.Refuse(info, 2, win::ERROR_MOD_NOT_FOUND);
  std::size_t before = starts.size();
  win::BOOL started = processes.StartEx(info, NextHandle());
  if (starts.size() > before) starts.back().errorMode = errorMode;
  return started;
}

win::DWORD Machine::WaitForSingleObject(win::HANDLE handle, win::DWORD milliseconds) {
  return processes.Wait(handle, milliseconds);
}

win::BOOL Machine::GetExitCodeProcess(win::HANDLE process, win::DWORD* exitCode) {
  return processes.ExitCode(process, exitCode);
}

win::BOOL Machine::CloseHandle(win::HANDLE handle) { return processes.Close(handle); }

void Machine::Sleep(win::DWORD milliseconds) { processes.Sleep(milliseconds); }

win::DWORD Machine::GetLastError() { return processes.lastError; }

void Machine::OutputDebugStringW(const win::WCHAR* text) { debugOutput.push_back(FromPtr(text)); }

std::vector<std::string> Machine::OpenResources() const {
  std::vector<std::string> open;
  registry.OpenResources(open);
  processes.OpenResources(open);
  vectors.OpenResources(open);
  libraries.OpenResources(open);
  return open;
}

std::string Machine::Dump() const {
  std::ostringstream out;
  out << "simulated machine\n";
  registry.Dump(out);
  processes.Dump(out);
  for (const std::string& r : OpenResources()) out << "open: " << r << '\n';
  return out.str();
}

}  // namespace sim
