// The real Setup.exe at its gates, on each Windows version Wine can report.
#include "e2e/e2e_test.h"

namespace e2e {
namespace {

TEST(GatesE2E, ArgumentsRefusedBeforeAnythingStarts) {
  WinePrefix& wine = SharedPrefix();
  ExpectSilentExit(wine.Start("Setup.exe"), 0x80010004);
  ExpectSilentExit(wine.Start("Setup.exe /x:strict"), 0x80010004);
  ExpectSilentExit(wine.Start("Setup.exe /log /i:C:\\work\\pellworth-normal.msi"), 0x80010004);
}

TEST(GatesE2E, WindowsVersions) {
  WinePrefix& wine = SharedPrefix();
  struct Row {
    const char* version;
    std::uint32_t expected;
  };
  const Row rows[] = {
      {"win2k", 0x80010002},  {"win2003", 0x80010002}, {"win2008", 0x80010002},
      {"win2008r2", 0x80010002}, {"winxp", 0x80010004},  {"vista", 0x80010004},
      {"win7", 0x80010004},   {"win10", 0x80010004},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.version);
    wine.SetWindowsVersion(row.version);
    ExpectSilentExit(wine.Start("Setup.exe"), row.expected);
  }
}

TEST(GatesE2E, Wow64IsRefused) {
  WinePrefix wow64("win64");
  ExpectSilentExit(wow64.Start("Setup.exe /x"), 0x80010001);
}

}  // namespace
}  // namespace e2e
