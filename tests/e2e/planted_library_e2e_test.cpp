// Libraries planted beside Setup.exe under the names of system libraries are
// never loaded, even where Wine is told to prefer a library found there.
#include "e2e/e2e_test.h"

namespace e2e {
namespace {

// System libraries that Setup.exe, or the system libraries it uses, load by
// name (some of them were loaded from beside the program before it restricted
// the library search).
const char* const kNames[] = {"shfolder", "shell32", "advapi32", "shcore",   "version",
                              "userenv",  "uxtheme", "profapi",  "cryptbase", "propsys",
                              "shlwapi",  "sechost", "apphelp",  "dwmapi",   "wintrust"};

class PlantedLibraryE2E : public ProductTest {};

TEST_F(PlantedLibraryE2E, NeverLoaded) {
  std::string dir = wine.QuotedPath("C:\\work\\downloads");
  std::string copies = "rm -rf " + dir + " && mkdir -p " + dir + " && cd " + dir + " && cp ../Setup.exe .";
  std::string overrides;
  for (const char* name : kNames) {
    copies += std::string(" && cp ../planted_dll.dll ") + name + ".dll";
    overrides += std::string(overrides.empty() ? "" : ",") + name;
  }
  ASSERT_EQ(wine.Shell(copies), 0);
  std::string marker = wine.QuotedPath("C:\\planted-dll.ran");
  SeedHostId(wine);
  struct Row {
    const char* arguments;
    std::uint32_t expected;
  };
  for (const Row& row : {Row{"", 0x80010004}, Row{"/x:Strict", 1},
                         Row{"/PAT:x /i:C:\\work\\absent.msi", 0}}) {
    SCOPED_TRACE(row.arguments);
    wine.Shell("rm -f " + marker);
    RunResult run = wine.StartWith("WINEDLLOVERRIDES='" + overrides + "=n,b'",
                                   std::string("C:\\work\\downloads\\Setup.exe ") + row.arguments,
                                   "C:\\work\\downloads");
    ExpectSilentExit(run, row.expected);
    std::string loaded;
    wine.Shell("cat " + marker + " 2>/dev/null | tr -d '\\000'", &loaded);
    EXPECT_EQ(loaded, "") << "planted libraries were loaded";
  }
  RemoveHostId(wine);
}

}  // namespace
}  // namespace e2e
