#include "platform/error_mode.h"

#include "platform/system_directory.h"

namespace win {

void QuietErrorMode(Api& api) {
  UINT previous = api.SetErrorMode(kQuietErrorMode);
  if ((previous & ~kQuietErrorMode) != 0) static_cast<void>(api.SetErrorMode(previous | kQuietErrorMode));
}

void QuietStart(Api& api) {
  QuietErrorMode(api);
  RestrictLibrarySearch(api);
}

}  // namespace win
