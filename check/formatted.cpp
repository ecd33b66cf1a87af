#include "check/formatted.h"

namespace check {

using win::WString;

namespace {

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

}  // namespace

bool SameIgnoringCase(const WString& a, const WString& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

WString Property(const PackageFacts& facts, const char16_t* name) {
  auto found = facts.properties.find(name);
  return found == facts.properties.end() ? WString() : found->second;
}

bool ResolvesTo(const WString& text, const PackageFacts& facts, const WString& wanted) {
  WString out;
  size_t at = 0;
  for (size_t open; (open = text.find(u'[', at)) != WString::npos;) {
    size_t close = text.find(u']', open);
    if (close == WString::npos) return false;
    auto found = facts.properties.find(text.substr(open + 1, close - open - 1));
    if (found == facts.properties.end()) return false;
    out += text.substr(at, open - at) + found->second;
    at = close + 1;
  }
  return SameIgnoringCase(out + text.substr(at), wanted);
}

const ValueKind* OtherThanText(const WString& value) {
  static const ValueKind binary{"binary data", "REG_BINARY"};
  static const ValueKind expandable{"expandable text", "REG_EXPAND_SZ"};
  static const ValueKind number{"a number", "REG_DWORD"};
  static const ValueKind list{"a list of texts", "REG_MULTI_SZ"};
  if (value.empty() || value[0] != u'#') return value.find(u"[~]") != WString::npos ? &list : nullptr;
  switch (value[1]) {  // the terminator when "#" stands alone
    case u'#': return nullptr;  // "##": text that begins with "#"
    case u'x':
    case u'X': return &binary;
    case u'%': return &expandable;
    default: return &number;
  }
}

bool IsNotInstalled(WString condition) {
  auto trim = [](WString& text) {
    size_t first = text.find_first_not_of(u" \t\r\n");
    size_t last = text.find_last_not_of(u" \t\r\n");
    text = first == WString::npos ? WString() : text.substr(first, last - first + 1);
  };
  trim(condition);
  while (condition.size() >= 2 && condition.front() == u'(' && condition.back() == u')') {
    condition = condition.substr(1, condition.size() - 2);
    trim(condition);
  }
  if (!SameIgnoringCase(condition.substr(0, 3), u"NOT")) return false;
  WString rest = condition.substr(3);
  if (rest.empty() || (rest[0] != u' ' && rest[0] != u'\t')) return false;
  trim(rest);
  return rest == u"Installed";
}

bool FormatsEmpty(const WString& target) { return target.find_first_not_of(u"{}") == WString::npos; }

}  // namespace check
