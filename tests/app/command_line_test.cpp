// The command-line launch in-process: which first arguments select a tuner, the
// argument string the player gets, and which entry a selector picks.
#include "app/app.h"
#include "devices/device_list.h"
#include "player/player_log.h"
#include "settings/settings.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

struct SelectorCase {
    const wchar_t* argument;
    bool selects;
    int type;
    int ordinal;
};

TEST(TunerSelector, ParsesPrefixAndNumberLikeTheStandardLibrary)
{
    const SelectorCase cases[] = {
        {L"-t0", true, TunerType::Terrestrial, 0},
        {L"-s1", true, TunerType::Satellite, 1},
        {L"-t01", true, TunerType::Terrestrial, 1},
        {L"-t010", true, TunerType::Terrestrial, 10},  // decimal, never octal
        {L"-t0x1", true, TunerType::Terrestrial, 0},   // or hexadecimal
        {L"-tx", true, TunerType::Terrestrial, 0},     // no digits reads as 0
        {L"-t-1", true, TunerType::Terrestrial, -1},   // selects, but matches no tuner
        {L"-t 1", true, TunerType::Terrestrial, 1},    // leading blanks are skipped
        {L"-t+2", true, TunerType::Terrestrial, 2},
        {L"-s12abc", true, TunerType::Satellite, 12},
        {L"-t99999999999", true, TunerType::Terrestrial, 2147483647},  // saturates, no wrap
        {L"-t", false, 0, 0},
        {L"-s", false, 0, 0},
        {L"-T0", false, 0, 0},
        {L"/t0", false, 0, 0},
        {L"t0", false, 0, 0},
        {L"--t0", false, 0, 0},
        {L"", false, 0, 0},
        {L"C:\\Zentrobe\\Zentrobe.exe", false, 0, 0},
        // "1" after an ideographic space: wcstol skips any white space.
        {L"-s\u3000\u0031", true, TunerType::Satellite, 1},
    };
    for (const SelectorCase& c : cases) {
        int type = -7, ordinal = -7;
        const bool selects = ParseTunerSelector(c.argument, type, ordinal);
        SCOPED_TRACE(testing::Message()
                     << "argument " << std::string(c.argument, c.argument + wcslen(c.argument)));
        EXPECT_EQ(selects, c.selects);
        if (selects && c.selects) {
            EXPECT_EQ(type, c.type);
            EXPECT_EQ(ordinal, c.ordinal);
        }
    }
}

TEST(SplitCommandLine, AgreesWithThePlatformSplitter)
{
    const wchar_t* cases[] = {
        L"-t0",
        L"-s1 x",
        L"-t0 x y",
        L"-t0  x\ty ",
        L"\"-t 1\"",
        L"\"-t 1\"x y",
        L"\"-t0",
        L"-t0 \"a b\" c",
        L"-t0 a\\b c\\\\",
        L"-t0 \\\"x\\\"",
        L"-t0 \\\\\"x y\\\\\"",
        L"-t0 \"\"",
        L"-t0 \"\"\"",
        L"-t0 \"\"\"\"",
        L"-t0 \"a\"\"b\"",
        L"-t0 \"a\"\"\"b c\" d",
        L"-t0 a\"b c\"d e",
        L"-t0 \"unterminated arg",
        L"a\\\"b -t0",
        L"-t0\tx",
        L"-t0\u3000x y",
        L"-t0 \u30c6\u30ec\u30d3 \"\u653e \u9001\"",
        L"/t0",
        L" -t0",
        L"\t-t0",
    };
    for (const wchar_t* commandLine : cases) {
        const ArgumentList ours = SplitCommandLine(commandLine),
                           platform = PlatformSplit(commandLine);
        std::vector<std::string> a, b;
        for (const std::wstring& x : ours) a.push_back(Narrow(x));
        for (const std::wstring& x : platform) b.push_back(Narrow(x));
        EXPECT_EQ(a, b) << "for " << Narrow(commandLine);
    }
    // Started without arguments: the executable's path, which selects nothing.
    EXPECT_EQ(SplitCommandLine(L""), PlatformSplit(L""));
    int type = 0, ordinal = 0;
    EXPECT_FALSE(ParseTunerSelector(SplitCommandLine(L"").at(0), type, ordinal));
}

