// The fault sweep over the real Win32 layer (run under Wine), for the
// scenarios that need no real installer run: every call failed and raised in
// turn through the fault layer, each outcome exactly as the rules give it,
// and every handle the product received given back at every fault point.
//
// What a scenario needs of the machine comes from a thin layer of answers
// over the real platform: the command line, a system folder whose
// msiexec.exe is a program of the tests that exits 0, and, for the gate, a
// server's product type.
#include <gtest/gtest.h>

#include <iostream>
#include <optional>

#include "faults/fault_api.h"
#include "platform/forwarding_api.h"
#include "platform/win32_api.h"
#include "sweep/oracle.h"

namespace {
// Taken before <windows.h> makes these names macros.
constexpr win::BYTE kServer = win::VER_NT_SERVER;
constexpr win::DWORD kExRecordSize = sizeof(win::OSVERSIONINFOEXW);
}  // namespace

#include <windows.h>

namespace {

class Answers final : public win::ForwardingApi {
 public:
  Answers(std::u16string commandLine, std::u16string systemFolder, bool server)
      : ForwardingApi(win::RealApi()),
        commandLine_(std::move(commandLine)),
        systemFolder_(std::move(systemFolder)),
        server_(server) {}
  const win::WCHAR* GetCommandLineW() override { return commandLine_.c_str(); }
  win::UINT GetSystemDirectoryW(win::WCHAR* buffer, win::UINT size) override {
    if (systemFolder_.empty()) return below_.GetSystemDirectoryW(buffer, size);
    if (size < systemFolder_.size() + 1) return static_cast<win::UINT>(systemFolder_.size() + 1);
    std::copy(systemFolder_.begin(), systemFolder_.end(), buffer);
    buffer[systemFolder_.size()] = 0;
    return static_cast<win::UINT>(systemFolder_.size());
  }
  win::BOOL GetVersionExW(win::OSVERSIONINFOW* info) override {
    win::BOOL ok = below_.GetVersionExW(info);
    if (ok && server_ && info->dwOSVersionInfoSize == kExRecordSize)
      reinterpret_cast<win::OSVERSIONINFOEXW*>(info)->wProductType = kServer;
    return ok;
  }

 private:
  std::u16string commandLine_, systemFolder_;
  bool server_;
};


std::u16string U(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

// A folder of the tests' own with msiexec.exe, a program that exits 0.
std::u16string FolderWithInstaller() {
  wchar_t self[MAX_PATH];
  DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring bin(self, n);
  bin.erase(bin.find_last_of(L'\\'));
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"pellworth-sweep";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  ::CopyFileW((bin + L"\\empty.exe").c_str(), (folder + L"\\msiexec.exe").c_str(), FALSE);
  return U(folder);
}

void SetHostId(bool present) {
  const wchar_t* path = L"SOFTWARE\\Orvel\\TAVRELQ";
  if (!present) {
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
    return;
  }
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
    ::RegSetValueExW(key, L"HostID", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"sweep"), 12);
    ::RegCloseKey(key);
  }
}

struct Scenario {
  const char* name;
  std::u16string commandLine;
  bool installer, server;
  sweep::Rules rules;
};

TEST(RealPlatformSweep, EveryCallOfEveryScenario) {
  using sweep::Road;
  const Scenario scenarios[] = {
      {"refused at a gate", u"Setup.exe /PAT:1", false, true, {Road::Gate}},
      {"bad arguments", u"Setup.exe /PAT:1 /x:bad", false, false, {Road::BadArguments}},
      {"strict removal with none", u"Setup.exe /x:Strict", false, false,
       {Road::Removal, false, false, true}},
      {"install, HostID seeded", u"Setup.exe /PAT:1 /i:C:\\absent.msi", true, false,
       {Road::Install, true}},
  };
  std::u16string folder = FolderWithInstaller();
  int total = 0;
  for (const Scenario& scenario : scenarios) {
    SCOPED_TRACE(scenario.name);
    SetHostId(scenario.installer);
    int points = sweep::Sweep(scenario.rules, [&](const std::optional<faults::Fault>& fault) {
      Answers answers(scenario.commandLine, scenario.installer ? folder : u"", scenario.server);
      faults::FaultApi layer(answers);
      return sweep::RunSetup(layer, fault);
    });
    std::cout << scenario.name << ": " << points << " fault points" << std::endl;
    total += points;
  }
  SetHostId(false);
  std::cout << "fault points covered (platform calls, real platform): " << total << std::endl;
  EXPECT_GT(total, 150);
}

}  // namespace
