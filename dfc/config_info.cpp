#include "dfc/config_info.h"

#include "platform/api.h"
#include "platform/system_directory.h"

namespace DFC {

ConfigInfo::ConfigInfo() {
  // By full path only, its imports from the system folder too: a library
  // loaded by bare name could be a planted file of that name beside this
  // program. An unknown system folder loads nothing.
  folderLibrary_.Reset(win::LoadSystemLibrary(u"shfolder.dll"));
  if (folderLibrary_.IsValid())
    getFolderPath_ = reinterpret_cast<win::SHGetFolderPathWFn>(
        win::Sys().GetProcAddress(folderLibrary_.Get(), "SHGetFolderPathW"));
}

// The library goes first (the holder is declared before the strings, so it is
// destroyed after them): release it here, then the strings go, the last first.
ConfigInfo::~ConfigInfo() { folderLibrary_.Reset(); }

}  // namespace DFC
