#include "setup/translate.h"

#include "platform/api.h"
#include "platform/scoped_handle.h"

namespace {

using win::WString;

const WString kPackageSwitch = u"/i:";
const WString kPatSwitch = u"/PAT:";
const WString kLogSwitch = u"/log";
const WString kRemoveSwitch = u"/x:";
const WString kStrict = u"Strict";
const WString kRemovalPrefix = u"/x";
const WString kStrictRemoval = u"/x:Strict";
const WString kLogOption = u"/L*v";
const WString kDefaultLog = u"dulvinstaller.log";

bool Contains(const WString& text, const WString& part) { return text.find(part) != WString::npos; }
bool StartsWith(const WString& text, const WString& start) { return text.compare(0, start.size(), start) == 0; }

WString Tail(const WString& argument) {
  auto colon = argument.find(u':');
  return colon == WString::npos ? WString() : argument.substr(colon + 1);
}

}  // namespace

std::vector<WString> Translation::PassedThrough() const {
  std::vector<WString> passed;
  for (const MeantArgument& argument : installerArguments.Arguments())
    if (!argument.own) passed.push_back(argument.text);
  return passed;
}

int Translation::RemovalSwitchPosition() const {
  for (const MeantArgument& argument : installerArguments.Arguments())
    if (!argument.own && StartsWith(argument.text, kRemovalPrefix)) return argument.position;
  return 0;
}

int Translation::StrictRemovalPosition() const {
  for (const MeantArgument& argument : installerArguments.Arguments())
    if (!argument.own && argument.text == kStrictRemoval) return argument.position;
  return 0;
}

ResultCode TranslateArguments(const std::vector<WString>& arguments, Translation& out) {
  out = Translation();
  for (size_t i = 0; i < arguments.size(); ++i) {
    const WString& argument = arguments[i];
    int position = static_cast<int>(i) + 1;
    out.installerArguments.From(position, argument);
    // A switch counts only at the start of an argument: a value or path that
    // holds its text further in (INSTALLDIR=C:/logs/P) is passed through.
    if (StartsWith(argument, kPackageSwitch)) {
      out.packageArgument = InstallerCommandLine();
      out.packageArgument.From(position, argument);
      out.packageArgument.AddPath(u"/i", Tail(argument));
    } else if (StartsWith(argument, kPatSwitch)) {
      // The value is enclosed whole: " PAT=" already names the property.
      out.patValue = Tail(argument);
      out.patPosition = position;
      out.installerArguments.AddProperty(u"PAT", out.patValue);
    } else if (StartsWith(argument, kLogSwitch)) {
      out.installerArguments.AddPath(kLogOption,
                                     Contains(argument, u":") ? Tail(argument) : kDefaultLog);
    } else {
      // The removal switch's value, read only where the switch is: a
      // property that holds "/x:" further in (SERVERURL=http://x:8080/api) is
      // passed through like any other.
      if (StartsWith(argument, kRemoveSwitch)) {
        WString tail = Tail(argument);
        if (!tail.empty() && tail != kStrict) {
          out.refusal = {Rule::RemovalValue, position, argument};
          return RESULT_BAD_ARGUMENTS;
        }
      }
      out.installerArguments.AddPassedThrough(argument);
    }
  }
  return RESULT_SUCCESS;
}

std::vector<WString> CommandLineArguments() {
  std::vector<WString> arguments;
  {
    int count = 0;
    win::WCHAR** vector = win::Sys().CommandLineToArgvW(win::Sys().GetCommandLineW(), &count);
    win::ScopedLocalMemory owner(vector);
    // Index 0 is the program's own path.
    for (int i = 1; vector != nullptr && i < count; ++i) arguments.emplace_back(vector[i]);
  }
  return arguments;
}

ResultCode TranslateCommandLine(Translation& out) { return TranslateArguments(CommandLineArguments(), out); }
