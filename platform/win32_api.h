// The real platform: each call forwards to the Win32 function of the same name.
#pragma once

#include "platform/api.h"

namespace win {

// The one instance of the real platform for this process.
Api& RealApi();

}  // namespace win
