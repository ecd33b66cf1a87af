#include "dfc/os_info.h"

#include <cstring>

#include "platform/api.h"

namespace DFC {

OSInfo::OSInfo() {
  std::memset(&versionRecord_, 0, sizeof versionRecord_);
  versionRecord_.dwOSVersionInfoSize = sizeof versionRecord_;
  // The result is not needed: a failed query leaves a record that no test passes.
  auto* record = reinterpret_cast<win::OSVERSIONINFOW*>(&versionRecord_);
  static_cast<void>(win::Sys().GetVersionExW(record));
}

OSInfo::~OSInfo() = default;

bool OSInfo::IsSupportedVersion() const {
  const auto& v = versionRecord_;
  if (v.dwPlatformId != win::VER_PLATFORM_WIN32_NT) return false;
  if (v.dwMajorVersion >= 6) return true;
  if (v.dwMajorVersion != 5) return false;
  if (v.dwMinorVersion > 2) return true;
  if (v.dwMinorVersion != 1) return false;
  return v.wServicePackMajor >= 3;
}

}  // namespace DFC
