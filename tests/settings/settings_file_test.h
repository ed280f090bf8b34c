// The fixture the settings tests share: Zentrobe.ini beside the test program,
// gone before and after each test.
#pragma once

#include "settings/settings.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>

// Other programs' sections, 3000 of them unless told: a file this size
// takes long enough to rewrite that a reader or a second writer can catch it
// halfway. The last is [Other<count - 1>], with Key= twenty k's.
inline std::wstring OtherSections(int count = 3000)
{
    std::wstring padding;
    for (int i = 0; i < count; ++i)
        padding += L"[Other" + std::to_wstring(i) + L"]\r\nKey=" + std::wstring(20, L'k') + L"\r\n";
    return padding;
}

class SettingsFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        file = SettingsFilePath();
        DeleteFileW(file.c_str());
        g_launcherSettings = LauncherSettings{};
    }
    void TearDown() override { DeleteFileW(file.c_str()); }

    // Replaces the file with exactly these bytes.
    void Write(const std::string& bytes)
    {
        DeleteFileW(file.c_str());
        WriteFileBytes(file, bytes);
        // The profile functions cache a file they have read; a new file of the
        // same size within the same clock tick could be taken for the old one.
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
    }

    // What a fresh start reads from the current file.
    LauncherSettings Reload()
    {
        g_launcherSettings = LauncherSettings{L"stale", L"stale", L"stale", L"stale"};
        LoadSettings();
        return g_launcherSettings;
    }

    std::wstring file;
};
