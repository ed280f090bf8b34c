// See path.h.
#include "common/path.h"

#include <windows.h>

#include <vector>

std::wstring RemoveFileSpec(const std::wstring& path)
{
    // Cut at the last backslash, but keep the separator of a root ("\",
    // "C:\") and everything up to a drive's colon ("C:x" -> "C:").
    size_t i = 0, cut = 0;
    if (i < path.size() && path[i] == L'\\') cut = ++i;  // "\x" or the first of "\\"
    if (i < path.size() && path[i] == L'\\') cut = ++i;  // a UNC or device path
    for (; i < path.size(); ++i) {
        if (path[i] == L'\\') {
            cut = i;
        } else if (path[i] == L':') {
            cut = ++i;  // the character after a drive's colon is never a cut
            if (i < path.size() && path[i] == L'\\') ++cut;
        }
    }
    return path.substr(0, cut);
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name)
{
    if (folder.empty() || folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

std::wstring ModulePath()
{
    std::vector<WCHAR> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(GetModuleHandleW(nullptr), buffer.data(),
                                                static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::wstring();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);  // cut off: try again with room
    }
}
