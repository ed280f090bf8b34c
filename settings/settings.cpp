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
constexpr DWORD kSaveLockTimeoutMs = 5000;

std::wstring ReadSetting(const wchar_t* section, const wchar_t* key,
                         const std::wstring& defaultValue, const std::wstring& file)
{
    // Two characters of room beyond the cut, so a value written with
    // protective quotes still comes back whole before it is cut.
    WCHAR buffer[kSettingBufferSize + 2] = {};
    GetPrivateProfileStringW(section, key, defaultValue.c_str(), buffer, kSettingBufferSize + 2,
                             file.c_str());
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
// rewrites of the file and tear it; one save at a time, machine-wide per
// file, leaves it whole (the last one wins). The name carries a hash of the
// path, as object names cannot hold backslashes.
UniqueKernelHandle SaveLockFor(const std::wstring& file)
{
    unsigned long long hash = 14695981039346656037ull;  // FNV-1a over the upper-cased path
    for (wchar_t c : file) {
        hash ^= static_cast<unsigned long long>(towupper(c));
        hash *= 1099511628211ull;
    }
    wchar_t name[64];
    swprintf(name, 64, L"Local\\Zentrobe.settings.%016llx", hash);
    UniqueKernelHandle lock(CreateMutexW(nullptr, FALSE, name));
    // Should a hung launcher hold it, saving anyway beats never saving; an
    // abandoned lock is ours all the same.
    if (lock) WaitForSingleObject(lock.Get(), kSaveLockTimeoutMs);
    return lock;
}

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
    const std::wstring defaultPath = DefaultPlayerPath();
    LauncherSettings& s = g_launcherSettings;
    s.blackPath = ReadSetting(L"Black", L"Path", defaultPath, file);
    s.whitePath = ReadSetting(L"White", L"Path", defaultPath, file);
    s.blackParam = ReadSetting(L"Black", L"Param", L"", file);
    s.whiteParam = ReadSetting(L"White", L"Param", L"", file);
    // A path key that is present but empty also means the default player.
    if (s.blackPath.empty()) s.blackPath = defaultPath;
    if (s.whitePath.empty()) s.whitePath = defaultPath;
}

void SaveSettings()
{
    const std::wstring file = SettingsFilePath();
    UniqueKernelHandle lock = SaveLockFor(file);
    CreateUnicodeFileIfMissing(file);
    const LauncherSettings& s = g_launcherSettings;
    WriteSetting(L"Black", L"Path", s.blackPath, file);
    WriteSetting(L"White", L"Path", s.whitePath, file);
    WriteSetting(L"Black", L"Param", s.blackParam, file);
    WriteSetting(L"White", L"Param", s.whiteParam, file);
    if (lock) ReleaseMutex(lock.Get());  // fails harmlessly if the wait timed out
}
