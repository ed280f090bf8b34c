// Launchers sharing one Zentrobe.ini end to end: closed in turn or at the
// same moment, or killed while they save, the file keeps one launcher's
// values whole.
#include "player/player_log.h"
#include "res/resource.h"
#include "settings/settings_file_test.h"
#include "support/launcher_run.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <thread>

namespace {

// A file of this many other sections takes tens of milliseconds to rewrite.
constexpr int kSlowSections = 20000;
// How many launchers end, one after another, while others start.
constexpr int kEnding = 5;

std::wstring ReadValue(const std::wstring& section, const wchar_t* key, const std::wstring& file)
{
    WCHAR buffer[512] = {};
    GetPrivateProfileStringW(section.c_str(), key, L"<missing>", buffer, 512, file.c_str());
    return buffer;
}

// The settings file as launcher "who" read it; extra goes in front.
std::string SettingsOf(const wchar_t* who, const std::wstring& extra)
{
    return Utf16File(extra + L"[White]\r\nPath=W:\\" + who + L"\\white.exe\r\nParam=-w " + who +
                     L"\r\n[Black]\r\nPath=B:\\" + who + L"\\black.exe\r\nParam=-b " + who +
                     L"\r\n");
}

// Launcher A reads SettingsOf(A), launcher B then reads SettingsOf(B), both in
// one folder with their windows open; then both are closed, at the same
// moment or A first. Returns which launcher each of the four values came from
// ("ABBA": White.Path, White.Param, Black.Path, Black.Param), '?' for a value
// that is neither.
std::string RunTwoLaunchers(const LauncherFolder& launcher, const std::wstring& extra,
                            bool together)
{
    WriteFileBytes(launcher.settings, SettingsOf(L"A", extra));
    OpenLauncher a = StartWithWindow(launcher);
    WriteFileBytes(launcher.settings, SettingsOf(L"B", extra));
    OpenLauncher b = StartWithWindow(launcher);
    const bool bothOpen = a.window && b.window;
    DWORD codeA = ~0u, codeB = ~0u;
    if (bothOpen && together) {
        const UniqueKernelHandle go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        std::thread first([&] {
            WaitForSingleObject(go.Get(), INFINITE);
            PressEscape(a.window);
        });
        std::thread second([&] {
            WaitForSingleObject(go.Get(), INFINITE);
            PressEscape(b.window);
        });
        SetEvent(go.Get());
        first.join();
        second.join();
    } else if (bothOpen) {
        PressEscape(a.window);
        codeA = Finish(a);
        PressEscape(b.window);
    }
    if (a.process) codeA = Finish(a);
    codeB = Finish(b);
    EXPECT_TRUE(bothOpen);
    EXPECT_EQ(codeA, 0u);
    EXPECT_EQ(codeB, 0u);

    const std::string bytes = ReadFileBytes(launcher.settings);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    // This process's profile cache may still hold an earlier file of this name.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, launcher.settings.c_str());
    const std::wstring text = ReadFileText(launcher.settings);
    SCOPED_TRACE("the file ends: " +
                 Narrow(text.substr(text.size() > 200 ? text.size() - 200 : 0)));
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
        EXPECT_TRUE(value == asA || value == asB)
            << Narrow(v.section) << "." << Narrow(v.key) << " = " << Narrow(value);
    }
    if (!extra.empty()) {
        WCHAR other[64] = {};
        GetPrivateProfileStringW(L"Other2999", L"Key", L"", other, 64, launcher.settings.c_str());
        EXPECT_EQ(std::wstring(other), std::wstring(20, L'k')) << "other programs' sections lost";
    }
    return from;
}

// Closed one after the other, the last one's settings are the file's, whole.
TEST(SettingsExe, TwoLaunchersClosedInTurnLeaveTheLastOnesSettings)
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
TEST(SettingsExe, TwoLaunchersSavingAtOnceLeaveOneOfTheirValues)
{
    InstallSimulatedTuners({L"F4", L"0A"});
    const std::wstring padding = OtherSections();
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        const LauncherFolder launcher = PrepareLauncherFolder(L"hostile_two_launchers");
        const std::string from =
            RunTwoLaunchers(launcher, round % 2 ? padding : std::wstring(), true);
        EXPECT_TRUE(from == "AAAA" || from == "BBBB")
            << "values from " << from;  // one whole save wins
    }
}

