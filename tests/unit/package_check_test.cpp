// The package check's rules on facts that wixl's packages do not reach: how
// formatted columns resolve, the per-machine question, conditions and forms.
// (Real packages, one breach each, are checked under Wine end to end.)
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "check/package_check.h"

namespace check {
namespace {

// The demo package's facts, as its tables hold them.
PackageFacts Product() {
  PackageFacts facts;
  facts.platformTemplate = u"Intel;1033";
  facts.properties = {{u"ProductName", u"Pellworth"},
                      {u"ProductCode", u"{0E5D2C1B-8A7F-4E6D-9C5B-4A3F2E1D0C9B}"},
                      {u"ALLUSERS", u"1"},
                      {u"Manufacturer", u"Orvel"}};
  facts.registry = {{u"reg1", 2, u"SOFTWARE\\Orvel\\TAVRELQ", u"HostID", u"[PAT]", u"HostId"}};
  facts.components = {{u"HostId", 4, u""}};
  facts.customActions = {{u"Clear", 51 | 0x800, u"REINSTALL", u"{}"}};
  facts.executeSequence = {{u"CostFinalize", u"", 1000}, {u"Clear", u"NOT Installed", 999}};
  return facts;
}

// How the installer answers a null integer column.
constexpr win::LONG kInstallerNull = INT32_MIN;

std::string Narrow(const win::WString& text) { return std::string(text.begin(), text.end()); }

TEST(PackageCheck, FormattedColumnsAndConditions) {
  struct Row {
    const char* what;
    std::function<void(PackageFacts&)> change;
    std::vector<const char*> findings;  // the start of each line, in order
  };
  const Row rows[] = {
      {"the product as it is", [](PackageFacts&) {}, {}},
      {"root -1 per machine is HKLM", [](PackageFacts& f) { f.registry[0].root = -1; }, {}},
      {"root -1 per user is HKCU",
       [](PackageFacts& f) {
         f.registry[0].root = -1;
         f.properties.erase(u"ALLUSERS");
       },
       {"error: the package installs per user (ALLUSERS is not set)",
        "error: HostID is written below HKCU (root -1 in a per-user package), not"}},
      {"ALLUSERS 2 under an elevated Setup.exe is per machine",
       [](PackageFacts& f) { f.properties[u"ALLUSERS"] = u"2"; }, {}},
      {"ALLUSERS 2 with MSIINSTALLPERUSER 1 is per user",
       [](PackageFacts& f) {
         f.properties[u"ALLUSERS"] = u"2";
         f.properties[u"MSIINSTALLPERUSER"] = u"1";
       },
       {"error: the package installs per user (ALLUSERS is \"2\" and MSIINSTALLPERUSER is \"1\")"}},
      {"a key built from the Property table, in another case",
       [](PackageFacts& f) {
         f.properties[u"Hive"] = u"software";
         f.registry[0].key = u"[Hive]\\[Manufacturer]\\tavrelq";
       },
       {}},
      {"a key one letter off at its start", [](PackageFacts& f) { f.registry[0].key = u"TOFTWARE\\Orvel\\TAVRELQ"; },
       {"error: no Registry row writes HostID"}},
      {"a key one letter off at its end", [](PackageFacts& f) { f.registry[0].key = u"SOFTWARE\\Orvel\\TAVRELX"; },
       {"error: no Registry row writes HostID"}},
      {"a key below the product's", [](PackageFacts& f) { f.registry[0].key += u"\\Sub"; },
       {"error: no Registry row writes HostID"}},
      {"a key with an unclosed bracket", [](PackageFacts& f) { f.registry[0].key += u"[Sub"; },
       {"error: no Registry row writes HostID"}},
      {"a key built from a property set only at install time",
       [](PackageFacts& f) { f.registry[0].key = u"SOFTWARE\\[VENDOR]\\TAVRELQ"; },
       {"error: no Registry row writes HostID"}},
      {"HKU", [](PackageFacts& f) { f.registry[0].root = 3; }, {"error: HostID is written below HKU, not"}},
      {"\"##\" is text", [](PackageFacts& f) { f.registry[0].value = u"##[PAT]"; }, {}},
      {"an environment reference is text", [](PackageFacts& f) { f.registry[0].value = u"[%COMPUTERNAME]"; }, {}},
      {"\"#\" is a number", [](PackageFacts& f) { f.registry[0].value = u"#7"; },
       {"warning: HostID is written as a number (REG_DWORD"}},
      {"\"#%\" is expandable text", [](PackageFacts& f) { f.registry[0].value = u"#%[PAT]"; },
       {"warning: HostID is written as expandable text (REG_EXPAND_SZ \"#%[PAT]\")"}},
      {"\"#x\" is binary", [](PackageFacts& f) { f.registry[0].value = u"#x0A"; },
       {"warning: HostID is written as binary data (REG_BINARY"}},
      {"\"#X\" is binary", [](PackageFacts& f) { f.registry[0].value = u"#X0A"; },
       {"warning: HostID is written as binary data (REG_BINARY"}},
      {"[~] is a list", [](PackageFacts& f) { f.registry[0].value = u"[PAT][~]"; },
       {"warning: HostID is written as a list of texts (REG_MULTI_SZ"}},
      {"a component condition", [](PackageFacts& f) { f.components[0].condition = u"VersionNT"; },
       {"warning: HostID is written by component HostId only when \"VersionNT\" holds"}},
      {"a source-only component is no 64-bit one", [](PackageFacts& f) { f.components[0].attributes = 1; }, {}},
      {"an empty template is Intel", [](PackageFacts& f) { f.platformTemplate = u";1033"; }, {}},
      {"Itanium", [](PackageFacts& f) { f.platformTemplate = u"Intel64;1033"; },
       {"error: the package is not a 32-bit package (template \"Intel64;1033\"): Setup.exe runs only on "
        "32-bit Windows, whose installer refuses it (1633); Setup.exe /i waits about 30 s for HostID "
        "and ends 0x80020661"}},
      {"a 64-bit component in an Intel package", [](PackageFacts& f) { f.components[0].attributes = 0x104; },
       {"error: the package is not a 32-bit package (template \"Intel;1033\", 64-bit components HostId)"}},
      {"64-bit components named in the order of their key, not of their rows",
       [](PackageFacts& f) {
         f.components[0].attributes = 0x104;
         f.components.insert(f.components.begin(), {u"MainFile", 0x100, u""});
         f.components.push_back({u"Help", 0x100, u""});
       },
       {"error: the package is not a 32-bit package (template \"Intel;1033\", 64-bit components Help, "
        "HostId, MainFile)"}},
      {"of two rows below other roots, the first by key is named",
       [](PackageFacts& f) {
         f.registry[0].root = 1;
         f.registry.insert(f.registry.begin(), {u"reg2", 3, u"SOFTWARE\\Orvel\\TAVRELQ", u"HostID", u"x", u"HostId"});
       },
       {"error: HostID is written below HKCU, not"}},
      // The row that matters after other rows of its table.
      {"the HostID row after another Registry row",
       [](PackageFacts& f) {
         f.registry.insert(f.registry.begin(), {u"reg0", 2, u"SOFTWARE\\Orvel\\Other", u"Name", u"x", u"HostId"});
       },
       {}},
      {"the HostID row below HKLM after one below HKCU",
       [](PackageFacts& f) {
         f.registry.insert(f.registry.begin(), {u"reg0", 1, u"SOFTWARE\\Orvel\\TAVRELQ", u"HostID", u"x", u"HostId"});
       },
       {}},
      // (The check reads the actions by name and the sequence by number.)
      {"the clearing action after another custom action",
       [](PackageFacts& f) { f.customActions.push_back({u"Another", 51, u"OTHER", u"x"}); },
       {}},
      {"the clearing action's row after another sequence row",
       [](PackageFacts& f) { f.executeSequence.push_back({u"LaunchConditions", u"", 100}); },
       {}},
      {"ProductCode without braces",
       [](PackageFacts& f) { f.properties[u"ProductCode"] = u"0E5D2C1B-8A7F-4E6D-9C5B-4A3F2E1D0C9B"; },
       {"error: ProductCode is \"0E5D2C1B-8A7F-4E6D-9C5B-4A3F2E1D0C9B\", not a product code in braces"}},
      {"NOT Installed in parentheses, spaced, any case",
       [](PackageFacts& f) { f.executeSequence[1].condition = u"\t((not\t Installed)) "; }, {}},
      {"Installed alone clears on a repair only",
       [](PackageFacts& f) { f.executeSequence[1].condition = u"Installed"; },
       {"warning: REINSTALL is cleared by Clear only when \"Installed\" holds"}},
      {"a parenthesis that closes nothing opened is kept",
       [](PackageFacts& f) { f.executeSequence[1].condition = u"xNOT Installed)"; },
       {"warning: REINSTALL is cleared by Clear only when \"xNOT Installed)\" holds"}},
      {"NOTInstalled is a property of its own",
       [](PackageFacts& f) { f.executeSequence[1].condition = u"NOTInstalled"; },
       {"warning: REINSTALL is cleared by Clear only when \"NOTInstalled\" holds"}},
      {"NOT INSTALLED names another property",
       [](PackageFacts& f) { f.executeSequence[1].condition = u"NOT INSTALLED"; },
       {"warning: REINSTALL is cleared by Clear only when \"NOT INSTALLED\" holds"}},
      {"at CostFinalize itself is too late", [](PackageFacts& f) { f.executeSequence[1].sequence = 1000; },
       {"error: REINSTALL is cleared by Clear at 1000, after CostFinalize (1000)"}},
      {"setting REINSTALL to ALL clears nothing",
       [](PackageFacts& f) { f.customActions[0].target = u"ALL"; },
       {"error: nothing clears REINSTALL before CostFinalize on a first install: with Setup.exe's "
        "REINSTALL=ALL the installer installs nothing; Setup.exe /i waits about 30 s for HostID and "
        "ends 0x80020643 although the installer returned 0"}},
      {"an action without a sequence number", [](PackageFacts& f) { f.executeSequence[1].sequence = kInstallerNull; },
       {"error: nothing clears REINSTALL"}},
      {"an action of another type", [](PackageFacts& f) { f.customActions[0].type = 35; },
       {"error: nothing clears REINSTALL"}},
      {"restarts named in the order of their sequence, not of their names",
       [](PackageFacts& f) {
         f.executeSequence.push_back({u"ForceReboot", u"", 7000});
         f.executeSequence.push_back({u"ScheduleReboot", u"", 6000});
       },
       {"warning: the install asks for a restart (ScheduleReboot)",
        "warning: the install asks for a restart (ForceReboot)"}},
      {"ForceReboot", [](PackageFacts& f) { f.executeSequence.push_back({u"ForceReboot", u"", 7000}); },
       {"warning: the install asks for a restart (ForceReboot)"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    PackageFacts facts = Product();
    row.change(facts);
    std::vector<Finding> findings = CheckPackage(facts);
    std::string lines;
    for (const Finding& finding : findings) lines += Narrow(FindingLine(finding)) + "\n";
    ASSERT_EQ(findings.size(), row.findings.size()) << lines;
    for (size_t i = 0; i < findings.size(); ++i)
      EXPECT_EQ(Narrow(FindingLine(findings[i])).rfind(row.findings[i], 0), 0u) << lines;
  }
}

}  // namespace
}  // namespace check
