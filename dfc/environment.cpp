#include "dfc/environment.h"

#include "platform/api.h"

namespace DFC {

DFCEnvironment::DFCEnvironment() : arguments_(win::Sys().GetCommandLineW()) {}
DFCEnvironment::~DFCEnvironment() = default;

}  // namespace DFC
