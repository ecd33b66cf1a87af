// ReadPackage: reads the facts the package check needs from a Windows
// Installer package through the system's own msi.dll, loaded by full path
// from the system folder. The package is opened read-only and closed again;
// nothing is written to it or anywhere else.
//
// Answers 0 with `facts` filled, or the Win32 status of the first step that
// failed (msi.dll not loaded or lacking an entry: 126 or 127; the package not
// found: 2 or 3; not opened: the installer's status, 1620 or 1627 say; a
// table not read) with `failure` naming the step. A table the package lacks reads as no rows.
#pragma once

#include "check/package_facts.h"
#include "platform/win_types.h"

namespace check {

[[nodiscard]] win::DWORD ReadPackage(const win::WString& path, PackageFacts& facts,
                                     win::WString& failure);

}  // namespace check
