#include "platform/error_mode.h"

namespace win {

void QuietErrorMode(Api& api) {
  UINT previous = api.SetErrorMode(kQuietErrorMode);
  if ((previous & ~kQuietErrorMode) != 0) static_cast<void>(api.SetErrorMode(previous | kQuietErrorMode));
}

}  // namespace win
