// The window program's command line: the two optional paths, and usage
// errors that say what is wrong and where to look (--help and --version:
// the sievra_help and sievra_version tests).

#include "ui/qt/command_line.h"

#include <gtest/gtest.h>

namespace sv {
namespace {

using Action = CommandLine::Action;

// "--" lets a file whose name starts with a dash through; "-" is a name too.
TEST(CommandLineTest, NoArgumentsOrBothPathsOpenTheWindow) {
  const struct {
    std::vector<std::string> args;
    std::string mainBase, compared;
  } cases[] = {{{}, "", ""},
               {{"/data/MainBase.dat", "new file.rda"}, "/data/MainBase.dat", "new file.rda"},
               {{"--", "--help", "-"}, "--help", "-"}};
  for (const auto& c : cases) {
    const CommandLine line = parseCommandLine(c.args);
    EXPECT_EQ(line.action, Action::OpenWindow);
    EXPECT_EQ(line.mainBase, c.mainBase);
    EXPECT_EQ(line.compared, c.compared);
  }
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
