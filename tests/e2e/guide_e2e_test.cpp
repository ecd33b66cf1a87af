// The administrator's guide's own lines, run as the guide gives them: the
// uninstall a tool can check returns only when the product is gone, and the
// batch examples (taken from the guide's text) install once, detect the
// installed product, and remove it, waiting, from a folder they reach with pushd.
#include "e2e/e2e_test.h"

#include <fstream>

namespace e2e {
namespace {

// The guide's ```bat block whose first "rem" line begins with `rem`.
std::string ReadmeBatch(const std::string& rem) {
  std::string readme = ReadFile(PELLWORTH_ADMIN_GUIDE);
  for (std::size_t at = readme.find("```bat\n"); at != std::string::npos;
       at = readme.find("```bat\n", at + 1)) {
    std::size_t begin = at + 7, end = readme.find("```", begin);
    std::string block = readme.substr(begin, end - begin);
    if (block.find("rem " + rem) != std::string::npos) return block;
  }
  return "";
}

class GuideE2E : public ProductTest {
 protected:
  // A batch file, with Setup.exe, CheckPackage.exe and the package beside it.
  void Share(const std::string& name, const std::string& text) {
    ASSERT_FALSE(text.empty()) << "no such example in the administrator's guide";
    wine.Shell("mkdir -p " + wine.QuotedPath("C:\\share") + " && cd " + wine.QuotedPath("C:\\work") +
               " && cp Setup.exe CheckPackage.exe " + wine.QuotedPath("C:\\share") +
               " && cp pellworth-normal.msi " + wine.QuotedPath("C:\\share\\Pellworth.msi"));
    std::ofstream file(wine.HostPath("C:\\share\\" + name), std::ios::binary);
    for (char c : text) file << (c == '\n' ? "\r\n" : std::string(1, c));
  }
  std::string ProductCode() {
    RunResult run = wine.Start("C:\\work\\CheckPackage.exe /ProductCode C:\\work\\pellworth-normal.msi");
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_EQ(run.errors, "");
    std::string code = run.output;
    while (!code.empty() && (code.back() == '\n' || code.back() == '\r')) code.pop_back();
    return code;
  }
};

// The uninstall line the guide gives the tools returns once the product is
// gone: detection right after it finds nothing, with no wait of its own.
TEST_F(GuideE2E, UninstallByProductCodeReturnsWhenTheProductIsGone) {
  std::string code = ProductCode();
  ASSERT_EQ(code.size(), 38u) << code;
  ExpectSilentExit(wine.Start("C:\\work\\Setup.exe /i:C:\\work\\pellworth-normal.msi /PAT:H-5"), 0);
  std::string listed;
  wine.Shell(ListEntries("HKLM"), &listed);
  EXPECT_EQ(listed, code + "\n");  // the code printed is the installed product's
  RunResult run = wine.Start("C:\\windows\\system32\\msiexec.exe /x " + code + " /qn /norestart");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(InstalledCount(), 0);
  EXPECT_FALSE(wine.RegistryValue(kHostIdKey, "HostID"));
}

// The guide's batch files, started from another folder: the install runs
// Setup.exe once, and a second start finds the product installed and starts
// nothing; the waiting uninstall returns 0 once the product is gone.
TEST_F(GuideE2E, ReadmeBatchExamplesInstallDetectAndRemove) {
  Share("install.cmd", ReadmeBatch("Install Pellworth"));
  Share("uninstall.cmd", ReadmeBatch("Remove Pellworth"));
  const std::string log = "C:\\windows\\temp\\pellworth-install.log";
  wine.Shell("rm -f " + wine.QuotedPath(log));

  RunResult run = wine.Start("cmd /c C:\\share\\install.cmd", "C:\\work");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(Hex(run.exitCode), Hex(0)) << run.output << run.errors;
  EXPECT_NE(run.output.find("installed"), std::string::npos) << run.output;
  EXPECT_EQ(InstalledCount(), 1);
  EXPECT_EQ(wine.RegistryValue(kHostIdKey, "HostID").value_or(""), "HOST-4711");
  EXPECT_TRUE(wine.FileExists(log));

  wine.Shell("rm -f " + wine.QuotedPath(log));
  run = wine.Start("cmd /c C:\\share\\install.cmd", "C:\\work");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(Hex(run.exitCode), Hex(0)) << run.output << run.errors;
  EXPECT_FALSE(wine.FileExists(log)) << "Setup.exe ran again over the installed product";

  run = wine.Start("cmd /c C:\\share\\uninstall.cmd", "C:\\work");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(Hex(run.exitCode), Hex(0)) << run.output << run.errors;
  EXPECT_EQ(InstalledCount(), 0);
}

}  // namespace
}  // namespace e2e
