// Waiting for a condition another thread or process brings about: polled,
// with a limit generous enough that a slow machine gives a slow pass.
#pragma once

#include "support/stopwatch.h"

#include <windows.h>

// True as soon as done() is; false when it still is not after timeoutMs
// (0: no limit).
template <typename Condition>
bool WaitUntil(Condition done, DWORD timeoutMs, DWORD pollMs = 10)
{
    const Stopwatch waited;
    while (!done()) {
        if (timeoutMs && waited.Ms() >= timeoutMs) return false;
        Sleep(pollMs);
    }
    return true;
}

// What the tests allow for a window to come or go, or a process to react.
constexpr DWORD kPatienceMs = 20000;
