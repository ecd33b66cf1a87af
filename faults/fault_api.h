// A layer over any platform: the simulated machine on the host, or the real
// Win32 layer in the Windows test build. It forwards every call to the
// platform below, and can make any occurrence of any call fail or raise
// instead; it counts every call, and every handle the product receives and
// gives back (registry keys, the process handle, the argument vector,
// libraries), so that the same fault sweep runs over either platform.
//
// Contract:
//  - A failing call does not reach the platform below and answers as that call
//    fails (platform/api.h): the fault's status for the registry calls, FALSE,
//    null or 0 for the others (ShellExecuteExW also leaves hProcess null and
//    hInstApp the fault's status; the name queries leave some text in the
//    buffer, whose contents are unspecified on failure), WAIT_FAILED for the
//    wait, the block itself for LocalFree, and the fault's status for
//    CoInitializeEx when it is an HRESULT failure (below zero), else
//    E_OUTOFMEMORY. SetErrorMode, GetCurrentProcess, CoUninitialize, Sleep,
//    GetLastError and OutputDebugStringW cannot fail on the platform: a fault
//    on them is counted and the call goes through.
//  - A CoInitializeEx that answers S_OK or S_FALSE is held until one
//    CoUninitialize gives it back, as a handle is.
//  - A raising call throws std::bad_alloc before it reaches the platform.
//  - Occurrences count from the injection, per call.
//  - The layer allocates nothing while the product runs (its bookkeeping is
//    fixed-size), so an allocation fault injected into a run lands in the
//    product or the platform, never here.
#pragma once

#include <string>
#include <vector>

#include "platform/api.h"
#include "platform/api_calls.h"

namespace faults {

struct Fault {
  win::Call call;
  int occurrence = 0;  // which call of this kind, counted from the injection
  int times = 1;       // how many calls in a row, from `occurrence`
  win::LONG status = win::ERROR_ACCESS_DENIED;
  bool raise = false;  // throw std::bad_alloc instead of failing
};

// It derives from Api, not from ForwardingApi: a call added to the seam and
// not given its failure here is a build error, never a call that forwards
// unseen.
class FaultApi final : public win::Api {
 public:
  explicit FaultApi(win::Api& platform);
  FaultApi(const FaultApi&) = delete;
  FaultApi& operator=(const FaultApi&) = delete;

  void Inject(const Fault& fault);
  int CallCount(win::Call call) const { return counts_[static_cast<int>(call)]; }
  std::vector<win::Call> callLog;  // every call, in order

  // The handles the product received from the platform and has not given back.
  std::vector<std::string> OpenHandles() const;
  std::string Counts() const;  // "RegOpenKeyExW=3 ..." for failure messages

  // ---- win::Api
  win::UINT SetErrorMode(win::UINT mode) override;
  win::HANDLE GetCurrentProcess() override;
  win::BOOL IsWow64Process(win::HANDLE process, win::BOOL* wow64) override;
  const win::WCHAR* GetCommandLineW() override;
  win::WCHAR** CommandLineToArgvW(const win::WCHAR* commandLine, int* argc) override;
  win::HLOCAL LocalFree(win::HLOCAL memory) override;
  win::BOOL GetVersionExW(win::OSVERSIONINFOW* info) override;
  win::BOOL GetComputerNameW(win::WCHAR* buffer, win::DWORD* size) override;
  win::BOOL GetComputerNameExW(win::ComputerNameFormat format, win::WCHAR* buffer,
                               win::DWORD* size) override;
  win::HMODULE GetModuleHandleW(const win::WCHAR* name) override;
  win::DWORD GetModuleFileNameW(win::HMODULE module, win::WCHAR* buffer, win::DWORD size) override;
  win::UINT GetSystemDirectoryW(win::WCHAR* buffer, win::UINT size) override;
  win::HMODULE LoadLibraryExW(const win::WCHAR* path, win::HANDLE file, win::DWORD flags) override;
  win::FARPROC GetProcAddress(win::HMODULE module, const char* name) override;
  win::BOOL FreeLibrary(win::HMODULE module) override;
  win::BOOL SetDefaultDllDirectories(win::DWORD flags) override;
  win::BOOL SetDllDirectoryW(const win::WCHAR* path) override;
  win::LONG RegOpenKeyExW(win::HKEY parent, const win::WCHAR* subKey, win::DWORD options,
                          win::REGSAM access, win::HKEY* result) override;
  win::LONG RegQueryValueExW(win::HKEY key, const win::WCHAR* valueName, win::DWORD* reserved,
                             win::DWORD* type, win::BYTE* data, win::DWORD* size) override;
  win::LONG RegQueryInfoKeyW(win::HKEY key, win::WCHAR* className, win::DWORD* classChars,
                             win::DWORD* reserved, win::DWORD* subKeys, win::DWORD* maxSubKeyChars,
                             win::DWORD* maxClassChars, win::DWORD* values,
                             win::DWORD* maxValueNameChars, win::DWORD* maxValueBytes,
                             win::DWORD* securityDescriptorBytes, win::FILETIME* lastWrite) override;
  win::LONG RegEnumKeyExW(win::HKEY key, win::DWORD index, win::WCHAR* name, win::DWORD* nameChars,
                          win::DWORD* reserved, win::WCHAR* className, win::DWORD* classChars,
                          win::FILETIME* lastWrite) override;
  win::LONG RegDeleteKeyW(win::HKEY key, const win::WCHAR* subKey) override;
  win::LONG RegCloseKey(win::HKEY key) override;
  win::HRESULT CoInitializeEx(void* reserved, win::DWORD flags) override;
  void CoUninitialize() override;
  win::BOOL ShellExecuteExW(win::SHELLEXECUTEINFOW* info) override;
  win::DWORD WaitForSingleObject(win::HANDLE handle, win::DWORD milliseconds) override;
  win::BOOL GetExitCodeProcess(win::HANDLE process, win::DWORD* exitCode) override;
  win::BOOL CloseHandle(win::HANDLE handle) override;
  void Sleep(win::DWORD milliseconds) override;
  win::DWORD GetLastError() override;
  void OutputDebugStringW(const win::WCHAR* text) override;

 private:
  // Counts the call; raises, or answers the fault that applies to it, if any.
  const Fault* Enter(win::Call call);
  enum class Kind { Key, Process, Vector, Library, Com };
  void Received(Kind kind, const void* handle);
  void GivenBack(Kind kind, const void* handle);

  struct Held {
    Kind kind;
    const void* handle;
  };
  static constexpr int kMaxHeld = 64;
  static constexpr int kMaxFaults = 8;

  Fault faults_[kMaxFaults];
  int faultCount_ = 0;
  int counts_[win::kCallCount] = {};
  Held held_[kMaxHeld];
  int heldCount_ = 0;
  int overflow_ = 0;  // handles past kMaxHeld, reported as open
  win::Api& below_;
};

}  // namespace faults
