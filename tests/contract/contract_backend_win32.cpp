#include "contract/contract_backend.h"
#include "platform/system_directory.h"
#include "platform/win32_api.h"

#include <windows.h>

namespace contract {
namespace {
const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
}  // namespace

const char* BackendName() { return "Win32"; }
win::Api& Platform() { return win::RealApi(); }
win::Api& PlatformLackingOptionalParts() { return win::RealApiLackingOptionalParts(); }
win::HKEY TestRoot() { return win::HKeyCurrentUser(); }
std::u16string TestKey() { return u"Software\\PellworthContract"; }

void ResetTestKey() {
  ::RegDeleteTreeW(HKEY_CURRENT_USER, W(TestKey()));
  ::RegDeleteKeyW(HKEY_CURRENT_USER, W(TestKey()));
  CreateKey(u"");
}

void CreateKey(const std::u16string& path) {
  std::u16string full = path.empty() ? TestKey() : TestKey() + u"\\" + path;
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, W(full), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS)
    ::RegCloseKey(key);
}

void SetValue(const std::u16string& path, const std::u16string& name, win::DWORD type,
              const std::vector<win::BYTE>& data) {
  std::u16string full = path.empty() ? TestKey() : TestKey() + u"\\" + path;
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, W(full), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
    return;
  // Written from a copy followed by guard bytes that are not zero: the platform
  // may look past the size given for a terminator (Wine stores two zero bytes
  // found there), so what follows the data must never happen to be one.
  std::vector<win::BYTE> guarded(data);
  guarded.insert(guarded.end(), {0xA5, 0xA5, 0xA5, 0xA5});
  ::RegSetValueExW(key, W(name), 0, type, data.empty() ? nullptr : guarded.data(),
                   static_cast<DWORD>(data.size()));
  ::RegCloseKey(key);
}

ExitingProgram ProgramExitingWith(win::DWORD code) {
  std::u16string digits;
  for (win::DWORD v = code; digits.empty() || v != 0; v /= 10)
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + v % 10));
  return {win::SystemFilePath(u"cmd.exe"), u"/c exit " + digits};
}

namespace {
// The test program's own folder, without a trailing backslash.
std::u16string ProgramFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::u16string text(reinterpret_cast<const char16_t*>(path), n);
  return text.substr(0, text.rfind(u'\\'));
}
}  // namespace

// planted.exe (built beside the tests) records its command line in
// "<its name>.ran" in its current folder, which it inherits from the test.
std::u16string RecordingProgram() {
  std::u16string program = ProgramFolder() + u"\\recorder.exe";
  ::CopyFileW(W(ProgramFolder() + u"\\planted.exe"), W(program), FALSE);
  ::DeleteFileW(L"recorder.exe.ran");
  return program;
}

std::u16string Recorded(const std::u16string&) {
  for (int attempt = 0; attempt < 100; ++attempt, ::Sleep(100)) {
    HANDLE f = ::CreateFileW(L"recorder.exe.ran", GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) continue;
    char16_t text[1024];
    DWORD got = 0;
    BOOL read = ::ReadFile(f, text, sizeof text, &got, nullptr);
    ::CloseHandle(f);
    if (read && got > 0) return std::u16string(text, got / sizeof(char16_t));
  }
  return u"";
}

bool Is64BitProcess() { return sizeof(void*) == 8; }
bool UnderWow64() {
  SYSTEM_INFO native;
  ::GetNativeSystemInfo(&native);
  return !Is64BitProcess() && native.wProcessorArchitecture != PROCESSOR_ARCHITECTURE_INTEL;
}

// planted_dll.dll (built beside the tests) under another name.
std::u16string PlantLibrary(const std::u16string& folder, const std::u16string& name) {
  std::u16string path = ProgramFolder();
  if (!folder.empty()) {
    path += u'\\' + folder;
    ::CreateDirectoryW(W(path), nullptr);
  }
  path += u'\\' + name;
  ::CopyFileW(W(ProgramFolder() + u"\\planted_dll.dll"), W(path), FALSE);
  return path;
}

namespace {
std::u16string InnerMarker(const std::u16string& folder) {
  return ProgramFolder() + (folder.empty() ? u"" : u"\\" + folder) + u"\\pellworth_inner.dll.loaded";
}
}  // namespace

// Both libraries are built beside the tests: the pair is copied to `folder`,
// and the copy of pellworth_inner.dll beside the program is the planted one.
std::u16string PlantImportingLibrary(const std::u16string& folder) {
  std::u16string dir = ProgramFolder() + u'\\' + folder;
  ::CreateDirectoryW(W(dir), nullptr);
  for (const char16_t* name : {u"pellworth_inner.dll", u"pellworth_outer.dll"})
    ::CopyFileW(W(ProgramFolder() + u'\\' + name), W(dir + u'\\' + name), FALSE);
  ::DeleteFileW(W(InnerMarker(u"")));
  ::DeleteFileW(W(InnerMarker(folder)));
  return dir + u"\\pellworth_outer.dll";
}

bool ImportLoadedFrom(const std::u16string& folder) {
  return ::GetFileAttributesW(W(InnerMarker(folder))) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace contract
