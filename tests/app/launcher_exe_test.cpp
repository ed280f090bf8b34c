// The shipped Zentrobe.exe end to end, on the command line: which first
// arguments launch which tuner with which arguments, and which show the
// window instead; copied into a folder of its own with the substitute player
// as its default player, over simulated tuners.
#include "player/player_log.h"
#include "res/resource.h"
#include "support/launcher_run.h"

#include <gtest/gtest.h>

namespace {

// White, Black, (refuses), White, Black: Whites have indexes 0 and 3, Blacks 1 and 4.
const std::vector<std::wstring> kMixedTuners = {L"F4", L"0A", L"refuse", L"F4", L"0A"};

struct LaunchCase {
    const char* what;
    std::string ini;  // the settings file before the run (ANSI), or empty for none
    std::wstring arguments;
    const wchar_t* expected;  // the player's arguments, or null when nothing may start
};

TEST(CommandLineExe, LaunchesTheSelectedTuner)
{
    InstallSimulatedTuners(kMixedTuners);
    const LaunchCase cases[] = {
        {"-t0", "", L"-t0", L"-o 0"},
        {"-t0 with whiteParam", "[White]\r\nParam=-a\r\n", L"-t0", L"-o 0 -a"},
        {"-t0 x y", "", L"-t0 x y", L"-o 0  x y"},
        {"-t0 x y with whiteParam", "[White]\r\nParam=-a\r\n", L"-t0 x y", L"-o 0 -a x y"},
        {"second Black past a White and a gap", "", L"-s1 x", L"-o 4  x"},
        {"blackParam for Black", "[Black]\r\nParam=-b\r\n[White]\r\nParam=-a\r\n", L"-s0",
         L"-o 1 -b"},
        {"-t01", "", L"-t01", L"-o 3"},
        {"-tx reads as 0", "", L"-tx", L"-o 0"},
        {"one quoted argument \"-t 1\"", "", L"\"-t 1\"", L"-o 3"},
        {"an argument with a blank arrives split", "", L"-t0 \"a b\" c", L"-o 0  a b c"},
        {"trailing blanks of whiteParam trimmed", "[White]\r\nParam=\"-a  \"\r\n", L"-t0",
         L"-o 0 -a"},
        {"...but kept before further arguments", "[White]\r\nParam=\"-a  \"\r\n", L"-t0 x",
         L"-o 0 -a   x"},
    };
    for (const LaunchCase& c : cases) {
        SCOPED_TRACE(c.what);
        const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_launch");
        if (!c.ini.empty()) WriteFileBytes(launcher.settings, c.ini);
        const LauncherRun run = RunLauncherExe(launcher, c.arguments);
        ASSERT_TRUE(run.process.finished) << Describe(run);
        EXPECT_EQ(run.process.exitCode, 0u);
        EXPECT_FALSE(run.windowShown);
        const std::vector<PlayerStart> starts = ReadPlayerLog(launcher.log);
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(Narrow(ArgumentsOf(starts[0], launcher.player)), Narrow(c.expected));
        EXPECT_EQ(starts[0].workingDirectory, launcher.folder);
        ExpectSettingsFileWritten(launcher);
    }
}

TEST(CommandLineExe, SelectorsThatSelectNothingOpenTheWindowInstead)
{
    InstallSimulatedTuners(kMixedTuners);
    for (const wchar_t* arguments : {L"-T0", L"/t0", L"-t", L"-t-1", L"-t2", L"-s9 x", L"x -t0"}) {
        SCOPED_TRACE(Narrow(arguments));
        const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_no_selection");
        const LauncherRun run = RunLauncherExe(launcher, arguments);
        ASSERT_TRUE(run.process.finished) << Describe(run);
        EXPECT_EQ(run.process.exitCode, 0u);
        EXPECT_TRUE(run.windowShown);
        EXPECT_TRUE(ReadPlayerLog(launcher.log).empty());
        ExpectSettingsFileWritten(launcher);
    }
}

// "-t" names a White tuner and "-s" a Black one, so no selector reaches a
// tuner of unknown model: with only such tuners the window shows instead.
TEST(CommandLineExe, NoSelectorReachesAnUnknownTuner)
{
    InstallSimulatedTuners({L"00", L"7E"});
    for (const wchar_t* arguments : {L"-t0", L"-s0", L"-t1"}) {
        SCOPED_TRACE(Narrow(arguments));
        const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_unknown");
        const LauncherRun run = RunLauncherExe(launcher, arguments);
        ASSERT_TRUE(run.process.finished) << Describe(run);
        EXPECT_TRUE(run.windowShown);
        EXPECT_EQ(run.process.exitCode, 0u);
        EXPECT_TRUE(ReadPlayerLog(launcher.log).empty());
    }
}

TEST(RunSequenceExe, AStartWithoutArgumentsShowsTheWindowAndWritesDefaults)
{
    InstallSimulatedTuners({L"F4", L"0A"});
    const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_no_arguments");
    const LauncherRun run = RunLauncherExe(launcher, L"");
    ASSERT_TRUE(run.process.finished) << Describe(run);
    EXPECT_TRUE(run.windowShown);
    EXPECT_EQ(run.process.exitCode, 0u);
    const std::wstring expected = L"[Black]\r\nPath=" + launcher.player +
                                  L"\r\nParam=\r\n[White]\r\nPath=" + launcher.player +
                                  L"\r\nParam=\r\n";
    EXPECT_EQ(Narrow(ReadFileText(launcher.settings)), Narrow(expected));
}

// An argument as typed on the command line and as the player should get it.
struct Token {
    std::wstring typed;
    std::wstring received;
};
const Token kTokens[] = {
    {L"\u30c6\u30ec\u30d3", L"\u30c6\u30ec\u30d3"},
    {L"\U0001F4FA\U0001F680", L"\U0001F4FA\U0001F680"},
    {L"\"\"", L""},
    {L"a\\\"b", L"a\"b"},
    {L"\"x y\"", L"x y"},  // one argument, but it reaches the player as two words
    {L"\"\u653e\u9001 \U00020B9F\"", L"\u653e\u9001 \U00020B9F"},
    {L"--k=\"v\"", L"--k=v"},
};

// "-t0" then tokens until the whole launcher command line is totalLength long
// (padded with plain characters); expected is what the player should receive
// after "-o 0 " + extra + " ".
struct BuiltLine {
    std::wstring arguments;
    std::wstring expectedTail;
};
BuiltLine BuildLine(const LauncherFolder& launcher, size_t totalLength)
{
    const size_t fixed = launcher.exe.size() + 3;  // quotes and the blank after them
    BuiltLine line{L"-t0", L""};
    for (size_t i = 0;; ++i) {
        const Token& t = kTokens[i % (sizeof(kTokens) / sizeof(kTokens[0]))];
        if (fixed + line.arguments.size() + 1 + t.typed.size() + 2 > totalLength) break;
        line.arguments += L" " + t.typed;
        line.expectedTail += t.received + L" ";
    }
    const size_t pad = totalLength - fixed - line.arguments.size() - 1;
    line.arguments += L" " + std::wstring(pad, L'p');
    line.expectedTail += std::wstring(pad, L'p');
    return line;
}

TEST(CommandLineExe, ExtremeCommandLinesLaunchTheRightTunerWithEveryArgument)
{
    InstallSimulatedTuners({L"F4", L"0A"});
    const LauncherFolder probe = PrepareLauncherFolder(L"hostile_cmdline");
    const BuiltLine near32k = BuildLine(probe, 32000);
    const BuiltLine atLimit =
        BuildLine(probe, kCommandLineLimit - 300);  // the player's line still fits

    std::wstring twoThousand = L"-t0", twoThousandExpected;
    for (int i = 0; i < 2000; ++i) {
        twoThousand += L" a" + std::to_wstring(i);
        twoThousandExpected += L"a" + std::to_wstring(i) + L" ";
    }
    twoThousandExpected.pop_back();

    const std::wstring japaneseParam = L"-n \u5730\u4e0a\u6ce2 \U0001F4FA";
    const struct Case {
        const char* what;
        std::wstring whiteParam;
        std::wstring arguments;
        std::wstring expected;
    } cases[] = {
        {"32,000-character command line", L"", near32k.arguments, L"-o 0  " + near32k.expectedTail},
        {"command line 300 short of the limit", L"", atLimit.arguments,
         L"-o 0  " + atLimit.expectedTail},
        {"2,000 arguments", L"", twoThousand, L"-o 0  " + twoThousandExpected},
        {"empty quoted arguments", L"", L"-t0 \"\" \"\" x \"\"", L"-o 0    x"},
        {"embedded quotes", L"", L"-t0 a\\\"b \"c\\\"d\" \\\\\"e f\"", L"-o 0  a\"b c\"d \\e f"},
        {"Japanese and surrogate pairs in whiteParam and arguments", japaneseParam,
         L"-t0 \u30c6\u30ec\u30d3 \U0001F680",
         L"-o 0 " + japaneseParam + L" \u30c6\u30ec\u30d3 \U0001F680"},
        {"quoted selector with a surrogate pair", L"", L"\"-s0\" \U00020B9F", L"-o 1  \U00020B9F"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LauncherFolder launcher = PrepareLauncherFolder(L"hostile_cmdline");
        if (!c.whiteParam.empty())
            WriteFileBytes(launcher.settings,
                           Utf16File(L"[White]\r\nParam=" + c.whiteParam + L"\r\n"));
        const LauncherRun run = RunLauncherExe(launcher, c.arguments);
        ASSERT_TRUE(run.process.started);
        ASSERT_TRUE(run.process.finished) << Describe(run);
        EXPECT_EQ(run.process.exitCode, 0u);
        EXPECT_FALSE(run.windowShown);
        const std::vector<PlayerStart> starts = ReadPlayerLog(launcher.log);
        ASSERT_EQ(starts.size(), 1u);
        const std::wstring received = ArgumentsOf(starts[0], launcher.player);
        EXPECT_EQ(received.size(), c.expected.size());
        EXPECT_EQ(Narrow(received), Narrow(c.expected));
        ExpectSettingsFileWritten(launcher);
    }
}

TEST(CommandLineExe, ExtremeCommandLinesThatSelectNothingShowTheWindow)
{
    InstallSimulatedTuners({L"F4", L"0A"});
    const struct Case {
        const char* what;
        std::wstring arguments;
    } cases[] = {
        {"an empty quoted first argument", L"\"\" -t0"},
        {"a 32,000-character first argument", std::wstring(32000, L'x')},
        {"a selector of 30,000 nines", L"-t" + std::wstring(30000, L'9')},
        {"2,000 empty quoted arguments",
         [] {
             std::wstring s;
             for (int i = 0; i < 2000; ++i) s += L"\"\" ";
             return s;
         }()},
        {"a surrogate pair where the selector's letter is", L"-\U0001F4FA0 x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LauncherFolder launcher = PrepareLauncherFolder(L"hostile_cmdline_window");
        const LauncherRun run = RunLauncherExe(launcher, c.arguments);
        ASSERT_TRUE(run.process.started);
        ASSERT_TRUE(run.process.finished) << Describe(run);
        EXPECT_EQ(run.process.exitCode, 0u);
        EXPECT_TRUE(run.windowShown);
        EXPECT_TRUE(ReadPlayerLog(launcher.log).empty());
        ExpectSettingsFileWritten(launcher);
    }
}

}  // namespace
