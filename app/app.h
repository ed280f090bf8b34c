// Start-up and the command-line launch: the program's run from entry to exit.
#pragma once

#include <windows.h>

#include <string>

// The arguments after the program's name, split once at start and kept for
// the life of the process.
struct ArgumentList {
    int count = 0;
    LPWSTR* values = nullptr;
};

extern ArgumentList g_arguments;

// The whole run: settings in, tuners found and marked, then a launch from the
// command line or the main window, settings out. Always returns 0.
int RunLauncher(HINSTANCE instance, const wchar_t* commandLine);

// Launches the player for the tuner that the first argument selects ("-t<N>"
// White, "-s<N>" Black, N its ordinal within the model). Returns 1 when a
// tuner matched and a launch was attempted, 0 when nothing was selected.
int LaunchFromCommandLine();

// The selector in a first argument: true with type and ordinal set when it is
// "-t" or "-s" followed by at least one more character.
bool ParseTunerSelector(const wchar_t* argument, int& type, int& ordinal);

// The player's arguments for a command-line launch: the tuner option, the
// model's extra parameters, then every further argument, blank-separated,
// with trailing spaces removed.
std::wstring BuildCommandLineArguments(int index, const std::wstring& extraParameters,
                                       int argumentCount, const LPWSTR* arguments);
