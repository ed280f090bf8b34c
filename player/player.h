// The vendor's player program: what the launcher sends it, how it recognises
// a running one, and the one place that starts it.
#pragma once

#include <windows.h>

#include <string>

// Beside the launcher, the default player for both models.
constexpr const wchar_t* kDefaultPlayerFileName = L"FriioView.exe";

// A running player shows a top-level window of this class and title, and
// announces the list position of its tuner as ~position in this property.
constexpr const wchar_t* kPlayerWindowTitle = L"Friio HDTV Player";
constexpr const wchar_t* kPlayerWindowClass = L"#32770";
constexpr const wchar_t* kPlayerWindowProperty = L"B19E4999-E939-4ca7-A003-651ECB4112B8";
constexpr int kPlayerWindowReadLimit = 32;  // characters read of title and class, terminator included

constexpr DWORD kPlayerReadyTimeoutMs = 10000;

// CreateProcessW's limit for a command line, terminator included.
constexpr size_t kMaxCommandLine = 32767;

// "-o <index> ": the option that tells the player which tuner to open.
std::wstring TunerOption(int index);

// The configured extra arguments for a tuner type: whiteParam for White,
// blackParam for Black, nothing for any other type.
std::wstring ExtraParameters(int type);

// Starts the configured player for a tuner type (1 White, 2 Black) with the
// given arguments and waits until it is ready for input, at most 10 s.
// Returns nonzero when the process was created; starts nothing for other types.
int LaunchPlayer(int type, const std::wstring& arguments);
