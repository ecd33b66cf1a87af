// No box from the system. Without it, a path on a drive without a medium (a
// package or log on A:, a card reader's letter, a mapped drive gone) makes
// the system ask for the disk in a box; run as SYSTEM in session 0 by a
// deployment tool, nobody answers it and the run never ends. msiexec, which
// inherits the mode, would wait on the same box.
//
// Both programs begin with QuietStart, whose first platform call is QuietErrorMode ("SetErrorMode
// function": "Best practice is that all applications call the process-wide
// SetErrorMode function with a parameter of SEM_FAILCRITICALERRORS at startup.
// This is to prevent error mode dialogs from hanging the application."). It
// adds:
//   SEM_FAILCRITICALERRORS  the critical-error box ("insert a disk"): the
//                           failure goes to the caller instead
//   SEM_NOOPENFILEERRORBOX  the box of a file not found by the older file calls
// to the mode the parent left, which it keeps: SetErrorMode sets the whole
// mode and answers the one before, so a second call puts back what the first
// took away (GetErrorMode, the way to read it, is not on XP). It does not set
// SEM_NOGPFAULTERRORBOX: that turns off Windows Error Reporting for the
// process and its child altogether, which is not this program's to decide.
#pragma once

#include "platform/api.h"

namespace win {

constexpr UINT kQuietErrorMode = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;

void QuietErrorMode(Api& api = Sys());

// How both programs begin: the quiet error mode first, then the library search
// restricted to the system folder (platform/system_directory.h), before
// anything else is called or loaded.
void QuietStart(Api& api = Sys());

}  // namespace win
