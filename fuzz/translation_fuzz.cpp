// Arbitrary argument vectors through translation: nothing may crash, the
// result is success or a rejection, and every piece of the installer string
// is accounted for.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "setup/translate.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // UTF-16 units; a NUL unit separates arguments.
  std::vector<std::u16string> arguments(1);
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) {
      arguments.emplace_back();
    } else {
      arguments.back().push_back(unit);
    }
  }
  Translation t;
  ResultCode result = TranslateArguments(arguments, t);
  if (result != RESULT_SUCCESS && result != RESULT_BAD_ARGUMENTS) std::abort();
  if (result != RESULT_SUCCESS) return 0;
  // Every passed-through argument is one of the arguments, and stands in the
  // installer string as it was given or quoted.
  for (const std::u16string& passed : t.passedThrough) {
    bool known = false;
    for (const std::u16string& a : arguments) known = known || a == passed;
    if (!known) std::abort();
    if (t.installerArguments.find(QuoteForInstaller(passed)) == std::u16string::npos) std::abort();
  }
  // The PAT value comes from one of the arguments.
  if (!t.patValue.empty()) {
    bool found = false;
    for (const std::u16string& a : arguments) found = found || a.find(t.patValue) != std::u16string::npos;
    if (!found) std::abort();
  }
  // The package piece, when there is one, is quoted whole.
  if (!t.packageArgument.empty() &&
      (t.packageArgument.rfind(u" /i \"", 0) != 0 || t.packageArgument.back() != u'"'))
    std::abort();
  return 0;
}
