// See window_finder.h.
#include "support/window_finder.h"

#include "support/wait.h"

#include <cwchar>

namespace {

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
    HWND window = nullptr;
    const bool ready = WaitUntil(
        [&] {
            window = FindTopLevelWindow(query);
            return window && IsWindowVisible(window) && Answers(window);
        },
        timeoutMs);
    return ready ? window : nullptr;
}

bool WaitForNoWindow(const WindowQuery& query, DWORD timeoutMs)
{
    return WaitUntil([&] { return !FindTopLevelWindow(query); }, timeoutMs);
}
