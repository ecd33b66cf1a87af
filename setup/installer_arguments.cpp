#include "setup/installer_arguments.h"

namespace {

using win::WString;

win::WCHAR Lower(win::WCHAR c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }
bool IsLetter(win::WCHAR c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsDigit(win::WCHAR c) { return c >= u'0' && c <= u'9'; }

WString Lowered(const WString& text) {
  WString lowered = text;
  for (win::WCHAR& c : lowered) c = Lower(c);
  return lowered;
}

bool IsProperty(const WString& argument) {
  auto equals = argument.find(u'=');
  if (equals == WString::npos) return false;
  if (!IsLetter(argument[0]) && argument[0] != u'_') return false;  // also "=" first
  for (size_t i = 1; i < equals; ++i) {
    win::WCHAR c = argument[i];
    if (!IsLetter(c) && !IsDigit(c) && c != u'_' && c != u'.') return false;
  }
  return true;
}

bool IsLogging(const WString& name) {
  if (name == u"log") return true;
  if (name.empty() || name[0] != u'l') return false;
  return name.find_first_not_of(u"iwearucmopvx+!*", 1) == WString::npos;
}

// What msiexec does with a switch it does not take silently: a display
// option that shows something, the restart prompt, or its usage window.
Rule SwitchRule(const WString& name) {
  if (name == u"promptrestart") return Rule::PromptRestart;
  bool level = !name.empty() && name[0] == u'q' && name.find_first_not_of(u"nbrf+-!", 1) == WString::npos;
  if (name == u"passive" || level) return Rule::DisplayOption;
  return Rule::UnknownSwitch;
}

}  // namespace

Refusal InstallerRefusal(const std::vector<MeantArgument>& arguments) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const MeantArgument& meant = arguments[i];
    const WString& argument = meant.text;
    if (meant.own || argument.empty() || IsProperty(argument)) continue;
    if (argument.compare(0, 1, u"/") != 0) return {Rule::BareWord, meant.position, argument};
    WString name = Lowered(argument.substr(1));
    if (name == u"quiet" || name == u"q" || name == u"qn" || name == u"norestart" ||
        name == u"forcerestart")
      continue;
    if (!IsLogging(name) && name != u"update") return {SwitchRule(name), meant.position, argument};
    // Its value: the next argument, passed through, which is no switch.
    if (++i == arguments.size() || arguments[i].own || arguments[i].text.empty() ||
        arguments[i].text[0] == u'/')
      return {Rule::NoValue, meant.position, argument};
  }
  return {};
}
