#include "sim/msiexec.h"

#include <set>
#include <vector>

#include "sim/command_line.h"
#include "sim/text.h"

namespace sim {
namespace {

// Every display and restart option msiexec's usage lists, lower-cased.
const std::set<win::WString> kOptions = {
    u"/quiet", u"/passive", u"/norestart", u"/promptrestart", u"/forcerestart",
    u"/q",     u"/qn",      u"/qb",        u"/qr",            u"/qf",
    u"/qn+",   u"/qb+",     u"/qb-",       u"/qb!",           u"/qb+!",
    u"/qb!+",  u"/qb-!",    u"/qb!-",      u"/qn!",           u"/qn+!"};

win::WString Lower(win::WString text) {
  for (win::WCHAR& c : text)
    if (c >= u'A' && c <= u'Z') c += u'a' - u'A';
  return text;
}

bool IsProperty(const win::WString& argument) {
  size_t equals = argument.find(u'=');
  if (equals == 0 || equals == win::WString::npos) return false;
  win::WString name = Lower(argument.substr(0, equals));
  if (name.find_first_not_of(u"abcdefghijklmnopqrstuvwxyz_0123456789.") != win::WString::npos)
    return false;
  return name.find_first_of(u"0123456789.") != 0;  // a letter or "_" first
}

bool TakesValue(const win::WString& option) {
  if (option == u"/update" || option == u"/log") return true;
  return option.size() >= 2 && option.compare(0, 2, u"/l") == 0 &&
         option.find_first_not_of(u"iwearucmopvx+!*", 2) == win::WString::npos;
}

}  // namespace

bool MsiexecShowsUsage(const win::WString& parameters) {
  std::vector<win::WString> words = SplitCommandLine((u"msiexec " + parameters).c_str(), u"msiexec");
  bool action = false;
  for (size_t i = 1; i < words.size(); ++i) {
    if (IsProperty(words[i])) continue;
    win::WString option = Lower(words[i]);
    if (kOptions.count(option) != 0) continue;
    bool joined = option.compare(0, 3, u"/x{") == 0;  // the product code right after /x
    if (option == u"/i" || option == u"/x" || joined) {
      if (action) return true;  // one action only
      action = true;
      if (joined) continue;
    } else if (!TakesValue(option)) {
      return true;
    }
    if (++i == words.size()) return true;  // its value, whatever it holds (quoted, it may be empty)
  }
  return !action;
}

}  // namespace sim
