#include "sim/msiexec.h"

#include <set>

namespace sim {
namespace {

// Every display and restart option msiexec's usage lists, lower-cased.
const std::set<win::WString> kOptions = {
    u"/quiet", u"/passive", u"/norestart", u"/promptrestart", u"/forcerestart",
    u"/q",     u"/qn",      u"/qb",        u"/qr",            u"/qf",
    u"/qn+",   u"/qb+",     u"/qb-",       u"/qb!",           u"/qb+!",
    u"/qb!+",  u"/qb-!",    u"/qb!-",      u"/qn!",           u"/qn+!"};
// The ones that show nothing at all.
const std::set<win::WString> kSilent = {u"/quiet", u"/q", u"/qn", u"/norestart",
                                        u"/forcerestart"};

win::WString Lower(win::WString text) {
  for (win::WCHAR& c : text)
    if (c >= u'A' && c <= u'Z') c += u'a' - u'A';
  return text;
}

bool IsBlank(win::WCHAR c) { return c == u' ' || c == u'\t'; }

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

std::vector<win::WString> SplitMsiexecLine(const win::WString& parameters) {
  std::vector<win::WString> words;
  win::WString word;
  bool inWord = false, quoted = false;
  for (size_t i = 0; i < parameters.size(); ++i) {
    win::WCHAR c = parameters[i];
    if (quoted && c == u'"' && i + 1 < parameters.size() && parameters[i + 1] == u'"') {
      word += u'"';  // a doubled mark inside a run
      ++i;
    } else if (c == u'"') {
      quoted = !quoted;
      inWord = true;
    } else if (IsBlank(c) && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

MsiexecAction MsiexecActionOf(const win::WString& file, const win::WString& parameters) {
  win::WString name = Lower(file.substr(file.find_last_of(u"\\/") + 1));
  if (name != u"msiexec.exe") return MsiexecAction::Other;
  for (const win::WString& word : SplitMsiexecLine(parameters)) {
    win::WString option = Lower(word);
    if (option == u"/i") return MsiexecAction::Install;
    if (option.compare(0, 2, u"/x") == 0) return MsiexecAction::Uninstall;
  }
  return MsiexecAction::Other;
}

bool MsiexecShowsUsage(const win::WString& parameters) {
  std::vector<win::WString> words = SplitMsiexecLine(parameters);
  bool action = false;
  for (size_t i = 0; i < words.size(); ++i) {
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
    // Its value, whatever it holds, but never empty: each names a file or product.
    if (++i == words.size() || words[i].empty()) return true;
  }
  return !action;
}

bool MsiexecShowsModalBox(const win::WString& parameters) {
  std::vector<win::WString> words = SplitMsiexecLine(parameters);
  for (size_t i = 0; i < words.size(); ++i) {
    win::WString option = Lower(words[i]);
    if (TakesValue(option) || option == u"/i" || option == u"/x") {
      ++i;  // a value is no option, whatever it spells
    } else if (kOptions.count(option) != 0 && kSilent.count(option) == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace sim
