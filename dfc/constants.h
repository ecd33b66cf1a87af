// The program's constant texts, built before the entry runs.
#pragma once

#include "platform/win_types.h"

namespace DFC {

extern const win::WString kProductDisplayName;  // what the Uninstall scan matches
extern const win::WString kVersionMajor;
extern const win::WString kVersionMinor;
extern const win::WString kVersionRevision;
extern const win::WString kVersionBuild;

}  // namespace DFC
