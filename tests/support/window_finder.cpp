// See window_finder.h.
#include "support/window_finder.h"

#include "support/stopwatch.h"

#include <cwchar>

namespace {

constexpr DWORD kPollMs = 10;

bool Matches(HWND window, const WindowQuery& query)
{
    if (query.processId) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != query.processId) return false;
    }
    WCHAR text[256];
    if (query.title && (GetWindowTextW(window, text, 256), wcscmp(text, query.title) != 0))
        return false;
    if (query.className &&
        (!GetClassNameW(window, text, 256) || wcscmp(text, query.className) != 0))
        return false;
    return !query.owner || GetWindow(window, GW_OWNER) == query.owner;
}

}  // namespace

HWND FindTopLevelWindow(const WindowQuery& query)
{
    for (HWND w = GetTopWindow(GetDesktopWindow()); w; w = GetWindow(w, GW_HWNDNEXT))
        if (Matches(w, query)) return w;
    return nullptr;
}

bool Answers(HWND window, UINT timeoutMs)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

HWND WaitForWindow(const WindowQuery& query, DWORD timeoutMs)
{
    const Stopwatch waited;
    do {
        HWND window = FindTopLevelWindow(query);
        if (window && IsWindowVisible(window) && Answers(window)) return window;
        Sleep(kPollMs);
    } while (waited.Ms() < timeoutMs);
    return nullptr;
}

bool WaitForNoWindow(const WindowQuery& query, DWORD timeoutMs)
{
    const Stopwatch waited;
    while (FindTopLevelWindow(query)) {
        if (timeoutMs && waited.Ms() >= timeoutMs) return false;
        Sleep(kPollMs);
    }
    return true;
}
