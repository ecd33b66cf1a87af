// The simulated msiexec's reading of its command line: whether real msiexec
// would answer it with its usage window instead of running. That window is
// modal even under /qn and stays until somebody closes it; in session 0 nobody
// can, so a start with such a line is a run that never ends (sim/processes.h).
//
// The model, written from msiexec's documented usage on its own (not from the
// product's rule): the line is split as the platform splits it; it holds one
// action, "/i PACKAGE" or "/x PACKAGE-OR-CODE" (the code may follow "/x"
// directly), anywhere; every other argument is a property NAME=VALUE (NAME an
// ASCII letter or "_", then letters, digits, "_" and "."), one of the display
// and restart options msiexec's usage lists, or a logging switch or "/update"
// with the argument after it. Switches are read in any case. A value is the
// next argument, whatever it holds: the platform's split has taken away the
// quotes that let an empty one, or one that begins with "/", stand as a value.
#pragma once

#include "platform/win_types.h"

namespace sim {

bool MsiexecShowsUsage(const win::WString& parameters);

}  // namespace sim
