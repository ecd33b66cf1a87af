// Translation of the program's switches into a Windows Installer argument
// string. Each argument is one switch only, the first rule that matches it
// (switch texts are case-sensitive and may stand anywhere in the argument):
//
//   "/i:"    the package piece " /i "<tail>"", held apart; the last one wins
//   "/PAT:"  " PAT=<tail>" appended; patValue becomes the tail
//   "/log"   " /L*v "<tail>"" when the argument has a colon, else the default log
//   "/x:"    accepted when the tail is empty or "Strict", then passed through;
//            any other tail rejects the command line
//   other    " <argument>" appended: passed through to Windows Installer
//
// The tail is the text after the argument's first colon. A passed-through
// argument or PAT value holding a blank (and no quote) is quoted, so that it
// reaches Windows Installer as one argument.
#pragma once

#include <vector>

#include "platform/win_types.h"
#include "setup/result_codes.h"

struct Translation {
  win::WString installerArguments;
  win::WString packageArgument;
  win::WString patValue;
  // The arguments the pass-through rule took, as the platform delivered them.
  // Only these choose the road: a value or path never does.
  std::vector<win::WString> passedThrough;

  // Whether `text` stands anywhere inside a passed-through argument.
  bool PassedThroughContains(const win::WString& text) const;
};

// Reads the process command line and translates it. Answers RESULT_SUCCESS or
// RESULT_BAD_ARGUMENTS (a rejected "/x:" value; `out` is then of no use).
ResultCode TranslateCommandLine(Translation& out);

// The same translation over arguments without the program's own path.
ResultCode TranslateArguments(const std::vector<win::WString>& arguments, Translation& out);

// An argument made ready to stand as one argument in the installer's command line.
win::WString QuoteForInstaller(const win::WString& argument);