// Launchers started from shortcuts or scheduled recordings while others end
// and save: each one's start falls into other launchers' rewrites of a file
// slow to rewrite. Each must read the user's settings whole, launch with them,
// and leave them in the file.
TEST(SettingsExe, LaunchersStartingWhileOthersSaveKeepTheSettings)
{
    InstallSimulatedTuners({L"F4"});
    const LauncherFolder launcher = PrepareLauncherFolder(L"settings_staggered");
    const std::wstring padding = OtherSections(kSlowSections);
    const auto settings = [&](const wchar_t* blackParam) {
        return Utf16File(padding + L"[White]\r\nPath=" + launcher.player +
                         L"\r\nParam=-keep me\r\n[Black]\r\nPath=B:\\TV\\black.exe\r\nParam=" +
                         blackParam + L"\r\n");
    };
    ScopedEnvironment log(kPlayerLogVariable, launcher.log);
    ScopedEnvironment lifetime(kPlayerLifetimeVariable, L"1000");

    // Launchers left open, each having read other Black extra parameters than
    // the one before, so that each one's exit really rewrites the file.
    std::vector<OpenLauncher> ending(kEnding);
    for (int i = 0; i < kEnding; ++i) {
        WriteFileBytes(launcher.settings, settings(i % 2 ? L"-b one" : L"-b two"));
        ending[i] = StartWithWindow(launcher);
        ASSERT_TRUE(ending[i].window);
    }
    // They end one after another; launchers start at staggered moments meanwhile.
    std::vector<ChildProcess> starting;
    for (OpenLauncher& open : ending) {
        PressEscape(open.window);
        for (DWORD delay : {0, 10, 20, 40}) {
            Sleep(delay);
            starting.push_back(StartChild(L"\"" + launcher.exe + L"\" -t0", launcher.folder));
            ASSERT_TRUE(starting.back()) << "error " << starting.back().startError;
        }
        EXPECT_EQ(Finish(open), 0u);
    }
    for (const ChildProcess& child : starting) {
        const ProcessResult run = FinishChild(child, 60000);
        EXPECT_TRUE(run.finished && run.exitCode == 0)
            << "finished " << run.finished << ", exit code " << run.exitCode;
    }

    const std::vector<PlayerStart> starts = ReadPlayerLog(launcher.log);
    EXPECT_EQ(starts.size(), starting.size());
    int wrong = 0;
    for (const PlayerStart& start : starts)
        wrong += ArgumentsOf(start, launcher.player) != L"-o 0 -keep me";
    EXPECT_EQ(wrong, 0) << "of " << starts.size() << " player starts lacked the stored parameters";
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, launcher.settings.c_str());
    EXPECT_EQ(Narrow(ReadValue(L"White", L"Path", launcher.settings)), Narrow(launcher.player));
    EXPECT_EQ(ReadValue(L"White", L"Param", launcher.settings), L"-keep me");
    EXPECT_EQ(ReadValue(L"Black", L"Path", launcher.settings), L"B:\\TV\\black.exe");
    const std::wstring blackParam = ReadValue(L"Black", L"Param", launcher.settings);
    EXPECT_TRUE(blackParam == L"-b one" || blackParam == L"-b two") << Narrow(blackParam);
    EXPECT_EQ(ReadValue(L"Other" + std::to_wstring(kSlowSections - 1), L"Key", launcher.settings),
              std::wstring(20, L'k'));
}

// What a folder holds: each entry's name, with its size and write time.
using FolderState = std::map<std::wstring, std::pair<DWORD, ULONGLONG>>;
FolderState StateOf(const std::wstring& folder)
{
    FolderState state;
    for (const WIN32_FIND_DATAW& found : FindFiles(folder + L"\\*")) {
        const ULARGE_INTEGER time = {
            {found.ftLastWriteTime.dwLowDateTime, found.ftLastWriteTime.dwHighDateTime}};
        state[found.cFileName] = {found.nFileSizeLow, time.QuadPart};
    }
    return state;
}

