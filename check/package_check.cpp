#include "check/package_check.h"

#include "check/formatted.h"

#include <algorithm>
#include <string>

#include "dfc/product.h"
#include "dfc/text.h"

namespace check {
namespace {

using win::WString;

constexpr win::LONG ROOT_PER_MACHINE_OR_USER = -1;
constexpr win::LONG ROOT_HKCR = 0;
constexpr win::LONG ROOT_HKCU = 1;
constexpr win::LONG ROOT_HKLM = 2;
constexpr win::LONG ROOT_HKU = 3;
constexpr win::LONG COMPONENT_64BIT = 0x100;       // msidbComponentAttributes64bit
constexpr win::LONG ACTION_TYPE_MASK = 0x3F;       // the type without its options
constexpr win::LONG ACTION_SET_PROPERTY = 51;      // a property set from formatted text
constexpr win::DWORD INSTALL_PLATFORM_UNSUPPORTED = 1633;  // the installer refuses the processor

WString Ascii(const char* text) { return WString(text, text + std::char_traits<char>::length(text)); }

WString Number(long long value) { return Ascii(std::to_string(value).c_str()); }

WString Quoted(const WString& text) { return u"\"" + text + u"\""; }

// Per machine as Windows Installer decides it under Setup.exe, which runs
// elevated: ALLUSERS 1, or 2 unless MSIINSTALLPERUSER asks for a per-user install.
bool InstallsPerMachine(const PackageFacts& facts) {
  WString allUsers = Property(facts, u"ALLUSERS");
  return allUsers == u"1" || (allUsers == u"2" && Property(facts, u"MSIINSTALLPERUSER") != u"1");
}

const char* RootName(win::LONG root) {
  switch (root) {
    case ROOT_HKCR: return "HKCR";
    case ROOT_HKCU: return "HKCU";
    case ROOT_HKLM: return "HKLM";
    case ROOT_HKU: return "HKU";
    default: return "an unknown root";
  }
}

const ComponentRow* FindComponent(const PackageFacts& facts, const WString& id) {
  for (const ComponentRow& component : facts.components)
    if (component.id == id) return &component;
  return nullptr;
}

const WString kNotConfirmed = HexCode(RESULT_NOT_CONFIRMED);
const WString kPollSeconds = Number(HOSTID_POLL_ATTEMPTS * HOSTID_POLL_INTERVAL_MS / 1000);
const WString kStaysInstalled = u"returns " + Number(RESULT_SUCCESS) +
                                u" while it stays installed (" +
                                Number(RESULT_STRICT_NOTHING_LAUNCHED) + u" with /x:Strict)";
const WString kNeverConfirmed = u"Setup.exe /i waits about " + kPollSeconds +
                                u" s for HostID and ends " + kNotConfirmed +
                                u" although the installer returned 0";

class Checker {
 public:
  explicit Checker(const PackageFacts& facts) : facts_(facts) {}

  std::vector<Finding> Run() {
    CheckName();
    CheckProductCode();
    CheckScope();
    CheckPlatform();
    CheckHostId();
    CheckReinstallClearing();
    CheckRestart();
    return findings_;
  }

 private:
  void Error(const WString& text) { findings_.push_back({true, text}); }
  void Warning(const WString& text) { findings_.push_back({false, text}); }

  void CheckName() {
    WString name = Property(facts_, u"ProductName");
    if (name == DFC::kProductDisplayName) return;
    Error(u"ProductName is " + Quoted(name) + u", not " + Quoted(DFC::kProductDisplayName) +
          u": Setup.exe /x finds no Uninstall entry of this product and " + kStaysInstalled);
  }

  void CheckProductCode() {
    WString code = Property(facts_, u"ProductCode");
    if (IsProductCodeForm(code)) return;
    Error(u"ProductCode is " + Quoted(code) +
          u", not a product code in braces: Setup.exe /x passes over its Uninstall entry and " +
          kStaysInstalled);
  }

  void CheckScope() {
    if (InstallsPerMachine(facts_)) return;
    WString allUsers = Property(facts_, u"ALLUSERS");
    WString why = allUsers.empty() ? WString(u"ALLUSERS is not set")
                                   : u"ALLUSERS is " + Quoted(allUsers);
    if (allUsers == u"2") why += u" and MSIINSTALLPERUSER is \"1\"";
    Error(u"the package installs per user (" + why +
          u"): Windows writes its Uninstall entry below HKCU, where Setup.exe /x does not look; "
          u"it " + kStaysInstalled);
  }

  void CheckPlatform() {
    WString platform = facts_.platformTemplate.substr(0, facts_.platformTemplate.find(u';'));
    WString wide;
    for (const ComponentRow& component : facts_.components)
      if (component.attributes & COMPONENT_64BIT)  // a null column (0x80000000) has no such bit
        wide += (wide.empty() ? u"" : u", ") + component.id;
    bool intel = platform.empty() || platform == u"Intel";
    if (intel && wide.empty()) return;
    WString what = u"template " + Quoted(facts_.platformTemplate);
    if (!wide.empty()) what += u", 64-bit components " + wide;
    Error(u"the package is not a 32-bit package (" + what +
          u"): Setup.exe runs only on 32-bit Windows, whose installer refuses it (" +
          Number(INSTALL_PLATFORM_UNSUPPORTED) + u"); Setup.exe /i waits about " + kPollSeconds +
          u" s for HostID and ends " + HexCode(InstallerResult(INSTALL_PLATFORM_UNSUPPORTED)));
  }

