// The environment snapshot taken on the real platform under Wine.
#include <map>
#include <sstream>

#include "e2e/e2e_test.h"
#include "version.h"

namespace e2e {
namespace {

std::map<std::string, std::string> Fields(const std::string& text) {
  std::map<std::string, std::string> fields;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    auto eq = line.find('=');
    if (eq != std::string::npos) fields[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return fields;
}

TEST(EnvironmentE2E, RealSnapshot) {
  WinePrefix& wine = SharedPrefix();
  wine.Shell("mkdir -p " + wine.QuotedPath("C:\\work\\snap") + " && cp " +
             wine.QuotedPath("C:\\work\\snapshot.exe") + " " + wine.QuotedPath("C:\\work\\snap\\"));
  RunResult run = wine.Start("C:\\work\\.\\snap\\.\\.\\snapshot.exe /a:b c");
  ASSERT_TRUE(run.finished) << run.output << run.errors;
  EXPECT_EQ(run.exitCode, 0u);
  auto f = Fields(run.output);
  EXPECT_EQ(f["version"], PELLWORTH_VERSION_TEXT);
  EXPECT_EQ(f["modulePath"], "C:\\work\\snap\\snapshot.exe");
  EXPECT_NE(f["computerName"], "");
  EXPECT_NE(f["physicalDnsHostName"], "");
  EXPECT_EQ(f["folderLibrary"], "C:\\windows\\system32\\shfolder.dll");
  EXPECT_EQ(f["getFolderPath"], "resolved");
  EXPECT_EQ(f["switches"], "1 words=2");
}

}  // namespace
}  // namespace e2e
