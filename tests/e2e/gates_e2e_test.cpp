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

// One row a version: refused as unsupported, or let through to the argument
// check (no arguments: 0x80010004). Wine sets the versions of 32-bit-only
// Windows in 32-bit prefixes only, and 64-bit XP (5.2) in 64-bit ones only.
struct VersionRow {
  const char* version;
  std::uint32_t expected;
  const char* onlyIn;  // the one mode whose prefixes can report it, or nullptr
};

void PrintTo(const VersionRow& row, std::ostream* out) { *out << row.version; }

class GatesVersionE2E : public testing::TestWithParam<VersionRow> {
 protected:
  void TearDown() override {
    if (changed_) SharedPrefix().SetWindowsVersion("win10");  // what the other tests run on
  }
  bool changed_ = false;
};

TEST_P(GatesVersionE2E, RefusedOrLetThrough) {
  const VersionRow& row = GetParam();
  if (row.onlyIn != nullptr && Mode() != row.onlyIn)
    GTEST_SKIP() << "Wine reports " << row.version << " only in " << row.onlyIn
                 << " prefixes; this host runs mode " << Mode();
  WinePrefix& wine = SharedPrefix();
  changed_ = true;
  wine.SetWindowsVersion(row.version);
  ExpectSilentExit(wine.Start("Setup.exe"), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, GatesVersionE2E,
    testing::Values(VersionRow{"win2k", 0x80010002, "win32"},
                    VersionRow{"win2003", 0x80010002, nullptr},
                    VersionRow{"win2008", 0x80010002, nullptr},
                    VersionRow{"win2008r2", 0x80010002, nullptr},
                    VersionRow{"winxp", 0x80010004, "win32"},
                    // 64-bit XP is 5.2, a workstation but below the supported versions.
                    VersionRow{"winxp64", 0x80010002, "win64"},
                    VersionRow{"vista", 0x80010004, nullptr},
                    VersionRow{"win7", 0x80010004, nullptr},
                    VersionRow{"win10", 0x80010004, nullptr}),
    [](const testing::TestParamInfo<VersionRow>& info) { return std::string(info.param.version); });

TEST(GatesE2E, Wow64IsRefused) {
  E2E_ONLY_WHERE_32_BIT_PROGRAMS_RUN("the 32-bit Setup.exe under WOW64 in a 64-bit prefix");
  WinePrefix wow64(true);
  ExpectSilentExit(wow64.Start("Setup.exe /x"), 0x80010001);
}

}  // namespace
}  // namespace e2e
