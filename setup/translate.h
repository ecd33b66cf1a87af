// Translation of the program's switches into a Windows Installer argument
// string. Each argument is one switch only, the first rule that matches it
// (switch texts are case-sensitive; the first three count only at the start
// of an argument, so a value or path holding "/log", "/PAT:" or "/i:" further
// in is passed through; "/x:" is refused anywhere):
//
//   "/i:"    at the start: the package piece " /i "<tail>"", held apart; the last one wins
//   "/PAT:"  at the start: " PAT=<tail>" appended; patValue becomes the tail
//   "/log"   at the start: " /L*v "<tail>"" when the argument has a colon, else the
//            default log
//   "/x:"    anywhere: accepted when the tail is empty or "Strict", then passed
//            through; any other tail rejects the command line
//   other    " <argument>" appended: passed through to Windows Installer
//
// The tail is the text after the argument's first colon. A passed-through
// argument or PAT value holding a blank (and no quote) is quoted, so that it
// reaches Windows Installer as one argument; an empty PAT value is written
// PAT="", so that the installer never reads the next piece as its value.
//
// The road: only a removal switch removes, that is a passed-through argument
// that begins with "/x" ("/x", "/x:", "/x:Strict", "/xanything"). A value or
// path that merely holds "/x" further in (INSTALLDIR=C:/xapps, C:/xlog.txt)
// is an install like any other.
#pragma once

#include <vector>

#include "platform/win_types.h"
#include "dfc/result_codes.h"

struct Translation {
  win::WString installerArguments;
  win::WString packageArgument;
  win::WString patValue;
  // The arguments the pass-through rule took, as the platform delivered them.
  // Only these choose the road: a value or path never does.
  std::vector<win::WString> passedThrough;

  // Whether a passed-through argument begins with "/x": the removal road.
  bool HasRemovalSwitch() const;
  // Whether a passed-through argument is exactly "/x:Strict".
  bool IsStrictRemoval() const;
};

// Reads the process command line and translates it. Answers RESULT_SUCCESS or
// RESULT_BAD_ARGUMENTS (a rejected "/x:" value; `out` is then of no use).
[[nodiscard]] ResultCode TranslateCommandLine(Translation& out);

// The same translation over arguments without the program's own path.
[[nodiscard]] ResultCode TranslateArguments(const std::vector<win::WString>& arguments,
                                          Translation& out);

// An argument made ready to stand as one argument in the installer's command line.
win::WString QuoteForInstaller(const win::WString& argument);