// The start and end of a file's text, for failure messages about a file of
// 20,000 sections.
std::string Ends(const std::string& bytes)
{
    const std::wstring text = FileText(bytes);
    if (text.size() <= 160) return Narrow(text);
    return Narrow(text.substr(0, 60)) + " ... " + Narrow(text.substr(text.size() - 100));
}

// Launchers killed while they save, as a crash, a forced shutdown or
// TerminateProcess ends them: the moment the folder starts to change, and at
// random moments after the player started, over a file slow to rewrite. The
// settings file must be the one from before the save or the one after it,
// whole; what a killed save leaves behind must not change what the next
// launcher reads, and must not pile up. (With the file rewritten in place,
// kills left it empty or cut short.)
TEST(SettingsExe, ALauncherKilledWhileItSavesLeavesTheOldFileOrTheNewOne)
{
    constexpr int kAtFirstChange = 5, kAtRandom = 15;
    InstallSimulatedTuners({L"F4"});
    const LauncherFolder launcher = PrepareLauncherFolder(L"settings_killed");
    // The players log elsewhere, so that the save is all that changes in the folder.
    const std::wstring log = FreshFolder(L"settings_killed_log") + L"\\player.log";
    ScopedEnvironment logVariable(kPlayerLogVariable, log);
    ScopedEnvironment lifetime(kPlayerLifetimeVariable, L"1000");
    // The user's White values and other programs' sections, but no [Black]
    // yet: the save at exit must add keys, so it has to write the file.
    const std::string before = Utf16File(OtherSections(kSlowSections) + L"[White]\r\nPath=" +
                                         launcher.player + L"\r\nParam=-keep me\r\n");
    const auto startLauncher = [&] {
        return StartChild(L"\"" + launcher.exe + L"\" -t0", launcher.folder);
    };
    const auto playerStarts = [&] { return ReadPlayerLog(log).size(); };

    // One run left alone gives the file after the save, and how long after
    // its player's start a launcher ends.
    WriteFileBytes(launcher.settings, before);
    const ChildProcess first = startLauncher();
    ASSERT_TRUE(first) << "error " << first.startError;
    ASSERT_TRUE(WaitUntil([&] { return playerStarts() == 1; }, kPatienceMs, 1));
    const Stopwatch sincePlayer;
    ASSERT_TRUE(FinishChild(first, 60000).finished);
    const DWORD saveWindowMs = static_cast<DWORD>(sincePlayer.Ms());
    const std::string after = ReadFileBytes(launcher.settings);
    ASSERT_NE(after, before);
    ASSERT_NE(FileText(after).find(L"[Black]"), std::wstring::npos) << Ends(after);

    std::mt19937 random(20261211);
    int keptOld = 0, gotNew = 0, killedRunning = 0;
    for (int attempt = 0; attempt < kAtFirstChange + kAtRandom; ++attempt) {
        const bool atFirstChange = attempt < kAtFirstChange;
        const size_t startsBefore = playerStarts();
        WriteFileBytes(launcher.settings, before);
        const FolderState untouched = StateOf(launcher.folder);
        const ChildProcess child = startLauncher();
        ASSERT_TRUE(child) << "error " << child.startError;
        const auto ended = [&] { return WaitForExit(child, 0); };
        DWORD delayMs = 0;
        if (atFirstChange) {
            WaitUntil([&] { return StateOf(launcher.folder) != untouched || ended(); }, kPatienceMs,
                      1);
        } else {
            WaitUntil([&] { return playerStarts() > startsBefore || ended(); }, kPatienceMs, 1);
            delayMs = std::uniform_int_distribution<DWORD>(0, saveWindowMs)(random);
            Sleep(delayMs);
        }
        killedRunning += !ended();
        Kill(child);

        SCOPED_TRACE(testing::Message()
                     << "attempt " << attempt << ": killed "
                     << (atFirstChange ? std::string("as the folder changed")
                                       : std::to_string(delayMs) + " ms after its player started"));
        const std::string now = ReadFileBytes(launcher.settings);
        keptOld += now == before;
        gotNew += now == after;
        EXPECT_TRUE(now == before || now == after)
            << "the file is neither the old one nor the new one: " << now.size() << " bytes, not "
            << before.size() << " or " << after.size() << ": " << Ends(now);
        // Each launcher, started beside what the killed one before it left,
        // must still have read the user's values.
        const std::vector<PlayerStart> starts = ReadPlayerLog(log);
        ASSERT_EQ(starts.size(), startsBefore + 1);
        EXPECT_EQ(Narrow(ArgumentsOf(starts.back(), launcher.player)), "-o 0 -keep me");
        if (HasFailure()) break;  // one reproducible case is enough to go on
    }
    std::printf("  kills within %lu ms of a player's start left the old file %d times and the "
                "new one %d times; %d of %d landed while the launcher ran\n",
                saveWindowMs, keptOld, gotNew, killedRunning, kAtFirstChange + kAtRandom);
    if (HasFailure()) return;
    EXPECT_GE(killedRunning, kAtFirstChange) << "too few kills landed during a save to tell";

    // A launcher left alone afterwards saves as the first did, and nothing
    // the killed saves left is still beside the file.
    WriteFileBytes(launcher.settings, before);
    EXPECT_TRUE(FinishChild(startLauncher(), 60000).finished);
    EXPECT_TRUE(ReadFileBytes(launcher.settings) == after)
        << Ends(ReadFileBytes(launcher.settings));
    std::string names;
    for (const auto& entry : StateOf(launcher.folder)) names += Narrow(entry.first) + " ";
    EXPECT_EQ(names, "FriioView.exe Zentrobe.exe Zentrobe.ini ");
}

