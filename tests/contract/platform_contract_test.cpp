// The non-registry calls as the product relies on them.
#include <gtest/gtest.h>

#include <cstring>

#include "contract/contract_backend.h"
#include "platform/error_mode.h"
#include "platform/scoped_com.h"
#include "platform/system_directory.h"
#include "setup/installer_run.h"

namespace {

class PlatformContract : public testing::Test {
 protected:
  win::ScopedSys sys{contract::Platform()};
};

std::vector<std::u16string> Split(const std::u16string& line) {
  int count = -1;
  win::WCHAR** argv = win::Sys().CommandLineToArgvW(line.c_str(), &count);
  std::vector<std::u16string> out;
  if (argv == nullptr) return out;
  for (int i = 0; i < count; ++i) out.emplace_back(argv[i]);
  EXPECT_EQ(argv[count], nullptr);
  EXPECT_EQ(win::Sys().LocalFree(argv), nullptr);
  return out;
}

// How the platform splits a command line, quotes and backslashes included:
// the arguments translation sees are these, never the raw text.
TEST_F(PlatformContract, CommandLineSplitting) {
  using V = std::vector<std::u16string>;
  struct Row {
    const char16_t* line;
    V arguments;
  };
  const Row rows[] = {
      {u"Setup.exe", {u"Setup.exe"}},
      {u"Setup.exe /x", {u"Setup.exe", u"/x"}},
      {u"Setup.exe   /a\t/b  ", {u"Setup.exe", u"/a", u"/b"}},
      {u"\"C:\\My Dir\\Setup.exe\" /x", {u"C:\\My Dir\\Setup.exe", u"/x"}},
      {u"Setup.exe \"INSTALLDIR=C:\\Program Files\\P\"", {u"Setup.exe", u"INSTALLDIR=C:\\Program Files\\P"}},
      {u"Setup.exe A=\"b c\"", {u"Setup.exe", u"A=b c"}},
      {u"Setup.exe \"\"", {u"Setup.exe", u""}},
      {u"Setup.exe a\\\\\"b c\"", {u"Setup.exe", u"a\\b c"}},
      {u"Setup.exe a\\\"b", {u"Setup.exe", u"a\"b"}},
      {u"Setup.exe a\\\\b", {u"Setup.exe", u"a\\\\b"}},
      {u"Setup.exe \"a\"\"b\"", {u"Setup.exe", u"a\"b"}},
      {u"Setup.exe \"\"\"a\"\"\"", {u"Setup.exe", u"\"a\""}},
      {u"Setup.exe \"unclosed arg", {u"Setup.exe", u"unclosed arg"}},
      {u"C:\\a\\\"b c\\Setup.exe", {u"C:\\a\\\"b", u"c\\Setup.exe"}},
      {u"\"C:\\a\\b\"c d", {u"C:\\a\\b", u"c", u"d"}},
      {u"Setup.exe /PAT:\"x y\" /log", {u"Setup.exe", u"/PAT:x y", u"/log"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(std::string(row.line, row.line + std::char_traits<char16_t>::length(row.line))));
    EXPECT_EQ(Split(row.line), row.arguments);
  }
}

TEST_F(PlatformContract, SystemDirectory) {
  win::WCHAR buffer[260];
  win::UINT got = win::Sys().GetSystemDirectoryW(buffer, 260);
  ASSERT_GT(got, 3u);
  ASSERT_LT(got, 260u);
  std::u16string dir(buffer, got);
  EXPECT_EQ(dir.find(u'\0'), std::u16string::npos);
  EXPECT_NE(dir.back(), u'\\');
  // Too small a buffer: the size needed, terminator included.
  win::WCHAR small[2];
  EXPECT_EQ(win::Sys().GetSystemDirectoryW(small, 2), got + 1);
  EXPECT_EQ(win::SystemFilePath(u"msiexec.exe"), dir + u"\\msiexec.exe");
}

TEST_F(PlatformContract, ModuleFileNameIsCutToTheBuffer) {
  win::WCHAR full[2048];
  win::DWORD length = win::Sys().GetModuleFileNameW(nullptr, full, 2048);
  ASSERT_GT(length, 5u);
  EXPECT_EQ(full[length], 0);
  win::WCHAR cut[6];
  std::memset(cut, 0x55, sizeof cut);
  EXPECT_EQ(win::Sys().GetModuleFileNameW(nullptr, cut, 5), 5u);
  EXPECT_EQ(std::u16string(cut, 4), std::u16string(full, 4));
  // The fifth unit is either the path's own or a NUL; nothing is written past it.
  EXPECT_TRUE(cut[4] == full[4] || cut[4] == 0);
  EXPECT_EQ(cut[5], 0x5555);
  EXPECT_NE(win::Sys().GetModuleHandleW(nullptr), nullptr);
}

TEST_F(PlatformContract, VersionRecordSizes) {
  win::OSVERSIONINFOEXW ex{};
  ex.dwOSVersionInfoSize = sizeof ex;
  EXPECT_NE(win::Sys().GetVersionExW(reinterpret_cast<win::OSVERSIONINFOW*>(&ex)), 0);
  EXPECT_EQ(ex.dwPlatformId, win::VER_PLATFORM_WIN32_NT);
  EXPECT_GE(ex.dwMajorVersion, 5u);
  EXPECT_NE(ex.wProductType, 0);
  win::OSVERSIONINFOW plain{};
  plain.dwOSVersionInfoSize = sizeof plain;
  EXPECT_NE(win::Sys().GetVersionExW(&plain), 0);
  EXPECT_EQ(plain.dwMajorVersion, ex.dwMajorVersion);
  win::OSVERSIONINFOEXW bad{};
  bad.dwOSVersionInfoSize = 100;
  EXPECT_EQ(win::Sys().GetVersionExW(reinterpret_cast<win::OSVERSIONINFOW*>(&bad)), 0);
  EXPECT_EQ(bad.dwMajorVersion, 0u);
}

TEST_F(PlatformContract, ShellFolderLibraryFromTheSystemFolder) {
  std::u16string path = win::SystemFilePath(u"shfolder.dll");
  win::HMODULE library = win::Sys().LoadLibraryExW(path.c_str(), nullptr, 0);
  ASSERT_NE(library, nullptr);
  EXPECT_NE(win::Sys().GetProcAddress(library, "SHGetFolderPathW"), nullptr);
  EXPECT_EQ(win::Sys().GetProcAddress(library, "NoSuchEntry"), nullptr);
  EXPECT_NE(win::Sys().FreeLibrary(library), 0);
  std::u16string missing = win::SystemFilePath(u"no-such-library.dll");
  EXPECT_EQ(win::Sys().LoadLibraryExW(missing.c_str(), nullptr, 0), nullptr);
}

TEST_F(PlatformContract, StartOfAMissingProgramFailsWithoutAHandle) {
  std::u16string program = win::SystemFilePath(u"no-such-program.exe");
  win::SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = win::SEE_MASK_NOCLOSEPROCESS | win::SEE_MASK_FLAG_NO_UI | win::SEE_MASK_NOASYNC;
  info.lpFile = program.c_str();
  info.nShow = win::SW_HIDE;
  win::ScopedCom com;
  ASSERT_TRUE(com.Ready());
  EXPECT_EQ(win::Sys().ShellExecuteExW(&info), 0);
  EXPECT_EQ(win::Sys().GetLastError(), static_cast<win::DWORD>(win::ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(info.hProcess, nullptr);
  EXPECT_EQ(reinterpret_cast<win::ULONG_PTR>(info.hInstApp), 2u);  // SE_ERR_FNF
}

// The uninstall start runs the program it names with its parameters, with
// either verb the removal uses, complete when the call returns, and answers
// success and no handle, since none was asked for.
TEST_F(PlatformContract, UninstallStartRunsTheNamedProgram) {
  for (const char16_t* verb : {static_cast<const char16_t*>(nullptr), u"runas"}) {
    SCOPED_TRACE(verb == nullptr ? "no verb" : "runas");
    std::u16string program = contract::RecordingProgram();
    win::SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = win::SEE_MASK_FLAG_NO_UI | win::SEE_MASK_NOASYNC;
    info.lpVerb = verb;
    info.lpFile = program.c_str();
    info.lpParameters = u" /x{11111111-2222-3333-4444-555555555555} /qn";
    info.nShow = win::SW_SHOWNORMAL;
    win::ScopedCom com;
    ASSERT_TRUE(com.Ready());
    EXPECT_NE(win::Sys().ShellExecuteExW(&info), 0);
    EXPECT_EQ(info.hProcess, nullptr);
    std::u16string line = contract::Recorded(program);
    std::u16string tail = u" /x{11111111-2222-3333-4444-555555555555} /qn";
    ASSERT_GE(line.size(), tail.size());
    EXPECT_EQ(line.substr(line.size() - tail.size()), tail);
  }
}

// The error mode is the process's: each set answers the one before. COM on
// the thread: the first initialization S_OK, a second in the same apartment
// S_FALSE, one in another apartment RPC_E_CHANGED_MODE; each success is
// balanced by one CoUninitialize, after which it starts anew.
TEST_F(PlatformContract, ErrorModeAndCom) {
  win::Api& p = win::Sys();
  win::UINT inherited = p.SetErrorMode(win::SEM_FAILCRITICALERRORS);
  EXPECT_EQ(p.SetErrorMode(win::kQuietErrorMode), win::SEM_FAILCRITICALERRORS);
  EXPECT_EQ(p.SetErrorMode(inherited), win::kQuietErrorMode);

  const win::DWORD sta = win::COINIT_APARTMENTTHREADED | win::COINIT_DISABLE_OLE1DDE;
  EXPECT_EQ(p.CoInitializeEx(nullptr, sta), win::S_OK);
  EXPECT_EQ(p.CoInitializeEx(nullptr, sta), win::S_FALSE);
  EXPECT_EQ(p.CoInitializeEx(nullptr, 0), win::RPC_E_CHANGED_MODE);  // multithreaded
  p.CoUninitialize();
  p.CoUninitialize();
  EXPECT_EQ(p.CoInitializeEx(nullptr, sta), win::S_OK);
  p.CoUninitialize();
}

// IsWow64Process and IsWow64Process2 (looked up at run time) answer what the
// process is, and fail on a handle that is none, leaving the answers untouched.
TEST_F(PlatformContract, Wow64AnswersWhatTheProcessIs) {
  win::BOOL wow64 = 7;
  EXPECT_EQ(win::Sys().IsWow64Process(reinterpret_cast<win::HANDLE>(0x1234), &wow64), 0);
  EXPECT_EQ(wow64, 7);
  win::WORD image = 7, native = 7;
  EXPECT_EQ(win::Sys().IsWow64Process2(reinterpret_cast<win::HANDLE>(0x1234), &image, &native), 0);
  EXPECT_EQ(image, 7);
  EXPECT_EQ(native, 7);
  ASSERT_NE(win::Sys().IsWow64Process2(win::Sys().GetCurrentProcess(), &image, &native), 0);
  EXPECT_EQ(image != win::IMAGE_FILE_MACHINE_UNKNOWN, contract::UnderWow64());
  EXPECT_NE(native, win::IMAGE_FILE_MACHINE_UNKNOWN);
  EXPECT_EQ(native == win::IMAGE_FILE_MACHINE_I386, !contract::UnderWow64() && !contract::Is64BitProcess());
  if (contract::Is64BitProcess())
    GTEST_SKIP() << "a 64-bit process never runs under WOW64: only the 32-bit build can show it";
  ASSERT_NE(win::Sys().IsWow64Process(win::Sys().GetCurrentProcess(), &wow64), 0);
  EXPECT_EQ(wow64 != 0, contract::UnderWow64());
}

// What the program's library search finds by a bare name: a library in the
// folder SetDllDirectoryW names until "" takes it out again, one beside the
// program until the search is restricted to the system folder; by full path
// the library still loads afterwards. The steps build on each other in this
// order, in a process of its own (as ctest runs every case): a restriction,
// once made, stays for the life of the process.
TEST_F(PlatformContract, LibrarySearchBeforeAndAfterItIsRestricted) {
  win::Api& p = win::Sys();
  auto loadsBare = [&](const char16_t* name) {
    win::HMODULE module = p.LoadLibraryExW(name, nullptr, 0);
    if (module != nullptr) static_cast<void>(p.FreeLibrary(module));
    return module != nullptr;
  };
  contract::PlantLibrary(u"", u"beside-before.dll");
  contract::PlantLibrary(u"", u"beside-after.dll");
  std::u16string folder = contract::PlantLibrary(u"libs", u"named-before.dll");
  contract::PlantLibrary(u"libs", u"named-after.dll");
  folder.resize(folder.rfind(u'\\'));

  EXPECT_TRUE(loadsBare(u"beside-before.dll"));
  ASSERT_NE(p.SetDllDirectoryW(folder.c_str()), 0);
  EXPECT_TRUE(loadsBare(u"named-before.dll"));
  ASSERT_NE(p.SetDllDirectoryW(u""), 0);
  EXPECT_FALSE(loadsBare(u"named-after.dll"));

  ASSERT_NE(p.SetDefaultDllDirectories(win::LOAD_LIBRARY_SEARCH_SYSTEM32), 0);
  EXPECT_FALSE(loadsBare(u"beside-after.dll"));
  std::u16string full = contract::PlantLibrary(u"", u"beside-after.dll");
  win::HMODULE byPath = p.LoadLibraryExW(full.c_str(), nullptr, 0);
  EXPECT_NE(byPath, nullptr);
  if (byPath != nullptr) {
    EXPECT_NE(p.FreeLibrary(byPath), 0);
  }
}

// What each call answers on a system without the optional parts: the
// product reads these as "not WOW64", "no restriction possible", a failed
// registry read and a program that did not start.
TEST(PlatformLackingContract, AnswersOfASystemWithoutOptionalParts) {
  win::ScopedSys sys{contract::PlatformLackingOptionalParts()};
  win::Api& p = win::Sys();
  win::BOOL wow64 = 7;
  EXPECT_EQ(p.IsWow64Process(p.GetCurrentProcess(), &wow64), 1);
  EXPECT_EQ(wow64, 0);
  win::WORD image = 7;
  EXPECT_EQ(p.IsWow64Process2(p.GetCurrentProcess(), &image, nullptr), 0);
  EXPECT_EQ(p.GetLastError(), static_cast<win::DWORD>(win::ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(image, 7);
  EXPECT_EQ(p.SetDefaultDllDirectories(win::LOAD_LIBRARY_SEARCH_SYSTEM32), 0);
  EXPECT_EQ(p.SetDllDirectoryW(u""), 0);
  int argc = 7;
  EXPECT_EQ(p.CommandLineToArgvW(u"Setup.exe /x", &argc), nullptr);
  EXPECT_EQ(argc, 7);

  win::HKEY key = reinterpret_cast<win::HKEY>(0x1234);
  EXPECT_EQ(p.RegOpenKeyExW(contract::TestRoot(), contract::TestKey().c_str(), 0, win::KEY_READ, &key),
            win::ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  win::HKEY root = contract::TestRoot();
  win::DWORD type = 0, size = 4, count = 0, chars = 8;
  win::BYTE data[4];
  win::WCHAR name[8];
  EXPECT_EQ(p.RegQueryValueExW(root, u"v", nullptr, &type, data, &size), win::ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(p.RegQueryInfoKeyW(root, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr),
            win::ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(p.RegEnumKeyExW(root, 0, name, &chars, nullptr, nullptr, nullptr, nullptr),
            win::ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(p.RegDeleteKeyW(root, u"absent"), win::ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(p.RegCloseKey(root), win::ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(p.CoInitializeEx(nullptr, win::COINIT_APARTMENTTHREADED),
            static_cast<win::HRESULT>(0x8007007E));  // ERROR_MOD_NOT_FOUND as an HRESULT

  std::u16string program = win::SystemFilePath(u"cmd.exe", p);
  win::SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = win::SEE_MASK_NOCLOSEPROCESS | win::SEE_MASK_NOASYNC;
  info.lpFile = program.c_str();
  info.hProcess = reinterpret_cast<win::HANDLE>(0x1234);
  EXPECT_EQ(p.ShellExecuteExW(&info), 0);
  EXPECT_EQ(p.GetLastError(), static_cast<win::DWORD>(win::ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(info.hProcess, nullptr);
  EXPECT_EQ(reinterpret_cast<win::ULONG_PTR>(info.hInstApp), 2u);
}

// Where the system cannot restrict the library search, a library loaded by
// full path still takes the libraries it imports from its own folder, never a
// copy planted beside the program.
TEST(PlatformLackingContract, LibraryByFullPathTakesItsImportsFromItsOwnFolder) {
  win::Api& p = contract::PlatformLackingOptionalParts();
  std::u16string outer = contract::PlantImportingLibrary(u"deps");
  EXPECT_EQ(win::FullPathLoadFlags(p), win::LOAD_WITH_ALTERED_SEARCH_PATH);
  win::HMODULE module = win::LoadLibraryByFullPath(outer, p);
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(contract::ImportLoadedFrom(u"deps"));
  EXPECT_FALSE(contract::ImportLoadedFrom(u""));
  EXPECT_NE(p.FreeLibrary(module), 0);
}

// The installer run reads a child's exit code in full, whatever its size.
// Under Wine the code is cmd.exe's own, so the case holds the real start, wait
// and exit code; on the simulated machine a script sets it, so there the case
// holds only the run's own reading of it (waited for, and whole past 16 bits).
TEST_F(PlatformContract, RunAndWaitReadsTheExitCode) {
  for (win::DWORD code : {0u, 1603u, 3010u, 65536u}) {
    SCOPED_TRACE(code);
    contract::ExitingProgram p = contract::ProgramExitingWith(code);
    EXPECT_EQ(RunAndWait(p.arguments, p.program), code);
  }
}

}  // namespace
