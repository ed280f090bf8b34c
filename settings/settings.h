// The four user settings and their file, Zentrobe.ini beside the executable.
#pragma once

#include <string>

struct LauncherSettings {
    std::wstring whitePath;   // player for White (terrestrial) tuners
    std::wstring blackPath;   // player for Black (satellite) tuners
    std::wstring whiteParam;  // extra player arguments for White tuners
    std::wstring blackParam;  // extra player arguments for Black tuners
};

extern LauncherSettings g_launcherSettings;

// A value is held to this many characters, terminator included, as the
// settings dialog's edits and the file reader both cut it.
constexpr int kSettingBufferSize = 260;

// The folder of the running executable, without a trailing separator
// (except for a drive root such as "C:\").
std::wstring ModuleFolder();
std::wstring SettingsFilePath();   // <ModuleFolder>\Zentrobe.ini
std::wstring DefaultPlayerPath();  // <ModuleFolder>\FriioView.exe

// Reads the settings file, with defaults for what is missing or unreadable.
void LoadSettings();
// Writes all four settings, unless the file already holds them. The new file
// is built beside the old one and put in its place in one step, so the file
// is always the old one or the new one, whole. When that cannot be done
// (another program holds the file, the folder takes no new file, the disk is
// full), a change made since LoadSettings (in the settings dialog) is written
// over the old file instead; anything else is left for the next save. A
// failure to write is silent.
void SaveSettings();

// How a value is written so that the profile reader gives it back unchanged
// (the reader strips surrounding blanks and one pair of enclosing quotes).
std::wstring ProtectProfileValue(const std::wstring& value);
