// An Api that forwards every call to another one. A layer derives from it and
// overrides only the calls it changes (a test's answers on the real platform).
#pragma once

#include "platform/api.h"

namespace win {

class ForwardingApi : public Api {
 public:
  explicit ForwardingApi(Api& below) : below_(below) {}

  UINT SetErrorMode(UINT mode) override { return below_.SetErrorMode(mode); }
  HANDLE GetCurrentProcess() override { return below_.GetCurrentProcess(); }
  BOOL IsWow64Process(HANDLE process, BOOL* wow64) override {
    return below_.IsWow64Process(process, wow64);
  }
  const WCHAR* GetCommandLineW() override { return below_.GetCommandLineW(); }
  WCHAR** CommandLineToArgvW(const WCHAR* commandLine, int* argc) override {
    return below_.CommandLineToArgvW(commandLine, argc);
  }
  HLOCAL LocalFree(HLOCAL memory) override { return below_.LocalFree(memory); }
  BOOL GetVersionExW(OSVERSIONINFOW* info) override { return below_.GetVersionExW(info); }
  BOOL GetComputerNameW(WCHAR* buffer, DWORD* size) override {
    return below_.GetComputerNameW(buffer, size);
  }
  BOOL GetComputerNameExW(ComputerNameFormat format, WCHAR* buffer, DWORD* size) override {
    return below_.GetComputerNameExW(format, buffer, size);
  }
  HMODULE GetModuleHandleW(const WCHAR* name) override { return below_.GetModuleHandleW(name); }
  DWORD GetModuleFileNameW(HMODULE module, WCHAR* buffer, DWORD size) override {
    return below_.GetModuleFileNameW(module, buffer, size);
  }
  UINT GetSystemDirectoryW(WCHAR* buffer, UINT size) override {
    return below_.GetSystemDirectoryW(buffer, size);
  }
  HMODULE LoadLibraryExW(const WCHAR* path, HANDLE file, DWORD flags) override {
    return below_.LoadLibraryExW(path, file, flags);
  }
  FARPROC GetProcAddress(HMODULE module, const char* name) override {
    return below_.GetProcAddress(module, name);
  }
  BOOL FreeLibrary(HMODULE module) override { return below_.FreeLibrary(module); }
  BOOL SetDefaultDllDirectories(DWORD flags) override {
    return below_.SetDefaultDllDirectories(flags);
  }
  BOOL SetDllDirectoryW(const WCHAR* path) override { return below_.SetDllDirectoryW(path); }
  LONG RegOpenKeyExW(HKEY parent, const WCHAR* subKey, DWORD options, REGSAM access,
                     HKEY* result) override {
    return below_.RegOpenKeyExW(parent, subKey, options, access, result);
  }
  LONG RegQueryValueExW(HKEY key, const WCHAR* valueName, DWORD* reserved, DWORD* type,
                        BYTE* data, DWORD* size) override {
    return below_.RegQueryValueExW(key, valueName, reserved, type, data, size);
  }
  LONG RegQueryInfoKeyW(HKEY key, WCHAR* className, DWORD* classChars, DWORD* reserved,
                        DWORD* subKeys, DWORD* maxSubKeyChars, DWORD* maxClassChars,
                        DWORD* values, DWORD* maxValueNameChars, DWORD* maxValueBytes,
                        DWORD* securityDescriptorBytes, FILETIME* lastWrite) override {
    return below_.RegQueryInfoKeyW(key, className, classChars, reserved, subKeys, maxSubKeyChars,
                                   maxClassChars, values, maxValueNameChars, maxValueBytes,
                                   securityDescriptorBytes, lastWrite);
  }
  LONG RegEnumKeyExW(HKEY key, DWORD index, WCHAR* name, DWORD* nameChars, DWORD* reserved,
                     WCHAR* className, DWORD* classChars, FILETIME* lastWrite) override {
    return below_.RegEnumKeyExW(key, index, name, nameChars, reserved, className, classChars,
                                lastWrite);
  }
  LONG RegDeleteKeyW(HKEY key, const WCHAR* subKey) override {
    return below_.RegDeleteKeyW(key, subKey);
  }
  LONG RegCloseKey(HKEY key) override { return below_.RegCloseKey(key); }
  HRESULT CoInitializeEx(void* reserved, DWORD flags) override {
    return below_.CoInitializeEx(reserved, flags);
  }
  void CoUninitialize() override { below_.CoUninitialize(); }
  BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) override { return below_.ShellExecuteExW(info); }
  DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) override {
    return below_.WaitForSingleObject(handle, milliseconds);
  }
  BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) override {
    return below_.GetExitCodeProcess(process, exitCode);
  }
  BOOL CloseHandle(HANDLE handle) override { return below_.CloseHandle(handle); }
  void Sleep(DWORD milliseconds) override { below_.Sleep(milliseconds); }
  DWORD GetLastError() override { return below_.GetLastError(); }
  void OutputDebugStringW(const WCHAR* text) override { below_.OutputDebugStringW(text); }

 protected:
  Api& below_;
};

}  // namespace win
