// Arbitrary command lines through the platform's split, translation and the
// installer's command line: nothing may crash; the result is success or a
// rejection; and an install line that is not refused is, split by msiexec's
// own rules, exactly the arguments meant (read here from the arguments
// independently of the product), one that msiexec accepts without its usage
// window or a modal box. Then the setup check is held to the run on a
// machine of agree::Kind (fuzz/check_agrees.h): what it prints is what
// Setup.exe does there.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/check_agrees.h"
#include "fuzz/meant_arguments.h"
#include "setup/installer_run.h"
#include "setup/translate.h"
#include "sim/command_line.h"
#include "sim/msiexec.h"

namespace {

using meant::Args;

// The check against the run on one machine of agree::Kind, made afresh and
// chosen by the input (the host tier's property test takes every machine).
void CheckAgrees(const std::u16string& arguments) {
  unsigned sum = 0;
  for (char16_t unit : arguments) sum += unit;
  std::unique_ptr<sim::Machine> machine = agree::MakeMachine(static_cast<int>(sum % agree::kKinds));
  win::ScopedSys sys(*machine);
  if (!agree::Disagreement(*machine, arguments).empty()) std::abort();
  if (!machine->OpenResources().empty() || machine->processes.usageWindows != 0 ||
      machine->processes.modalBoxes != 0)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string line = meant::Line(data, size);
  CheckAgrees(line);
  Args arguments = sim::SplitCommandLine((u"Setup.exe " + line).c_str(), u"Setup.exe");
  arguments.erase(arguments.begin());  // the program's own path
  Translation t;
  ResultCode result = TranslateArguments(arguments, t);
  if (result != RESULT_SUCCESS && result != RESULT_BAD_ARGUMENTS) std::abort();
  if (result != RESULT_SUCCESS || t.HasRemovalSwitch()) return 0;  // not the install road
  result = CompleteInstallerArguments(t);
  if (result != RESULT_SUCCESS && result != RESULT_BAD_ARGUMENTS) std::abort();
  if (result != RESULT_SUCCESS) return 0;  // refused: nothing is started
  const std::u16string& written = t.installerArguments.Text();
  if (sim::SplitMsiexecLine(written) != meant::Meant(arguments)) std::abort();
  if (sim::MsiexecShowsUsage(written) || sim::MsiexecShowsModalBox(written)) std::abort();
  return 0;
}
