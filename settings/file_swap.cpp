// See file_swap.h.
#include "settings/file_swap.h"

#include "common/path.h"
#include "common/unique_handle.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <string>

namespace {

constexpr wchar_t kSidePrefix[] = L"Zen";
constexpr wchar_t kSideSuffix[] = L".tmp";

// The process id in a side file's name, or 0 when the name is not one.
DWORD SideFileProcessId(const std::wstring& name)
{
    const size_t prefix = wcslen(kSidePrefix), suffix = wcslen(kSideSuffix);
    if (name.size() <= prefix + suffix || name.size() > prefix + 8 + suffix) return 0;
    if (_wcsnicmp(name.c_str(), kSidePrefix, prefix) != 0 ||
        _wcsicmp(name.c_str() + name.size() - suffix, kSideSuffix) != 0)
        return 0;
    const std::wstring digits = name.substr(prefix, name.size() - prefix - suffix);
    for (wchar_t c : digits)
        if (!iswxdigit(c)) return 0;
    return wcstoul(digits.c_str(), nullptr, 16);
}

// True when no process with this id runs any more. A process this one may
// not open (another user's) counts as running.
bool ProcessGone(DWORD processId)
{
    const UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
    return WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0;
}

// Errors of a replace that another program's open handle on the target causes,
// and that go away when it closes the file.
bool HeldOpen(DWORD error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION;
}

bool WriteAt(HANDLE file, DWORD offset, const char* data, DWORD size)
{
    LARGE_INTEGER at = {};
    at.QuadPart = offset;
    DWORD written = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
           WriteFile(file, data, size, &written, nullptr) && written == size;
}

bool SetSize(HANDLE file, DWORD size)
{
    LARGE_INTEGER end = {};
    end.QuadPart = size;
    return SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

}  // namespace

std::wstring SideFileIn(const std::wstring& folder)
{
    wchar_t name[32];
    swprintf(name, 32, L"%ls%lX%ls", kSidePrefix, GetCurrentProcessId(), kSideSuffix);
    return JoinPath(folder, name);
}

void RemoveAbandonedSideFiles(const std::wstring& file)
{
    const std::wstring folder = RemoveFileSpec(file);
    const std::wstring pattern = JoinPath(folder, std::wstring(kSidePrefix) + L"*" + kSideSuffix);
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const DWORD owner = SideFileProcessId(found.cFileName);
        if (owner && owner != GetCurrentProcessId() && ProcessGone(owner))
            DeleteFileW(JoinPath(folder, found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

bool FlushToDisk(const std::wstring& path)
{
    // Shared every way: a virus scanner may be reading the file just written.
    const UniqueFile handle(CreateFileW(path.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return handle && FlushFileBuffers(handle.Get());
}

bool ReplaceInOneStep(const std::wstring& replacement, const std::wstring& target)
{
    // MoveFileExW rather than ReplaceFileW: one rename that either happens or
    // leaves both files untouched, also where target does not exist yet.
    // ReplaceFileW's extra work (merging attributes and streams) is not
    // needed for a copy, and some of its failures leave the files moved halfway.
    const DWORD start = GetTickCount();
    for (DWORD pause = 10;; pause = pause < 100 ? pause * 2 : 100) {
        if (MoveFileExW(replacement.c_str(), target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        if (!HeldOpen(GetLastError()) || GetTickCount() - start >= kReplaceRetryMs) return false;
        Sleep(pause);
    }
}

bool OverwriteWith(const std::wstring& replacement, const std::wstring& target)
{
    const UniqueFile source(CreateFileW(replacement.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!source || !GetFileSizeEx(source.Get(), &size) || size.QuadPart >= MAXLONG) return false;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD count = 0;
    if (!ReadFile(source.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &count, nullptr) ||
        count != bytes.size())
        return false;
    // Shared every way, so that it opens beside whoever blocks the replace.
    const UniqueFile out(CreateFileW(target.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER oldSize = {};
    if (!out || !GetFileSizeEx(out.Get(), &oldSize)) return false;
    const DWORD over = static_cast<DWORD>(std::min<LONGLONG>(count, oldSize.QuadPart));
    // What goes beyond the old end is written first: on a full disk that
    // fails while the old bytes are still all there, and is cut off again.
    if (count > over && !WriteAt(out.Get(), over, bytes.data() + over, count - over)) {
        SetSize(out.Get(), over);
        return false;
    }
    // Then the rest with one write, so that only an end at that very instant can mix the two.
    return WriteAt(out.Get(), 0, bytes.data(), over) && SetSize(out.Get(), count) &&
           FlushFileBuffers(out.Get());
}
