// Translation of the program's switches into a Windows Installer argument
// string. Each argument is one switch only, the first rule that matches it
// (switch texts are case-sensitive and count only at the start of an
// argument, so a value or path holding "/log", "/PAT:", "/i:" or "/x:"
// further in is passed through):
//
//   "/i:"    at the start: the package piece " /i "<tail>"", held apart; the last one wins
//   "/PAT:"  at the start: " PAT=<tail>" appended; patValue becomes the tail
//   "/log"   at the start: " /L*v "<tail>"" when the argument has a colon, else the
//            default log
//   "/x:"    at the start: accepted when the tail is empty or "Strict", then
//            passed through; any other tail rejects the command line
//   other    " <argument>" appended: passed through to Windows Installer
//
// The tail is the text after the argument's first colon. Each piece is
// written so that msiexec splits it back into the argument meant
// (setup/installer_command_line.h): a value with a blank, or an empty one, as
// NAME="VALUE", a path between quotation marks, an empty passed-through
// argument not at all. One that holds a quotation mark, a "/log:" with
// nothing after the colon, or a last "/i:" so (an empty log or package path;
// a later "/i:" replaces an earlier one), leaves the line not writable, and the install road refuses it; the removal road reads
// neither.
//
// The road: only a removal switch removes, that is a passed-through argument
// that begins with "/x" ("/x", "/x:", "/x:Strict", "/xanything"). A value or
// path that merely holds "/x" further in (INSTALLDIR=C:/xapps, C:/xlog.txt)
// is an install like any other.
#pragma once

#include <vector>

#include "platform/win_types.h"
#include "dfc/result_codes.h"
#include "setup/installer_command_line.h"
#include "setup/refusal.h"

struct Translation {
  InstallerCommandLine installerArguments;
  InstallerCommandLine packageArgument;  // nothing written without "/i:"
  win::WString patValue;
  int patPosition = 0;  // of the "/PAT:" whose value counts; 0 without one
  // Why the command line is refused, once a stage refused it (setup/refusal.h).
  Refusal refusal;
  // The arguments the pass-through rule took, as the platform delivered them
  // (the installer line's arguments that are not the program's own pieces).
  // Only these choose the road: a value or path never does.
  std::vector<win::WString> PassedThrough() const;

  // Whether a passed-through argument begins with "/x": the removal road.
  bool HasRemovalSwitch() const { return RemovalSwitchPosition() != 0; }
  // Whether a passed-through argument is exactly "/x:Strict".
  bool IsStrictRemoval() const { return StrictRemovalPosition() != 0; }
  // The position of the first such argument (setup/refusal.h), or 0.
  int RemovalSwitchPosition() const;
  int StrictRemovalPosition() const;
};

// The process command line's arguments, as the platform splits it
// (CommandLineToArgvW), without the program's own path.
std::vector<win::WString> CommandLineArguments();

// Reads the process command line and translates it. Answers RESULT_SUCCESS or
// RESULT_BAD_ARGUMENTS (a rejected "/x:" value, named in out.refusal; `out`
// is then of no other use).
[[nodiscard]] ResultCode TranslateCommandLine(Translation& out);

// The same translation over arguments without the program's own path.
[[nodiscard]] ResultCode TranslateArguments(const std::vector<win::WString>& arguments,
                                          Translation& out);
