// ProcessInfo: the program's own module and the full path of its executable,
// with every "\.\" collapsed to "\". A path the platform does not deliver
// stays empty; one longer than 2047 units is cut to its first 2047.
#pragma once

#include "platform/win_types.h"

namespace DFC {

class ProcessInfo {
 public:
  ProcessInfo();
  virtual ~ProcessInfo();

  win::HMODULE moduleHandle() const { return moduleHandle_; }
  const win::WString& modulePath() const { return modulePath_; }

 private:
  win::HMODULE moduleHandle_;
  win::WString modulePath_;
  win::WString secondPath_;  // nothing in this program fills it
};

// Collapses every "\.\" to "\", searching again from the start after each.
win::WString NormalizeModulePath(win::WString path);

}  // namespace DFC
