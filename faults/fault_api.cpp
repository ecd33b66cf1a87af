#include "faults/fault_api.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace faults {

using win::Call;

FaultApi::FaultApi(win::Api& platform) : below_(platform) {
  // Room enough that recording a call allocates nothing during a run.
  callLog.reserve(1 << 16);
}

void FaultApi::Inject(const Fault& fault) {
  if (faultCount_ == kMaxFaults) std::abort();  // a test asks for more than it may
  Fault& f = faults_[faultCount_++] = fault;
  f.occurrence += counts_[static_cast<int>(fault.call)];
}

const Fault* FaultApi::Enter(Call call) {
  int n = counts_[static_cast<int>(call)]++;
  if (callLog.size() < callLog.capacity()) callLog.push_back(call);
  for (int i = 0; i < faultCount_; ++i) {
    const Fault& f = faults_[i];
    if (f.call == call && n >= f.occurrence && n < f.occurrence + f.times) {
      if (f.raise) throw std::bad_alloc();
      // A call the platform never fails goes through, counted.
      return win::KindOf(call) == win::CallKind::CannotFail ? nullptr : &f;
    }
  }
  return nullptr;
}

void FaultApi::Received(Kind kind, const void* handle) {
  if (heldCount_ == kMaxHeld) {
    ++overflow_;
    return;
  }
  held_[heldCount_++] = {kind, handle};
}

void FaultApi::GivenBack(Kind kind, const void* handle) {
  for (int i = heldCount_ - 1; i >= 0; --i) {
    if (held_[i].kind == kind && held_[i].handle == handle) {
      held_[i] = held_[--heldCount_];
      return;
    }
  }
}

std::vector<std::string> FaultApi::OpenHandles() const {
  static const char* const kinds[] = {"registry key", "process handle", "argument vector",
                                      "library", "COM initialization"};
  std::vector<std::string> open;
  for (int i = 0; i < heldCount_; ++i) {
    char text[64];
    std::snprintf(text, sizeof text, "%s %#llx", kinds[static_cast<int>(held_[i].kind)],
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(held_[i].handle)));
    open.push_back(text);
  }
  if (overflow_ > 0) open.push_back(std::to_string(overflow_) + " handles past the layer's count");
  return open;
}

std::string FaultApi::Counts() const {
  std::string text = "calls:";
  for (int i = 0; i < win::kCallCount; ++i)
    if (counts_[i] > 0)
      text += std::string(" ") + win::CallName(static_cast<Call>(i)) + '=' + std::to_string(counts_[i]);
  return text;
}

// ---------------------------------------------------------------- process, start-up

win::UINT FaultApi::SetErrorMode(win::UINT mode) {
  Enter(Call::SetErrorMode);  // cannot fail
  return below_.SetErrorMode(mode);
}

win::HANDLE FaultApi::GetCurrentProcess() {
  Enter(Call::GetCurrentProcess);  // cannot fail
  return below_.GetCurrentProcess();
}

win::BOOL FaultApi::IsWow64Process(win::HANDLE process, win::BOOL* wow64) {
  if (Enter(Call::IsWow64Process)) return win::FALSE;
  return below_.IsWow64Process(process, wow64);
}

const win::WCHAR* FaultApi::GetCommandLineW() {
  if (Enter(Call::GetCommandLineW)) return u"";
  return below_.GetCommandLineW();
}

win::WCHAR** FaultApi::CommandLineToArgvW(const win::WCHAR* commandLine, int* argc) {
  if (Enter(Call::CommandLineToArgvW)) return nullptr;
  win::WCHAR** vector = below_.CommandLineToArgvW(commandLine, argc);
  if (vector != nullptr) Received(Kind::Vector, vector);
  return vector;
}

win::HLOCAL FaultApi::LocalFree(win::HLOCAL memory) {
  if (Enter(Call::LocalFree)) return memory;
  win::HLOCAL left = below_.LocalFree(memory);
  if (left == nullptr && memory != nullptr) GivenBack(Kind::Vector, memory);
  return left;
}

// ---------------------------------------------------------------- version, names, module

win::BOOL FaultApi::GetVersionExW(win::OSVERSIONINFOW* info) {
  if (Enter(Call::GetVersionExW)) return win::FALSE;
  return below_.GetVersionExW(info);
}

