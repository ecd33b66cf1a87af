// The platform's command-line splitter (CommandLineToArgvW) and the argument
// vectors it hands out, which LocalFree gives back.
//
// Contract (as the contract suite checks against Wine): the program name runs
// to the next quote when it starts with one, else to the first blank; an
// empty line gives the module path alone. After the name, blanks separate
// arguments, quotes group, 2n backslashes before a quote give n and the quote
// groups, 2n+1 give n and a literal quote, and three quotes in a row give one.
// LocalFree of a vector answers null; of anything else, the block itself.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win_types.h"

namespace sim {

std::vector<win::WString> SplitCommandLine(const win::WCHAR* text, const win::WString& modulePath);

class ArgumentVectors {
 public:
  // A vector of `strings`, terminated by a null pointer, until Free.
  win::WCHAR** Make(std::vector<win::WString> strings);
  win::HLOCAL Free(win::HLOCAL memory);
  void OpenResources(std::vector<std::string>& open) const;

 private:
  struct Block {
    std::vector<win::WString> strings;
    std::vector<win::WCHAR*> pointers;
  };
  std::map<void*, std::unique_ptr<Block>> blocks_;
};

}  // namespace sim
