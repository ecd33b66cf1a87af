// The simulated msiexec's reading of its command line: how it splits it, and
// whether real msiexec would answer it with a window nobody closes instead of
// ending. Its usage window is modal even under /qn and stays until somebody
// closes it; so does a modal box at the end of the install. In session 0
// nobody can close either, so a start with such a line is a run that never
// ends (sim/processes.h).
//
// The split, msiexec's own and not the platform's (CommandLineToArgvW): blanks
// (space and tab) outside a quoted run separate arguments; a quotation mark
// opens a quoted run and the next one closes it, and neither is part of the
// argument; inside a run two quotation marks in a row stand for one literal
// mark; a backslash is an ordinary character, before a quotation mark too. A
// quoted run may be empty, and the argument then still counts (PROPERTY="").
// Resting on "Setting Public Property Values on the Command Line" (PROPERTY=
// "value", PROPERTY="" to clear one, "Embedded ""Quotes"" White Space") and
// "Command-Line Options" (msiexec /i "C:\example.msi"). Assumed where those
// pages are silent: a tab separates as a blank does, and a run left open at the
// end of the line ends there.
//
// The usage window, written from msiexec's documented usage on its own (not
// from the product's rule): the line holds one action, "/i PACKAGE" or
// "/x PACKAGE-OR-CODE" (the code may follow "/x" directly), anywhere; every
// other argument is a property NAME=VALUE (NAME an ASCII letter or "_", then
// letters, digits, "_" and "."), one of the display and restart options
// msiexec's usage lists, or a logging switch or "/update" with the argument
// after it. Switches are read in any case. A value is the next argument,
// whatever it holds: quoted, it may begin with "/". A package, product code,
// log file or update that is empty ("") names nothing: taken as the usage
// window, since no page says what msiexec does with it and "incorrect use of
// any option invokes" the usage ("Standard Installer Command-Line Options").
//
// The modal box: every display or restart option of the usage but /quiet, /q,
// /qn, /norestart and /forcerestart: a level that shows one at the end (a
// "+"), a basic, reduced or full level (their error boxes, "User Interface
// Levels"), "/qn!", "/passive", or "/promptrestart" (which "cannot be used together
// with the /quiet option"), wherever it stands and whatever follows it: no
// page says that a later /quiet overrides it.
#pragma once

#include <vector>

#include "platform/win_types.h"

namespace sim {

// What a start asked of Windows Installer, read from msiexec's split of its
// parameters: the first word that is "/i" (an install) or begins with "/x"
// (an uninstall, whatever follows). Other for any other program, or no such
// word.
enum class MsiexecAction { Other, Install, Uninstall };
MsiexecAction MsiexecActionOf(const win::WString& file, const win::WString& parameters);

std::vector<win::WString> SplitMsiexecLine(const win::WString& parameters);
bool MsiexecShowsUsage(const win::WString& parameters);
bool MsiexecShowsModalBox(const win::WString& parameters);

}  // namespace sim
