// The shipped Zentrobe.exe under hostile conditions: command lines at the
// platform's limits, two launchers saving at the same moment, and a player that
// disappears while the window is open.
#include "player/player_log.h"
#include "support/launcher_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

namespace {

// Longest command line CreateProcessW takes, terminator excluded.
constexpr size_t kCommandLineLimit = 32766;

std::wstring ArgumentsOf(const PlayerStart& start, const std::wstring& playerPath)
{
    const std::wstring prefix = L"\"" + playerPath + L"\" ";
    if (start.commandLine.compare(0, prefix.size(), prefix) != 0) return L"<unexpected> " + start.commandLine;
    return start.commandLine.substr(prefix.size());
}

std::string Utf16File(const std::wstring& text)
{
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
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

void ExpectSettingsFileWritten(const LauncherFolder& launcher)
{
    const std::wstring text = ReadFileText(launcher.settings);
    EXPECT_NE(text.find(L"[White]"), std::wstring::npos) << Narrow(text.substr(0, 200));
    EXPECT_NE(text.find(L"[Black]"), std::wstring::npos) << Narrow(text.substr(0, 200));
}

TEST(HostileLauncher, ExtremeCommandLinesLaunchTheRightTunerWithEveryArgument)
{
    InstallSimulatedTuners({L"F4", L"0A"});
    const LauncherFolder probe = PrepareLauncherFolder(L"hostile_cmdline");
    const BuiltLine near32k = BuildLine(probe, 32000);
    const BuiltLine atLimit = BuildLine(probe, kCommandLineLimit - 300);  // the player's line still fits

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
        {"command line 300 short of the limit", L"", atLimit.arguments, L"-o 0  " + atLimit.expectedTail},
        {"2,000 arguments", L"", twoThousand, L"-o 0  " + twoThousandExpected},
        {"empty quoted arguments", L"", L"-t0 \"\" \"\" x \"\"", L"-o 0    x"},
        {"embedded quotes", L"", L"-t0 a\\\"b \"c\\\"d\" \\\\\"e f\"", L"-o 0  a\"b c\"d \\e f"},
        {"Japanese and surrogate pairs in whiteParam and arguments", japaneseParam,
         L"-t0 \u30c6\u30ec\u30d3 \U0001F680", L"-o 0 " + japaneseParam + L" \u30c6\u30ec\u30d3 \U0001F680"},
        {"quoted selector with a surrogate pair", L"", L"\"-s0\" \U00020B9F", L"-o 1  \U00020B9F"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LauncherFolder launcher = PrepareLauncherFolder(L"hostile_cmdline");
        if (!c.whiteParam.empty()) WriteFileBytes(launcher.settings, Utf16File(L"[White]\r\nParam=" + c.whiteParam + L"\r\n"));
        const LauncherRun run = RunLauncherExe(launcher, c.arguments);
        ASSERT_TRUE(run.process.started);
        ASSERT_TRUE(run.process.finished) << "window shown: " << run.windowShown;
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

TEST(HostileLauncher, ExtremeCommandLinesThatSelectNothingShowTheWindow)
{
    InstallSimulatedTuners({L"F4", L"0A"});
    const struct Case {
        const char* what;
        std::wstring arguments;
    } cases[] = {
        {"an empty quoted first argument", L"\"\" -t0"},
        {"a 32,000-character first argument", std::wstring(32000, L'x')},
        {"a selector of 30,000 nines", L"-t" + std::wstring(30000, L'9')},
        {"2,000 empty quoted arguments", [] {
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
        ASSERT_TRUE(run.process.finished) << "window shown: " << run.windowShown;
        EXPECT_EQ(run.process.exitCode, 0u);
        EXPECT_TRUE(run.windowShown);
        EXPECT_TRUE(ReadPlayerLog(launcher.log).empty());
        ExpectSettingsFileWritten(launcher);
    }
}

// The launcher's own line fits, the player's (longer path, option and extra
// parameters in front) does not: starting it fails on Windows, and the
// launcher ends quietly either way.
void RunWithAPlayerLineOverTheLimit(const LauncherFolder& launcher, LauncherRun& run, std::vector<PlayerStart>& starts)
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

TEST(HostileLauncher, APlayerCommandLineOverTheLimitIsSilent)
{
    const LauncherFolder launcher = PrepareLauncherFolder(L"hostile_too_long");
    LauncherRun run;
    std::vector<PlayerStart> starts;
    RunWithAPlayerLineOverTheLimit(launcher, run, starts);
    ASSERT_TRUE(run.process.finished) << "window shown: " << run.windowShown;
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_FALSE(run.windowShown);
    ExpectSettingsFileWritten(launcher);
}

// Wine 8's CreateProcessW does not refuse a command line over 32,766
// characters but cuts it to that length; the launcher refuses such a line
// itself, so no player starts with a truncated last argument, as on Windows.
TEST(HostileLauncher, APlayerCommandLineOverTheLimitStartsNoPlayer)
{
    const LauncherFolder launcher = PrepareLauncherFolder(L"hostile_too_long");
    LauncherRun run;
    std::vector<PlayerStart> starts;
    RunWithAPlayerLineOverTheLimit(launcher, run, starts);
    EXPECT_TRUE(starts.empty()) << "a player started with " << starts.at(0).commandLine.size() << " characters";
}

// A launcher started with no arguments, left with its window open.
struct OpenLauncher {
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
};

OpenLauncher StartWithWindow(const LauncherFolder& launcher)
{
    OpenLauncher open;
    std::wstring commandLine = L"\"" + launcher.exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, launcher.folder.c_str(),
                        &startup, &open.process))
        return open;
    const LARGE_INTEGER start = Now();
    while (!open.window && SecondsSince(start) < 20) {
        Sleep(20);
        open.window = FindMainWindow(open.process.dwProcessId);
    }
    if (open.window) WaitForInputIdle(open.process.hProcess, 5000);
    return open;
}

// Waits for the launcher to end (killing it after the limit); its exit code, or ~0 if it did not end.
DWORD Finish(OpenLauncher& open, DWORD timeoutMs = 30000)
{
    if (!open.process.hProcess) return ~0u;
    DWORD code = ~0u;
    if (WaitForSingleObject(open.process.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(open.process.hProcess, &code);
    else
        TerminateProcess(open.process.hProcess, 1);
    CloseHandle(open.process.hThread);
    CloseHandle(open.process.hProcess);
    open.process = {};
    return code;
}

std::wstring ReadValue(const wchar_t* section, const wchar_t* key, const std::wstring& file)
{
    WCHAR buffer[512] = {};
    GetPrivateProfileStringW(section, key, L"<missing>", buffer, 512, file.c_str());
    return buffer;
}

// The settings file as launcher "who" read it; extra goes in front.
std::string SettingsOf(const wchar_t* who, const std::wstring& extra)
{
    return Utf16File(extra + L"[White]\r\nPath=W:\\" + who + L"\\white.exe\r\nParam=-w " + who +
                     L"\r\n[Black]\r\nPath=B:\\" + who + L"\\black.exe\r\nParam=-b " + who + L"\r\n");
}

// Launcher A reads SettingsOf(A), launcher B then reads SettingsOf(B), both in
// one folder with their windows open; then both are closed, at the same
// moment or A first. Returns which launcher each of the four values came from
// ("ABBA": White.Path, White.Param, Black.Path, Black.Param), '?' for a value
// that is neither.
std::string RunTwoLaunchers(const LauncherFolder& launcher, const std::wstring& extra, bool together)
{
    WriteFileBytes(launcher.settings, SettingsOf(L"A", extra));
    OpenLauncher a = StartWithWindow(launcher);
    WriteFileBytes(launcher.settings, SettingsOf(L"B", extra));
    OpenLauncher b = StartWithWindow(launcher);
    const bool bothOpen = a.window && b.window;
    DWORD codeA = ~0u, codeB = ~0u;
    if (bothOpen && together) {
        HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::thread first([&] { WaitForSingleObject(go, INFINITE); PressEscape(a.window); });
        std::thread second([&] { WaitForSingleObject(go, INFINITE); PressEscape(b.window); });
        SetEvent(go);
        first.join();
        second.join();
        CloseHandle(go);
    } else if (bothOpen) {
        PressEscape(a.window);
        codeA = Finish(a);
        PressEscape(b.window);
    }
    if (a.process.hProcess) codeA = Finish(a);
    codeB = Finish(b);
    EXPECT_TRUE(bothOpen);
    EXPECT_EQ(codeA, 0u);
    EXPECT_EQ(codeB, 0u);

    const std::string bytes = ReadFileBytes(launcher.settings);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    // This process's profile cache may still hold an earlier file of this name.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, launcher.settings.c_str());
    const std::wstring text = ReadFileText(launcher.settings);
    SCOPED_TRACE("the file ends: " + Narrow(text.substr(text.size() > 200 ? text.size() - 200 : 0)));
    const struct {
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* pattern;  // '?' stands for the launcher
    } kValues[] = {
        {L"White", L"Path", L"W:\\?\\white.exe"},
        {L"White", L"Param", L"-w ?"},
        {L"Black", L"Path", L"B:\\?\\black.exe"},
        {L"Black", L"Param", L"-b ?"},
    };
    std::string from;
    for (const auto& v : kValues) {
        const std::wstring value = ReadValue(v.section, v.key, launcher.settings);
        std::wstring asA = v.pattern, asB = v.pattern;
        asA[asA.find(L'?')] = L'A';
        asB[asB.find(L'?')] = L'B';
        from += value == asA ? 'A' : value == asB ? 'B' : '?';
        EXPECT_TRUE(value == asA || value == asB) << Narrow(v.section) << "." << Narrow(v.key) << " = " << Narrow(value);
    }
    if (!extra.empty()) {
        WCHAR other[64] = {};
        GetPrivateProfileStringW(L"Other2999", L"Key", L"", other, 64, launcher.settings.c_str());
        EXPECT_EQ(std::wstring(other), std::wstring(20, L'k')) << "other programs' sections lost";
    }
    return from;
}

// A padding of other programs' sections, so that each save takes long enough
// for two to overlap.
std::wstring OtherSections()
{
    std::wstring padding;
    for (int i = 0; i < 3000; ++i) padding += L"[Other" + std::to_wstring(i) + L"]\r\nKey=" + std::wstring(20, L'k') + L"\r\n";
    return padding;
}

// Closed one after the other, the last one's settings are the file's, whole.
TEST(HostileLauncher, TwoLaunchersClosedInTurnLeaveTheLastOnesSettings)
{
    InstallSimulatedTuners({L"F4", L"0A"});
    for (const std::wstring& extra : {std::wstring(), OtherSections()}) {
        SCOPED_TRACE(extra.empty() ? "small file" : "file with 3000 other sections");
        const LauncherFolder launcher = PrepareLauncherFolder(L"hostile_two_launchers_in_turn");
        EXPECT_EQ(RunTwoLaunchers(launcher, extra, false), "BBBB");
    }
}

// Two launchers closed at the same moment: each save rewrites the whole file
// four times over, so without the launcher's save lock the file was torn
// (lost paths, stray pieces of lines, other sections dropped).
TEST(HostileLauncher, TwoLaunchersSavingAtOnceLeaveOneOfTheirValues)
{
    InstallSimulatedTuners({L"F4", L"0A"});
    const std::wstring padding = OtherSections();
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        const LauncherFolder launcher = PrepareLauncherFolder(L"hostile_two_launchers");
        const std::string from = RunTwoLaunchers(launcher, round % 2 ? padding : std::wstring(), true);
        EXPECT_TRUE(from == "AAAA" || from == "BBBB") << "values from " << from;  // one whole save wins
    }
}

// The player is deleted while the window is open; Launch then starts nothing,
// and the launcher still ends normally and saves.
TEST(HostileLauncher, APlayerDeletedBeforeLaunchIsNotFatal)
{
    InstallSimulatedTuners({L"F4", L"0A"});
    const LauncherFolder launcher = PrepareLauncherFolder(L"hostile_player_deleted");
    const LauncherRun run = RunLauncherExe(launcher, L"", [&](HWND window) {
        EXPECT_TRUE(DeleteFileW(launcher.player.c_str()));
        PressButton(window, 1002);
    });
    ASSERT_TRUE(run.process.finished) << "window shown: " << run.windowShown;
    EXPECT_TRUE(run.windowShown);
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_LT(run.process.seconds, 10.0);
    EXPECT_FALSE(FileExists(launcher.log));
    EXPECT_FALSE(FileExists(launcher.player));
    ExpectSettingsFileWritten(launcher);
}

}  // namespace
