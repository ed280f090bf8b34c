// The shipped Zentrobe.exe's main window end to end, driven from this
// (second) process as a user would drive it.
#include "player/player_log.h"
#include "res/resource.h"
#include "support/launcher_run.h"

#include <gtest/gtest.h>

namespace {

// The window from a second process: pressing Launch on the real window
// starts the selected (first) row's tuner with the option alone.
TEST(MainWindowExe, LaunchesItsSelectedRow)
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
        const LauncherRun run = RunLauncherExe(
            launcher, c.arguments, [](HWND window) { PressButton(window, IDC_LAUNCH); });
        ASSERT_TRUE(run.process.finished) << Describe(run);
        EXPECT_TRUE(run.windowShown);
        EXPECT_EQ(run.process.exitCode, 0u);
        const std::vector<PlayerStart> starts = ReadPlayerLog(launcher.log);
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(Narrow(ArgumentsOf(starts[0], launcher.player)), Narrow(c.expected));
        ExpectSettingsFileWritten(launcher);
    }
}

}  // namespace
