// The environment's own tokenizer of the command line.
#include <gtest/gtest.h>

#include "alloc_hook.h"
#include "dfc/arguments.h"
#include "sim/sim_machine.h"

namespace {

// A line's result as text: switches as name=value, words in brackets.
std::string Tokens(const DFC::DFCArguments& arguments) {
  std::string out;
  for (size_t i = 0; i < arguments.switches().Count(); ++i) {
    const auto& e = arguments.switches().At(i);
    out += (out.empty() ? "" : "  ") + sim::Narrow(e.name) + "=" + sim::Narrow(e.value);
  }
  out += " |";
  for (size_t i = 0; i < arguments.words().Count(); ++i) {
    const auto& e = arguments.words().At(i);
    EXPECT_TRUE(e.value.empty());
    out += " [" + sim::Narrow(e.name) + "]";
  }
  return out;
}

TEST(Tokenizer, Lines) {
  struct Row {
    const char16_t* line;
    const char* expected;  // switches " |" words
  };
  const Row rows[] = {
      // The worked examples.
      {u"\"C:\\Program Files\\Kit\\Setup.exe\" /i:\"D:\\Pkg Dir\\Setup.msi\" -log:C:\\Temp\\a.log /x",
       "i=D:\\Pkg Dir\\Setup.msi  log=C:\\Temp\\a.log  x= | [C:\\Program Files\\Kit\\Setup.exe]"},
      {u"Setup.exe /a/b /k : \"q r\" --d /e: /f g-h \"i j\"kl",
       "a=  b=  k=q r  =  d=  e=  f= | [Setup.exe] [g-h] [i j] [kl]"},
      // Edge cases.
      {u"", " |"},
      {u"Setup.exe", " | [Setup.exe]"},
      {u"   ", " |"},
      {u"Setup.exe /a/b", "a=  b= | [Setup.exe]"},
      {u"Setup.exe -a-b", "a=  b= | [Setup.exe]"},
      {u"Setup.exe /a:x-y", "a=x  y= | [Setup.exe]"},
      {u"Setup.exe /a:C:\\d\\f.msi", "a=C:\\d\\f.msi | [Setup.exe]"},
      {u"Setup.exe /a : b", "a=b | [Setup.exe]"},
      {u"Setup.exe /a: b", "a=b | [Setup.exe]"},
      {u"Setup.exe /a bc", "a= | [Setup.exe] [bc]"},
      {u"Setup.exe /a:", " | [Setup.exe]"},
      {u"Setup.exe /a:   ", " | [Setup.exe]"},
      {u"Setup.exe /a: -b", "a=  b= | [Setup.exe]"},
      {u"Setup.exe /a:/b", "a=  b= | [Setup.exe]"},  // b is the next switch
      {u"Setup.exe --d", "=  d= | [Setup.exe]"},
      {u"Setup.exe / xy", "= | [Setup.exe] [xy]"},
      {u"Setup.exe /v:\"\" zz", "v= | [Setup.exe] [zz]"},
      {u"Setup.exe /v:\"x\"", "v=\"x\" | [Setup.exe]"},  // too short to be quoted
      {u"Setup.exe /v:\"xy\"", "v=xy | [Setup.exe]"},
      {u"Setup.exe /v:\"x\" ", "v=x | [Setup.exe]"},
      {u"Setup.exe /v:\"xy\"zz", "v=xy | [Setup.exe] [zz]"},  // the closing quote ends the value
      {u"Setup.exe /n:v\"w xy", "n=v\"w | [Setup.exe] [xy]"},
      {u"Setup.exe a", " | [Setup.exe]"},  // reading would go on from the last unit
      {u"Setup.exe  a", " | [Setup.exe] [a]"},  // from the second blank: it is read
      {u"Setup.exe ab", " | [Setup.exe] [ab]"},
      {u"Setup.exe /a /a", "a=  a= | [Setup.exe]"},
      {u"Setup.exe /A:1 /a:2", "A=1  a=2 | [Setup.exe]"},
      {u"\"C:\\My Dir\\Setup.exe\" \"\" zz", " | [C:\\My Dir\\Setup.exe] [] [zz]"},
      {u"Setup.exe a\"b k\"d ef", " | [Setup.exe] [a\"b] [k\"d] [ef]"},
      {u"C:\\my-dir\\Setup.exe /x", "x= | [C:\\my-dir\\Setup.exe]"},
      {u"C:\\Program Files\\Setup.exe /x", "x= | [C:\\Program] [Files\\Setup.exe]"},
      // An unclosed quote stays in its token.
      {u"Setup.exe \"abc def", " | [Setup.exe] [\"abc] [def]"},
      {u"Setup.exe /v:\"abc def", "v=\"abc | [Setup.exe] [def]"},
      {u"Setup.exe\t/t:1\t", "t=1 | [Setup.exe]"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(sim::Narrow(row.line));
    DFC::DFCArguments arguments(row.line);
    EXPECT_EQ(Tokens(arguments), row.expected);
    EXPECT_EQ(arguments.commandLine(), row.line);
  }
}

// An allocation failure anywhere while the line is read leaves nothing
// behind and reaches the caller.
TEST(Tokenizer, AllocationFailureClearsAndPassesOn) {
  const char16_t* line = u"\"C:\\My Dir\\Setup.exe\" /i:\"D:\\P Q\\S.msi\" /a:b-c /d e \"f g\" h";
  long before = alloc::Made();
  { DFC::DFCArguments whole(line); }
  long allocations = alloc::Made() - before;
  ASSERT_GT(allocations, 10);
  for (long n = 0; n < allocations; ++n) {
    SCOPED_TRACE(n);
    long outstanding = alloc::Outstanding();
    alloc::FailAt(n);
    EXPECT_THROW(DFC::DFCArguments arguments(line), std::bad_alloc);
    alloc::Disarm();
    EXPECT_EQ(alloc::Outstanding(), outstanding);
  }
}

TEST(EntryList, ClearDeletesAndEmpties) {
  long outstanding = alloc::Outstanding();
  {
    DFC::EntryList list;
    for (int i = 0; i < 5; ++i) list.Append(std::make_unique<DFC::ArgumentEntry>());
    EXPECT_EQ(list.Count(), 5u);
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    list.Append(std::make_unique<DFC::ArgumentEntry>());
    EXPECT_THROW(list.At(1), std::out_of_range);
  }
  EXPECT_EQ(alloc::Outstanding(), outstanding);
}

}  // namespace
