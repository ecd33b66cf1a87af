// Why a run ends before it starts anything: the rule a command line breaks,
// and the argument that breaks it, as the platform's split delivered it.
// Setup.exe ends with RESULT_BAD_ARGUMENTS and ignores the reason; the setup
// check (CheckSetup.exe) prints it. Each stage that refuses a line fills one,
// the first it finds, in the order the stages run.
#pragma once

#include "platform/win_types.h"

enum class Rule {
  None,           // nothing refused
  RemovalValue,   // "/x:" with a value other than "Strict"
  NoPat,          // an install without "/PAT:", or with an empty value
  BareWord,       // a passed-through argument that is no switch and no property
  UnknownSwitch,  // a switch msiexec does not list, "/?", "/h", "/help", another action
  DisplayOption,  // a display option that shows a window or a box (/qb, /qn+, /passive...)
  PromptRestart,  // "/promptrestart", which cannot go with /quiet
  NoValue,        // a logging switch or "/update" without its file after it
  QuotationMark,  // an argument that still holds a quotation mark after the split
  EmptyPath,      // "/i:" or "/log:" with nothing after the colon
  TooLong,        // the finished line does not fit the platform's command line
};

struct Refusal {
  Rule rule = Rule::None;
  // The argument's position on the command line, 1 for the first after the
  // program's own path; 0 when no one argument is to blame (a missing
  // "/PAT:", a line too long as a whole).
  int position = 0;
  win::WString text;  // that argument, exactly as the split delivered it
};
