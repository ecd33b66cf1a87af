// The real platform: each call forwards to the Win32 function of the same name.
#pragma once

#include "platform/api.h"

namespace win {

// The one instance of the real platform for this process.
Api& RealApi();
// The real platform as a system without its optional parts answers: ADVAPI32
// and SHELL32 that cannot be loaded, a KERNEL32 without IsWow64Process (XP
// before SP2), SetDllDirectoryW (XP before SP1) and SetDefaultDllDirectories
// (XP, unpatched Vista and 7). For the contract tests of those answers.
Api& RealApiLackingOptionalParts();
// The real platform on a system without SetDefaultDllDirectories (XP, Vista
// and 7 without the update), loading `library`, a name below the system
// folder, where it would load ADVAPI32 and SHELL32: for the contract case of
// how the layer loads its own libraries there.
Api& RealApiWithoutSearchRestriction(const char16_t* library);

}  // namespace win
