// What the tests share: where the programs under test are, scratch folders,
// files, and running a process to its end.
#pragma once

#include "devices/device_list.h"

#include <windows.h>

#include <string>
#include <vector>

// The shipped Zentrobe.exe, the substitute driver and player, as Windows paths.
std::wstring ShippedExe();
std::wstring DriverFile();
std::wstring PlayerExe();

// A new, empty folder under the build's scratch folder (emptied if it existed).
std::wstring FreshFolder(const std::wstring& name);
void RemoveTree(const std::wstring& path);

bool FileExists(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// A file's text: UTF-16LE when it starts with that byte-order mark, else the ANSI code page.
std::wstring ReadFileText(const std::wstring& path);

std::wstring Utf8ToWide(const std::string& text);
std::string Narrow(const std::wstring& text);  // UTF-8, for test messages

struct ProcessResult {
    bool started = false;
    bool finished = false;  // false: still running at the time limit (it was then killed)
    DWORD exitCode = 0;
    double seconds = 0;
};

// Runs commandLine (program path quoted by the caller where needed) in
// directory, waits up to timeoutMs for it to exit.
ProcessResult RunProcess(const std::wstring& commandLine, const std::wstring& directory,
                         DWORD timeoutMs = 30000);

// Installs exactly these simulated tuners (see the driver's installer), and
// fails the current test when that does not work.
void InstallSimulatedTuners(const std::vector<std::wstring>& devices);

// Sets an environment variable of this process (inherited by what it starts)
// for the life of the object.
struct ScopedEnvironment {
    ScopedEnvironment(const wchar_t* name, const std::wstring& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    std::wstring name;
    std::wstring oldValue;
    bool hadValue = false;
};

double SecondsSince(LARGE_INTEGER start);
LARGE_INTEGER Now();

// A device-list entry as enumeration would make it; an empty path gets a
// made-up interface path.
DeviceEntry MakeEntry(int index, int ordinal, int type, int inUse = 0, const std::wstring& path = L"");
