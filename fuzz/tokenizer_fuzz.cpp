// Feeds arbitrary UTF-16 text to the tokenizer: nothing may crash, and every
// name, value and word must be a piece of the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "dfc/arguments.h"

namespace {
void MustBePieceOf(const std::u16string& piece, const std::u16string& text) {
  if (text.find(piece) == std::u16string::npos) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) break;  // the platform's text ends at its first NUL
    text.push_back(unit);
  }
  DFC::DFCArguments arguments(text.c_str());
  if (arguments.commandLine() != text) std::abort();
  for (std::size_t i = 0; i < arguments.switches().Count(); ++i) {
    MustBePieceOf(arguments.switches().At(i).name, text);
    MustBePieceOf(arguments.switches().At(i).value, text);
  }
  for (std::size_t i = 0; i < arguments.words().Count(); ++i) {
    MustBePieceOf(arguments.words().At(i).name, text);
    if (!arguments.words().At(i).value.empty()) std::abort();
  }
  return 0;
}
