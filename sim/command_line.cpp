#include "sim/command_line.h"

namespace sim {

std::vector<win::WString> SplitCommandLine(const win::WCHAR* text, const win::WString& modulePath) {
  std::vector<win::WString> strings;
  const win::WCHAR* s = text;
  if (*s == 0) {
    strings.push_back(modulePath);
    return strings;
  }
  win::WString arg;
  if (*s == u'"') {
    ++s;
    while (*s != 0 && *s != u'"') arg += *s++;
    if (*s == u'"') ++s;
  } else {
    while (*s != 0 && *s != u' ' && *s != u'\t') arg += *s++;
  }
  strings.push_back(arg);
  while (*s == u' ' || *s == u'\t') ++s;
  if (*s == 0) return strings;
  arg.clear();
  int quotes = 0;
  int backslashes = 0;
  bool inArg = true;
  while (*s != 0) {
    if ((*s == u' ' || *s == u'\t') && quotes == 0) {
      strings.push_back(arg);
      arg.clear();
      backslashes = 0;
      while (*s == u' ' || *s == u'\t') ++s;
      inArg = *s != 0;
      continue;
    }
    if (*s == u'\\') {
      arg += *s++;
      ++backslashes;
    } else if (*s == u'"') {
      if (backslashes % 2 == 0) {
        arg.erase(arg.size() - backslashes / 2);
        ++quotes;
      } else {
        arg.erase(arg.size() - backslashes / 2 - 1);
        arg += u'"';
      }
      ++s;
      backslashes = 0;
      while (*s == u'"') {
        if (++quotes == 3) {
          arg += u'"';
          quotes = 0;
        }
        ++s;
      }
      if (quotes == 2) quotes = 0;
    } else {
      arg += *s++;
      backslashes = 0;
    }
  }
  if (inArg) strings.push_back(arg);
  return strings;
}

win::WCHAR** ArgumentVectors::Make(std::vector<win::WString> strings) {
  auto block = std::make_unique<Block>();
  block->strings = std::move(strings);
  for (win::WString& text : block->strings) block->pointers.push_back(text.data());
  block->pointers.push_back(nullptr);
  win::WCHAR** vector = block->pointers.data();
  blocks_[vector] = std::move(block);
  return vector;
}

win::HLOCAL ArgumentVectors::Free(win::HLOCAL memory) {
  if (memory == nullptr) return nullptr;
  auto it = blocks_.find(memory);
  if (it == blocks_.end()) return memory;
  blocks_.erase(it);
  return nullptr;
}

void ArgumentVectors::OpenResources(std::vector<std::string>& open) const {
  for (const auto& [vector, block] : blocks_)
    open.push_back("argument vector of " + std::to_string(block->strings.size()) + " strings");
}

}  // namespace sim
