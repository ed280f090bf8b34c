// Starting the vendor's player: the pieces of its argument string that both
// launch paths build, and the one place that starts it.
#pragma once

#include "player/player_contract.h"

#include <string>

// "-o <index> ": the option that tells the player which tuner to open.
std::wstring TunerOption(int index);

// The configured extra arguments for a tuner type: whiteParam for White,
// blackParam for Black, nothing for any other type.
std::wstring ExtraParameters(int type);

// The executable a stored player path names: without blanks at its ends, then
// without one pair of enclosing double quotes, as Explorer's "Copy as path"
// puts them. The stored value itself stays as the user typed it.
std::wstring PlayerExecutable(const std::wstring& path);

// Starts the configured player for a tuner type (1 White, 2 Black) with the
// given arguments and waits until it is ready for input, at most 10 s.
// Returns nonzero when the process was created; starts nothing for other types.
int LaunchPlayer(int type, const std::wstring& arguments);
