// The start log of the substitute player (FriioView.exe): the player appends one
// record per start, the tests read them back to see how the launcher started it.
#pragma once

#include <string>
#include <vector>

// Environment variables the substitute player reads (it inherits the launcher's).
constexpr wchar_t kPlayerLogVariable[] = L"SUBPLAYER_LOG";                    // log file path
constexpr wchar_t kPlayerReadyDelayVariable[] = L"SUBPLAYER_READY_DELAY_MS";  // ms, or "never"
constexpr wchar_t kPlayerLifetimeVariable[] = L"SUBPLAYER_LIFETIME_MS";  // ms, 0 = until closed
constexpr wchar_t kPlayerPositionVariable[] = L"SUBPLAYER_POSITION";     // integer, or "none"

// Exit code of a player whose environment holds a value it cannot parse.
constexpr unsigned long kPlayerExitBadSetting = 2;

struct PlayerStart {
    std::wstring commandLine;       // GetCommandLineW, as received
    std::wstring workingDirectory;  // GetCurrentDirectoryW
    unsigned long processId;
    unsigned long long startTime;  // UTC FILETIME
};

// The time now, counted as startTime is.
unsigned long long PlayerLogTimeNow();

// All records in the log, oldest first. A missing file gives none; an unreadable
// file or a malformed record throws std::runtime_error. A last line without its
// newline is a record still being written and is left out.
std::vector<PlayerStart> ReadPlayerLog(const std::wstring& path);

// One record as it is stored: UTF-8, fields separated by TAB, ended by LF, with
// backslash, TAB, LF and CR in the text fields escaped as \\ \t \n \r. Lone
// surrogates are kept as their 3-byte forms so any command line round-trips.
std::string FormatPlayerLogRecord(const PlayerStart& start);

// Appends one record with a single write on an append-only handle, under a
// machine-wide mutex, so players starting together never mix their records.
// False if it failed.
bool AppendPlayerLog(const std::wstring& path, const PlayerStart& start);
