// The install road: completes the installer argument string, runs Windows
// Installer hidden and waits for it, folds its exit code into a ResultCode, and
// then waits for the installed product to confirm itself by publishing HostID.
// A confirmed install is a success whatever the installer said; an unconfirmed
// one is a failure even when the installer reported success.
#pragma once

#include "dfc/product.h"
#include "platform/win_types.h"
#include "setup/translate.h"

// Failures of RunAndWait; they share the space of exit codes.
constexpr win::DWORD RUN_START_FAILED = 1;
constexpr win::DWORD RUN_NO_PROCESS = 2;
constexpr win::DWORD RUN_WAIT_FAILED = 3;
constexpr win::DWORD RUN_NO_EXIT_CODE = 4;
constexpr win::DWORD RUN_UNEXPECTED = 0xFFFFFFFF;

extern const win::WString kInstallerProgram;  // "msiexec.exe", found in the system folder

// Completes translation.installerArguments with the package piece, the
// reinstall properties (unless a removal switch was passed through) and
// " /quiet". Answers RESULT_BAD_ARGUMENTS, and nothing is to be started, when
// PAT is missing or empty, when msiexec would not accept a passed-through
// argument (setup/installer_arguments.h), or when an argument holds a
// quotation mark or a path is empty (setup/installer_command_line.h).
[[nodiscard]] ResultCode CompleteInstallerArguments(Translation& translation);

// Whether the product has confirmed itself: HostID exists below
// HKLM\SOFTWARE\Orvel\TAVRELQ, whatever its type or length (a value too long
// for the reader's buffer answers ERROR_MORE_DATA, and it exists all the same).
bool HostIdPresent();

// Completes the arguments and names the program the install road starts
// (its full path; empty when the system folder is unknown, and the start then
// fails), starting nothing. RESULT_BAD_ARGUMENTS, with the reason in
// translation.refusal, for a line the road refuses, a finished line that the
// platform's command line cannot take (platform/start_program.h) included.
[[nodiscard]] ResultCode PrepareInstallation(Translation& translation, win::WString& program);

// Completes the arguments and runs the install road. A finished line that
// the platform's command line cannot take (platform/start_program.h) answers
// RESULT_BAD_ARGUMENTS, and nothing is started.
ResultCode RunInstallation(Translation& translation);

// Starts `program` (a full path; empty: the start fails) hidden with
// `arguments` (none when empty) through win::StartProgram, waits for it
// without a time-out once the start's COM apartment has ended, and answers its
// exit code, or one of the RUN_* failures. The process handle is closed on
// every path.
[[nodiscard]] win::DWORD RunAndWait(const win::WString& arguments, const win::WString& program);
