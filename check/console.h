// One line of a check's report on a standard handle (Windows only): UTF-16 to
// a console (WriteConsoleW), UTF-8 to a file or pipe (WriteFile), ended with
// CR LF. CheckPackage.exe and CheckSetup.exe print through it.
#pragma once

#include "platform/win_types.h"

namespace check {

enum class Stream { Output, Error };

void PrintLine(Stream stream, const win::WString& text);

}  // namespace check
