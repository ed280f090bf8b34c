// The fixture the settings tests share: Zentrobe.ini beside the test program,
// gone before and after each test.
#pragma once

#include "settings/settings.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

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
