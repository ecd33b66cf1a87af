// ReadPackage: reads the facts the package check needs from a Windows
// Installer package through the system's own msi.dll, loaded by full path
// from the system folder. The package is opened read-only and closed again;
// nothing is written to it or anywhere else.
//
// The Windows-only part of CheckPackage.exe, with its console output in
// main.cpp: the rules (package_check, formatted) are the host-testable core,
// and take the facts this reader fills in. Through the seam it loads msi.dll
// and finds its entries (the library search policy Setup.exe uses); the
// installer's own calls, the file test (GetFileAttributesW) and its error
// (GetLastError) go to the system directly, and main.cpp writes to the
// console directly: the seam holds the calls Setup.exe makes, so that they
// run on the simulated machine and under the fault layer, and these have no
// use there. The reader is shown on the real system, under Wine, by the
// package check's end-to-end tests.
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
