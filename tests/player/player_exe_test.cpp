// The shipped Zentrobe.exe starting the player end to end: paths with
// blanks, in quotes or without a folder, a missing or vanished player, one
// that never gets ready and one that stays open, and a player command line
// over the platform's limit.
#include "player/player_contract.h"
#include "player/player_log.h"
#include "res/resource.h"
#include "support/launcher_run.h"

#include <gtest/gtest.h>

namespace {

TEST(PlayerLaunchExe, APathWithBlanksStartsInItsOwnFolder)
{
    InstallSimulatedTuners({L"F4", L"0A"});
    const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_blanks");
    const std::wstring playerFolder = launcher.folder + L"\\TV Player Dir";
    const std::wstring playerPath = playerFolder + L"\\My Player.exe";
    CreateDirectoryW(playerFolder.c_str(), nullptr);
    CopyFileW(PlayerExe().c_str(), playerPath.c_str(), FALSE);
    // Written as UTF-16 so the path survives whatever the ANSI code page is.
    const std::wstring ini = L"\uFEFF[Black]\r\nPath=" + playerPath + L"\r\n";
    WriteFileBytes(launcher.settings,
                   std::string(reinterpret_cast<const char*>(ini.data()), ini.size() * 2));

    const LauncherRun run = RunLauncherExe(launcher, L"-s0 --x");
    EXPECT_EQ(run.process.exitCode, 0u);
    const std::vector<PlayerStart> starts = ReadPlayerLog(launcher.log);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(Narrow(starts[0].commandLine), Narrow(L"\"" + playerPath + L"\" -o 1  --x"));
    EXPECT_EQ(Narrow(starts[0].workingDirectory), Narrow(playerFolder));
}

// Explorer's "Copy as path" puts quotes around a path, and a path typed by
// hand may carry blanks at its ends. Stored as typed, it still starts the
// player from that path, in that path's folder.
TEST(PlayerLaunchExe, AQuotedOrBlankEdgedPathStartsThePlayerFromThatPath)
{
    InstallSimulatedTuners({L"F4"});
    const struct Case {
        const char* what;
        const wchar_t* before;
        const wchar_t* after;
        const wchar_t* written;  // how the launcher writes the stored value
    } cases[] = {
        {"pasted with quotes", L"\"", L"\"", L"\"\"%\"\""},
        {"blanks at both ends", L"  ", L" ", L"\"  % \""},
        {"blanks around quotes", L" \"", L"\" ", L"\" \"%\" \""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_quoted_path");
        const std::wstring playerFolder = launcher.folder + L"\\TV Player";
        const std::wstring playerPath = playerFolder + L"\\FriioView.exe";
        CreateDirectoryW(playerFolder.c_str(), nullptr);
        ASSERT_TRUE(CopyFileW(PlayerExe().c_str(), playerPath.c_str(), FALSE));
        const std::wstring stored = c.before + playerPath + c.after;
        std::wstring written = c.written;
        written.replace(written.find(L'%'), 1, playerPath);
        WriteFileBytes(launcher.settings, Utf16File(L"[White]\r\nPath=" + written + L"\r\n"));

        const LauncherRun run = RunLauncherExe(launcher, L"-t0");
        ASSERT_TRUE(run.process.finished) << Describe(run);
        const std::vector<PlayerStart> starts = ReadPlayerLog(launcher.log);
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(Narrow(starts[0].commandLine), Narrow(L"\"" + playerPath + L"\" -o 0"));
        EXPECT_EQ(Narrow(starts[0].workingDirectory), Narrow(playerFolder));
        // The stored value itself is kept exactly as typed.
        WCHAR value[512] = {};
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, launcher.settings.c_str());
        GetPrivateProfileStringW(L"White", L"Path", L"", value, 512, launcher.settings.c_str());
        EXPECT_EQ(Narrow(value), Narrow(stored));
    }
}

// Just "FriioView.exe": the player starts in the launcher's own working
// directory, and the platform's search finds it beside the launcher.
TEST(PlayerLaunchExe, APathWithoutAFolderFindsThePlayerBesideTheLauncher)
{
    InstallSimulatedTuners({L"F4"});
    const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_bare_name");
    WriteFileBytes(launcher.settings, "[White]\r\nPath=FriioView.exe\r\nParam=-w\r\n");
    LaunchOptions elsewhere;
    elsewhere.workingDirectory = FreshFolder(L"e2e_bare_name_cwd");  // holds no player
    const LauncherRun run = RunLauncherExe(launcher, L"-t0", PressEscape, elsewhere);
    ASSERT_TRUE(run.process.finished) << Describe(run);
    EXPECT_EQ(run.process.exitCode, 0u);
    const std::vector<PlayerStart> starts = ReadPlayerLog(launcher.log);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(Narrow(starts[0].commandLine), "\"FriioView.exe\" -o 0 -w");
    EXPECT_EQ(Narrow(starts[0].workingDirectory), Narrow(elsewhere.workingDirectory));
}

// A player that stays open does not hold the launcher: it returns once the
// player is ready for input, on the command line and from the window alike.
TEST(PlayerLaunchExe, TheLauncherDoesNotWaitForThePlayerToEnd)
{
    InstallSimulatedTuners({L"F4"});
    const struct Case {
        const char* what;
        const wchar_t* arguments;
        WindowAction onWindow;
    } cases[] = {
        {"-t0", L"-t0", PressEscape},
        {"the window's Launch button", L"", [](HWND window) { PressButton(window, IDC_LAUNCH); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_player_stays");
        LaunchOptions playerStays;
        playerStays.playerLifetimeMs = 0;  // until closed
        playerStays.timeoutMs = 30000;
        const LauncherRun run = RunLauncherExe(launcher, c.arguments, c.onWindow, playerStays);
        const unsigned long long ended = PlayerLogTimeNow();
        const std::vector<PlayerStart> starts = ReadPlayerLog(launcher.log);
        ASSERT_EQ(starts.size(), 1u);
        // The player is ready at once, so the launcher is done long before
        // the time it gives a player to get ready: it did not wait that out.
        const unsigned long long playerAgeMs = (ended - starts[0].startTime) / 10000;
        EXPECT_LT(playerAgeMs, kPlayerReadyTimeoutMs / 2)
            << "the player's age when the launcher ended";
        const UniqueKernelHandle player(
            OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, starts[0].processId));
        EXPECT_TRUE(run.process.finished) << Describe(run);
        EXPECT_EQ(run.process.exitCode, 0u);
        ASSERT_TRUE(player.Valid());
        EXPECT_EQ(WaitForSingleObject(player.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
            << "the player ended before the launcher returned";
        TerminateProcess(player.Get(), 0);
        WaitForSingleObject(player.Get(), 10000);
    }
}

TEST(PlayerLaunchExe, AMissingPlayerStartsNothingAndStillSaves)
{
    InstallSimulatedTuners({L"F4"});
    const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_missing_player");
    DeleteFileW(launcher.player.c_str());
    const LauncherRun run = RunLauncherExe(launcher, L"-t0");
    ASSERT_TRUE(run.process.finished) << Describe(run);
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_FALSE(run.windowShown);
    EXPECT_FALSE(FileExists(launcher.log));
    ExpectSettingsFileWritten(launcher);
}

// A player that never becomes ready holds the launcher for its 10-second
// limit and no longer (generous margins: this is not a timing test).
TEST(PlayerLaunchExe, APlayerThatNeverGetsReadyIsWaitedForTenSeconds)
{
    InstallSimulatedTuners({L"F4"});
    const LauncherFolder launcher = PrepareLauncherFolder(L"e2e_never_ready");
    ScopedEnvironment neverReady(kPlayerReadyDelayVariable, L"never");
    LaunchOptions slowPlayer;
    slowPlayer.timeoutMs = 40000;
    slowPlayer.playerLifetimeMs = 11000;
    const LauncherRun run = RunLauncherExe(launcher, L"-t0", PressEscape, slowPlayer);
    ASSERT_TRUE(run.process.finished) << Describe(run);
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_GT(run.process.seconds, 9.0);
    EXPECT_LT(run.process.seconds, 25.0);
    EXPECT_EQ(ReadPlayerLog(launcher.log).size(), 1u);
}

// The launcher's own line fits, the player's (longer path, option and extra
// parameters in front) does not: starting it fails on Windows, and the
// launcher ends quietly either way.
void RunWithAPlayerLineOverTheLimit(const LauncherFolder& launcher, LauncherRun& run,
                                    std::vector<PlayerStart>& starts)
{
    InstallSimulatedTuners({L"F4"});
    const std::wstring whiteParam(259, L'w');
    WriteFileBytes(launcher.settings, Utf16File(L"[White]\r\nParam=" + whiteParam + L"\r\n"));
    // "-t0 ppp...": the launcher's whole line exactly at the limit.
    const size_t pad = kCommandLineLimit - (launcher.exe.size() + 3) - 4;
    const std::wstring arguments = L"-t0 " + std::wstring(pad, L'p');
    const size_t playerLine = launcher.player.size() + 3 + 5 + whiteParam.size() + 1 + pad;
    ASSERT_GT(playerLine, kCommandLineLimit);

    run = RunLauncherExe(launcher, arguments);
    ASSERT_TRUE(run.process.started) << "the launcher's own line should fit";
    starts = ReadPlayerLog(launcher.log);
}

TEST(PlayerLaunchExe, ACommandLineOverTheLimitIsSilent)
{
    const LauncherFolder launcher = PrepareLauncherFolder(L"hostile_too_long");
    LauncherRun run;
    std::vector<PlayerStart> starts;
    RunWithAPlayerLineOverTheLimit(launcher, run, starts);
    ASSERT_TRUE(run.process.finished) << Describe(run);
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_FALSE(run.windowShown);
    ExpectSettingsFileWritten(launcher);
}

// Wine 8's CreateProcessW does not refuse a command line over 32,766
// characters but cuts it to that length; the launcher refuses such a line
// itself, so no player starts with a truncated last argument, as on Windows.
TEST(PlayerLaunchExe, ACommandLineOverTheLimitStartsNoPlayer)
{
    const LauncherFolder launcher = PrepareLauncherFolder(L"hostile_too_long");
    LauncherRun run;
    std::vector<PlayerStart> starts;
    RunWithAPlayerLineOverTheLimit(launcher, run, starts);
    EXPECT_TRUE(starts.empty()) << "a player started with " << starts.at(0).commandLine.size()
                                << " characters";
}

// The player is deleted while the window is open; Launch then starts nothing,
// and the launcher still ends normally and saves.
TEST(PlayerLaunchExe, APlayerDeletedBeforeLaunchIsNotFatal)
{
    InstallSimulatedTuners({L"F4", L"0A"});
    const LauncherFolder launcher = PrepareLauncherFolder(L"hostile_player_deleted");
    const LauncherRun run = RunLauncherExe(launcher, L"", [&](HWND window) {
        EXPECT_TRUE(DeleteFileW(launcher.player.c_str()));
        PressButton(window, IDC_LAUNCH);
    });
    ASSERT_TRUE(run.process.finished) << Describe(run);
    EXPECT_TRUE(run.windowShown);
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_LT(run.process.seconds, 10.0);
    EXPECT_FALSE(FileExists(launcher.log));
    EXPECT_FALSE(FileExists(launcher.player));
    ExpectSettingsFileWritten(launcher);
}

}  // namespace
