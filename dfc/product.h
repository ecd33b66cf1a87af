// The product's facts, as both programs rely on them: Setup.exe installs,
// confirms and removes the product by them, and the package check holds a
// package against the same lines, so the two cannot drift apart.
#pragma once

#include "dfc/result_codes.h"
#include "platform/win_types.h"

namespace DFC {
extern const win::WString kProductDisplayName;  // the Uninstall entry's DisplayName, exactly
}  // namespace DFC

// The installed product confirms itself by this value below HKEY_LOCAL_MACHINE;
// an install road reads it every HOSTID_POLL_INTERVAL_MS, HOSTID_POLL_ATTEMPTS times.
extern const win::WString kHostIdKeyPath;
extern const win::WString kHostIdValueName;  // "HostID"
constexpr int HOSTID_POLL_ATTEMPTS = 60;
constexpr win::DWORD HOSTID_POLL_INTERVAL_MS = 500;

// Whether `name` has the shape of a product code: at least 38 units, "{" at 0,
// "}" at 37 and "-" at 9, 14, 19 and 24. No other unit is looked at.
bool IsProductCodeForm(const win::WString& name);
