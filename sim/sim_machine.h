// A simulated Windows machine for host tests: an in-memory registry with the
// platform's statuses, recorded process starts with scripted exit codes, a
// virtual clock, a debugger-output log, fault injection for every call, and
// accounting of every handle and block handed out and given back.
//
// It keeps the contract stated in platform/api.h; the contract tests run the
// same cases here and against the real platform under Wine.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/api.h"

namespace sim {

using win::BOOL;
using win::BYTE;
using win::DWORD;
using win::HANDLE;
using win::HKEY;
using win::HMODULE;
using win::LONG;
using win::UINT;
using win::WCHAR;
using win::WString;

// Every call of the seam, for fault injection and call counts.
enum class Call {
  GetCurrentProcess,
  IsWow64Process,
  GetCommandLineW,
  CommandLineToArgvW,
  LocalFree,
  GetVersionExW,
  GetComputerNameW,
  GetComputerNameExW,
  GetModuleHandleW,
  GetModuleFileNameW,
  GetSystemDirectoryW,
  LoadLibraryW,
  GetProcAddress,
  FreeLibrary,
  SetDefaultDllDirectories,
  SetDllDirectoryW,
  RegOpenKeyExW,
  RegQueryValueExW,
  RegQueryInfoKeyW,
  RegEnumKeyExW,
  RegDeleteKeyW,
  RegCloseKey,
  ShellExecuteExW,
  ShellExecuteW,
  WaitForSingleObject,
  GetExitCodeProcess,
  CloseHandle,
  Sleep,
  OutputDebugStringW,
  kCount
};
const char* CallName(Call call);
constexpr int kCallCount = static_cast<int>(Call::kCount);

// What a failing call does: `status` is the registry status, the value that
// ShellExecuteW returns, or ignored for calls that fail with FALSE/null/0.
struct Fault {
  Call call;
  int occurrence = 0;  // 0-based, counted from the injection: which call of this kind fails
  int times = 1;       // how many calls in a row, from `occurrence`
  LONG status = win::ERROR_ACCESS_DENIED;
  bool throwBadAlloc = false;  // raise std::bad_alloc instead of failing
};

// What a started program does: it runs for `runMs` of virtual time, then
// `onExit` runs (to write or delete registry data, say) and it exits with
// `exitCode`.
struct ProgramScript {
  DWORD exitCode = 0;
  DWORD runMs = 1000;
  std::function<void()> onExit;
};

// One start of a program, as the product asked for it.
struct ProcessStart {
  std::string api;  // "ShellExecuteExW" or "ShellExecuteW"
  bool hasVerb = false;
  WString verb;
  WString file;
  bool hasParameters = false;
  WString parameters;
  bool hasDirectory = false;
  WString directory;
  int show = -1;
  DWORD mask = 0;
  DWORD recordSize = 0;
  bool hasOwner = false;
  std::uint64_t atMs = 0;
};

struct OsVersion {
  DWORD major = 10, minor = 0, build = 19045, platformId = win::VER_PLATFORM_WIN32_NT;
  win::WORD servicePackMajor = 0, servicePackMinor = 0, suiteMask = 0x100;
  BYTE productType = win::VER_NT_WORKSTATION;
  WString csdVersion;
};

class Machine final : public win::Api {
 public:
  Machine();
  ~Machine() override;
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  // ---- The machine's facts (set them before the run).
  bool wow64 = false;
  OsVersion os;
  WString commandLine = u"Setup.exe";
  WString modulePath = u"C:\\Users\\Deployer\\Downloads\\Setup.exe";
  WString systemDirectory = u"C:\\windows\\system32";
  WString computerName = u"WS-0042";
  std::map<int, WString> computerNamesEx;  // by ComputerNameFormat
  // A value above 32 means started; the scripts decide what runs.
  std::uintptr_t shellExecuteResult = 42;

  // ---- Registry.
  void CreateKey(HKEY root, const WString& path);
  void SetValue(HKEY root, const WString& path, const WString& name, DWORD type,
                const std::vector<BYTE>& data);
  // A REG_SZ value with its terminator, as a careful writer stores it.
  void SetString(HKEY root, const WString& path, const WString& name, const WString& text);
  void SetDword(HKEY root, const WString& path, const WString& name, DWORD value);
  bool DeleteTree(HKEY root, const WString& path);
  bool KeyExists(HKEY root, const WString& path) const;
  bool ValueExists(HKEY root, const WString& path, const WString& name) const;
  // Opening this key (any access) answers ERROR_ACCESS_DENIED.
  void DenyAccess(HKEY root, const WString& path);

  // ---- Libraries: a file that LoadLibraryW finds by its full path, and its exports.
  void AddLibrary(const WString& fullPath, std::set<std::string> exports);
  std::vector<WString> libraryLoads;  // every LoadLibraryW argument, in order
  bool hasSetDefaultDllDirectories = true;  // false: an XP or unpatched Vista/7 kernel
  std::optional<DWORD> defaultDllDirectories;  // what the library search was restricted to
  std::optional<WString> dllDirectory;         // what SetDllDirectoryW was given

  // ---- Programs.
  void Script(const WString& file, ProgramScript script);
  WString SystemFile(const WString& name) const { return systemDirectory + u'\\' + name; }
  std::vector<ProcessStart> starts;

  // ---- Virtual clock.
  std::uint64_t NowMs() const { return nowMs_; }
  void At(std::uint64_t ms, std::function<void()> event);
  void Advance(std::uint64_t ms);
  std::vector<DWORD> sleeps;

