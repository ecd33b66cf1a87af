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
const WString kDefaultLogPiece = u" /L*v \"dulvinstaller.log\"";

struct LocalMemoryTraits {
  using Handle = win::HLOCAL;
  static Handle Empty() { return nullptr; }
  static void Close(Handle memory) { static_cast<void>(win::Sys().LocalFree(memory)); }
};

bool Contains(const WString& text, const WString& part) { return text.find(part) != WString::npos; }
bool StartsWith(const WString& text, const WString& start) { return text.compare(0, start.size(), start) == 0; }

WString Tail(const WString& argument) {
  auto colon = argument.find(u':');
  return colon == WString::npos ? WString() : argument.substr(colon + 1);
}

bool HasBlank(const WString& text) { return text.find_first_of(u" \t") != WString::npos; }

WString Quoted(const WString& text) { return u'"' + text + u'"'; }

}  // namespace

bool Translation::HasRemovalSwitch() const {
  for (const WString& argument : passedThrough)
    if (StartsWith(argument, kRemovalPrefix)) return true;
  return false;
}

bool Translation::IsStrictRemoval() const {
  for (const WString& argument : passedThrough)
    if (argument == kStrictRemoval) return true;
  return false;
}

WString QuoteForInstaller(const WString& argument) {
  if (!HasBlank(argument) || Contains(argument, u"\"")) return argument;
  auto blank = argument.find_first_of(u" \t");
  auto equals = argument.find(u'=');
  if (equals != WString::npos && equals > 0 && equals < blank)
    return argument.substr(0, equals + 1) + Quoted(argument.substr(equals + 1));
  return Quoted(argument);
}

ResultCode TranslateArguments(const std::vector<WString>& arguments, Translation& out) {
  out = Translation();
  for (const WString& argument : arguments) {
    // A switch counts only at the start of an argument: a value or path that
    // holds its text further in (INSTALLDIR=C:/logs/P) is passed through.
    if (StartsWith(argument, kPackageSwitch)) {
      out.packageArgument = u" /i " + Quoted(Tail(argument));
    } else if (StartsWith(argument, kPatSwitch)) {
      out.patValue = Tail(argument);
      // The value is enclosed whole: " PAT=" already names the property. An
      // empty one is spelled "", or the installer would take the next piece.
      bool quote = out.patValue.empty() ||
                   (HasBlank(out.patValue) && !Contains(out.patValue, u"\""));
      out.installerArguments += u" PAT=" + (quote ? Quoted(out.patValue) : out.patValue);
    } else if (StartsWith(argument, kLogSwitch)) {
      out.installerArguments +=
          Contains(argument, u":") ? u" /L*v " + Quoted(Tail(argument)) : kDefaultLogPiece;
    } else {
      if (Contains(argument, kRemoveSwitch)) {
        WString tail = Tail(argument);
        if (!tail.empty() && tail != kStrict) return RESULT_BAD_ARGUMENTS;
      }
      out.installerArguments += u' ' + QuoteForInstaller(argument);
      out.passedThrough.push_back(argument);
    }
  }
  return RESULT_SUCCESS;
}

ResultCode TranslateCommandLine(Translation& out) {
  std::vector<WString> arguments;
  {
    int count = 0;
    win::WCHAR** vector = win::Sys().CommandLineToArgvW(win::Sys().GetCommandLineW(), &count);
    win::ScopedHandle<LocalMemoryTraits> owner(vector);
    // Index 0 is the program's own path.
    for (int i = 1; vector != nullptr && i < count; ++i) arguments.emplace_back(vector[i]);
  }
  return TranslateArguments(arguments, out);
}
