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
  // Set for the whole prefix, not for one program: Wine's per-program table
  // gives win7 the data of win2008r2 and the other way round.
  bool wholePrefix = false;
};

void PrintTo(const VersionRow& row, std::ostream* out) { *out << row.version; }

// Each row runs a copy of Setup.exe under a name of its own, for which alone
// Wine reports the row's version: no other program, and no other case, ever
// sees it, even when a case is killed half-way. The two rows Wine cannot set
// for one program set the prefix's version and put it back, also after a failure.
class GatesVersionE2E : public testing::TestWithParam<VersionRow> {
 protected:
  void TearDown() override {
    if (GetParam().wholePrefix) SharedPrefix().SetWindowsVersion("win10");
  }
};

TEST_P(GatesVersionE2E, RefusedOrLetThrough) {
  const VersionRow& row = GetParam();
  if (row.onlyIn != nullptr && Mode() != row.onlyIn)
    GTEST_SKIP() << "Wine reports " << row.version << " only in " << row.onlyIn
                 << " prefixes; this host runs mode " << Mode();
  WinePrefix& wine = SharedPrefix();
  const std::string program = std::string("Setup-") + row.version + ".exe";
  ASSERT_EQ(wine.Shell("cp " + wine.QuotedPath("C:\\work\\Setup.exe") + " " +
                       wine.QuotedPath("C:\\work\\" + program)),
            0);
  if (row.wholePrefix)
    wine.SetWindowsVersion(row.version);
  else
    wine.SetProgramVersion(program, row.version);
  ExpectSilentExit(wine.Start(program), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, GatesVersionE2E,
    testing::Values(VersionRow{"win2k", 0x80010002, "win32"},
                    VersionRow{"win2003", 0x80010002, nullptr},
                    VersionRow{"win2008", 0x80010002, nullptr},
                    VersionRow{"win2008r2", 0x80010002, nullptr, true},
                    VersionRow{"winxp", 0x80010004, "win32"},
                    // 64-bit XP is 5.2, a workstation but below the supported versions.
                    VersionRow{"winxp64", 0x80010002, "win64"},
                    VersionRow{"vista", 0x80010004, nullptr},
                    VersionRow{"win7", 0x80010004, nullptr, true},
                    VersionRow{"win10", 0x80010004, nullptr}),
    [](const testing::TestParamInfo<VersionRow>& info) { return std::string(info.param.version); });

TEST(GatesE2E, Wow64IsRefused) {
  E2E_ONLY_WHERE_32_BIT_PROGRAMS_RUN("the 32-bit Setup.exe under WOW64 in a 64-bit prefix");
  ExpectSilentExit(Wow64Prefix()->Start("Setup.exe /x"), 0x80010001);
}

}  // namespace
}  // namespace e2e
