// `lindo --version` prints the same version line the About box shows.

#include "cli/version.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

namespace lindo {
namespace {

TEST(VersionOption, PrintsTheVersionLineAlone)
{
    const test::RunResult run = test::RunCommand(test::ShellQuote(LINDO_BINARY) + " --version");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, std::string(kVersionLine) + "\n");
    EXPECT_EQ(run.out, "Lindo Prototype v0.24 build 16\n");
    EXPECT_EQ(run.err, "");
}

TEST(VersionOption, NeedsNoDisplay)
{
    const test::RunResult run =
        test::RunCommand("env -u DISPLAY " + test::ShellQuote(LINDO_BINARY) + " --version");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, std::string(kVersionLine) + "\n");
}

} // namespace
} // namespace lindo