  // ---- Debugger output, one entry per OutputDebugStringW call.
  std::vector<WString> debugOutput;

  // ---- Fault injection and call counts.
  void Inject(Fault fault) {
    fault.occurrence += callCounts_[static_cast<int>(fault.call)];
    faults_.push_back(fault);
  }
  int CallCount(Call call) const { return callCounts_[static_cast<int>(call)]; }
  std::vector<Call> callLog;  // every call, in order

  // ---- Accounting: everything handed out and not given back.
  std::vector<std::string> OpenResources() const;
  int KeysOpened() const { return keysOpened_; }
  std::string Dump() const;

  // ---- win::Api
  HANDLE GetCurrentProcess() override;
  BOOL IsWow64Process(HANDLE process, BOOL* result) override;
  const WCHAR* GetCommandLineW() override;
  WCHAR** CommandLineToArgvW(const WCHAR* text, int* argc) override;
  win::HLOCAL LocalFree(win::HLOCAL memory) override;
  BOOL GetVersionExW(win::OSVERSIONINFOW* info) override;
  BOOL GetComputerNameW(WCHAR* buffer, DWORD* size) override;
  BOOL GetComputerNameExW(win::ComputerNameFormat format, WCHAR* buffer, DWORD* size) override;
  HMODULE GetModuleHandleW(const WCHAR* name) override;
  DWORD GetModuleFileNameW(HMODULE module, WCHAR* buffer, DWORD size) override;
  UINT GetSystemDirectoryW(WCHAR* buffer, UINT size) override;
  HMODULE LoadLibraryW(const WCHAR* path) override;
  win::FARPROC GetProcAddress(HMODULE module, const char* name) override;
  BOOL FreeLibrary(HMODULE module) override;
  BOOL SetDefaultDllDirectories(DWORD flags) override;
  BOOL SetDllDirectoryW(const WCHAR* path) override;
  LONG RegOpenKeyExW(HKEY parent, const WCHAR* subKey, DWORD options, win::REGSAM access,
                     HKEY* result) override;
  LONG RegQueryValueExW(HKEY key, const WCHAR* valueName, DWORD* reserved, DWORD* type,
                        BYTE* data, DWORD* size) override;
  LONG RegQueryInfoKeyW(HKEY key, WCHAR* className, DWORD* classChars, DWORD* reserved,
                        DWORD* subKeys, DWORD* maxSubKeyChars, DWORD* maxClassChars,
                        DWORD* values, DWORD* maxValueNameChars, DWORD* maxValueBytes,
                        DWORD* securityDescriptorBytes, win::FILETIME* lastWrite) override;
  LONG RegEnumKeyExW(HKEY key, DWORD index, WCHAR* name, DWORD* nameChars, DWORD* reserved,
                     WCHAR* className, DWORD* classChars, win::FILETIME* lastWrite) override;
  LONG RegDeleteKeyW(HKEY key, const WCHAR* subKey) override;
  LONG RegCloseKey(HKEY key) override;
  BOOL ShellExecuteExW(win::SHELLEXECUTEINFOW* info) override;
  win::HINSTANCE ShellExecuteW(win::HWND owner, const WCHAR* verb, const WCHAR* file,
                               const WCHAR* parameters, const WCHAR* directory,
                               int show) override;
  DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) override;
  BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) override;
  BOOL CloseHandle(HANDLE handle) override;
  void Sleep(DWORD milliseconds) override;
  void OutputDebugStringW(const WCHAR* text) override;

  struct Key;
  struct Process;

 private:
  // Counts the call and answers the fault that applies to it, if any.
  const Fault* Enter(Call call);
  Key* Root(HKEY root) const;
  Key* Resolve(HKEY key) const;  // an open or predefined key, or null
  Key* Find(Key* from, const WString& path, bool create);
  const Key* Find(HKEY root, const WString& path) const;
  void RunDueEvents();
  const ProgramScript* FindScript(const WString& file) const;

  std::unique_ptr<Key> localMachine_;
  std::unique_ptr<Key> currentUser_;
  std::map<std::uintptr_t, std::shared_ptr<Key>> openKeys_;
  std::map<std::uintptr_t, std::unique_ptr<Process>> processes_;  // held or not, all kept
  struct ArgvStorage;
  std::map<void*, std::unique_ptr<ArgvStorage>> argvStorage_;
  struct Library {
    std::set<std::string> exports;
    HMODULE handle = nullptr;
    int references = 0;
  };
  Library* Loaded(HMODULE module);  // a library loaded and not yet freed, or null
  std::map<WString, Library> libraries_;  // by upper-cased full path
  std::map<WString, ProgramScript> scripts_;  // by upper-cased file
  std::multimap<std::uint64_t, std::function<void()>> events_;
  std::vector<Fault> faults_;
  int callCounts_[kCallCount] = {};
  std::uintptr_t nextHandle_ = 0x1000;
  std::uint64_t nowMs_ = 0;
  int keysOpened_ = 0;
};

// Upper-cases the ASCII letters, as the registry compares names.
WString FoldCase(const WString& text);
// UTF-8 for messages.
std::string Narrow(const WString& text);
// Bytes of a UTF-16 text, with `terminators` NUL units after it.
std::vector<BYTE> Utf16Bytes(const WString& text, int terminators = 1);

}  // namespace sim
