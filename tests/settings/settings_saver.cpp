// Test equipment for the settings tests: loads the Zentrobe.ini beside it
// once, then saves it ROUNDS times, as launchers ending one after another do.
// Each save changes the Black extra parameters, between what was loaded and
// that followed by " again", so that each save really rewrites the file (the
// profile writer leaves a file alone when a value is unchanged).
// Usage: settings_saver ROUNDS
#include "settings/settings.h"

#include <cstdlib>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    const int rounds = argc > 1 ? _wtoi(argv[1]) : 1;
    LoadSettings();
    const std::wstring loaded = g_launcherSettings.blackParam;
    for (int i = 0; i < rounds; ++i) {
        g_launcherSettings.blackParam = i % 2 ? loaded : loaded + L" again";
        SaveSettings();
    }
    return 0;
}
