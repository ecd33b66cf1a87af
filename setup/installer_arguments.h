// Which passed-through arguments Windows Installer accepts after "/i <package>",
// as its documentation lists them (msiexec's "Command-Line Options" and
// "Standard Installer Command-Line Options", and the "Identifier" rules for a
// property's name). msiexec answers any other command line with its usage
// window, modal even under /qn, and returns only when somebody closes it: in
// session 0, where deployment tools run Setup.exe, nobody can, and the run
// would hang until the tool gives up. The install road refuses such a command
// line before it starts anything.
//
// Accepted, each one whole argument as the platform split them, switches in
// any case:
//   NAME=VALUE       a property: NAME an ASCII letter or "_", then letters, digits,
//                    "_" or "."; VALUE anything, also empty or holding blanks
//   /quiet /passive  the display options; /q, or /q with a level n, b, r or f, then
//                    at most one of "+" and "-", and "!" (before or after it)
//   /norestart /promptrestart /forcerestart
//   /l<flags> FILE   logging: flags from i w e a r u c m o p v x + ! *; /log FILE
//   /update FILES    updates to apply, separated by ";"
// A switch that takes a value must have one: the next argument, not a switch.
// Anything else is refused: a bare word ("a/x"), an unknown switch, "/?", "/h"
// and "/help" (the usage window itself), another package or action.
#pragma once

#include <vector>

#include "platform/win_types.h"

// Whether Windows Installer accepts every argument of `passedThrough`, in
// order, after "/i <package>".
bool InstallerAccepts(const std::vector<win::WString>& passedThrough);
