#include "dfc/arguments.h"

namespace DFC {
namespace {

using win::WString;

constexpr size_t kNone = WString::npos;

bool IsBlank(win::WCHAR c) { return c == u' ' || c == u'\t'; }
bool IsSwitchCharacter(win::WCHAR c) { return c == u'-' || c == u'/'; }
bool EndsName(win::WCHAR c) { return c == u':' || IsSwitchCharacter(c) || IsBlank(c); }
bool EndsValue(win::WCHAR c) { return IsSwitchCharacter(c) || IsBlank(c); }

template <typename Predicate>
size_t FindFirst(const WString& text, size_t from, Predicate matches) {
  for (size_t i = from; i < text.size(); ++i)
    if (matches(text[i])) return i;
  return kNone;
}

size_t FirstNonBlank(const WString& text, size_t from) {
  return FindFirst(text, from, [](win::WCHAR c) { return !IsBlank(c); });
}

// What a reader gives back: an entry (or none), and where reading goes on
// (kNone: reading ends).
struct Read {
  std::unique_ptr<ArgumentEntry> entry;
  size_t resume = kNone;
};

std::unique_ptr<ArgumentEntry> Entry(WString name, WString value = WString()) {
  auto entry = std::make_unique<ArgumentEntry>();
  entry->name = std::move(name);
  entry->value = std::move(value);
  return entry;
}

// The span between the quote at `s` and the next quote, when the line extends
// at least three units beyond the opening quote. Answers the closing quote.
size_t FindQuotedSpan(const WString& text, size_t s) {
  if (text.size() <= s + 3) return kNone;
  return FindFirst(text, s + 1, [](win::WCHAR c) { return c == u'"'; });
}

Read ReadSwitch(const WString& text, size_t p) {
  size_t q = FindFirst(text, p + 1, EndsName);
  if (q == kNone) return {Entry(text.substr(p + 1)), kNone};
  WString name = text.substr(p + 1, q - (p + 1));
  size_t v = FirstNonBlank(text, q);
  if (v == kNone) return {Entry(std::move(name)), kNone};
  if (text[v] != u':') return {Entry(std::move(name)), q};
  size_t w = FirstNonBlank(text, v + 1);
  if (w == kNone) return {nullptr, kNone};  // a colon and nothing after it: dropped
  if (IsSwitchCharacter(text[w])) {
    // The switch character starts the next switch: resume at the blank before
    // it, or at the character itself when the colon stands right before it.
    return {Entry(std::move(name)), w > v + 1 ? w - 1 : w};
  }
  if (text[w] == u'"') {
    size_t close = FindQuotedSpan(text, w);
    if (close != kNone) return {Entry(std::move(name), text.substr(w + 1, close - w - 1)), close + 1};
  }
  size_t e = FindFirst(text, w, EndsValue);
  if (e == kNone) return {Entry(std::move(name), text.substr(w)), kNone};
  return {Entry(std::move(name), text.substr(w, e - w)), e};
}

Read ReadWord(const WString& text, size_t b) {
  if (text[b] == u'"') {
    size_t close = FindQuotedSpan(text, b);
    if (close != kNone) return {Entry(text.substr(b + 1, close - b - 1)), close + 1};
  }
  size_t e = FindFirst(text, b, IsBlank);
  if (e == kNone) return {Entry(text.substr(b)), kNone};
  return {Entry(text.substr(b, e - b)), e + 1};
}

}  // namespace

EntryList::~EntryList() { Clear(); }

void EntryList::Append(std::unique_ptr<ArgumentEntry> entry) {
  entries_.push_back(std::move(entry));  // a failed push leaves `entry` to delete it
}

void EntryList::Clear() {
  for (std::unique_ptr<ArgumentEntry>& entry : entries_) entry.reset();
  entries_.clear();
}

DFCArguments::DFCArguments(const win::WCHAR* commandLine)
    : commandLine_(commandLine == nullptr ? u"" : commandLine) {
  Tokenize(commandLine_);
}

DFCArguments::~DFCArguments() {
  switches_.Clear();
  words_.Clear();
}

void DFCArguments::Tokenize(const WString& text) {
  try {
    size_t position = 0;
    while (position + 1 < text.size()) {
      size_t start = FirstNonBlank(text, position);
      if (start == kNone) break;
      bool isSwitch = IsSwitchCharacter(text[start]);
      Read read = isSwitch ? ReadSwitch(text, start) : ReadWord(text, start);
      if (read.entry) (isSwitch ? switches_ : words_).Append(std::move(read.entry));
      if (read.resume == kNone) break;
      position = read.resume;
    }
  } catch (...) {
    switches_.Clear();
    words_.Clear();
    throw;
  }
}

}  // namespace DFC
