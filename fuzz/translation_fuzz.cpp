// Arbitrary command lines through the platform's split, translation and the
// installer's command line: nothing may crash; the result is success or a
// rejection; and an install line that is not refused is, split by msiexec's
// own rules, exactly the arguments meant (read here from the arguments
// independently of the product), one that msiexec accepts without its usage
// window or a modal box.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "setup/installer_run.h"
#include "setup/translate.h"
#include "sim/command_line.h"
#include "sim/msiexec.h"

namespace {

using Args = std::vector<std::u16string>;

// Each byte is one unit, but 0xFF, which takes the next two bytes as one unit
// (little-endian): letters beyond ASCII, and NUL, which ends the line there.
std::u16string Line(const std::uint8_t* data, std::size_t size) {
  std::u16string line = u"Setup.exe ";
  for (std::size_t i = 0; i < size; ++i) {
    char16_t unit = data[i];
    if (data[i] == 0xFF && i + 2 < size) {
      unit = static_cast<char16_t>(data[i + 1] | (data[i + 2] << 8));
      i += 2;
    }
    if (unit == 0) break;
    line.push_back(unit);
  }
  return line;
}

bool StartsWith(const std::u16string& text, const char16_t* start) {
  return text.rfind(start, 0) == 0;
}

std::u16string Tail(const std::u16string& argument) {
  auto colon = argument.find(u':');
  return colon == std::u16string::npos ? std::u16string() : argument.substr(colon + 1);
}

// The arguments msiexec is meant to see, in order, for an install.
Args Meant(const Args& arguments) {
  Args meant;
  std::u16string package = u"Setup.msi";
  for (const std::u16string& a : arguments) {
    if (StartsWith(a, u"/i:")) {
      package = Tail(a);
    } else if (StartsWith(a, u"/PAT:")) {
      meant.push_back(u"PAT=" + Tail(a));
    } else if (StartsWith(a, u"/log")) {
      meant.push_back(u"/L*v");
      meant.push_back(a.find(u':') == std::u16string::npos ? u"dulvinstaller.log" : Tail(a));
    } else if (!a.empty()) {
      meant.push_back(a);
    }
  }
  for (const char16_t* piece : {u"/i", package.c_str(), u"REINSTALL=ALL",
                                u"REINSTALLMODE=vomus", u"/quiet"})
    meant.push_back(piece);
  return meant;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Args arguments = sim::SplitCommandLine(Line(data, size).c_str(), u"Setup.exe");
  arguments.erase(arguments.begin());  // the program's own path
  Translation t;
  ResultCode result = TranslateArguments(arguments, t);
  if (result != RESULT_SUCCESS && result != RESULT_BAD_ARGUMENTS) std::abort();
  if (result != RESULT_SUCCESS || t.HasRemovalSwitch()) return 0;  // not the install road
  result = CompleteInstallerArguments(t);
  if (result != RESULT_SUCCESS && result != RESULT_BAD_ARGUMENTS) std::abort();
  if (result != RESULT_SUCCESS) return 0;  // refused: nothing is started
  const std::u16string& line = t.installerArguments.Text();
  if (sim::SplitMsiexecLine(line) != Meant(arguments)) std::abort();
  if (sim::MsiexecShowsUsage(line) || sim::MsiexecShowsModalBox(line)) std::abort();
  return 0;
}
