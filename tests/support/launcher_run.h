// Running the real Zentrobe.exe from a folder of its own, and acting on its
// main window from this (second) process when it shows one.
#pragma once

#include "player/player_log.h"
#include "support/test_support.h"
#include "support/window_finder.h"

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
    DWORD startError = 0;
    bool windowShown = false;
};

// How a run ended, for failure messages.
std::string Describe(const LauncherRun& run);

// What to do with the main window once it is up and taking input.
using WindowAction = std::function<void(HWND mainWindow)>;
void PressEscape(HWND mainWindow);
void PressButton(HWND mainWindow, int id);

// Runs "exe arguments" in its folder (or in workingDirectory when given) with
// the player's log set and players closing by themselves after
// playerLifetimeMs, and waits for it to end, at most timeoutMs. When its main
// window is up and taking input, onWindow is applied to it once.
struct LaunchOptions {
    DWORD timeoutMs = 60000;
    DWORD playerLifetimeMs = 1500;
    std::wstring workingDirectory;
};
LauncherRun RunLauncherExe(const LauncherFolder& launcher, const std::wstring& arguments,
                           const WindowAction& onWindow = PressEscape,
                           const LaunchOptions& options = {});

// Longest command line CreateProcessW takes, terminator excluded.
constexpr size_t kCommandLineLimit = 32766;

// The launcher's top-level "Zentrobe" dialog, by its process.
WindowQuery MainWindowOf(DWORD processId);

// A launcher started with no arguments and left with its window open.
struct OpenLauncher {
    ChildProcess process;
    HWND window = nullptr;
};
OpenLauncher StartWithWindow(const LauncherFolder& launcher);
// Waits for it to end (killing it after the limit); its exit code, or ~0 if it did not end.
DWORD Finish(OpenLauncher& open, DWORD timeoutMs = 30000);

// Fails the test unless the settings file holds both sections.
void ExpectSettingsFileWritten(const LauncherFolder& launcher);
