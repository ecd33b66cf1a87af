// Translation of the program's switches into the installer argument string.
#include "setup/installer_arguments.h"
#include "setup/translate.h"
#include "sim_test.h"

namespace {

using Args = std::vector<std::u16string>;

struct Row {
  const char* name;
  Args arguments;
  const char16_t* installerArguments;
  const char16_t* packageArgument;
  const char16_t* patValue;
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
      {"empty package", {u"/i:"}, u"", u" /i \"\"", u""},
      {"empty log path", {u"/log:"}, u" /L*v \"\"", u"", u""},
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
      {"argument with a quote stays as delivered", {u"A=\"b c\""}, u" A=\"b c\"", u"", u""},
      {"pat value with a blank", {u"/PAT:a b"}, u" PAT=\"a b\"", u"", u"a b"},
      {"pat value with blank and equals is quoted whole", {u"/PAT:a=b c"}, u" PAT=\"a=b c\"", u"",
       u"a=b c"},
      {"pat value with a quote stays", {u"/PAT:a \"b"}, u" PAT=a \"b", u"", u"a \"b"},
      {"empty argument", {u""}, u" ", u"", u""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Translation t;
    ASSERT_EQ(TranslateArguments(row.arguments, t), RESULT_SUCCESS);
    EXPECT_EQ(t.installerArguments, row.installerArguments) << Show(t.installerArguments);
    EXPECT_EQ(t.packageArgument, row.packageArgument) << Show(t.packageArgument);
    EXPECT_EQ(t.patValue, row.patValue) << Show(t.patValue);
  }
}

TEST(Translate, RejectsRemovalValuesOtherThanStrict) {
  for (const char16_t* value : {u"/x:strict", u"/x:STRICT", u"/x:Strict ", u"/x:Strictly",
                                u"a/x:Strict:b"}) {
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
      {{u"a/x:Strict"}, false, false},  // accepted by the "/x:" rule, yet no removal
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
  EXPECT_EQ(t.passedThrough, (Args{u"/qn", u"/x:Strict"}));
  EXPECT_EQ(TranslateArguments({u"/PAT:v", u"a/x:bad"}, t), RESULT_BAD_ARGUMENTS);
}

// What msiexec accepts after "/i package", argument by argument; anything
// else it answers with its usage window, which nobody can close in session 0.
TEST(InstallerArguments, AcceptsWhatMsiexecDocuments) {
  const std::pair<Args, bool> rows[] = {
      {{}, true},
      {{u"INSTALLDIR=C:\\Program Files\\P", u"_x.1=", u"a=b=c", u"Prop=a/x"}, true},
      {{u"z=1", u"Z_z=1", u"A09=1"}, true},
      {{u"/norestart", u"/PROMPTRESTART", u"/ForceRestart", u"/quiet", u"/passive"}, true},
      {{u"/q", u"/qn", u"/QB", u"/qr", u"/qf", u"/qn+", u"/qb-", u"/qb!", u"/qb+!", u"/qb!-"}, true},
      {{u"/l*v", u"C:\\i.log", u"/LIWEARUCMOPVX+!*", u"x.log", u"/log", u"l", u"/update", u"a.msp;b.msp"}, true},
      {{u"a/x"}, false},          // a bare word
      {{u"/?"}, false},           // the usage window itself
      {{u"/help"}, false},
      {{u"/h"}, false},
      {{u"/X"}, false},           // a second action
      {{u"/i"}, false},
      {{u"/a"}, false},
      {{u"-qn"}, false},          // not a documented form
      {{u"/qnb"}, false},
      {{u"/qb++"}, false},
      {{u"/qb!!"}, false},
      {{u"/lz", u"x.log"}, false},
      {{u"/l*v"}, false},         // a log switch without its file
      {{u"/l*v", u"/qn"}, false},
      {{u"/update", u""}, false},
      {{u"1X=1"}, false},         // a property name starts with a letter or "_"
      {{u"=1"}, false},
      {{u"A-B=1"}, false},
      {{u"AB-C=1"}, false},
      {{u"/qx"}, false},
      {{u"/h", u"x.log"}, false},  // only a logging or update switch takes a value
      {{u"\u00c4=1"}, false},      // ASCII letters only
      {{u"/"}, false},
      {{u""}, false},
  };
  for (const auto& [arguments, accepted] : rows) {
    SCOPED_TRACE(arguments.empty() ? std::string("none") : Show(arguments.back()));
    EXPECT_EQ(InstallerAccepts(arguments), accepted);
  }
}

class TranslateCommandLineTest : public SimTest {};

// The platform splits the command line: quotes are gone before the rules run,
// and the program's own path is skipped. The vector is given back.
TEST_F(TranslateCommandLineTest, ReadsTheProcessCommandLine) {
  machine.commandLine =
      u"\"C:\\Users\\a b\\Setup.exe\" /PAT:\"x y\" \"INSTALLDIR=C:\\Program Files\\P\" /log";
  Translation t;
  ASSERT_EQ(TranslateCommandLine(t), RESULT_SUCCESS);
  EXPECT_EQ(t.installerArguments,
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
  EXPECT_EQ(t.installerArguments, u"");
  EXPECT_EQ(t.patValue, u"");
  EXPECT_EQ(faults.CallCount(win::Call::LocalFree), 0);
}

}  // namespace
