// Translation of the program's switches into the installer argument string.
#include "setup/installer_arguments.h"
#include "setup/translate.h"
#include "sim/msiexec.h"
#include "sim_test.h"

namespace {

using Args = std::vector<std::u16string>;

struct Row {
  const char* name;
  Args arguments;
  const char16_t* installerArguments;
  const char16_t* packageArgument;
  const char16_t* patValue;
  bool writable = true;  // false: an argument held a quotation mark, or a path was empty
};

TEST(Translate, Rules) {
  const Row rows[] = {
      {"no arguments", {}, u"", u"", u""},
      {"pat and default log", {u"/PAT:VALUE", u"/log"},
       u" PAT=VALUE /L*v \"dulvinstaller.log\"", u"", u"VALUE"},
      {"package, pat, log path, property",
       {u"/i:C:\\pkg\\p.msi", u"/PAT:VALUE", u"/log:C:\\logs\\s.log", u"TARGETDIR=C:\\T"},
       u" PAT=VALUE /L*v \"C:\\logs\\s.log\" TARGETDIR=C:\\T", u" /i \"C:\\pkg\\p.msi\"", u"VALUE"},
      {"strict removal passed through", {u"/x:Strict", u"/qn"}, u" /x:Strict /qn", u"", u""},
      // msiexec would be handed "" for a file: not writable either.
      {"empty package", {u"/i:"}, u"", u" /i \"\"", u"", false},
      {"empty log path", {u"/log:"}, u" /L*v \"\"", u"", u"", false},
      {"empty package replaced by a later one", {u"/i:", u"/i:p.msi"}, u"", u" /i \"p.msi\"", u""},
      // An empty value is spelled "", so the installer never takes the next piece.
      {"empty then later pat", {u"/PAT:", u"/PAT:x"}, u" PAT=\"\" PAT=x", u"", u"x"},
      {"later empty pat empties the value", {u"/PAT:a", u"/PAT:"}, u" PAT=a PAT=\"\"", u"", u""},
      {"two packages: the last wins", {u"/i:a.msi", u"/i:b.msi"}, u"", u" /i \"b.msi\"", u""},
      {"two logs", {u"/log", u"/log:x.log"},
       u" /L*v \"dulvinstaller.log\" /L*v \"x.log\"", u"", u""},
      {"x colon alone", {u"/x:"}, u" /x:", u"", u""},
      {"capital switches pass through", {u"/X:anything", u"/I:pkg.msi", u"/pat:V", u"/LOG"},
       u" /X:anything /I:pkg.msi /pat:V /LOG", u"", u""},
      // A switch counts only at the start of an argument; inside a value it is passed through.
      {"log inside a property value", {u"/PAT:q", u"INSTALLDIR=C:/logs/Pellworth"},
       u" PAT=q INSTALLDIR=C:/logs/Pellworth", u"", u"q"},
      {"log inside a quoted log argument", {u"/L*V", u"C:/logs/i.log"}, u" /L*V C:/logs/i.log", u"",
       u""},
      {"log inside a word", {u"dia/logue", u"a/log"}, u" dia/logue a/log", u"", u""},
      {"pat inside a value", {u"/PAT:v", u"X=a/PAT:b"}, u" PAT=v X=a/PAT:b", u"", u"v"},
      {"package inside a value", {u"Y=c/i:d"}, u" Y=c/i:d", u"", u""},
      {"removal value inside a property", {u"SERVERURL=http://x:8080/api"},
       u" SERVERURL=http://x:8080/api", u"", u""},
      {"switch after a leading blank", {u" /log"}, u" \" /log\"", u"", u""},
      {"log switch with more letters", {u"/logfile:C:\\x.log"}, u" /L*v \"C:\\x.log\"", u"", u""},
      {"package switch is tested before PAT", {u"/i:x/PAT:y"}, u"", u" /i \"x/PAT:y\"", u""},
      {"tail starts at the first colon", {u"/i:C:\\p.msi"}, u"", u" /i \"C:\\p.msi\"", u""},
      {"pat value with a colon", {u"/PAT:a:b"}, u" PAT=a:b", u"", u"a:b"},
      {"pat value holding /x stays a value", {u"/PAT:a/x"}, u" PAT=a/x", u"", u"a/x"},
      // Arguments with blanks reach the installer as one argument.
      {"property with a blank", {u"INSTALLDIR=C:\\Program Files\\Pellworth"},
       u" INSTALLDIR=\"C:\\Program Files\\Pellworth\"", u"", u""},
      {"property with a tab", {u"A=b\tc"}, u" A=\"b\tc\"", u"", u""},
      {"plain argument with a blank", {u"some thing"}, u" \"some thing\"", u"", u""},
      {"equals after the blank is no property", {u"a b=c"}, u" \"a b=c\"", u"", u""},
      {"empty name is no property", {u"=a b"}, u" \"=a b\"", u"", u""},
      // A quotation mark would open or close a run in msiexec's split: not writable.
      {"property value with quotes", {u"A=\"b c\""}, u" A=\"\"b c\"\"", u"", u"", false},
      {"folder left with a quote by the platform's split",
       {u"INSTALLDIR=C:\\P\" /i x"}, u" INSTALLDIR=\"C:\\P\" /i x\"", u"", u"", false},
      {"log path with a quote", {u"/log:C:\\l\""}, u" /L*v \"C:\\l\"\"", u"", u"", false},
      {"package path with a quote", {u"/i:a\"b"}, u"", u" /i \"a\"b\"", u"", false},
      {"word with a quote", {u"/l*v", u"a\"b"}, u" /l*v a\"b", u"", u"", false},
      // A value ending in a backslash needs no escape: msiexec has none.
      {"folder ending in a backslash", {u"INSTALLDIR=C:\\Program Files\\P\\"},
       u" INSTALLDIR=\"C:\\Program Files\\P\\\"", u"", u""},
      {"empty property value", {u"INSTALLDIR="}, u" INSTALLDIR=\"\"", u"", u""},
      {"pat value with a blank", {u"/PAT:a b"}, u" PAT=\"a b\"", u"", u"a b"},
      {"pat value with blank and equals is quoted whole", {u"/PAT:a=b c"}, u" PAT=\"a=b c\"", u"",
       u"a=b c"},
      {"pat value with a quote", {u"/PAT:a \"b"}, u" PAT=\"a \"b\"", u"", u"a \"b", false},
      // An empty argument (a script's empty variable) reaches msiexec as nothing.
      {"empty arguments", {u"", u"/qn", u""}, u" /qn", u"", u""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Translation t;
    ASSERT_EQ(TranslateArguments(row.arguments, t), RESULT_SUCCESS);
    EXPECT_EQ(t.installerArguments.Text(), row.installerArguments)
        << Show(t.installerArguments.Text());
    EXPECT_EQ(t.packageArgument.Text(), row.packageArgument) << Show(t.packageArgument.Text());
    EXPECT_EQ(t.patValue, row.patValue) << Show(t.patValue);
    EXPECT_EQ(t.installerArguments.Writable() && t.packageArgument.Writable(), row.writable);
  }
}

TEST(Translate, RejectsRemovalValuesOtherThanStrict) {
  for (const char16_t* value : {u"/x:strict", u"/x:STRICT", u"/x:Strict ", u"/x:Strictly",
                                u"/x:Strict:b", u"/x::"}) {
    SCOPED_TRACE(Show(value));
    Translation t;
    EXPECT_EQ(TranslateArguments({u"/PAT:v", value}, t), RESULT_BAD_ARGUMENTS);
  }
}

TEST(Translate, StopsAtTheRejectedArgument) {
  // A later argument would be a second rejection: the first one decides.
  Translation t;
  EXPECT_EQ(TranslateArguments({u"/x:bad", u"/PAT:v"}, t), RESULT_BAD_ARGUMENTS);
  EXPECT_TRUE(t.patValue.empty());
}

// Only a passed-through argument that begins with "/x" is a removal switch,
// and only "/x:Strict" exactly makes it strict.
TEST(Translate, RemovalSwitches) {
  struct Row {
    Args arguments;
    bool removal, strict;
  };
  const Row rows[] = {
      {{u"/x"}, true, false},
      {{u"/x:"}, true, false},
      {{u"/x:Strict"}, true, true},
      {{u"/xanything"}, true, false},
      {{u"/qn", u"/x", u"/x:Strict"}, true, true},
      {{u"INSTALLDIR=C:/xapps/P"}, false, false},
      {{u"/L*V", u"C:/xlog.txt"}, false, false},
      {{u"a/x"}, false, false},
      {{u"X=/x"}, false, false},
      {{u"a/x:Strict"}, false, false},  // the "/x:" rule reads only where the switch is
      {{u" /x"}, false, false},
      {{u"/X"}, false, false},
      // A value or path is never a passed-through argument.
      {{u"/PAT:/x:Strict", u"/log:/x", u"/i:/x.msi"}, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.arguments.size()) + " " + Show(row.arguments[0]));
    Translation t;
    ASSERT_EQ(TranslateArguments(row.arguments, t), RESULT_SUCCESS);
    EXPECT_EQ(t.HasRemovalSwitch(), row.removal);
    EXPECT_EQ(t.IsStrictRemoval(), row.strict);
  }
  Translation t;
  ASSERT_EQ(TranslateArguments({u"/PAT:a/x", u"/log:C:/x", u"/i:C:/x.msi", u"/qn", u"/x:Strict"}, t),
            RESULT_SUCCESS);
  EXPECT_EQ(t.PassedThrough(), (Args{u"/qn", u"/x:Strict"}));
  EXPECT_EQ(TranslateArguments({u"/PAT:v", u"a/x:bad"}, t), RESULT_SUCCESS);
}

// What msiexec accepts after "/i package", argument by argument; anything
// else it answers with its usage window, which nobody can close in session 0.
TEST(InstallerArguments, AcceptsWhatMsiexecDocuments) {
  // The rule each refusal names (the setup check prints it), Rule::None: accepted.
  const std::pair<Args, Rule> rows[] = {
      {{}, Rule::None},
      {{u"INSTALLDIR=C:\\Program Files\\P", u"_x.1=", u"a=b=c", u"Prop=a/x"}, Rule::None},
      {{u"z=1", u"Z_z=1", u"A09=1"}, Rule::None},
      {{u"/norestart", u"/ForceRestart", u"/quiet", u"/QUIET", u"/q", u"/qn", u"/QN"}, Rule::None},
      {{u"", u"A=1", u""}, Rule::None},  // empty arguments are not written
      // A bare word after a property or a display option is refused all the same.
      {{u"A=1", u"a/x"}, Rule::BareWord},
      {{u"/qn", u"a/x"}, Rule::BareWord},
      {{u"/norestart", u"/?"}, Rule::UnknownSwitch},
      // Display and restart options that show a window or a modal box.
      {{u"/qn+"}, Rule::DisplayOption},
      {{u"/qb"}, Rule::DisplayOption},
      {{u"/QB"}, Rule::DisplayOption},
      {{u"/qb+"}, Rule::DisplayOption},
      {{u"/qb-"}, Rule::DisplayOption},
      {{u"/qb!"}, Rule::DisplayOption},
      {{u"/qb+!"}, Rule::DisplayOption},
      {{u"/qr"}, Rule::DisplayOption},
      {{u"/qf"}, Rule::DisplayOption},
      {{u"/qn!"}, Rule::DisplayOption},
      {{u"/passive"}, Rule::DisplayOption},
      {{u"/promptrestart"}, Rule::PromptRestart},
      {{u"/PROMPTRESTART"}, Rule::PromptRestart},
      {{u"/l*v", u"C:\\i.log", u"/LIWEARUCMOPVX+!*", u"x.log", u"/log", u"l", u"/update", u"a.msp;b.msp"}, Rule::None},
      {{u"a/x"}, Rule::BareWord},          // a bare word
      {{u"/?"}, Rule::UnknownSwitch},           // the usage window itself
      {{u"/help"}, Rule::UnknownSwitch},
      {{u"/h"}, Rule::UnknownSwitch},
      {{u"/X"}, Rule::UnknownSwitch},           // a second action
      {{u"/i"}, Rule::UnknownSwitch},
      {{u"/a"}, Rule::UnknownSwitch},
      {{u"-qn"}, Rule::BareWord},          // not a documented form
      {{u"/qnb"}, Rule::DisplayOption},
      {{u"/qb++"}, Rule::DisplayOption},
      {{u"/qb!!"}, Rule::DisplayOption},
      {{u"/lz", u"x.log"}, Rule::UnknownSwitch},
      {{u"/l*v"}, Rule::NoValue},         // a log switch without its file
      {{u"/l*v", u"/qn"}, Rule::NoValue},
      {{u"/update", u""}, Rule::NoValue},
      {{u"/l*v", u"", u"A=1"}, Rule::NoValue},  // an empty value is no value, nor is the next one
      {{u"1X=1"}, Rule::BareWord},         // a property name starts with a letter or "_"
      {{u"=1"}, Rule::BareWord},
      {{u"A-B=1"}, Rule::BareWord},
      {{u"AB-C=1"}, Rule::BareWord},
      {{u"/qx"}, Rule::UnknownSwitch},
      {{u"/h", u"x.log"}, Rule::UnknownSwitch},  // only a logging or update switch takes a value
      {{u"\u00c4=1"}, Rule::BareWord},      // ASCII letters only
      {{u"/"}, Rule::UnknownSwitch},
  };
  for (const auto& [arguments, rule] : rows) {
    SCOPED_TRACE(arguments.empty() ? std::string("none") : Show(arguments.back()));
    std::vector<MeantArgument> passed;
    for (const std::u16string& argument : arguments) passed.push_back({argument, false});
    EXPECT_EQ(InstallerAccepts(passed), rule == Rule::None);
    EXPECT_EQ(InstallerRefusal(passed).rule, rule);
  }
}

// The simulated msiexec's split, which the installer's command line is held
// to: quotation marks group and vanish, a doubled one inside a run is one, a
// backslash is an ordinary character.
TEST(MsiexecModel, Split) {
  const std::pair<const char16_t*, Args> rows[] = {
      {u"", {}},
      {u"  /i  \"C:\\Program Files\\P\\\"  /quiet ", {u"/i", u"C:\\Program Files\\P\\", u"/quiet"}},
      {u" A=\"\" B=\"x \"\"y\"\"\"", {u"A=", u"B=x \"y\""}},
      {u" A=\"b\"c\td", {u"A=bc", u"d"}},
      {u" A=\\\"b c\" d", {u"A=\\b c", u"d"}},
      {u" \"\"", {u""}},
      {u" \"open run", {u"open run"}},
  };
  for (const auto& [line, words] : rows) {
    SCOPED_TRACE(Show(line));
    EXPECT_EQ(sim::SplitMsiexecLine(line), words);
  }
  // The line the platform's split left a stray quotation mark in: msiexec
  // reads the package piece into a bare word.
  const char16_t* stray = u" INSTALLDIR=C:\\P\" /i \"p.msi\" /quiet";
  EXPECT_TRUE(sim::MsiexecShowsUsage(stray));
  EXPECT_FALSE(sim::MsiexecShowsUsage(u" INSTALLDIR=\"C:\\P\\\" /i \"p.msi\" /quiet"));
  for (const char16_t* box : {u" /i p /qn+", u" /i p /qb- /quiet", u" /i p /passive", u" /i p /promptrestart /quiet"})
    EXPECT_TRUE(sim::MsiexecShowsModalBox(box)) << Show(box);
  EXPECT_FALSE(sim::MsiexecShowsModalBox(u" /L*v /qf /i p /qn /norestart"));  // a log named /qf
}

class TranslateCommandLineTest : public SimTest {};

// The platform splits the command line: quotes are gone before the rules run,
// and the program's own path is skipped. The vector is given back.
TEST_F(TranslateCommandLineTest, ReadsTheProcessCommandLine) {
  machine.commandLine =
      u"\"C:\\Users\\a b\\Setup.exe\" /PAT:\"x y\" \"INSTALLDIR=C:\\Program Files\\P\" /log";
  Translation t;
  ASSERT_EQ(TranslateCommandLine(t), RESULT_SUCCESS);
  EXPECT_EQ(t.installerArguments.Text(),
            u" PAT=\"x y\" INSTALLDIR=\"C:\\Program Files\\P\" /L*v \"dulvinstaller.log\"");
  EXPECT_EQ(t.patValue, u"x y");
  EXPECT_EQ(faults.CallCount(win::Call::LocalFree), 1);
}

TEST_F(TranslateCommandLineTest, RejectionStillGivesTheVectorBack) {
  CommandLine(u"/x:no /PAT:1");
  Translation t;
  EXPECT_EQ(TranslateCommandLine(t), RESULT_BAD_ARGUMENTS);
  EXPECT_EQ(faults.CallCount(win::Call::LocalFree), 1);
}

TEST_F(TranslateCommandLineTest, NoVectorMeansNoArguments) {
  faults.Inject({win::Call::CommandLineToArgvW});
  CommandLine(u"/PAT:1 /log");
  Translation t;
  EXPECT_EQ(TranslateCommandLine(t), RESULT_SUCCESS);
  EXPECT_EQ(t.installerArguments.Text(), u"");
  EXPECT_EQ(t.patValue, u"");
  EXPECT_EQ(faults.CallCount(win::Call::LocalFree), 0);
}

}  // namespace
