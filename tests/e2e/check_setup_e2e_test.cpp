// CheckSetup.exe under Wine, on lines administrators write: it prints the
// reason or the exact line, its exit code is Setup.exe's on the same line
// wherever Setup.exe starts nothing, Wine's exec trace shows no start of its
// own, and the registry is as it was after it. The line it prints for an
// install and for a removal is the one Setup.exe then starts.
#include "e2e/e2e_test.h"

namespace e2e {
namespace {

class CheckSetupE2E : public ProductTest {
 protected:
  // The product's keys as `reg` lists them: what a run could have written.
  std::string Registry() {
    std::string text;
    wine.Shell("for key in 'HKLM\\" + std::string(kUninstallKey) + "' 'HKLM\\SOFTWARE\\Orvel'; do "
               "wine_exec reg query \"$key\" /s 2>/dev/null; done", &text);
    return text;
  }
  // CheckSetup.exe with `arguments`: nothing started (the callers hold the
  // registry's keys before and after each stretch of checks).
  RunResult Check(const std::string& arguments) {
    RunResult run = wine.StartWith("WINEDEBUG=trace+exec", "C:\\work\\CheckSetup.exe " + arguments,
                                   "C:\\work");
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.errors.find("trace:exec"), std::string::npos) << run.errors;
    return run;
  }
  // The parameters the check printed, as Wine's exec trace writes a string.
  static std::string TracedParameters(const std::string& output) {
    std::size_t at = output.find("  parameters: [");
    if (at == std::string::npos) return "(none printed)";
    std::size_t begin = at + 15;
    std::string line = output.substr(begin, output.find('\n', begin) - begin);
    line = line.substr(0, line.rfind(']'));
    std::string traced = "parm=L\"";
    for (char c : line) traced += c == '\\' || c == '"' ? std::string("\\") + c : std::string(1, c);
    return traced + "\"";
  }
};

// Refused lines: the check names the argument and the rule, and ends with
// Setup.exe's own code on the same line.
TEST_F(CheckSetupE2E, RefusalsAndEmptyRemovals) {
  struct Row {
    const char* arguments;
    const char* printed;
    std::uint32_t code;
  };
  const Row rows[] = {
      {"/i:\"C:\\Program Files\\P\\\" /PAT:x",
       "may have swallowed it", 0x80010004},  // one quotation mark left: /PAT: swallowed
      {"/PAT:x INSTALLDIR=\"C:\\Program Files\\P\\\"", "argument 2 [INSTALLDIR=", 0x80010004},
      {"/i:Pellworth.msi /PAT:x /qb", "write instead: /qn", 0x80010004},
      {"/i:Pellworth.msi", "an install needs /PAT: with a value", 0x80010004},
      {"/PAT:x /l*v", "needs its file", 0x80010004},
      {"/PAT:x /log:", "need a path after the colon", 0x80010004},
      {"/x:strict", "argument 1 [/x:strict]: /x: takes only the value Strict", 0x80010004},
      {"/x", "nothing would be started", 0},
      {"/x:Strict", "nothing would be started", 1},
  };
  std::string before = Registry();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.arguments);
    RunResult check = Check(row.arguments);
    EXPECT_NE(check.output.find(row.printed), std::string::npos) << check.output;
    EXPECT_EQ(Hex(check.exitCode), Hex(row.code)) << check.output;
    ExpectSilentExit(wine.Start(std::string("C:\\work\\Setup.exe ") + row.arguments), row.code);
  }
  EXPECT_EQ(Registry(), before);  // neither program wrote anything on these lines
}

// The README's install line (with an empty argument, written as nothing) and
// the removal, with and without the product: the check prints the line
// Setup.exe then starts.
TEST_F(CheckSetupE2E, PrintsTheLineSetupStarts) {
  const std::string install =
      "/i:C:\\work\\pellworth-normal.msi /PAT:HOST-4711 \"\" /log:C:\\windows\\temp\\p.log /norestart";
  std::string before = Registry();
  RunResult check = Check(install);
  EXPECT_EQ(Registry(), before);
  EXPECT_EQ(Hex(check.exitCode), Hex(0));
  EXPECT_NE(check.output.find("  program: C:\\windows\\system32\\msiexec.exe\n"), std::string::npos)
      << check.output;
  EXPECT_NE(check.output.find("HostID is not readable here now"), std::string::npos) << check.output;
  RunResult run = wine.StartWith("WINEDEBUG=trace+exec", "C:\\work\\Setup.exe " + install, "C:\\work");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(Hex(run.exitCode), Hex(0));
  EXPECT_NE(run.errors.find(TracedParameters(check.output)), std::string::npos)
      << TracedParameters(check.output) << "\n" << run.errors;
  ASSERT_EQ(InstalledCount(), 1);

  before = Registry();
  check = Check(install);
  EXPECT_NE(check.output.find("any install run here ends 0 at the first read"), std::string::npos);
  check = Check("/x:Strict");
  EXPECT_EQ(Hex(check.exitCode), Hex(0));
  EXPECT_NE(check.output.find("taken: the first whose key name is a product code"), std::string::npos)
      << check.output;
  check = Check("/x");
  EXPECT_EQ(Hex(check.exitCode), Hex(0));
  EXPECT_EQ(Registry(), before);  // three checks with the product installed
  run = wine.StartWith("WINEDEBUG=trace+exec", "C:\\work\\Setup.exe /x", "C:\\work");
  EXPECT_EQ(Hex(run.exitCode), Hex(0));
  EXPECT_NE(run.errors.find(TracedParameters(check.output)), std::string::npos)
      << TracedParameters(check.output) << "\n" << run.errors;
  wine.WaitForAll();
  EXPECT_EQ(InstalledCount(), 0);
}

}  // namespace
}  // namespace e2e
