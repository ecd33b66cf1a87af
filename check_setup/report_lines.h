// The setup check's report, in plain lines an administrator reads: the gates,
// the road and the argument that chose it, a refusal with its rule and what to
// write instead, the program and exact line an install or removal would
// start, msiexec's split of that line, HostID, and the exit code.
//
// Three lines hold exact text that tools may read, each once at most:
//   "  program: <full path>"
//   "  parameters: [<the exact parameter string>]"
//   "exit code: 0x<8 hex digits> (<signed decimal>) ..."
// An argument is shown between brackets with a blank as U+2423 and a tab as
// U+2192, so that blanks and quotation marks can be seen; nothing else is
// changed in it.
#pragma once

#include <vector>

#include "check_setup/setup_check.h"
#include "platform/win_types.h"

namespace check_setup {

std::vector<win::WString> ReportLines(const SetupCheck& check);

// msiexec's own split of a line (setup/installer_command_line.h says how it
// reads one): blanks outside a quoted run separate, a quotation mark opens or
// closes a run and is dropped, two inside a run stand for one.
std::vector<win::WString> MsiexecSplit(const win::WString& line);

// "[text]" with blanks and tabs made visible, as the report shows an argument.
win::WString Shown(const win::WString& text);

}  // namespace check_setup
