#include "dfc/environment.h"

namespace DFC {

DFCEnvironment::DFCEnvironment() = default;
DFCEnvironment::~DFCEnvironment() = default;

}  // namespace DFC
