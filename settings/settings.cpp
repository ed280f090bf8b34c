// Reads and writes Zentrobe.ini through the platform's profile functions.
#include "settings/settings.h"

#include "common/path.h"
#include "common/unique_handle.h"
#include "player/player_contract.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

LauncherSettings g_launcherSettings;

namespace {

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

void WriteSetting(const wchar_t* section, const wchar_t* key, const std::wstring& value,
                  const std::wstring& file)
{
    WritePrivateProfileStringW(section, key, ProtectProfileValue(value).c_str(), file.c_str());
}

// The profile writer creates a missing file in the ANSI code page, which turns
// every character outside it into '?'. A file that starts as UTF-16LE with a
// byte-order mark stays UTF-16LE. An existing file keeps its encoding.
void CreateUnicodeFileIfMissing(const std::wstring& file)
{
    UniqueFile handle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return;  // it exists already, or the folder cannot be written
    static const BYTE kByteOrderMark[] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteFile(handle.Get(), kByteOrderMark, sizeof(kByteOrderMark), &written, nullptr);
}

// What the profile reader strips around a value: white space, and (under
// Wine) the DOS end-of-file character 0x1A.
bool IsStrippedAtEdges(wchar_t c)
{
    return iswspace(c) != 0 || c == 0x1A;
}

// Launchers ending together would interleave their read-modify-write
// rewrites of the file and tear it, and one starting meanwhile would read it
// half written and take the defaults, which its own exit then writes over the
// user's values. So reading and rewriting take turns, machine-wide per file:
// a load sees the file as it was before a save or after it. The name carries
// a hash of the path, as object names cannot hold backslashes.
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
}

void SaveSettings()
{
    const std::wstring file = SettingsFilePath();
    const SettingsFileLock lock(file);
    CreateUnicodeFileIfMissing(file);
    const LauncherSettings& s = g_launcherSettings;
    WriteSetting(L"Black", L"Path", s.blackPath, file);
    WriteSetting(L"White", L"Path", s.whitePath, file);
    WriteSetting(L"Black", L"Param", s.blackParam, file);
    WriteSetting(L"White", L"Param", s.whiteParam, file);
}
