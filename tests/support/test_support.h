// What the GoogleTest programs share: where the programs under test are,
// scratch folders and files, simulated tuners, and the environment players
// inherit. Built on the kit (child_process.h, window_finder.h, stopwatch.h,
// text.h) that the benchmarks and the demo helper use too.
#pragma once

#include "app/app.h"
#include "devices/device_list.h"
#include "player/player_log.h"
#include "support/child_process.h"
#include "support/stopwatch.h"
#include "support/text.h"

#include <windows.h>

#include <string>
#include <vector>

// Every resource of the program carries Japanese (Japan), 1041.
constexpr WORD kJapanese = MAKELANGID(LANG_JAPANESE, 0x01);

// The shipped Zentrobe.exe, the substitute driver and player, as Windows paths.
std::wstring ShippedExe();
std::wstring DriverFile();
std::wstring PlayerExe();

// A new, empty folder under the build's scratch folder, named after name.
std::wstring FreshFolder(const std::wstring& name);
void RemoveTree(const std::wstring& path);

// What FindFirstFileW finds for a pattern ("folder\\*", "folder\\*.tmp"),
// without "." and "..".
std::vector<WIN32_FIND_DATAW> FindFiles(const std::wstring& pattern);

bool FileExists(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// A file's text: UTF-16LE when it starts with that byte-order mark, else the ANSI code page.
std::wstring FileText(const std::string& bytes);
std::wstring ReadFileText(const std::wstring& path);
// The bytes of a UTF-16LE file with its byte-order mark.
std::string Utf16File(const std::wstring& text);

// Waits until no substitute player's window is left, at most 20 s: players an
// earlier test started may still be closing, and their windows would mark
// tuners in use.
void WaitForPlayersToClose();

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

// A device-list entry as enumeration would make it; an empty path gets a
// made-up interface path.
DeviceEntry MakeEntry(int index, int ordinal, int type, int inUse = 0,
                      const std::wstring& path = L"");

// The arguments a player received: its command line after the quoted path.
std::wstring ArgumentsOf(const PlayerStart& start, const std::wstring& playerPath);

// The platform's own command-line splitter (CommandLineToArgvW), to hold ours against.
ArgumentList PlatformSplit(const std::wstring& commandLine);
