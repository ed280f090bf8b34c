// Running the real Zentrobe.exe from a folder of its own, and acting on its
// main window from this (second) process when it shows one.
#pragma once

#include "support/test_support.h"

#include <functional>
#include <string>

// A fresh folder holding a copy of the shipped launcher and, as its default
// player FriioView.exe, the substitute player; log is where players record
// their starts (the tests set SUBPLAYER_LOG to it).
struct LauncherFolder {
    std::wstring folder;
    std::wstring exe;
    std::wstring player;
    std::wstring log;
    std::wstring settings;
};
LauncherFolder PrepareLauncherFolder(const std::wstring& name);

struct LauncherRun {
    ProcessResult process;
    bool windowShown = false;
};

// What to do with the main window once it shows.
using WindowAction = std::function<void(HWND mainWindow)>;
void PressEscape(HWND mainWindow);
void PressButton(HWND mainWindow, int id);

// Runs "exe arguments" in its folder with the player's log set and players
// closing by themselves after playerLifetimeMs, waits for it to end (at most
// timeoutMs); when the main window appears, onWindow is applied to it once.
LauncherRun RunLauncherExe(const LauncherFolder& launcher, const std::wstring& arguments,
                           const WindowAction& onWindow = PressEscape, DWORD timeoutMs = 30000,
                           DWORD playerLifetimeMs = 1500);

// The top-level "Zentrobe" dialog of a process, or null.
HWND FindMainWindow(DWORD processId);
