// The real layer's own loads, which the simulated machine has no part in: on a
// system without SetDefaultDllDirectories the layer loads ADVAPI32 and SHELL32
// so that their imports come from the system folder, never from beside the
// program. Shown with a library of the tests named in their place: it imports
// pellworth_inner.dll by bare name, and each copy of that library marks its
// own folder when it is loaded.
#include "platform/win32_api.h"

#include <gtest/gtest.h>

#include <string>

#include <windows.h>

namespace {

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.rfind(L'\\'));
}

std::wstring SystemFolder() {
  wchar_t path[MAX_PATH];
  UINT n = ::GetSystemDirectoryW(path, MAX_PATH);
  return std::wstring(path, n);
}

bool Marked(const std::wstring& folder) {
  return ::GetFileAttributesW((folder + L"\\pellworth_inner.dll.loaded").c_str()) !=
         INVALID_FILE_ATTRIBUTES;
}

TEST(RealLayer, OwnLibrariesTakeTheirImportsFromTheSystemFolder) {
  const std::wstring program = ProgramFolder();
  const std::wstring system = SystemFolder() + L"\\pellworth-contract";
  ::CreateDirectoryW(system.c_str(), nullptr);
  for (const wchar_t* name : {L"pellworth_inner.dll", L"pellworth_outer.dll"})
    ASSERT_TRUE(::CopyFileW((program + L'\\' + name).c_str(), (system + L'\\' + name).c_str(), FALSE));
  for (const std::wstring& folder : {program, system})
    ::DeleteFileW((folder + L"\\pellworth_inner.dll.loaded").c_str());

  win::Api& api = win::RealApiWithoutSearchRestriction(u"pellworth-contract\\pellworth_outer.dll");
  // Its first registry call loads "ADVAPI32", which has no such entry here.
  EXPECT_EQ(api.RegCloseKey(win::HKeyCurrentUser()), 126);  // ERROR_MOD_NOT_FOUND
  EXPECT_TRUE(Marked(system)) << "the library's import did not come from its own folder";
  EXPECT_FALSE(Marked(program)) << "the copy beside the program was loaded";
}

}  // namespace
