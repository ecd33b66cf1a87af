// Shared pieces of the end-to-end tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "e2e/wine_session.h"

namespace e2e {

inline std::string Hex(std::uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", code);
  return text;
}

// Setup.exe must finish with `expected` and write nothing at all.
inline void ExpectSilentExit(const RunResult& run, std::uint32_t expected) {
  ASSERT_TRUE(run.finished) << "no exit code; output: " << run.output << run.errors;
  EXPECT_EQ(Hex(run.exitCode), Hex(expected));
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(run.errors, "");
}

inline const char* kHostIdKey = "SOFTWARE\\Orvel\\TAVRELQ";
inline const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// A readable HostID ends any install road at its first read, so that a run
// never waits for the 30-second confirmation.
inline void SeedHostId(WinePrefix& wine) {
  wine.Shell("wine_exec reg add 'HKLM\\SOFTWARE\\Orvel\\TAVRELQ' /v HostID /d seeded /f >/dev/null 2>&1");
}
inline void RemoveHostId(WinePrefix& wine) {
  wine.Shell("wine_exec reg delete 'HKLM\\SOFTWARE\\Orvel' /f >/dev/null 2>&1");
}

// Each test starts from a machine without the product: every demo package
// removed, HostID gone, and no files left from an earlier test.
class ProductTest : public testing::Test {
 protected:
  void SetUp() override {
    // A case killed while the system folder's msiexec.exe was replaced left
    // the real one beside it: it goes back before anything is removed.
    wine.Shell("cd " + wine.QuotedPath("C:\\windows\\system32") +
               " && { [ ! -f msiexec.real ] || mv -f msiexec.real msiexec.exe; }");
    RemoveProduct();
    wine.Shell("cd " + wine.QuotedPath("C:\\work") +
               " && rm -rf *.log *.ran Setup.msi msiexec.exe planted xlogs; true");
    RemoveHostId(wine);
    ASSERT_FALSE(wine.RegistryValue(kHostIdKey, "HostID")) << "HostID left behind";
  }
  // A shell command that prints the key names (product codes) of the
  // Uninstall entries below `root` (HKLM, HKCU, or a shell word such as
  // "$root") whose display name begins with Pellworth.
  static std::string ListEntries(const std::string& root) {
    return "wine_exec reg query \"" + root + "\\" + kUninstallKey + R"(" /s 2>/dev/null |
        tr -d '\r' | awk '/^HKEY/ { key = $0; sub(/.*\\/, "", key) }
                          /DisplayName +REG_SZ +Pellworth/ { print key }' | grep '^{')";
  }
  // Every product named Pellworth-something removed by its product code (the
  // broken packages' too, an entry a test moved below HKCU as well), and the
  // uninstalls ended. Only a machine that holds one is cleaned: Wine is
  // waited for only then.
  void RemoveProduct() {
    wine.Shell("found=$(for root in HKLM HKCU; do " + ListEntries("$root") + R"( |
        sed "s/^/$root /"; done); [ -z "$found" ] && exit 0
        while read -r root code; do
          wine_exec msiexec /x "$code" /qn >/dev/null 2>&1
          wine_exec reg delete "$root\)" + kUninstallKey + R"(\\$code" /f >/dev/null 2>&1
        done <<<"$found"; wine_settle)");
  }
  // The Uninstall entries below `root` (HKLM or HKCU) whose display name is exactly `name`.
  int EntriesNamed(const std::string& root, const std::string& name) {
    std::string text;
    wine.Shell("wine_exec reg query '" + root + "\\" + kUninstallKey +
                   "' /s 2>/dev/null | tr -d '\\r' | grep -cE 'DisplayName +REG_SZ +" + name + "$'",
               &text);
    return std::atoi(text.c_str());
  }
  // The product's entries in the Uninstall key.
  int InstalledCount() { return EntriesNamed("HKLM", "Pellworth"); }
  WinePrefix& wine = SharedPrefix();
};

}  // namespace e2e
