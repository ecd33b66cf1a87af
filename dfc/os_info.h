// OSInfo: the OS version record as the platform reports it, read once, and the
// test of whether this Windows version is one the product supports.
// A failed query leaves the record zero apart from its size field.
#pragma once

#include "platform/win_types.h"

namespace DFC {

class OSInfo {
 public:
  OSInfo();
  virtual ~OSInfo();

  // Windows XP with service pack 3, any NT 5.x above 5.2, or NT 6.0 and later.
  bool IsSupportedVersion() const;
  const win::OSVERSIONINFOEXW& versionRecord() const { return versionRecord_; }

 private:
  win::OSVERSIONINFOEXW versionRecord_;
};

}  // namespace DFC
