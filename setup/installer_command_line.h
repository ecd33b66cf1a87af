// The installer's command line, written from the arguments msiexec is meant
// to see, so that msiexec's own split gives back exactly those arguments.
//
// msiexec splits by its own rules, not by the platform's (CommandLineToArgvW):
// blanks outside quotation marks separate arguments, a quotation mark opens
// and closes a quoted run, and a backslash is an ordinary character
// (`PROPERTY="value"`, "Setting Public Property Values on the Command Line").
// So each argument is written as:
//   a path         between quotation marks, always: "C:\Program Files\P\"
//   a property     NAME="VALUE" when VALUE is empty or holds a blank, else as it is
//   anything else  between quotation marks when it holds a blank, else as it is
// An argument that holds a quotation mark cannot be written so: it would open
// or close a run where none was meant (a folder written "C:\P\" reaches this
// program as C:\P" after the platform's split). The line is then not
// writable, and the install road starts nothing. So is a line given an empty
// path: msiexec would be handed "" for its package or log file, and no page
// says what it does with that ("Command-Line Options" has /L log "to the
// specified log file"; msiexec answers incorrect use of an option with its
// usage window, "Standard Installer Command-Line Options", /help).
//
// Every piece the line receives begins with one space, as the installer
// string always has; the program's own fixed pieces are appended as they are.
#pragma once

#include <vector>

#include "platform/win_types.h"
#include "setup/refusal.h"

// One argument the line was given, as it was meant (before any quoting).
struct MeantArgument {
  win::WString text;
  bool own;  // a piece of the program's own switches ("/PAT:", "/log", "/i:")
  int position = 0;  // the command-line argument it came from (setup/refusal.h)
};

class InstallerCommandLine {
 public:
  // " <option> "<path>""; an empty path leaves the line not writable.
  void AddPath(const win::WString& option, const win::WString& path);
  // " NAME=VALUE", quoted as above; `name` is written as it is.
  void AddProperty(const win::WString& name, const win::WString& value);
  // A passed-through argument: a property when it has a "=" after its first
  // unit and before any blank, otherwise a word. An empty one writes nothing:
  // msiexec would never see it.
  void AddPassedThrough(const win::WString& argument);
  // A piece of the program's own, exactly as it stands (it holds no quotation
  // mark that is not balanced, and its blanks separate arguments).
  void AddFixed(const win::WString& piece);
  void Append(const InstallerCommandLine& other);
  // The command-line argument the pieces added next come from: their
  // position, and the argument as the platform's split delivered it.
  void From(int position, const win::WString& argument) {
    position_ = position;
    argument_ = argument;
  }

  const win::WString& Text() const { return text_; }
  // False once an argument held a quotation mark, or a path was empty.
  bool Writable() const { return unwritable_.rule == Rule::None; }
  // Why not: the first such argument on the command line.
  const Refusal& Unwritable() const { return unwritable_; }
  // Every argument given, in order, the program's fixed pieces left out and
  // an empty passed-through one kept (it is written as nothing, but it still
  // stands where a switch's value would).
  const std::vector<MeantArgument>& Arguments() const { return arguments_; }

 private:
  void Check(const win::WString& argument);
  void Refuse(Rule rule);
  void Write(const win::WString& argument, bool own);

  win::WString text_;
  Refusal unwritable_;
  int position_ = 0;
  win::WString argument_;
  std::vector<MeantArgument> arguments_;
};