namespace {
// What a failed name query leaves in its buffer is unspecified: some text.
void Scribble(win::WCHAR* buffer, const win::DWORD* size) {
  for (win::DWORD i = 0; buffer != nullptr && size != nullptr && i < *size && i < 4; ++i)
    buffer[i] = u'?';
}
}  // namespace

win::BOOL FaultApi::GetComputerNameW(win::WCHAR* buffer, win::DWORD* size) {
  if (Enter(Call::GetComputerNameW)) {
    Scribble(buffer, size);
    return win::FALSE;
  }
  return below_.GetComputerNameW(buffer, size);
}

win::BOOL FaultApi::GetComputerNameExW(win::ComputerNameFormat format, win::WCHAR* buffer,
                                       win::DWORD* size) {
  if (Enter(Call::GetComputerNameExW)) {
    Scribble(buffer, size);
    return win::FALSE;
  }
  return below_.GetComputerNameExW(format, buffer, size);
}

win::HMODULE FaultApi::GetModuleHandleW(const win::WCHAR* name) {
  if (Enter(Call::GetModuleHandleW)) return nullptr;
  return below_.GetModuleHandleW(name);
}

win::DWORD FaultApi::GetModuleFileNameW(win::HMODULE module, win::WCHAR* buffer, win::DWORD size) {
  if (Enter(Call::GetModuleFileNameW)) return 0;
  return below_.GetModuleFileNameW(module, buffer, size);
}

win::UINT FaultApi::GetSystemDirectoryW(win::WCHAR* buffer, win::UINT size) {
  if (Enter(Call::GetSystemDirectoryW)) return 0;
  return below_.GetSystemDirectoryW(buffer, size);
}

// ---------------------------------------------------------------- libraries

win::HMODULE FaultApi::LoadLibraryExW(const win::WCHAR* path, win::HANDLE file, win::DWORD flags) {
  if (Enter(Call::LoadLibraryExW)) return nullptr;
  win::HMODULE library = below_.LoadLibraryExW(path, file, flags);
  if (library != nullptr) Received(Kind::Library, library);
  return library;
}

win::FARPROC FaultApi::GetProcAddress(win::HMODULE module, const char* name) {
  if (Enter(Call::GetProcAddress)) return nullptr;
  return below_.GetProcAddress(module, name);
}

win::BOOL FaultApi::FreeLibrary(win::HMODULE module) {
  if (Enter(Call::FreeLibrary)) return win::FALSE;
  win::BOOL freed = below_.FreeLibrary(module);
  if (freed) GivenBack(Kind::Library, module);
  return freed;
}

win::BOOL FaultApi::SetDefaultDllDirectories(win::DWORD flags) {
  if (Enter(Call::SetDefaultDllDirectories)) return win::FALSE;
  return below_.SetDefaultDllDirectories(flags);
}

win::BOOL FaultApi::SetDllDirectoryW(const win::WCHAR* path) {
  if (Enter(Call::SetDllDirectoryW)) return win::FALSE;
  return below_.SetDllDirectoryW(path);
}

// ---------------------------------------------------------------- registry

win::LONG FaultApi::RegOpenKeyExW(win::HKEY parent, const win::WCHAR* subKey, win::DWORD options,
                                  win::REGSAM access, win::HKEY* result) {
  if (result != nullptr) *result = nullptr;
  if (const Fault* f = Enter(Call::RegOpenKeyExW)) return f->status;
  win::LONG status = below_.RegOpenKeyExW(parent, subKey, options, access, result);
  if (status == win::ERROR_SUCCESS && result != nullptr) Received(Kind::Key, *result);
  return status;
}

win::LONG FaultApi::RegQueryValueExW(win::HKEY key, const win::WCHAR* valueName,
                                     win::DWORD* reserved, win::DWORD* type, win::BYTE* data,
                                     win::DWORD* size) {
  if (const Fault* f = Enter(Call::RegQueryValueExW)) return f->status;
  return below_.RegQueryValueExW(key, valueName, reserved, type, data, size);
}

