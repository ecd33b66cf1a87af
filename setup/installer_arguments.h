// Which passed-through arguments Windows Installer accepts after "/i <package>",
// as its documentation lists them (msiexec's "Command-Line Options" and
// "Standard Installer Command-Line Options", and the "Identifier" rules for a
// property's name). msiexec answers any other command line with its usage
// window, modal even under /qn, and returns only when somebody closes it: in
// session 0, where deployment tools run Setup.exe, nobody can, and the run
// would hang until the tool gives up. The install road refuses such a command
// line before it starts anything. So it does with a display or restart
// option that may show a modal box, which nobody closes there either.
//
// Accepted, each one whole argument as the platform split them, switches in
// any case:
//   NAME=VALUE       a property: NAME an ASCII letter or "_", then letters, digits,
//                    "_" or "."; VALUE anything, also empty or holding blanks
//   /quiet /q /qn    no user interface: the level of the " /quiet" the install
//                    road appends, so whichever of them msiexec heeds, none shows
//                    anything
//   /norestart /forcerestart
//   /l<flags> FILE   logging: flags from i w e a r u c m o p v x + ! *; /log FILE
//   /update FILES    updates to apply, separated by ";"
//   "" (empty)       nothing: it is not written into the installer's line
// A switch that takes a value must have one: the next argument, passed
// through, not a switch and not empty; a piece of the program's own switches
// ("/PAT:", "/log") is never a value, so it cannot swallow one.
// Refused besides: a bare word ("a/x"), an unknown switch, "/?", "/h" and
// "/help" (the usage window itself), another package or action; every other
// display option, since each shows a window and may show a modal box: /qn+
// and /qb+ end with one, /qb, /qr, /qf and /passive show the installer's
// window, and the basic, reduced and full levels show error boxes ("User
// Interface Levels"); "!" is not valid with full UI; /promptrestart "cannot be
// used together with the /quiet option" ("Standard Installer Command-Line
// Options").
#pragma once

#include <vector>

#include "platform/win_types.h"
#include "setup/installer_command_line.h"

// Why Windows Installer would not accept `arguments`, in order, after
// "/i <package>": the first argument it refuses and the rule (Rule::None when
// it accepts them all); the program's own pieces are taken as they are. A
// switch whose value is missing is the one refused.
Refusal InstallerRefusal(const std::vector<MeantArgument>& arguments);
inline bool InstallerAccepts(const std::vector<MeantArgument>& arguments) {
  return InstallerRefusal(arguments).rule == Rule::None;
}
