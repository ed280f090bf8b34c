// Shared test helpers; see test_support.h.
#include "support/test_support.h"

#include "driver/tuner_installer.h"
#include "support/wait.h"
#include "support/window_finder.h"
#include "test_paths.h"

#include <shellapi.h>

#include <gtest/gtest.h>

std::wstring ShippedExe()
{
    return WinePath(ZENTROBE_TEST_EXE);
}
std::wstring DriverFile()
{
    return WinePath(ZENTROBE_TEST_DRIVER);
}
std::wstring PlayerExe()
{
    return WinePath(ZENTROBE_TEST_PLAYER);
}

std::vector<WIN32_FIND_DATAW> FindFiles(const std::wstring& pattern)
{
    std::vector<WIN32_FIND_DATAW> found;
    WIN32_FIND_DATAW data;
    const HANDLE search = FindFirstFileW(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") found.push_back(data);
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return found;
}

void RemoveTree(const std::wstring& path)
{
    for (const WIN32_FIND_DATAW& data : FindFiles(path + L"\\*")) {
        const std::wstring child = path + L"\\" + data.cFileName;
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(child);
        else
            DeleteFileW(child.c_str());
    }
    RemoveDirectoryW(path.c_str());
}

std::wstring FreshFolder(const std::wstring& name)
{
    // A folder of its own each time: a player an earlier run started may
    // still be running from the last one, which then cannot be emptied.
    // Earlier ones are removed where they can be.
    const std::wstring scratch = WinePath(ZENTROBE_TEST_SCRATCH) + L"\\";
    for (const WIN32_FIND_DATAW& data : FindFiles(scratch + name + L".*"))
        RemoveTree(scratch + data.cFileName);
    static unsigned made = 0;
    const std::wstring path = scratch + name + L"." + std::to_wstring(GetCurrentProcessId()) +
                              L"." + std::to_wstring(++made);
    if (!CreateDirectoryW(path.c_str(), nullptr))
        ADD_FAILURE() << "cannot make a fresh " << Narrow(path) << ": error " << GetLastError();
    return path;
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::string bytes;
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return bytes;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file.Get(), chunk, sizeof(chunk), &read, nullptr) && read > 0)
        bytes.append(chunk, read);
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file.Valid()) << "cannot write " << Narrow(path);
    DWORD written = 0;
    WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring ReadFileText(const std::wstring& path)
{
    return FileText(ReadFileBytes(path));
}

std::wstring FileText(const std::string& bytes)
{
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2),
                            (bytes.size() - 2) / 2);
    return ToWide(bytes, CP_ACP);
}

std::string Utf16File(const std::wstring& text)
{
    return "\xFF\xFE" +
           std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

void WaitForPlayersToClose()
{
    WindowQuery players;
    players.title = L"Friio HDTV Player";
    EXPECT_TRUE(WaitForNoWindow(players, kPatienceMs))
        << "a substitute player is still open after " << kPatienceMs / 1000 << " s";
}

void InstallSimulatedTuners(const std::vector<std::wstring>& devices)
{
    ASSERT_TRUE(InstallTuners(DriverFile(), devices))
        << "installing the simulated tuners failed: " << Narrow(LastTunerInstallerError());
}

ScopedEnvironment::ScopedEnvironment(const wchar_t* variable, const std::wstring& value)
    : name(variable)
{
    WCHAR buffer[32768];
    const DWORD n = GetEnvironmentVariableW(variable, buffer, 32768);
    hadValue = n > 0 && n < 32768;
    if (hadValue) oldValue.assign(buffer, n);
    SetEnvironmentVariableW(variable, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment()
{
    SetEnvironmentVariableW(name.c_str(), hadValue ? oldValue.c_str() : nullptr);
}

DeviceEntry MakeEntry(int index, int ordinal, int type, int inUse, const std::wstring& path)
{
    DeviceEntry entry;
    entry.index = index;
    entry.ordinal = ordinal;
    entry.type = type;
    entry.path = path.empty() ? L"\\\\?\\root#tuner#" + std::to_wstring(index) : path;
    entry.inUse = inUse;
    return entry;
}

std::wstring ArgumentsOf(const PlayerStart& start, const std::wstring& playerPath)
{
    const std::wstring prefix = L"\"" + playerPath + L"\" ";
    if (start.commandLine.compare(0, prefix.size(), prefix) != 0)
        return L"<unexpected> " + start.commandLine;
    return start.commandLine.substr(prefix.size());
}

ArgumentList PlatformSplit(const std::wstring& commandLine)
{
    int count = 0;
    LPWSTR* values = CommandLineToArgvW(commandLine.c_str(), &count);
    ArgumentList arguments(values, values + (values ? count : 0));
    LocalFree(values);
    return arguments;
}
