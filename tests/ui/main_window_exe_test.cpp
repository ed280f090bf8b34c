// The shipped Zentrobe.exe's main window end to end, driven from this
// (second) process as a user would drive it.
#include "player/player_log.h"
#include "res/resource.h"
#include "support/launcher_run.h"
#include "support/remote_list_view.h"
#include "support/wait.h"

#include <gtest/gtest.h>

namespace {

// A substitute player announcing a list position, open until it is killed.
ChildProcess StartPlayerOn(int position)
{
    ScopedEnvironment announce(kPlayerPositionVariable, std::to_wstring(position));
    ScopedEnvironment untilClosed(kPlayerLifetimeVariable, L"0");
    ChildProcess player = StartChild(L"\"" + PlayerExe() + L"\" -o " + std::to_wstring(position));
    WindowQuery window;
    window.processId = player.id;
    window.title = L"Friio HDTV Player";
    EXPECT_NE(WaitForWindow(window, kPatienceMs), nullptr) << "the player's window did not show";
    return player;
}

// The state column of every row, as the real window shows it.
std::vector<std::string> States(HWND mainWindow)
{
    std::vector<std::string> states;
    for (const auto& row : RemoteRows(GetDlgItem(mainWindow, IDC_DEVICE_LIST)))
        states.push_back(row.size() > 2 ? Narrow(row[2]) : "<no column>");
    return states;
}

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

// The state column shows 起動 for the tuner a running player announces, as
// the window opens and after 更新 (Refresh), which also drops the mark of a
// player that has ended.
TEST(MainWindowExe, MarksTheTunersThatRunningPlayersUse)
{
    InstallSimulatedTuners({L"F4", L"0A", L"F4"});
    WaitForPlayersToClose();
    ChildProcess first = StartPlayerOn(1);
    ChildProcess second;
    std::vector<std::string> atStart, afterRefresh;
    const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_in_use");
    const LauncherRun run = RunLauncherExe(launcher, L"", [&](HWND window) {
        atStart = States(window);
        Kill(first);
        WaitForPlayersToClose();
        second = StartPlayerOn(2);
        // Sent, not posted: it returns once the refreshed list is filled.
        DWORD_PTR result = 0;
        EXPECT_TRUE(SendMessageTimeoutW(window, WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED),
                                        reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_REFRESH)),
                                        SMTO_ABORTIFHUNG, kPatienceMs, &result));
        afterRefresh = States(window);
        PressEscape(window);
    });
    Kill(first);
    Kill(second);
    ASSERT_TRUE(run.process.finished) << Describe(run);
    EXPECT_EQ(atStart, (std::vector<std::string>{"", "起動", ""}));
    EXPECT_EQ(afterRefresh, (std::vector<std::string>{"", "", "起動"}));
}

// A row of unknown model can be launched like any other, but starts nothing:
// the window closes all the same.
TEST(MainWindowExe, AnUnknownRowClosesTheWindowWithoutStartingAnything)
{
    InstallSimulatedTuners({L"00", L"F4"});
    const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_unknown_row");
    std::string type;
    const LauncherRun run = RunLauncherExe(launcher, L"", [&](HWND window) {
        HWND list = GetDlgItem(window, IDC_DEVICE_LIST);
        EXPECT_EQ(RemoteSelectedRow(list), 0);
        type = Narrow(RemoteCellText(list, 0, 1));
        PressButton(window, IDC_LAUNCH);
    });
    ASSERT_TRUE(run.process.finished) << Describe(run);
    EXPECT_TRUE(run.windowShown);
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_EQ(type, "不明");
    EXPECT_TRUE(ReadPlayerLog(launcher.log).empty());
    ExpectSettingsFileWritten(launcher);
}

}  // namespace