struct ArgumentCase {
    int index;
    const wchar_t* extra;
    ArgumentList arguments;  // as split, the selector first
    const wchar_t* expected;
};

TEST(CommandLineArguments, OptionThenExtraParametersThenFurtherArgumentsTrimmed)
{
    const ArgumentCase cases[] = {
        {2, L"", {L"-t0"}, L"-o 2"},
        {2, L"-a", {L"-t0"}, L"-o 2 -a"},
        {2, L"", {L"-t0", L"x", L"y"}, L"-o 2  x y"},
        {2, L"-a", {L"-t0", L"x", L"y"}, L"-o 2 -a x y"},
        {0, L"", {L"-s1", L"two words"}, L"-o 0  two words"},  // no quotes are added
        {5, L"-a   ", {L"-t0"}, L"-o 5 -a"},                   // trailing blanks go...
        {5, L"-a   ", {L"-t0", L"x"}, L"-o 5 -a    x"},        // ...unless more follows
        {3, L"-a\t", {L"-t0"}, L"-o 3 -a\t"},                  // only spaces are trimmed
        {1, L"", {L"-t0", L"", L""}, L"-o 1"},
        {-1, L"", {L"-t0"}, L"-o -1"},
        {12, L"\"q r\"", {L"-t0", L"\"z\""}, L"-o 12 \"q r\" \"z\""},
    };
    for (const ArgumentCase& c : cases) {
        EXPECT_EQ(BuildCommandLineArguments(c.index, c.extra, c.arguments),
                  std::wstring(c.expected));
    }
}

// Runs the launch with a real substitute player and returns what it was started with.
class CommandLineLaunch : public testing::Test {
protected:
    void SetUp() override
    {
        folder = FreshFolder(L"command_line_launch");
        log = folder + L"\\player.log";
        g_launcherSettings = LauncherSettings{PlayerExe(), PlayerExe(), L"", L""};
        // White, Black, White (in use), gap, Unknown, Black
        g_deviceList = {MakeEntry(0, 0, TunerType::Terrestrial),
                        MakeEntry(1, 0, TunerType::Satellite),
                        MakeEntry(2, 1, TunerType::Terrestrial, 1),
                        MakeEntry(4, 0, TunerType::Unknown), MakeEntry(5, 1, TunerType::Satellite)};
    }
    void TearDown() override
    {
        g_deviceList.clear();
        g_arguments.clear();
    }

    int Launch(const ArgumentList& arguments)
    {
        g_arguments = arguments;
        ScopedEnvironment logTo(kPlayerLogVariable, log);
        ScopedEnvironment closeSoon(kPlayerLifetimeVariable, L"3000");
        return LaunchFromCommandLine();
    }

    std::wstring folder, log;
};

TEST_F(CommandLineLaunch, SelectsByTypeAndOrdinalAndPassesTheIndex)
{
    struct Case {
        ArgumentList arguments;
        const wchar_t* expectedArguments;  // after the quoted player path
    } cases[] = {
        {{L"-s1", L"x"}, L"-o 5  x"},  // second Black, past a White and a gap
        {{L"-t1"}, L"-o 2"},           // in use, launched again
        {{L"-t0"}, L"-o 0"},
    };
    for (const Case& c : cases) {
        DeleteFileW(log.c_str());
        EXPECT_EQ(Launch(c.arguments), 1);
        const std::vector<PlayerStart> starts = ReadPlayerLog(log);
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts[0].commandLine, L"\"" + PlayerExe() + L"\" " + c.expectedArguments);
    }
}

TEST_F(CommandLineLaunch, NothingSelectedMeansNoLaunch)
{
    const ArgumentList cases[] = {
        {L"-t2"}, {L"-s2"}, {L"-t-1"}, {L"-T0"}, {L"/t0"}, {L"-t"}, {L"x", L"-t0"}, {},
    };
    for (const auto& arguments : cases) EXPECT_EQ(Launch(arguments), 0);
    EXPECT_TRUE(ReadPlayerLog(log).empty());
}

TEST_F(CommandLineLaunch, AMatchWhoseLaunchFailsStillCountsAsHandled)
{
    g_launcherSettings.whitePath = folder + L"\\missing\\FriioView.exe";
    EXPECT_EQ(Launch({L"-t0"}), 1);
    EXPECT_TRUE(ReadPlayerLog(log).empty());
}

}  // namespace
