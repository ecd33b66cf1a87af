// CheckPackage: whether a Windows Installer package, as read into
// PackageFacts, keeps the facts Setup.exe trusts it for. Each finding names
// the fact and what Setup.exe then does, in a deployer's words: an error
// where a deployment would fail or lie (an install never confirmed, a removal
// that leaves the product), a warning where it works but deserves a look.
//
// What is checked comes from the product's own code: the display name the
// removal matches, the key and value the install waits for, the removal's
// product-code form test and the result codes. The package's formatted
// columns are read as Windows Installer resolves them where the check depends
// on them: a Registry row of root -1 writes below HKLM only when the package
// installs per machine, properties of the Property table are resolved in a
// key, and a value's type comes from its "#" prefix ("[PAT]" is text).
//
// What the package alone cannot tell is not guessed: a component or action
// condition evaluated at install time, properties set only on the command
// line or by custom actions, a HostID written by the product after install.
#pragma once

#include <vector>

#include "check/package_facts.h"
#include "platform/win_types.h"

namespace check {

struct Finding {
  bool error = false;  // an error, or a warning
  win::WString text;   // one line: the fact, then what Setup.exe does
};

// The findings, errors and warnings in the order of the checks. Rows are taken
// in the order of their table's key (Component, Registry, Action; the execute
// sequence by number), never in the order the package stores them: a finding
// that names several rows names them in that order.
std::vector<Finding> CheckPackage(const PackageFacts& facts);

// One finding as printed: "error: ..." or "warning: ...".
win::WString FindingLine(const Finding& finding);

}  // namespace check
