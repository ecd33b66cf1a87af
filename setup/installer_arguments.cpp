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

// "q", then a level, then at most one of "+" and "-", and "!" before or after it.
bool IsUiLevel(const WString& name) {
  if (name.empty() || name[0] != u'q') return false;
  size_t i = name.find_first_of(u"nbrf", 1) == 1 ? 2 : 1;
  bool sign = false, bang = false;
  for (; i < name.size(); ++i) {
    if ((name[i] == u'+' || name[i] == u'-') && !sign) {
      sign = true;
    } else if (name[i] == u'!' && !bang) {
      bang = true;
    } else {
      return false;
    }
  }
  return true;
}

bool IsLogging(const WString& name) {
  if (name == u"log") return true;
  if (name.empty() || name[0] != u'l') return false;
  return name.find_first_not_of(u"iwearucmopvx+!*", 1) == WString::npos;
}

}  // namespace

bool InstallerAccepts(const std::vector<WString>& passedThrough) {
  for (size_t i = 0; i < passedThrough.size(); ++i) {
    const WString& argument = passedThrough[i];
    if (IsProperty(argument)) continue;
    if (argument.compare(0, 1, u"/") != 0) return false;
    WString name = Lowered(argument.substr(1));
    if (name == u"quiet" || name == u"passive" || name == u"norestart" ||
        name == u"promptrestart" || name == u"forcerestart" || IsUiLevel(name))
      continue;
    if (!IsLogging(name) && name != u"update") return false;
    // Its value: the next argument, which is no switch.
    if (++i == passedThrough.size() || passedThrough[i].empty() || passedThrough[i][0] == u'/')
      return false;
  }
  return true;
}
