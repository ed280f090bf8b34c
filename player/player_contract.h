// What the launcher and the vendor's player agree on: the default file name,
// how a running player's window is recognised, and the limits of a start.
// Constants only, so any part of the program may include it.
#pragma once

#include <cstddef>

// Beside the launcher, the default player for both models.
constexpr const wchar_t* kDefaultPlayerFileName = L"FriioView.exe";

// A running player shows a top-level window of this class and title, and
// announces the list position of its tuner as ~position in this property.
constexpr const wchar_t* kPlayerWindowTitle = L"Friio HDTV Player";
constexpr const wchar_t* kPlayerWindowClass = L"#32770";
constexpr const wchar_t* kPlayerWindowProperty = L"B19E4999-E939-4ca7-A003-651ECB4112B8";
// Characters read of title and class, terminator included.
constexpr int kPlayerWindowReadLimit = 32;

// How long a started player may take to become ready for input.
constexpr unsigned long kPlayerReadyTimeoutMs = 10000;

// CreateProcessW's limit for a command line, terminator included.
constexpr std::size_t kMaxCommandLine = 32767;
