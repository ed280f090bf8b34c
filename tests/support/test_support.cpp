// Shared test helpers; see test_support.h.
#include "support/test_support.h"

#include "driver/tuner_installer.h"
#include "test_paths.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

// Wine shows the Unix root as drive Z:.
std::wstring WinePath(const char* unixPath)
{
    std::wstring path = L"Z:" + Utf8ToWide(unixPath);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

}  // namespace

std::wstring Utf8ToWide(const std::string& text)
{
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

std::string Narrow(const std::wstring& text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring ShippedExe() { return WinePath(ZENTROBE_TEST_EXE); }
std::wstring DriverFile() { return WinePath(ZENTROBE_TEST_DRIVER); }
std::wstring PlayerExe() { return WinePath(ZENTROBE_TEST_PLAYER); }

void RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

std::wstring FreshFolder(const std::wstring& name)
{
    const std::wstring path = WinePath(ZENTROBE_TEST_SCRATCH) + L"\\" + name;
    RemoveTree(path);
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0) bytes.append(chunk, read);
    CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot write " << std::string(path.begin(), path.end());
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::wstring ReadFileText(const std::wstring& path)
{
    const std::string bytes = ReadFileBytes(path);
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    if (bytes.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0], n);
    return wide;
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

double SecondsSince(LARGE_INTEGER start)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(Now().QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

ProcessResult RunProcess(const std::wstring& commandLine, const std::wstring& directory, DWORD timeoutMs)
{
    ProcessResult result;
    std::wstring writable = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const LARGE_INTEGER start = Now();
    if (!CreateProcessW(nullptr, &writable[0], nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &process))
        return result;
    result.started = true;
    result.finished = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    result.seconds = SecondsSince(start);
    if (result.finished)
        GetExitCodeProcess(process.hProcess, &result.exitCode);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

void InstallSimulatedTuners(const std::vector<std::wstring>& devices)
{
    ASSERT_TRUE(InstallTuners(DriverFile(), devices))
        << "installing the simulated tuners failed: " << Narrow(LastTunerInstallerError());
}

ScopedEnvironment::ScopedEnvironment(const wchar_t* variable, const std::wstring& value) : name(variable)
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
