// Malformed command lines against the real Setup.exe: each ends with a code
// of the result table, writes nothing, and creates no file but the logs it
// was asked for.
#include <iostream>
#include <set>
#include <sstream>

#include "e2e/e2e_test.h"
#include "odd_arguments.h"
#include "dfc/result_codes.h"

namespace e2e {
namespace {

std::vector<std::u16string> MalformedLines() {
  const std::u16string exe = u"C:\\work\\Setup.exe";
  std::vector<std::u16string> tails = {
      u"\"", u"\"\"", u"\"\"\"", u"\"/x", u"/x\"", u"\"/x:Strict", u"/x:\"Strict\"",
      u"\\\"", u"\\\\\"", u"/", u"-", u"//", u"/:", u":", u"/x::", u"/x:Strict:",
      u"/x:/x:", u"/log/x", u"\t/x\t", u"/x /x:bad", u"/x:bad /x",
      std::u16string(1, u'\xD800'),            // unpaired high surrogate
      std::u16string(1, u'\xDC00'),            // unpaired low surrogate
      u"/x:" + std::u16string(1, u'\xDFFF'),
      u"/PAT:" + std::u16string(1, u'\xD83D'),  // half of an emoji, install road
      u"/x " + std::u16string(1, u'\xFFFF'), u"/x \x0001\x0002\x001f", u"/x \x00e9\x6c49",
  };
  // Each odd value once, with the switches in turn (every pair runs on the
  // simulated machine: Gates.OddSwitchValuesEndWithAResultCode).
  for (size_t i = 0; i < kOddValues.size(); ++i)
    tails.push_back(kOddSwitches[i % kOddSwitches.size()] + kOddValues[i]);
  // Hundreds of switches.
  std::u16string many, manyX, manyQ;
  for (int i = 0; i < 400; ++i) many += u"/s" + std::u16string(1, u'a' + i % 26) + u" ";
  for (int i = 0; i < 300; ++i) manyX += u"/x ";
  for (int i = 0; i < 300; ++i) manyQ += u"\" ";
  tails.push_back(many);
  tails.push_back(manyX);
  tails.push_back(u"/x:Strict " + manyQ);
  std::vector<std::u16string> lines;
  for (const auto& tail : tails) lines.push_back(exe + u" " + tail);
  // Lines of the platform's full length: 32,767 units with the terminator.
  auto full = [&](const std::u16string& head, char16_t fill) {
    std::u16string line = exe + u" " + head;
    line.resize(32766, fill);
    return line;
  };
  lines.push_back(full(u"", u'A'));
  lines.push_back(full(u"/x ", u' '));
  lines.push_back(full(u"/x:Strict \"", u'\"'));
  lines.push_back(full(u"/log:", u'L'));
  lines.push_back(u"\"" + exe + u"\"");
  lines.push_back(u"C:\\work\\.\\Setup.exe\t/x:Strict");
  return lines;
}

class BadInputE2E : public ProductTest {};

TEST_F(BadInputE2E, MalformedLinesEndCleanlyAndSilently) {
  // A readable HostID ends any install road at its first read, so no line
  // waits for the 30-second confirmation.
  SeedHostId(wine);
  std::string scratch = wine.QuotedPath("C:\\scratch");
  wine.Shell("rm -rf " + scratch + " && mkdir -p " + scratch);
  auto listing = [&] {
    std::string text;
    wine.Shell("cd " + wine.QuotedPath("C:\\") + " && find work scratch -type f | sort", &text);
    return text;
  };
  std::string before = listing();
  auto lines = MalformedLines();
  ASSERT_GE(lines.size(), 50u);
  int ran = 0;
  for (const auto& line : lines) {
    SCOPED_TRACE("line " + std::to_string(ran) + " of " + std::to_string(line.size()) + " units");
    RunResult run = wine.Start(line, "C:\\scratch", 120);
    ++ran;
    ASSERT_TRUE(run.finished) << run.output << run.errors;
    EXPECT_TRUE(IsResultCode(run.exitCode)) << Hex(run.exitCode);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.errors, "");
  }
  wine.WaitForAll();
  // No line here reaches the installer with a log switch, so no file at all
  // may have appeared beside Setup.exe or in the current folder; a log file is
  // the only kind tolerated.
  std::istringstream a(listing()), b(before);
  std::set<std::string> old;
  for (std::string l; std::getline(b, l);) old.insert(l);
  for (std::string l; std::getline(a, l);) {
    bool isLog = l.size() > 4 && l.compare(l.size() - 4, 4, ".log") == 0;
    EXPECT_TRUE(old.count(l) || isLog) << "created: " << l;
  }
  std::cout << ran << " malformed command lines run" << std::endl;
  RemoveHostId(wine);
}

}  // namespace
}  // namespace e2e