win::LONG FaultApi::RegQueryInfoKeyW(win::HKEY key, win::WCHAR* className, win::DWORD* classChars,
                                     win::DWORD* reserved, win::DWORD* subKeys,
                                     win::DWORD* maxSubKeyChars, win::DWORD* maxClassChars,
                                     win::DWORD* values, win::DWORD* maxValueNameChars,
                                     win::DWORD* maxValueBytes,
                                     win::DWORD* securityDescriptorBytes,
                                     win::FILETIME* lastWrite) {
  if (const Fault* f = Enter(Call::RegQueryInfoKeyW)) return f->status;
  return below_.RegQueryInfoKeyW(key, className, classChars, reserved, subKeys, maxSubKeyChars,
                                 maxClassChars, values, maxValueNameChars, maxValueBytes,
                                 securityDescriptorBytes, lastWrite);
}

win::LONG FaultApi::RegEnumKeyExW(win::HKEY key, win::DWORD index, win::WCHAR* name,
                                  win::DWORD* nameChars, win::DWORD* reserved,
                                  win::WCHAR* className, win::DWORD* classChars,
                                  win::FILETIME* lastWrite) {
  if (const Fault* f = Enter(Call::RegEnumKeyExW)) return f->status;
  return below_.RegEnumKeyExW(key, index, name, nameChars, reserved, className, classChars,
                              lastWrite);
}

win::LONG FaultApi::RegDeleteKeyW(win::HKEY key, const win::WCHAR* subKey) {
  if (const Fault* f = Enter(Call::RegDeleteKeyW)) return f->status;
  return below_.RegDeleteKeyW(key, subKey);
}

win::LONG FaultApi::RegCloseKey(win::HKEY key) {
  if (const Fault* f = Enter(Call::RegCloseKey)) return f->status;
  win::LONG status = below_.RegCloseKey(key);
  if (status == win::ERROR_SUCCESS) GivenBack(Kind::Key, key);
  return status;
}

// ---------------------------------------------------------------- processes

win::HRESULT FaultApi::CoInitializeEx(void* reserved, win::DWORD flags) {
  if (const Fault* f = Enter(Call::CoInitializeEx)) return f->status < 0 ? f->status : win::E_OUTOFMEMORY;
  win::HRESULT result = below_.CoInitializeEx(reserved, flags);
  if (result == win::S_OK || result == win::S_FALSE) Received(Kind::Com, nullptr);
  return result;
}

void FaultApi::CoUninitialize() {
  Enter(Call::CoUninitialize);  // cannot fail
  GivenBack(Kind::Com, nullptr);
  below_.CoUninitialize();
}

win::BOOL FaultApi::ShellExecuteExW(win::SHELLEXECUTEINFOW* info) {
  if (const Fault* f = Enter(Call::ShellExecuteExW)) {
    if (info != nullptr) {
      info->hProcess = nullptr;
      info->hInstApp = reinterpret_cast<win::HINSTANCE>(static_cast<std::uintptr_t>(f->status));
    }
    return win::FALSE;
  }
  win::BOOL started = below_.ShellExecuteExW(info);
  if (started && info->hProcess != nullptr) Received(Kind::Process, info->hProcess);
  return started;
}

win::DWORD FaultApi::WaitForSingleObject(win::HANDLE handle, win::DWORD milliseconds) {
  if (Enter(Call::WaitForSingleObject)) return win::WAIT_FAILED;
  return below_.WaitForSingleObject(handle, milliseconds);
}

win::BOOL FaultApi::GetExitCodeProcess(win::HANDLE process, win::DWORD* exitCode) {
  if (Enter(Call::GetExitCodeProcess)) return win::FALSE;
  return below_.GetExitCodeProcess(process, exitCode);
}

win::BOOL FaultApi::CloseHandle(win::HANDLE handle) {
  if (Enter(Call::CloseHandle)) return win::FALSE;
  win::BOOL closed = below_.CloseHandle(handle);
  if (closed) GivenBack(Kind::Process, handle);
  return closed;
}

void FaultApi::Sleep(win::DWORD milliseconds) {
  Enter(Call::Sleep);  // cannot fail
  below_.Sleep(milliseconds);
}

win::DWORD FaultApi::GetLastError() {
  Enter(Call::GetLastError);  // cannot fail
  return below_.GetLastError();
}

void FaultApi::OutputDebugStringW(const win::WCHAR* text) {
  Enter(Call::OutputDebugStringW);  // cannot fail
  below_.OutputDebugStringW(text);
}

}  // namespace faults
