// DFCEnvironment: a snapshot of the machine and of the running program, taken
// once by the constructor and read-only afterwards. The members are built in
// their order of declaration and destroyed in reverse; an exception from one
// of them destroys those already built and reaches the caller.
#pragma once

#include "dfc/os_info.h"

namespace DFC {

class DFCEnvironment {
 public:
  DFCEnvironment();
  virtual ~DFCEnvironment();
  DFCEnvironment(const DFCEnvironment&) = delete;
  DFCEnvironment& operator=(const DFCEnvironment&) = delete;

  const OSInfo& osInfo() const { return osInfo_; }

 private:
  OSInfo osInfo_;
};

}  // namespace DFC
