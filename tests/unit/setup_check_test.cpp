// The setup check tells the truth (fuzz/check_agrees.h), exhaustively: on
// every machine of agree::Kind, for every command line of the fuzz corpus
// and every command line of up to kUnits units over kAlphabet, alone and
// after "/PAT:v " (without a PAT value an install is refused before its
// arguments are looked at).
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/check_agrees.h"
#include "sim_test.h"

namespace {

// The units that matter: the split's blank, quotation mark and backslash, the
// switches' "/", ":" and "=", and the letters that make the switches and
// values (/x, /x:Strict, /i:, /PAT:, /log, /qb; "x" and "i" as values too).
const char16_t* const kAlphabet[] = {u" ", u"\"", u"\\", u"/", u":", u"=",
                                     u"x", u"i", u"PAT", u"log", u"Strict", u"qb"};
// 5 (about 540,000 lines on 8 machines, 35 to 45 s on two cores; 6 would
// take twelve times as long); the sanitizer build, about 30 times slower, takes 3.
constexpr int kUnits = PELLWORTH_CHECK_UNITS;

std::vector<std::u16string> CorpusLines() {
  std::vector<std::u16string> lines;
  for (const auto& file : std::filesystem::directory_iterator(PELLWORTH_TRANSLATION_CORPUS)) {
    std::ifstream in(file.path(), std::ios::binary);
    std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)), {});
    lines.push_back(meant::Line(data.data(), data.size()));
  }
  return lines;
}

TEST(SetupCheck, PrintsWhatSetupDoes) {
  std::vector<std::u16string> lines = CorpusLines();
  ASSERT_FALSE(lines.empty());
  std::vector<std::u16string> level{u""};
  for (int units = 0; units <= kUnits; ++units) {
    lines.insert(lines.end(), level.begin(), level.end());
    for (const std::u16string& line : level) lines.push_back(u"/PAT:v " + line);
    std::vector<std::u16string> next;
    for (const std::u16string& line : level)
      for (const char16_t* unit : kAlphabet) next.push_back(line + unit);
    level.swap(next);
  }
  auto began = std::chrono::steady_clock::now();
  for (int kind = 0; kind < agree::kKinds; ++kind) {
    SCOPED_TRACE(agree::KindName(kind));
    std::unique_ptr<sim::Machine> machine = agree::MakeMachine(kind);
    win::ScopedSys sys(*machine);
    int failures = 0;
    for (const std::u16string& line : lines) {
      std::string differs = agree::Disagreement(*machine, line);
      if (!differs.empty() && ++failures <= 3) ADD_FAILURE() << Show(line) << ": " << differs;
    }
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(machine->OpenResources(), std::vector<std::string>()) << machine->Dump();
    EXPECT_EQ(machine->processes.usageWindows + machine->processes.modalBoxes, 0);
  }
  std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
  std::printf("%zu command lines (up to %d units, alone and after /PAT:v) on %d machines: %.1f s\n",
              lines.size(), kUnits,
              static_cast<int>(agree::kKinds), took.count());
}

}  // namespace
