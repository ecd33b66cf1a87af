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

win::HANDLE Machine::GetCurrentProcess() { return reinterpret_cast<win::HANDLE>(kCurrentProcess); }

win::BOOL Machine::IsWow64Process(win::HANDLE process, win::BOOL* result) {
  if (!hasIsWow64Process) return *result = win::FALSE, win::TRUE;
  if (process != reinterpret_cast<win::HANDLE>(kCurrentProcess) && !processes.Holds(process))
    return win::FALSE;
  *result = wow64 ? win::TRUE : win::FALSE;
  return win::TRUE;
}

win::WCHAR** Machine::CommandLineToArgvW(const win::WCHAR* text, int* argc) {
  if (!systemLibrariesLoad || text == nullptr || argc == nullptr) return nullptr;
  std::vector<win::WString> strings = SplitCommandLine(text, modulePath);
  *argc = static_cast<int>(strings.size());
  return vectors.Make(std::move(strings));
}

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
