// The program's version texts, built before the entry runs (the product's
// facts are in dfc/product.h).
#pragma once

#include "platform/win_types.h"

namespace DFC {

extern const win::WString kVersionMajor;
extern const win::WString kVersionMinor;
extern const win::WString kVersionRevision;
extern const win::WString kVersionBuild;

}  // namespace DFC
