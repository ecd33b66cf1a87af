#include "check_setup/report_lines.h"

#include <cstdio>
#include <string>

#include "dfc/product.h"
#include "setup/installer_run.h"

namespace check_setup {

namespace {

using win::WString;
using Lines = std::vector<WString>;

WString Ascii(const std::string& text) { return WString(text.begin(), text.end()); }
WString Number(long long n) { return Ascii(std::to_string(n)); }

WString Code(ResultCode code) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
  return Ascii(hex) + u" (" + Number(static_cast<std::int32_t>(code)) + u")";
}

WString Argument(const Refusal& refusal) {
  return refusal.position == 0 ? WString(u"the command line")
                               : u"argument " + Number(refusal.position) + u" " + Shown(refusal.text);
}

// The rule a refusal breaks, in one sentence, and what to write instead.
struct RuleText {
  const char16_t* sentence;
  const char16_t* instead;  // null: no known way
};

RuleText TextOf(Rule rule) {
  switch (rule) {
    case Rule::RemovalValue:
      return {u"/x: takes only the value Strict (case counts): any other value is refused.",
              u"/x:Strict, or /x alone"};
    case Rule::NoPat:
      return {u"an install needs /PAT: with a value.", u"/PAT:<value>, with the value after the colon"};
    case Rule::BareWord:
      return {u"a word that is no switch and no NAME=VALUE property: msiexec would show its usage "
              u"window, which nobody closes in session 0.",
              u"NAME=VALUE, or leave it out"};
    case Rule::UnknownSwitch:
      return {u"a switch msiexec does not take here (or its help): it would show its usage "
              u"window, which nobody closes in session 0.",
              nullptr};
    case Rule::DisplayOption:
      return {u"a display option that shows a window or a box at the end, which nobody closes in "
              u"session 0.",
              u"/qn (or nothing: Setup.exe adds /quiet itself)"};
    case Rule::PromptRestart:
      return {u"/promptrestart cannot be used with /quiet, which Setup.exe adds.",
              u"/norestart, and restart later"};
    case Rule::NoValue:
      return {u"a logging switch or /update needs its file as the next argument.",
              u"the file after it: /l*v C:\\Windows\\Temp\\p.log (or Setup.exe's own /log:<file>)"};
    case Rule::QuotationMark:
      return {u"a quotation mark is left in it after Windows split the line: a backslash "
              u"right before a closing quotation mark escapes it, so a quoted folder ending in "
              u"\\ takes the rest of the line into it.",
              u"the last backslash twice before the closing mark (\"C:\\Program Files\\P\\\\\"), "
              u"or no backslash at the end"};
    case Rule::EmptyPath:
      return {u"/i: and /log: need a path after the colon (a batch variable that is not set "
              u"leaves it empty).",
              u"the path after the colon"};
    case Rule::TooLong:
      return {u"the finished msiexec line does not fit the 32,767 units of a command line.",
              u"fewer or shorter arguments"};
    case Rule::None: break;
  }
  return {u"", nullptr};
}

WString GateText(GateReason reason) {
  switch (reason) {
    case GateReason::Passed: return u"passed";
    case GateReason::Wow64Unknown: return u"the platform did not say whether this is WOW64";
    case GateReason::Wow64: return u"a 32-bit process on 64-bit Windows (WOW64)";
    case GateReason::NoSnapshot: return u"the machine's facts could not be read";
    case GateReason::Server: return u"a server edition";
    case GateReason::DomainController: return u"a domain controller";
    case GateReason::OldVersion: return u"older than Windows XP SP3, 64-bit XP, or not Windows NT";
  }
  return u"";
}

void Gates(const SetupCheck& c, Lines& out) {
  out.push_back(u"gates on this machine:");
  out.push_back(u"  WOW64: " + GateText(c.wow64.reason));
  if (!c.environmentAsked) return;
  const win::OSVERSIONINFOEXW& v = c.version;
  out.push_back(u"  edition and version (Windows " + Number(v.dwMajorVersion) + u"." +
                Number(v.dwMinorVersion) + u" build " + Number(v.dwBuildNumber) +
                u", service pack " + Number(v.wServicePackMajor) + u", product type " +
                Number(v.wProductType) + u"): " + GateText(c.environment.reason));
}

void Refused(const SetupCheck& c, Lines& out) {
  const Refusal& r = c.refusal;
  RuleText text = TextOf(r.rule);
  out.push_back(u"refused: " + Argument(r) + u": " + text.sentence);
  if (r.rule == Rule::NoPat) {
    // A quotation mark the split left may have swallowed the /PAT: that was written.
    for (size_t i = 0; i < c.arguments.size(); ++i) {
      if (c.arguments[i].find(u'"') == WString::npos) continue;
      RuleText quote = TextOf(Rule::QuotationMark);
      out.push_back(u"  argument " + Number(static_cast<long long>(i) + 1) + u" " +
                    Shown(c.arguments[i]) + u" may have swallowed it: " + quote.sentence);
      out.push_back(u"  write instead: " + WString(quote.instead));
      return;
    }
  }
  if (text.instead != nullptr) out.push_back(u"  write instead: " + WString(text.instead));
}

void Install(const SetupCheck& c, Lines& out) {
  out.push_back(u"road: install (no argument begins with /x)");
  if (c.refusal.rule != Rule::None) return Refused(c, out);
  out.push_back(u"Setup.exe would start, hidden, and wait for:");
  out.push_back(u"  program: " + c.program);
  out.push_back(u"  parameters: [" + c.line + u"]");
  out.push_back(u"msiexec splits the parameters into:");
  Lines split = MsiexecSplit(c.line);
  for (size_t i = 0; i < split.size(); ++i)
    out.push_back(u"  " + Number(static_cast<long long>(i) + 1) + u" " + Shown(split[i]));
  if (c.hostIdPresent) {
    out.push_back(u"HostID is readable here now: any install run here ends 0 at the first read, "
                  u"whatever msiexec does.");
  } else {
    out.push_back(u"HostID is not readable here now: the install ends 0 once the product writes "
                  u"it, else with msiexec's code.");
  }
}

void Removal(const SetupCheck& c, Lines& out) {
  bool strict = c.road == Road::StrictRemoval;
  out.push_back(WString(strict ? u"road: strict removal, chosen by argument "
                               : u"road: removal, chosen by argument ") +
                Number(c.roadPosition) + u" " + Shown(c.arguments[c.roadPosition - 1]));
  if (!c.scanned) {
    out.push_back(u"the Uninstall key could not be read: Setup.exe would end with the code below.");
    return;
  }
  out.push_back(u"Uninstall entries named exactly \"" + DFC::kProductDisplayName +
                u"\", in enumeration order: " + Number(static_cast<long long>(c.matches.size())));
  bool taken = false;
  for (const UninstallMatch& m : c.matches) {
    WString why = m.taken          ? u"taken: the first whose key name is a product code"
                  : taken          ? u"passed over: the removal takes the first one only"
                  : !m.productCode ? u"passed over: its key name is no product code"
                                   : u"";
    taken = taken || m.taken;
    out.push_back(u"  " + Shown(m.keyName) + u": " + why);
  }
  if (c.starts) {
    out.push_back(u"Setup.exe would start, and not wait for:");
    out.push_back(u"  program: " + c.start.program);
    out.push_back(u"  parameters: [" + c.start.parameters + u"]");
    out.push_back(u"  verb: " + WString(c.start.verb != nullptr ? c.start.verb : u"(default)"));
  } else {
    out.push_back(u"nothing would be started.");
  }
  out.push_back(u"a strict removal (/x:Strict) here would end with " + Code(c.strictCode));
}

}  // namespace

