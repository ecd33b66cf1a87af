// A simulated Windows machine for host tests, behind the same seam as the real
// platform: the machine's facts (version, names, module path, system folder),
// and its parts, each with its own contract: the registry (registry.h),
// processes and the virtual clock (processes.h), the command-line splitter and
// its vectors (command_line.h), the libraries (libraries.h). It accounts for
// every handle and block it hands out (OpenResources) and dumps its state for
// failure messages. Faults are not its business: the fault layer
// (faults/fault_api.h) wraps it.
//
// It keeps the contract stated in platform/api.h; the contract tests run the
// same cases here and against the real platform under Wine. Facts:
//  - GetVersionExW takes a 276- or 284-byte record (anything else fails, the
//    record untouched); every size asked for is recorded.
//  - GetComputerNameW/ExW: FALSE with the size needed when the buffer is too
//    small; an unknown format fails.
//  - GetModuleFileNameW: a path of `size` units or more fills the buffer with
//    no terminator and answers `size`, as XP and Wine do.
//  - GetSystemDirectoryW answers the size needed (with the NUL) when the
//    buffer is too small.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/api.h"
#include "sim/command_line.h"
#include "sim/libraries.h"
#include "sim/processes.h"
#include "sim/registry.h"
#include "sim/text.h"

namespace sim {

struct OsVersion {
  win::DWORD major = 10, minor = 0, build = 19045, platformId = win::VER_PLATFORM_WIN32_NT;
  win::WORD servicePackMajor = 0, servicePackMinor = 0, suiteMask = 0x100;
  win::BYTE productType = win::VER_NT_WORKSTATION;
  win::WString csdVersion;
};

class Machine final : public win::Api {
 public:
  Machine();
  ~Machine() override;
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  // ---- The machine's facts (set them before the run).
  // The program, a 32-bit one, runs under WOW64 on a host of `wow64Host`
  // (IMAGE_FILE_MACHINE_AMD64 or _ARM64). IsWow64Process2 answers the image's
  // machine and the host's; IsWow64Process answers TRUE, unless
  // `isWow64ProcessSaysFalse` (on ARM64, where its page allows FALSE too).
  bool wow64 = false;
  win::WORD wow64Host = win::IMAGE_FILE_MACHINE_AMD64;
  bool isWow64ProcessSaysFalse = false;
  // A KERNEL32 without IsWow64Process (XP before SP2): the layer answers
  // success and "not WOW64" for any handle.
  bool hasIsWow64Process = true;
  // A KERNEL32 without IsWow64Process2 (before Windows 10 1511): FALSE, last
  // error ERROR_PROC_NOT_FOUND.
  bool hasIsWow64Process2 = true;
  // ADVAPI32, SHELL32 and OLE32 cannot be loaded from the system folder: every
  // Reg* call answers ERROR_MOD_NOT_FOUND, CommandLineToArgvW null,
  // ShellExecuteExW FALSE without a handle (hInstApp 2, last error 126),
  // CoInitializeEx 0x8007007E.
  bool systemLibrariesLoad = true;
  OsVersion os;
  win::WString commandLine = u"Setup.exe";
  win::WString modulePath = u"C:\\Users\\Deployer\\Downloads\\Setup.exe";
  win::WString systemDirectory = u"C:\\windows\\system32";
  win::WString computerName = u"WS-0042";
  std::map<int, win::WString> computerNamesEx;  // by ComputerNameFormat
  std::vector<win::DWORD> versionRecordSizes;   // every GetVersionExW record size, in order
  std::vector<win::UINT> systemDirectorySizes;  // every GetSystemDirectoryW buffer size, in order
  // The system folder lengthens by five units after this many answers of
  // "too small" (a folder that changes between two reads).
  int systemDirectoryGrows = 0;
  std::vector<win::WString> debugOutput;        // one entry per OutputDebugStringW call
  win::UINT errorMode = 0;                      // the process's, as a parent left it
  std::vector<win::UINT> errorModes;            // every mode SetErrorMode set, in order

  // ---- The parts.
  Registry registry;
  Processes processes;
  Libraries libraries;
  ArgumentVectors vectors;

  // ---- Shorthands for the tests.
  void CreateKey(win::HKEY root, const win::WString& path) { registry.CreateKey(root, path); }
  void SetValue(win::HKEY root, const win::WString& path, const win::WString& name,
                win::DWORD type, const std::vector<win::BYTE>& data) {
    registry.SetValue(root, path, name, type, data);
  }
  // A REG_SZ value with its terminator, as a careful writer stores it.
  void SetString(win::HKEY root, const win::WString& path, const win::WString& name,
                 const win::WString& text) {
    registry.SetValue(root, path, name, win::REG_SZ, Utf16Bytes(text));
  }
  void SetDword(win::HKEY root, const win::WString& path, const win::WString& name,
                win::DWORD value);
  bool DeleteTree(win::HKEY root, const win::WString& path) { return registry.DeleteTree(root, path); }
  bool KeyExists(win::HKEY root, const win::WString& path) const { return registry.KeyExists(root, path); }
  // Opening this key (any access) answers ERROR_ACCESS_DENIED.
  void DenyAccess(win::HKEY root, const win::WString& path) { registry.DenyAccess(root, path); }
  void AddLibrary(const win::WString& fullPath, std::set<std::string> exports,
                  std::vector<win::WString> imports = {}) {
    libraries.Add(fullPath, std::move(exports), std::move(imports));
  }
  void Script(const win::WString& file, ProgramScript script) { processes.Script(file, std::move(script)); }
  win::WString SystemFile(const win::WString& name) const { return systemDirectory + u'\\' + name; }
  std::uint64_t NowMs() const { return processes.NowMs(); }
  void At(std::uint64_t ms, std::function<void()> event) { processes.At(ms, std::move(event)); }
  std::vector<ProcessStart>& starts = processes.starts;
  std::vector<win::DWORD>& sleeps = processes.sleeps;
  std::uintptr_t& shellExecuteResult = processes.shellExecuteResult;

  // ---- Accounting: everything handed out and not given back.
  std::vector<std::string> OpenResources() const;
  std::string Dump() const;

  // ---- win::Api: every call of platform/api_calls.h (sim_machine.cpp, and
  // the parts it hands them to).
  PELLWORTH_API_OVERRIDES

 private:
  std::uintptr_t NextHandle() { return nextHandle_ += 4; }
  std::uintptr_t nextHandle_ = 0x1000;
};

}  // namespace sim
