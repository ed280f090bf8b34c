// Finding top-level windows by process, title, class and owner, as the
// tests, benchmarks and the demo look for the launcher's and the player's.
#pragma once

#include <windows.h>

struct WindowQuery {
    DWORD processId = 0;                 // 0: any process
    const wchar_t* title = nullptr;      // exact title; null: any
    const wchar_t* className = nullptr;  // exact class name; null: any
    HWND owner = nullptr;                // null: any owner
};

// The first matching top-level window in Z order, or null.
HWND FindTopLevelWindow(const WindowQuery& query);

// Waits at most timeoutMs (0: for ever) for a matching window that is
// visible and whose thread answers messages, so input sent to it is taken,
// not lost while it is still being set up. Null when none came.
HWND WaitForWindow(const WindowQuery& query, DWORD timeoutMs);

// Waits at most timeoutMs (0: for ever) until no matching window is left.
bool WaitForNoWindow(const WindowQuery& query, DWORD timeoutMs);

// A round trip through the window's message queue, at most timeoutMs: true
// when its thread is pumping messages.
bool Answers(HWND window, UINT timeoutMs = 5000);
