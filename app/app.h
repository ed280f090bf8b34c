// Start-up and the command-line launch: the program's run from entry to exit.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The arguments after the program's name, split once at start and kept for
// the life of the process.
using ArgumentList = std::vector<std::wstring>;

extern ArgumentList g_arguments;

// The whole run: settings in, tuners found, then a launch from the command
// line or the main window, settings out. Always returns 0.
int RunLauncher(HINSTANCE instance, const wchar_t* commandLine);

// Splits the command-line text that follows the program's name by the rules
// of the platform's CommandLineToArgvW, without loading shell32 for it (that
// costs every start-up more than the rest of a command-line launch). The first
// argument follows the rules for a program name, as it does there; an empty
// text gives the running executable's path.
ArgumentList SplitCommandLine(const wchar_t* commandLine);

// Launches the player for the tuner that the first argument selects ("-t<N>"
// White, "-s<N>" Black, N its ordinal within the model). Returns 1 when a
// tuner matched and a launch was attempted, 0 when nothing was selected.
int LaunchFromCommandLine();

// The selector in a first argument: true with type and ordinal set when it is
// "-t" or "-s" followed by at least one more character.
bool ParseTunerSelector(const std::wstring& argument, int& type, int& ordinal);

// The player's arguments for a command-line launch: the tuner option, the
// model's extra parameters, then every argument after the first,
// blank-separated, with trailing spaces removed.
std::wstring BuildCommandLineArguments(int index, const std::wstring& extraParameters,
                                       const ArgumentList& arguments);
