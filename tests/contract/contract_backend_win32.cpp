#include "contract/contract_backend.h"
#include "platform/scoped_handle.h"
#include "platform/win32_api.h"

#include <windows.h>

namespace contract {
namespace {
const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
}  // namespace

const char* BackendName() { return "Win32"; }
win::Api& Platform() { return win::RealApi(); }
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

}  // namespace contract