// In a folder just deep enough, the default player path is one character
// longer than the longest value the file reader keeps. A path key that is
// missing, or present but empty, must still get the whole default, and that
// whole default is what is written back.
TEST(SettingsExe, TheDefaultPlayerPathIsWholeInADeepFolder)
{
    InstallSimulatedTuners({L"F4"});
    const std::wstring base = FreshFolder(L"settings_deep");
    // <folder>\Zentrobe.exe and <folder>\Zentrobe.ini take 259 characters, the
    // platform's limit; <folder>\FriioView.exe takes 260.
    const size_t folderLength = 259 - std::wstring(L"\\Zentrobe.exe").size();
    if (base.size() + 2 > folderLength) GTEST_SKIP() << "the build folder is too deep already";
    const std::wstring folder = base + L"\\" + std::wstring(folderLength - base.size() - 1, L'd');
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << GetLastError();
    LauncherFolder launcher;
    launcher.folder = folder;
    launcher.exe = folder + L"\\Zentrobe.exe";
    launcher.player = folder + L"\\FriioView.exe";
    launcher.log = base + L"\\player.log";
    launcher.settings = folder + L"\\Zentrobe.ini";
    ASSERT_EQ(launcher.exe.size(), 259u);
    ASSERT_EQ(launcher.player.size(), 260u);
    ASSERT_TRUE(CopyFileW(ShippedExe().c_str(), launcher.exe.c_str(), FALSE)) << GetLastError();

    for (const char* before : {"", "[White]\r\nPath=\r\nParam=-w\r\n"}) {
        SCOPED_TRACE(*before ? "a present but empty White path" : "no settings file");
        DeleteFileW(launcher.settings.c_str());
        if (*before) WriteFileBytes(launcher.settings, before);
        const LauncherRun run = RunLauncherExe(launcher, L"-t0");
        ASSERT_TRUE(run.process.finished) << Describe(run);
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, launcher.settings.c_str());
        EXPECT_EQ(Narrow(ReadValue(L"White", L"Path", launcher.settings)), Narrow(launcher.player));
        EXPECT_EQ(Narrow(ReadValue(L"Black", L"Path", launcher.settings)), Narrow(launcher.player));
    }
}

}  // namespace
