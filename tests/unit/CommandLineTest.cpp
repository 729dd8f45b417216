#include <string>
#include <vector>

#include "framework/CommandLineInfo.h"
#include "tests/unit/LauncherFixture.h"

namespace {

std::vector<std::string> Split(const char* commandLine)
{
    CommandLineArguments arguments(commandLine);
    std::vector<std::string> found;
    char buffer[64];
    while (arguments.Next(buffer, sizeof buffer))
        found.emplace_back(buffer);
    return found;
}

} // namespace

TEST(CommandLineArguments, SplitsByTheRuntimeRules)
{
    struct Case {
        const char* commandLine;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        // command line                           arguments after the program name
        {"Setup.exe", {}},
        {"\"C:\\Driver Setup\\Setup.exe\" silence", {"silence"}},
        {"C:\\media\\Setup.exe   a \t b", {"a", "b"}},
        {"Setup.exe \"two words\" x", {"two words", "x"}},
        {"Setup.exe a\\\\\"b c\"", {"a\\b c"}},     // 2n backslashes: n, quote opens
        {"Setup.exe a\\\"b", {"a\"b"}},            // 2n+1: n and a literal quote
        {"Setup.exe \"a\"\"b\"", {"a\"b"}},        // "" inside quotes
        {"Setup.exe a\\b\\", {"a\\b\\"}},          // backslashes without a quote stay
        {"Setup.exe \"\" silence", {"", "silence"}},
        {"\"unterminated program", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Split(c.commandLine), c.arguments) << c.commandLine;
}

TEST(CommandLineArguments, CutsALongArgumentToTheBufferAndGoesOn)
{
    const std::string commandLine = "Setup.exe " + std::string(100, 'x') + " next";
    CommandLineArguments arguments(commandLine.c_str());
    char buffer[8];
    ASSERT_TRUE(arguments.Next(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "xxxxxxx");
    ASSERT_TRUE(arguments.Next(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "next");
    EXPECT_FALSE(arguments.Next(buffer, sizeof buffer));
}

TEST_F(LauncherTest, SilentModeComesFromTheWholeFirstPlainArgument)
{
    struct Case {
        const char* arguments;
        std::int32_t silent;
    };
    const Case cases[] = {
        // arguments           Silent
        {"silence", 1},
        {"SILENCE", 1},
        {"Silence", 1},
        {"\"silence\"", 1},
        {"silenced", 0},
        {"silenc", 0},
        {"/silence", 0},
        {"-silence", 0},
        {"/x silence", 1},   // a switch is not a plain argument
        {"foo silence", 0},  // only the first plain argument counts
        {"", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunLauncher(c.arguments).Silent, c.silent) << c.arguments;
    }
}

TEST_F(LauncherTest, SilenceModeKeyCountsOnlyWithoutTheWord)
{
    WriteSettings("[Const]\nSilenceMode=3\n");
    EXPECT_EQ(RunLauncher().Silent, 3);

    WriteSettings("[Const]\nSilenceMode=0\n");
    EXPECT_EQ(RunLauncher("silence").Silent, 1);
}