  // The root a Registry row writes below: -1 is HKLM per machine, HKCU per user.
  win::LONG ResolvedRoot(const RegistryRow& row) const {
    if (row.root != ROOT_PER_MACHINE_OR_USER) return row.root;
    return InstallsPerMachine(facts_) ? ROOT_HKLM : ROOT_HKCU;
  }

  void CheckHostId() {
    const WString where = u"HKLM\\" + kHostIdKeyPath;
    const RegistryRow* elsewhere = nullptr;
    for (const RegistryRow& row : facts_.registry) {
      if (!ResolvesTo(row.name, facts_, kHostIdValueName) ||
          !ResolvesTo(row.key, facts_, kHostIdKeyPath))
        continue;
      if (ResolvedRoot(row) != ROOT_HKLM) {
        if (elsewhere == nullptr) elsewhere = &row;
        continue;
      }
      if (const ValueKind* kind = OtherThanText(row.value))
        Warning(u"HostID is written as " + Ascii(kind->what) + u" (" + Ascii(kind->type) + u" " +
                Quoted(row.value) +
                u"), not as text: Setup.exe /i confirms the install by any readable HostID and "
                u"returns 0, but the value is not the text the product keeps there");
      const ComponentRow* component = FindComponent(facts_, row.component);
      if (component != nullptr && !component->condition.empty())
        Warning(u"HostID is written by component " + component->id + u" only when " +
                Quoted(component->condition) +
                u" holds at install time, which the check cannot tell; where it does not, " +
                kNeverConfirmed);
      return;
    }
    if (elsewhere != nullptr) {
      WString rootText = Ascii(RootName(ResolvedRoot(*elsewhere)));
      if (elsewhere->root == ROOT_PER_MACHINE_OR_USER) rootText += u" (root -1 in a per-user package)";
      Error(u"HostID is written below " + rootText + u", not in " + where + u": " + kNeverConfirmed);
      return;
    }
    Error(u"no Registry row writes HostID in " + where + u": " + kNeverConfirmed);
  }

  void CheckReinstallClearing() {
    win::LONG costFinalize = kNullInteger;
    for (const SequenceRow& row : facts_.executeSequence)
      if (row.action == u"CostFinalize") costFinalize = row.sequence;
    const SequenceRow* late = nullptr;
    const SequenceRow* always = nullptr;
    const SequenceRow* other = nullptr;
    for (const CustomActionRow& action : facts_.customActions) {
      if ((action.type & ACTION_TYPE_MASK) != ACTION_SET_PROPERTY || action.source != u"REINSTALL" ||
          !FormatsEmpty(action.target))
        continue;
      for (const SequenceRow& row : facts_.executeSequence) {
        if (row.action != action.id || row.sequence == kNullInteger) continue;
        if (costFinalize != kNullInteger && row.sequence >= costFinalize) late = &row;
        else if (IsNotInstalled(row.condition)) return;  // cleared as it must be
        else if (row.condition.empty()) always = &row;
        else other = &row;
      }
    }
    if (other != nullptr) {
      Warning(u"REINSTALL is cleared by " + other->action + u" only when " + Quoted(other->condition) +
              u" holds, which the check cannot tell; it must hold on a first install and not on a "
              u"repair, as NOT Installed does");
    } else if (always != nullptr) {
      Error(u"REINSTALL is cleared by " + always->action +
            u" without the condition NOT Installed: a repair (Setup.exe /i over the installed "
            u"product) reinstalls nothing, and Setup.exe returns 0 once it finds the HostID left "
            u"by the install before");
    } else if (late != nullptr) {
      Error(u"REINSTALL is cleared by " + late->action + u" at " + Number(late->sequence) +
            u", after CostFinalize (" + Number(costFinalize) +
            u"): too late, so a first install with Setup.exe's REINSTALL=ALL installs nothing; " +
            kNeverConfirmed);
    } else {
      Error(u"nothing clears REINSTALL before CostFinalize on a first install: with Setup.exe's "
            u"REINSTALL=ALL the installer installs nothing; " + kNeverConfirmed);
    }
  }

  void CheckRestart() {
    for (const SequenceRow& row : facts_.executeSequence) {
      if (row.action != u"ScheduleReboot" && row.action != u"ForceReboot") continue;
      Warning(u"the install asks for a restart (" + row.action +
              u"): a quiet install may restart the machine at its end, and Setup.exe /i returns "
              u"0 once HostID confirms the install, whatever the installer returned (3010 say)");
    }
  }

  const PackageFacts& facts_;
  std::vector<Finding> findings_;
};

// Every table in the order of its key, compared by code units (the sequence
// by its number, then by action), so that a package gives the same findings,
// naming the same rows in the same order, whichever tool wrote its tables.
PackageFacts Ordered(PackageFacts facts) {
  auto byId = [](const auto& a, const auto& b) { return a.id < b.id; };
  std::sort(facts.registry.begin(), facts.registry.end(), byId);
  std::sort(facts.components.begin(), facts.components.end(), byId);
  std::sort(facts.customActions.begin(), facts.customActions.end(), byId);
  std::sort(facts.executeSequence.begin(), facts.executeSequence.end(),
            [](const SequenceRow& a, const SequenceRow& b) {
              return a.sequence != b.sequence ? a.sequence < b.sequence : a.action < b.action;
            });
  return facts;
}

}  // namespace

std::vector<Finding> CheckPackage(const PackageFacts& facts) {
  const PackageFacts ordered = Ordered(facts);
  return Checker(ordered).Run();
}

win::WString FindingLine(const Finding& finding) {
  return (finding.error ? u"error: " : u"warning: ") + finding.text;
}

}  // namespace check
