// The shipped Zentrobe.exe end to end: copied into a folder of its own with the
// substitute player as its default player, over simulated tuners.
#include "player/player_log.h"
#include "support/launcher_run.h"

#include <gtest/gtest.h>

namespace {

// The arguments a player received: its command line after the quoted path.
std::wstring ArgumentsOf(const PlayerStart& start, const std::wstring& playerPath)
{
    const std::wstring prefix = L"\"" + playerPath + L"\" ";
    if (start.commandLine.compare(0, prefix.size(), prefix) != 0) return L"<unexpected> " + start.commandLine;
    return start.commandLine.substr(prefix.size());
}

void ExpectSettingsFileWritten(const LauncherFolder& launcher)
{
    const std::wstring text = ReadFileText(launcher.settings);
    EXPECT_NE(text.find(L"[White]"), std::wstring::npos) << Narrow(text);
    EXPECT_NE(text.find(L"[Black]"), std::wstring::npos) << Narrow(text);
}

// White, Black, (refuses), White, Black: Whites have indexes 0 and 3, Blacks 1 and 4.
const std::vector<std::wstring> kMixedTuners = {L"F4", L"0A", L"refuse", L"F4", L"0A"};

struct LaunchCase {
    const char* what;
    std::string ini;  // the settings file before the run (ANSI), or empty for none
    std::wstring arguments;
    const wchar_t* expected;  // the player's arguments, or null when nothing may start
};

TEST(LauncherExe, CommandLineLaunchesTheSelectedTuner)
{
    InstallSimulatedTuners(kMixedTuners);
    const LaunchCase cases[] = {
        {"-t0", "", L"-t0", L"-o 0"},
        {"-t0 with whiteParam", "[White]\r\nParam=-a\r\n", L"-t0", L"-o 0 -a"},
        {"-t0 x y", "", L"-t0 x y", L"-o 0  x y"},
        {"-t0 x y with whiteParam", "[White]\r\nParam=-a\r\n", L"-t0 x y", L"-o 0 -a x y"},
        {"second Black past a White and a gap", "", L"-s1 x", L"-o 4  x"},
        {"blackParam for Black", "[Black]\r\nParam=-b\r\n[White]\r\nParam=-a\r\n", L"-s0", L"-o 1 -b"},
        {"-t01", "", L"-t01", L"-o 3"},
        {"-tx reads as 0", "", L"-tx", L"-o 0"},
        {"one quoted argument \"-t 1\"", "", L"\"-t 1\"", L"-o 3"},
        {"an argument with a blank arrives split", "", L"-t0 \"a b\" c", L"-o 0  a b c"},
        {"trailing blanks of whiteParam trimmed", "[White]\r\nParam=\"-a  \"\r\n", L"-t0", L"-o 0 -a"},
        {"...but kept before further arguments", "[White]\r\nParam=\"-a  \"\r\n", L"-t0 x", L"-o 0 -a   x"},
    };
    for (const LaunchCase& c : cases) {
        SCOPED_TRACE(c.what);
        const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_launch");
        if (!c.ini.empty()) WriteFileBytes(launcher.settings, c.ini);
        const LauncherRun run = RunLauncherExe(launcher, c.arguments);
        ASSERT_TRUE(run.process.finished) << "window shown: " << run.windowShown;
        EXPECT_EQ(run.process.exitCode, 0u);
        EXPECT_FALSE(run.windowShown);
        const std::vector<PlayerStart> starts = ReadPlayerLog(launcher.log);
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(Narrow(ArgumentsOf(starts[0], launcher.player)), Narrow(c.expected));
        EXPECT_EQ(starts[0].workingDirectory, launcher.folder);
        ExpectSettingsFileWritten(launcher);
    }
}

TEST(LauncherExe, SelectorsThatSelectNothingOpenTheWindowInstead)
{
    InstallSimulatedTuners(kMixedTuners);
    for (const wchar_t* arguments : {L"-T0", L"/t0", L"-t", L"-t-1", L"-t2", L"-s9 x", L"x -t0"}) {
        SCOPED_TRACE(Narrow(arguments));
        const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_no_selection");
        const LauncherRun run = RunLauncherExe(launcher, arguments);
        ASSERT_TRUE(run.process.finished) << "window shown: " << run.windowShown;
        EXPECT_EQ(run.process.exitCode, 0u);
        EXPECT_TRUE(run.windowShown);
        EXPECT_TRUE(ReadPlayerLog(launcher.log).empty());
        ExpectSettingsFileWritten(launcher);
    }
}

TEST(LauncherExe, UnknownTunersAreNeverLaunched)
{
    InstallSimulatedTuners({L"00"});
    const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_unknown");
    const LauncherRun run = RunLauncherExe(launcher, L"-t0");
    EXPECT_TRUE(run.windowShown);  // no White tuner: the window instead
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(ReadPlayerLog(launcher.log).empty());
}

TEST(LauncherExe, PlayerPathWithBlanksStartsInItsOwnFolder)
{
    InstallSimulatedTuners({L"F4", L"0A"});
    const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_blanks");
    const std::wstring playerFolder = launcher.folder + L"\\TV Player Dir";
    const std::wstring playerPath = playerFolder + L"\\My Player.exe";
    CreateDirectoryW(playerFolder.c_str(), nullptr);
    CopyFileW(PlayerExe().c_str(), playerPath.c_str(), FALSE);
    // Written as UTF-16 so the path survives whatever the ANSI code page is.
    const std::wstring ini = L"\uFEFF[Black]\r\nPath=" + playerPath + L"\r\n";
    WriteFileBytes(launcher.settings, std::string(reinterpret_cast<const char*>(ini.data()), ini.size() * 2));

    const LauncherRun run = RunLauncherExe(launcher, L"-s0 --x");
    EXPECT_EQ(run.process.exitCode, 0u);
    const std::vector<PlayerStart> starts = ReadPlayerLog(launcher.log);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(Narrow(starts[0].commandLine), Narrow(L"\"" + playerPath + L"\" -o 1  --x"));
    EXPECT_EQ(Narrow(starts[0].workingDirectory), Narrow(playerFolder));
}

TEST(LauncherExe, AMissingPlayerStartsNothingAndStillSaves)
{
    InstallSimulatedTuners({L"F4"});
    const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_missing_player");
    DeleteFileW(launcher.player.c_str());
    const LauncherRun run = RunLauncherExe(launcher, L"-t0");
    ASSERT_TRUE(run.process.finished) << "window shown: " << run.windowShown;
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_FALSE(run.windowShown);
    EXPECT_FALSE(FileExists(launcher.log));
    ExpectSettingsFileWritten(launcher);
}

// A player that never becomes ready holds the launcher for its 10-second
// limit and no longer (generous margins: this is not a timing test).
TEST(LauncherExe, APlayerThatNeverGetsReadyIsWaitedForTenSeconds)
{
    InstallSimulatedTuners({L"F4"});
    const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_never_ready");
    ScopedEnvironment neverReady(kPlayerReadyDelayVariable, L"never");
    const LauncherRun run = RunLauncherExe(launcher, L"-t0", PressEscape, 40000, 11000);
    ASSERT_TRUE(run.process.finished) << "window shown: " << run.windowShown;
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_GT(run.process.seconds, 9.0);
    EXPECT_LT(run.process.seconds, 25.0);
    EXPECT_EQ(ReadPlayerLog(launcher.log).size(), 1u);
}

TEST(LauncherExe, AStartWithoutArgumentsShowsTheWindowAndWritesDefaults)
{
    InstallSimulatedTuners({L"F4", L"0A"});
    const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_no_arguments");
    const LauncherRun run = RunLauncherExe(launcher, L"");
    ASSERT_TRUE(run.process.finished) << "window shown: " << run.windowShown;
    EXPECT_TRUE(run.windowShown);
    EXPECT_EQ(run.process.exitCode, 0u);
    const std::wstring expected = L"[Black]\r\nPath=" + launcher.player + L"\r\nParam=\r\n[White]\r\nPath=" +
                                  launcher.player + L"\r\nParam=\r\n";
    EXPECT_EQ(Narrow(ReadFileText(launcher.settings)), Narrow(expected));
}

// The window road from a second process: pressing Launch on the real window
// starts the selected (first) row's tuner with the option alone.
TEST(LauncherExe, TheWindowLaunchesItsSelectedRow)
{
    const struct Case {
        const char* what;
        std::vector<std::wstring> tuners;
        std::wstring arguments;
        const wchar_t* expected;
    } cases[] = {
        {"no arguments", {L"F4", L"0A"}, L"", L"-o 0 "},
        {"-t0 with no White tuner", {L"refuse", L"0A"}, L"-t0", L"-o 1 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InstallSimulatedTuners(c.tuners);
        const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_window_launch");
        const LauncherRun run =
            RunLauncherExe(launcher, c.arguments, [](HWND window) { PressButton(window, 1002); });
        ASSERT_TRUE(run.process.finished) << "window shown: " << run.windowShown;
        EXPECT_TRUE(run.windowShown);
        EXPECT_EQ(run.process.exitCode, 0u);
        const std::vector<PlayerStart> starts = ReadPlayerLog(launcher.log);
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(Narrow(ArgumentsOf(starts[0], launcher.player)), Narrow(c.expected));
        ExpectSettingsFileWritten(launcher);
    }
}

}  // namespace
