// Launchers sharing one Zentrobe.ini end to end: closed in turn or at the
// same moment, the file keeps one launcher's values whole.
#include "player/player_log.h"
#include "res/resource.h"
#include "support/launcher_run.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

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

// A padding of other programs' sections, so that each save takes long enough
// for two to overlap.
std::wstring OtherSections()
{
    std::wstring padding;
    for (int i = 0; i < 3000; ++i)
        padding += L"[Other" + std::to_wstring(i) + L"]\r\nKey=" + std::wstring(20, L'k') + L"\r\n";
    return padding;
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

}  // namespace
