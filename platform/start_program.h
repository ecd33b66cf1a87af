// The one way the product starts a program: a system program by its full path,
// through ShellExecuteExW, inside its own COM scope. Both roads start through
// it: the install (hidden, its process handle kept and waited for) and the
// removal (shown, with the elevation verb where the system has one, not
// waited for).
//
// Every start asks:
//   SEE_MASK_FLAG_NO_UI   no error box when the start fails: it would hold the
//                         run until somebody closes it, and in session 0, where
//                         deployment tools run the program, nobody can;
//   SEE_MASK_NOASYNC      the start completes before the call returns: neither
//                         program has a message loop, and each ends soon after;
//   SEE_MASK_NOCLOSEPROCESS  only when the caller keeps the process handle.
//
// COM: initialized on the thread right before ShellExecuteExW, as "ShellExecuteExW
// function" asks, and uninitialized as soon as it returns. With NOASYNC the
// start is complete then, and nothing later needs the apartment; a thread that
// holds one must not sit in a wait without a time-out that handles no messages
// ("WaitForSingleObject function", remarks), which is exactly what the install
// does next. So the apartment ends here, before any wait, and the wait needs
// no message loop. A COM that cannot be initialized starts nothing
// (platform/scoped_com.h).
//
// The whole line the platform builds from a start, the program's path between
// quotation marks, one blank and the parameters, must fit the command line
// that "CreateProcessW function" documents: 32,767 units, its terminating null
// included. CommandLineFits tells; a caller refuses a line that does not fit
// before it starts anything, since the start could never succeed.
#pragma once

#include "platform/api.h"
#include "platform/scoped_handle.h"

namespace win {

constexpr size_t COMMAND_LINE_UNITS = 32767;  // the terminating null included

struct StartRequest {
  const WString& path;        // the program's full path; empty: nothing is started
  const WString& parameters;  // none are passed when empty
  const WCHAR* verb;          // null: the default verb
  int show;
  // Where the process handle goes: null, it is not asked for.
  ScopedProcessHandle* process;
};

struct StartOutcome {
  bool started;
  // Why it was not: the COM failure, or the start's own last error; 0 when
  // the program's path was unknown.
  DWORD error;
};

// Whether the line built from `path` and `parameters` fits the platform's
// command line.
bool CommandLineFits(const WString& path, const WString& parameters);

// Starts the program as asked. Exceptions from the platform pass to the
// caller; the COM scope is balanced on every path.
StartOutcome StartProgram(const StartRequest& request);

}  // namespace win