WString Shown(const WString& text) {
  WString shown = u"[";
  for (char16_t unit : text) shown += unit == u' ' ? u'\u2423' : unit == u'\t' ? u'\u2192' : unit;
  return shown + u"]";
}

std::vector<WString> MsiexecSplit(const WString& line) {
  Lines words;
  WString word;
  bool inWord = false, quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char16_t unit = line[i];
    bool blank = unit == u' ' || unit == u'\t';
    if (unit == u'"' && quoted && i + 1 < line.size() && line[i + 1] == u'"') {
      word += line[++i];
    } else if (unit == u'"') {
      quoted = !quoted;
      inWord = true;
    } else if (blank && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += unit;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

std::vector<WString> ReportLines(const SetupCheck& c) {
  Lines out{u"What Setup.exe would do with these arguments on this machine (nothing is started or "
            u"changed):"};
  Gates(c, out);
  bool gated = c.wow64.code != RESULT_SUCCESS || c.environment.code != RESULT_SUCCESS;
  if (gated) {
    out.push_back(u"Setup.exe stops at this gate and reads no argument.");
  } else {
    out.push_back(u"arguments, as Windows splits them: " + Number(static_cast<long long>(c.arguments.size())));
    for (size_t i = 0; i < c.arguments.size(); ++i)
      out.push_back(u"  " + Number(static_cast<long long>(i) + 1) + u" " + Shown(c.arguments[i]));
    if (c.road == Road::None) {
      Refused(c, out);  // translation refused it
    } else if (c.road == Road::Install) {
      Install(c, out);
    } else {
      Removal(c, out);
    }
  }
  out.push_back(u"exit code: " + Code(c.code) +
                (c.starts ? u", where Setup.exe would start the program above"
                          : u", what Setup.exe would end with"));
  return out;
}

}  // namespace check_setup
