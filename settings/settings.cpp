// Reads and writes Zentrobe.ini through the platform's profile functions.
#include "settings/settings.h"

#include "common/path.h"
#include "common/unique_handle.h"
#include "player/player_contract.h"
#include "settings/file_swap.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

LauncherSettings g_launcherSettings;

namespace {

// The settings as the last load left them, to tell a change the user made since.
LauncherSettings g_loadedSettings;

constexpr const wchar_t* kSettingsFileName = L"Zentrobe.ini";
constexpr DWORD kLockTimeoutMs = 5000;

// A value, empty when it is missing.
std::wstring ReadSetting(const wchar_t* section, const wchar_t* key, const std::wstring& file)
{
    // Two characters of room beyond the cut, so a value written with
    // protective quotes still comes back whole before it is cut.
    WCHAR buffer[kSettingBufferSize + 2] = {};
    GetPrivateProfileStringW(section, key, L"", buffer, kSettingBufferSize + 2, file.c_str());
    std::wstring value = buffer;
    if (value.size() > kSettingBufferSize - 1) value.resize(kSettingBufferSize - 1);
    return value;
}

bool WriteSetting(const wchar_t* section, const wchar_t* key, const std::wstring& value,
                  const std::wstring& file)
{
    return WritePrivateProfileStringW(section, key, ProtectProfileValue(value).c_str(),
                                      file.c_str()) != 0;
}

// True when the file already gives back exactly this value. A missing key
// reads as a line break, which no value read from a file can hold. The
// buffer has room for two characters more than the value (and the
// terminator): a longer value, even one cut there and then stripped of a
// quote, reads back longer than this one.
bool FileHolds(const wchar_t* section, const wchar_t* key, const std::wstring& value,
               const std::wstring& file)
{
    std::wstring buffer(value.size() + 3, L'\0');
    const DWORD length = GetPrivateProfileStringW(section, key, L"\n", &buffer[0],
                                                  static_cast<DWORD>(buffer.size()), file.c_str());
    return value.compare(0, std::wstring::npos, buffer.c_str(), length) == 0;
}

bool FileHoldsSettings(const std::wstring& file, const LauncherSettings& s)
{
    return FileHolds(L"Black", L"Path", s.blackPath, file) &&
           FileHolds(L"White", L"Path", s.whitePath, file) &&
           FileHolds(L"Black", L"Param", s.blackParam, file) &&
           FileHolds(L"White", L"Param", s.whiteParam, file);
}

bool SameSettings(const LauncherSettings& a, const LauncherSettings& b)
{
    return a.whitePath == b.whitePath && a.blackPath == b.blackPath &&
           a.whiteParam == b.whiteParam && a.blackParam == b.blackParam;
}

// The profile writer creates a missing file in the ANSI code page, which turns
// every character outside it into '?'. A file that starts as UTF-16LE with a
// byte-order mark stays UTF-16LE.
bool CreateUnicodeFile(const std::wstring& file)
{
    const UniqueFile handle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    static const BYTE kByteOrderMark[] = {0xFF, 0xFE};
    DWORD written = 0;
    return handle &&
           WriteFile(handle.Get(), kByteOrderMark, sizeof(kByteOrderMark), &written, nullptr) &&
           written == sizeof(kByteOrderMark);
}

// The profile writer does not check its writes: on a disk that is full it
// leaves the new file cut short and reports success. So a new file is built
// only where there is room for a whole copy of the old one and more.
bool RoomToBuild(const std::wstring& folder, const std::wstring& file)
{
    constexpr ULONGLONG kRoomBeyondCopy = 64 * 1024;  // the new values, and the disk's rounding
    WIN32_FILE_ATTRIBUTE_DATA old = {};
    const ULONGLONG size = GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &old)
                               ? ULONGLONG(old.nFileSizeHigh) << 32 | old.nFileSizeLow
                               : 0;
    ULARGE_INTEGER available = {};
    if (!GetDiskFreeSpaceExW(JoinPath(folder, L"").c_str(), &available, nullptr, nullptr))
        return true;  // cannot tell: the writes may well work
    return available.QuadPart >= size + kRoomBeyondCopy;
}

// The complete new settings file under side: a byte-for-byte copy of file (so
// its encoding, comments and other sections stay as they are), or an empty
// UTF-16 file where there is none yet, with the four values written into it
// by the profile writer, and flushed to the disk. False, with nothing left
// under side, if any of it failed.
bool BuildSettingsFile(const std::wstring& file, const std::wstring& side,
                       const LauncherSettings& s)
{
    if (!RoomToBuild(RemoveFileSpec(side), file)) return false;
    bool built = CopyFileW(file.c_str(), side.c_str(), FALSE) ||
                 (GetLastError() == ERROR_FILE_NOT_FOUND && CreateUnicodeFile(side));
    built = built && WriteSetting(L"Black", L"Path", s.blackPath, side) &&
            WriteSetting(L"White", L"Path", s.whitePath, side) &&
            WriteSetting(L"Black", L"Param", s.blackParam, side) &&
            WriteSetting(L"White", L"Param", s.whiteParam, side);
    // The next save's side file is a new file of the same name: the profile
    // functions must not take it for the one they wrote now.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, side.c_str());
    built = built && FlushToDisk(side);
    if (!built) DeleteFileW(side.c_str());  // a part of a file only takes room
    return built;
}

