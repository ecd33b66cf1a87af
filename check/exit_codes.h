// CheckPackage.exe's exit codes and their meanings: the one list. The README,
// the packager's guide and the main command's meanings are checked against
// these lines (tests/docs/check_exit_codes.py; scripts/exit-codes.sh reads them).
#pragma once

constexpr int CHECK_PASSED = 0;  // no errors (warnings allowed)
constexpr int CHECK_FAILED = 1;  // errors, do not deploy
constexpr int CHECK_UNREADABLE = 2;  // the file could not be read as a package
