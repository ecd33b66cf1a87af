// How Windows Installer reads the few formatted columns and conditions the
// package check depends on: properties of the Property table, registry paths
// and names compared as the registry compares them, the type a Registry
// value's prefix gives, and the one condition a first-install action needs.
#pragma once

#include "check/package_facts.h"
#include "platform/win_types.h"

namespace check {

// Registry paths and names compare as the registry does: without regard to case.
bool SameIgnoringCase(const win::WString& a, const win::WString& b);

// The Property table's value of `name`, or empty.
win::WString Property(const PackageFacts& facts, const char16_t* name);

// Whether `text`, with each [NAME] of the Property table replaced by its
// value, is `wanted` (without regard to case). Text with any other bracketed
// piece ([~], [#file], a property set only at install time) is nothing the
// check can vouch for, and matches nothing.
bool ResolvesTo(const win::WString& text, const PackageFacts& facts, const win::WString& wanted);

// What Windows Installer writes for a Registry row's Value when it is not text
// (REG_SZ): the "#" prefixes ("#" number, "#x" binary, "#%" expandable; "##" is
// text) and the "[~]" of a list. Null for text, "[PAT]" among it.
struct ValueKind {
  const char* what;  // "a number"
  const char* type;  // "REG_DWORD"
};
const ValueKind* OtherThanText(const win::WString& value);

// "NOT Installed", in any case for NOT, with any spacing and outer parentheses.
bool IsNotInstalled(win::WString condition);

// An empty value once formatted: "" or only braces.
bool FormatsEmpty(const win::WString& target);

}  // namespace check