// The last resort for a change the user confirmed, when the new file cannot
// be put in place: its bytes written over the old file's. Where it could
// not be built beside the old one (the folder takes no new file, or its disk
// is full), it is built in the temporary folder instead.
void WriteOverInPlace(const std::wstring& file, const std::wstring& side, bool sideBuilt,
                      const LauncherSettings& s)
{
    if (sideBuilt) {
        OverwriteWith(side, file);
        return;
    }
    WCHAR folder[MAX_PATH + 1] = {};
    if (!GetTempPathW(MAX_PATH + 1, folder)) return;
    const std::wstring spare = SideFileIn(folder);
    if (BuildSettingsFile(file, spare, s)) OverwriteWith(spare, file);
    DeleteFileW(spare.c_str());
}

// What the profile reader strips around a value: white space, and (under
// Wine) the DOS end-of-file character 0x1A.
bool IsStrippedAtEdges(wchar_t c)
{
    return iswspace(c) != 0 || c == 0x1A;
}

// Loads and saves take turns, machine-wide per file, so that launchers ending
// together save one after the other, each over what the one before it left,
// rather than contending to replace the file (which fails while another
// process has it open), and a save never writes in place beside a reader.
// The file on disk is always whole, so a launcher that gives up waiting still
// reads and writes whole files. The name carries a hash of the path, as
// object names cannot hold backslashes.
struct SettingsFileLock {
    explicit SettingsFileLock(const std::wstring& file)
    {
        unsigned long long hash = 14695981039346656037ull;  // FNV-1a over the upper-cased path
        for (wchar_t c : file) {
            hash ^= static_cast<unsigned long long>(towupper(c));
            hash *= 1099511628211ull;
        }
        wchar_t name[64];
        swprintf(name, 64, L"Local\\Zentrobe.settings.%016llx", hash);
        mutex.Reset(CreateMutexW(nullptr, FALSE, name));
        // Should a hung launcher hold it, going on beats never starting or
        // saving; an abandoned lock is ours all the same.
        const DWORD wait = mutex ? WaitForSingleObject(mutex.Get(), kLockTimeoutMs) : WAIT_FAILED;
        held = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    ~SettingsFileLock()
    {
        if (held) ReleaseMutex(mutex.Get());
    }
    SettingsFileLock(const SettingsFileLock&) = delete;
    SettingsFileLock& operator=(const SettingsFileLock&) = delete;

    UniqueKernelHandle mutex;
    bool held = false;
};

}  // namespace

std::wstring ModuleFolder()
{
    return RemoveFileSpec(ModulePath());
}

std::wstring SettingsFilePath()
{
    return JoinPath(ModuleFolder(), kSettingsFileName);
}

std::wstring DefaultPlayerPath()
{
    return JoinPath(ModuleFolder(), kDefaultPlayerFileName);
}

std::wstring ProtectProfileValue(const std::wstring& value)
{
    if (value.empty()) return value;
    const wchar_t first = value.front(), last = value.back();
    const bool enclosedInQuotes =
        value.size() >= 2 && (first == L'"' || first == L'\'') && last == first;
    if (IsStrippedAtEdges(first) || IsStrippedAtEdges(last) || enclosedInQuotes)
        return L"\"" + value + L"\"";
    return value;
}

void LoadSettings()
{
    const std::wstring file = SettingsFilePath();
    LauncherSettings& s = g_launcherSettings;
    {
        const SettingsFileLock lock(file);
        s.blackPath = ReadSetting(L"Black", L"Path", file);
        s.whitePath = ReadSetting(L"White", L"Path", file);
        s.blackParam = ReadSetting(L"Black", L"Param", file);
        s.whiteParam = ReadSetting(L"White", L"Param", file);
    }
    // A path key that is missing, or present but empty, means the default
    // player. It is filled in here rather than handed to the reader as its
    // default, whose buffer would cut it short in a deep folder.
    if (s.blackPath.empty()) s.blackPath = DefaultPlayerPath();
    if (s.whitePath.empty()) s.whitePath = DefaultPlayerPath();
    g_loadedSettings = s;
}

void SaveSettings()
{
    const std::wstring file = SettingsFilePath();
    const SettingsFileLock lock(file);
    RemoveAbandonedSideFiles(file);
    const LauncherSettings& s = g_launcherSettings;
    if (FileHoldsSettings(file, s)) return;
    // The profile writer cannot change a read-only file, and a replace must not either.
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return;

    const std::wstring side = SideFileIn(RemoveFileSpec(file));
    const bool sideBuilt = BuildSettingsFile(file, side, s);
    if (sideBuilt && ReplaceInOneStep(side, file)) return;
    // Only what the user changed is worth the risk of writing in place; values
    // the next start derives again (defaults for missing keys) are not.
    if (!SameSettings(s, g_loadedSettings)) WriteOverInPlace(file, side, sideBuilt, s);
    if (sideBuilt) DeleteFileW(side.c_str());
}
