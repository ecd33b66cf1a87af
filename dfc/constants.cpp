#include "dfc/constants.h"

namespace DFC {

const win::WString kProductDisplayName = u"Pellworth";
const win::WString kVersionMajor = u"3";
const win::WString kVersionMinor = u"0";
const win::WString kVersionRevision = u"4";
const win::WString kVersionBuild = u"40070";

}  // namespace DFC
