// The window program's command line: the two optional paths, GNU --help and
// --version, and usage errors that say what is wrong and where to look.

#include "ui/qt/command_line.h"

#include <gtest/gtest.h>

namespace sv {
namespace {

using Action = CommandLine::Action;

TEST(CommandLineTest, NoArgumentsOrBothPathsOpenTheWindow) {
  const CommandLine none = parseCommandLine({});
  EXPECT_EQ(none.action, Action::OpenWindow);
  EXPECT_TRUE(none.mainBase.empty());
  EXPECT_TRUE(none.compared.empty());

  const CommandLine both = parseCommandLine({"/data/MainBase.dat", "new file.rda"});
  EXPECT_EQ(both.action, Action::OpenWindow);
  EXPECT_EQ(both.mainBase, "/data/MainBase.dat");
  EXPECT_EQ(both.compared, "new file.rda");

  // "--" lets a file whose name starts with a dash through; "-" is a name too.
  const CommandLine dashed = parseCommandLine({"--", "--help", "-"});
  EXPECT_EQ(dashed.action, Action::OpenWindow);
  EXPECT_EQ(dashed.mainBase, "--help");
  EXPECT_EQ(dashed.compared, "-");
}

TEST(CommandLineTest, HelpAndVersionGoToStandardOutputAndSucceed) {
  const CommandLine help = parseCommandLine({"--help"});
  EXPECT_EQ(help.action, Action::PrintAndExit);
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: sievra [MAINBASE COMPARED]\n", 0), 0u) << help.out;
  EXPECT_NE(help.out.find("--version"), std::string::npos);
  EXPECT_TRUE(help.err.empty());

  // The first one wins, as with GNU tools: paths before it are not looked at.
  const CommandLine version = parseCommandLine({"only-one", "--version", "--help"});
  EXPECT_EQ(version.action, Action::PrintAndExit);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("sievra (VARNOK Sievra) 1.00\n", 0), 0u) << version.out;
  EXPECT_TRUE(version.err.empty());
}

TEST(CommandLineTest, UsageErrorsNameTheProblemOnStandardErrorWithStatusTwo) {
  const struct {
    std::vector<std::string> args;
    const char* firstLine;
  } cases[] = {
      {{"--verbose"}, "sievra: unrecognized option '--verbose'"},
      {{"-x", "a", "b"}, "sievra: invalid option -- 'x'"},
      {{"MainBase.dat"}, "sievra: COMPARED is missing after 'MainBase.dat'"},
      {{"a", "b", "c"}, "sievra: extra operand 'c'"},
      {{"", "new.rda"}, "sievra: a file name is empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.firstLine);
    const CommandLine line = parseCommandLine(c.args);
    EXPECT_EQ(line.action, Action::PrintAndExit);
    EXPECT_EQ(line.status, 2);
    EXPECT_TRUE(line.out.empty());
    EXPECT_EQ(line.err, std::string(c.firstLine) + "\nTry 'sievra --help' for more information.\n");
    EXPECT_TRUE(line.mainBase.empty() && line.compared.empty());
  }
}

}  // namespace
}  // namespace sv
