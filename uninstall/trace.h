// WriteTrace: one diagnostic line to the debugger output. The message, then,
// when `status` is not 0, " (0x" with eight lowercase hexadecimal digits ")";
// the line feed follows in a second, separate call.
#pragma once

#include "platform/win_types.h"

void WriteTrace(win::LONG status, const win::WString& message);
