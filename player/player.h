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

// Starts the configured player for a tuner type (1 White, 2 Black) with the
// given arguments and waits until it is ready for input, at most 10 s.
// Returns nonzero when the process was created; starts nothing for other types.
int LaunchPlayer(int type, const std::wstring& arguments);
