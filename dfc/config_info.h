// ConfigInfo: the shell folder library, loaded by its full path in the system
// folder and held for the snapshot's lifetime, with its folder lookup entry
// resolved (null when the library or the entry is missing). The library is
// freed exactly once, by the destructor.
#pragma once

#include <array>

#include "platform/scoped_handle.h"
#include "platform/win_types.h"

namespace DFC {

class ConfigInfo {
 public:
  ConfigInfo();
  virtual ~ConfigInfo();
  ConfigInfo(const ConfigInfo&) = delete;
  ConfigInfo& operator=(const ConfigInfo&) = delete;

  win::SHGetFolderPathWFn getFolderPath() const { return getFolderPath_; }
  win::HMODULE folderLibrary() const { return folderLibrary_.Get(); }
  const std::array<win::WString, 4>& folderPaths() const { return folderPaths_; }

 private:
  win::SHGetFolderPathWFn getFolderPath_ = nullptr;
  win::ScopedLibrary folderLibrary_;
  std::array<win::WString, 4> folderPaths_;  // nothing in this program fills them
};

}  // namespace DFC
