// How a save puts Zentrobe.ini in place: only when something changes, beside
// another program that holds the file open, and with what killed saves left
// beside it.
#include "settings/file_swap.h"
#include "settings/settings_file_test.h"
#include "support/child_process.h"
#include "support/text.h"

#include <thread>

namespace {

class SettingsSave : public SettingsFileTest {};

// The file's identity on the disk: a replace gives it a new one, a write in place keeps it.
unsigned long long FileIdOf(const std::wstring& path)
{
    const UniqueFile file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!file || !GetFileInformationByHandle(file.Get(), &information)) return 0;
    return (static_cast<unsigned long long>(information.nFileIndexHigh) << 32) |
           information.nFileIndexLow;
}

// A key's value as the file holds it, or "<missing>".
std::wstring Stored(const wchar_t* section, const wchar_t* key, const std::wstring& file)
{
    WCHAR buffer[512] = {};
    GetPrivateProfileStringW(section, key, L"<missing>", buffer, 512, file.c_str());
    return buffer;
}

// What a save left beside the file under a name of its own ("Zen*.tmp").
std::vector<WIN32_FIND_DATAW> SideFilesBeside(const std::wstring& file)
{
    return FindFiles(file.substr(0, file.rfind(L'\\')) + L"\\Zen*.tmp");
}

// Another program's handle on the file without delete sharing, as a virus
// scanner, the search indexer, a backup tool or an editor may hold it: the
// file can then be read and written, but not replaced.
UniqueFile HoldOpen(const std::wstring& path)
{
    return UniqueFile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
}

const std::wstring kWhiteOnly =
    L"; written by hand\r\n[White]\r\nPath=D:\\TV\\W.exe\r\nParam=-w\r\n";

// A save writes only when the file lacks something it holds: a missing key
// and a present but empty path (read as the default) are still written.
TEST_F(SettingsSave, OnlyASaveThatChangesSomethingWritesTheFile)
{
    const std::wstring complete =
        kWhiteOnly + L"[Black]\r\nPath=D:\\TV\\B.exe\r\nParam=\r\n[Other]\r\nKey=kept\r\n";
    const struct Case {
        const char* what;
        std::wstring text;
        bool untouched;
    } cases[] = {
        {"every value already there", complete, true},
        {"an empty Param key missing", kWhiteOnly + L"[Black]\r\nPath=D:\\TV\\B.exe\r\n", false},
        {"a Path key present but empty", kWhiteOnly + L"[Black]\r\nPath=\r\nParam=\r\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Write(Utf16File(c.text));
        const LauncherSettings loaded = Reload();
        const unsigned long long id = FileIdOf(file);
        SaveSettings();
        EXPECT_EQ(FileIdOf(file) == id, c.untouched);
        if (c.untouched) {
            EXPECT_EQ(ReadFileText(file), c.text);
        }
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
        EXPECT_EQ(Stored(L"Black", L"Param", file), L"");
        EXPECT_EQ(Narrow(Stored(L"Black", L"Path", file)), Narrow(loaded.blackPath));
        EXPECT_EQ(Stored(L"White", L"Param", file), L"-w");
        EXPECT_NE(ReadFileText(file).find(L"; written by hand\r\n"), std::wstring::npos);
    }
}

// While another program holds the file, a save cannot replace it. A change
// the user confirmed is then written over the file in place; defaults for
// missing keys are not worth that risk and wait for the next save. Nothing
// is left beside the file either way.
TEST_F(SettingsSave, AFileHeldOpenGetsTheUsersChangeButNothingElse)
{
    Write(Utf16File(kWhiteOnly));  // no [Black]: a save would add it
    const std::string old = ReadFileBytes(file);
    Reload();
    {
        const UniqueFile holder = HoldOpen(file);
        ASSERT_TRUE(holder);
        SaveSettings();
    }
    EXPECT_EQ(ReadFileBytes(file), old);
    EXPECT_TRUE(SideFilesBeside(file).empty());

    Reload();
    g_launcherSettings.whiteParam = L"-changed";  // as the settings dialog's OK leaves it
    const unsigned long long id = FileIdOf(file);
    {
        const UniqueFile holder = HoldOpen(file);
        SaveSettings();
    }
    EXPECT_EQ(FileIdOf(file), id) << "the file was replaced while another program held it";
    const LauncherSettings saved = Reload();
    EXPECT_EQ(saved.whiteParam, L"-changed");
    EXPECT_EQ(saved.whitePath, L"D:\\TV\\W.exe");
    EXPECT_NE(ReadFileText(file).find(L"; written by hand\r\n"), std::wstring::npos);
    EXPECT_TRUE(SideFilesBeside(file).empty());
}

// A program that lets go of the file within the save's patience: the save
// waits for it and replaces the file as usual.
TEST_F(SettingsSave, AFileHeldOpenForAMomentIsReplacedOnceItIsFree)
{
    Write(Utf16File(kWhiteOnly));
    Reload();
    const unsigned long long id = FileIdOf(file);
    UniqueFile holder = HoldOpen(file);
    ASSERT_TRUE(holder);
    std::thread release([&] {
        Sleep(kReplaceRetryMs / 4);
        holder.Reset();
    });
    SaveSettings();
    release.join();
    EXPECT_NE(FileIdOf(file), id) << "written in place, not replaced";
    EXPECT_EQ(Narrow(Reload().blackPath), Narrow(DefaultPlayerPath()));
    EXPECT_TRUE(SideFilesBeside(file).empty());
}

// Files that saves of processes now gone left beside the settings are never
// read, and the next save removes them, even one with nothing to change.
// Those of processes that still run, and names that are not a save's, stay.
TEST_F(SettingsSave, WhatEndedSavesLeftIsNeverReadAndIsRemoved)
{
    ScopedEnvironment never(kPlayerReadyDelayVariable, L"never");
    ScopedEnvironment lifetime(kPlayerLifetimeVariable, L"30000");
    const ChildProcess ended = StartChild(L"\"" + PlayerExe() + L"\"");
    const ChildProcess running = StartChild(L"\"" + PlayerExe() + L"\"");
    ASSERT_TRUE(ended && running);
    Kill(ended);

    const std::wstring folder = file.substr(0, file.rfind(L'\\'));
    const auto sideOf = [&](DWORD processId) {
        wchar_t name[32];
        swprintf(name, 32, L"Zen%lX.tmp", processId);
        return folder + L"\\" + name;
    };
    const std::string aDeadSave = Utf16File(L"[White]\r\nPath=D:\\dead.exe\r\nParam=-dead\r\n");
    const std::vector<std::wstring> kept = {sideOf(running.id), folder + L"\\Zenith.tmp",
                                            folder + L"\\Zen12.txt"};
    for (const std::wstring& path : kept) WriteFileBytes(path, aDeadSave);
    WriteFileBytes(sideOf(ended.id), aDeadSave.substr(0, 21));  // cut short by the kill

    Write(Utf16File(kWhiteOnly + L"[Black]\r\nPath=D:\\TV\\B.exe\r\nParam=\r\n"));
    const LauncherSettings loaded = Reload();
    EXPECT_EQ(loaded.whitePath, L"D:\\TV\\W.exe");
    EXPECT_EQ(loaded.whiteParam, L"-w");
    SaveSettings();
    EXPECT_FALSE(FileExists(sideOf(ended.id)));
    for (const std::wstring& path : kept) {
        EXPECT_TRUE(FileExists(path)) << Narrow(path);
        DeleteFileW(path.c_str());
    }
    Kill(running);
}

}  // namespace
