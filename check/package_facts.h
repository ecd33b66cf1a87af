// PackageFacts: what the package check reads of a Windows Installer package,
// as the package stores it: the summary's platform and a few rows of the
// tables that decide whether Setup.exe can install, confirm and remove the
// product. Columns the package leaves null read as empty text; integer
// columns left null read as kNullInteger.
#pragma once

#include <map>
#include <vector>

#include "platform/win_types.h"

namespace check {

constexpr win::LONG kNullInteger = static_cast<win::LONG>(0x80000000);

struct RegistryRow {       // the Registry table
  win::WString id;         // Registry
  win::LONG root = 0;      // Root: 0 HKCR, 1 HKCU, 2 HKLM, 3 HKU, -1 per machine or per user
  win::WString key;        // Key (formatted)
  win::WString name;       // Name (formatted)
  win::WString value;      // Value (formatted; "#" prefixes give the value's type)
  win::WString component;  // Component_
};

struct ComponentRow {      // the Component table
  win::WString id;         // Component
  win::LONG attributes = 0;
  win::WString condition;
};

struct CustomActionRow {   // the CustomAction table
  win::WString id;         // Action
  win::LONG type = 0;
  win::WString source;
  win::WString target;
};

struct SequenceRow {       // InstallExecuteSequence: what a quiet install runs
  win::WString action;
  win::WString condition;
  win::LONG sequence = kNullInteger;
};

struct PackageFacts {
  win::WString platformTemplate;                  // the summary's Template, "Intel;1033" say
  std::map<win::WString, win::WString> properties;  // the Property table
  std::vector<RegistryRow> registry;
  std::vector<ComponentRow> components;
  std::vector<CustomActionRow> customActions;
  std::vector<SequenceRow> executeSequence;
};

}  // namespace check
