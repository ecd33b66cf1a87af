#include "dfc/constants.h"

#include "version.h"

namespace DFC {

const win::WString kVersionMajor = PELLWORTH_VERSION_MAJOR_TEXT;
const win::WString kVersionMinor = PELLWORTH_VERSION_MINOR_TEXT;
const win::WString kVersionRevision = PELLWORTH_VERSION_PATCH_TEXT;
const win::WString kVersionBuild = PELLWORTH_VERSION_TWEAK_TEXT;

}  // namespace DFC
