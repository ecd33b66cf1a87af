// The platform under a contract test: the simulated machine on the host, the
// real Win32 layer in the Windows build (run under Wine). The same test bodies
// run against both, so the simulation cannot drift from the platform.
#pragma once

#include <string>
#include <vector>

#include "platform/api.h"

namespace contract {

const char* BackendName();
win::Api& Platform();
// The same platform as a system without its optional parts: ADVAPI32 and
// SHELL32 that cannot be loaded, and a KERNEL32 without IsWow64Process,
// SetDllDirectoryW and SetDefaultDllDirectories.
win::Api& PlatformLackingOptionalParts();
// A key of the test's own below HKEY_CURRENT_USER, made empty for each test.
win::HKEY TestRoot();
std::u16string TestKey();
void ResetTestKey();
void CreateKey(const std::u16string& path);  // below TestKey()
// Writes exactly these bytes, with this type, below TestKey().
void SetValue(const std::u16string& path, const std::u16string& name, win::DWORD type,
              const std::vector<win::BYTE>& data);

// A program in the system folder that exits with `code` when started with
// `arguments` (cmd.exe /c exit N on Windows; a scripted program on the sim).
struct ExitingProgram {
  std::u16string program;
  std::u16string arguments;
};
ExitingProgram ProgramExitingWith(win::DWORD code);

// A program at a full path of its own that records the command line it was
// started with; `Recorded` waits (a few seconds at most) for a start and
// answers that command line, or empty when none came.
std::u16string RecordingProgram();
std::u16string Recorded(const std::u16string& program);

// Whether the test process is a 64-bit one (never under WOW64), and whether it
// runs under WOW64, found out without IsWow64Process: the machine's own
// processor against the process's size.
bool Is64BitProcess();
bool UnderWow64();

// A library with no entries the product asks for, put under `name` in the
// folder `folder` below the test program's own folder ("" for that folder);
// answers its full path.
std::u16string PlantLibrary(const std::u16string& folder, const std::u16string& name);

// On the platform lacking its optional parts: pellworth_outer.dll, which
// imports pellworth_inner.dll by bare name, with pellworth_inner.dll beside it,
// both in `folder` below the test program's own folder, and another
// pellworth_inner.dll beside the test program. Answers pellworth_outer.dll's
// full path. ImportLoadedFrom tells whether the pellworth_inner.dll in `folder`
// ("" for the test program's own folder) was loaded since.
std::u16string PlantImportingLibrary(const std::u16string& folder);
bool ImportLoadedFrom(const std::u16string& folder);

}  // namespace contract
