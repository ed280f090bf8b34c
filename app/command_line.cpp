// The shortcut road: "-t0", "-s1" and the like start the player at once.
#include "app/app.h"

#include "devices/device_list.h"
#include "player/player.h"
#include "settings/settings.h"

#include <cwchar>

ArgumentList g_arguments;

bool ParseTunerSelector(const wchar_t* argument, int& type, int& ordinal)
{
    if (!argument || wcslen(argument) < 3) return false;  // a bare "-t" selects nothing
    if (wcsncmp(argument, L"-t", 2) == 0)
        type = TunerType::Terrestrial;
    else if (wcsncmp(argument, L"-s", 2) == 0)
        type = TunerType::Satellite;
    else
        return false;
    // wcstol's rules: leading blanks, a sign, digits; no digits is 0. Out of
    // range saturates, which matches no tuner.
    ordinal = static_cast<int>(wcstol(argument + 2, nullptr, 10));
    return true;
}

std::wstring BuildCommandLineArguments(int index, const std::wstring& extraParameters,
                                       int argumentCount, const LPWSTR* arguments)
{
    std::wstring result = TunerOption(index) + extraParameters + L" ";
    for (int i = 1; i < argumentCount; ++i) {
        result += arguments[i];  // as split: an argument with blanks reaches the player in pieces
        result += L' ';
    }
    const size_t end = result.find_last_not_of(L' ');
    result.erase(end == std::wstring::npos ? 0 : end + 1);
    return result;
}

int LaunchFromCommandLine()
{
    if (g_arguments.count <= 0 || !g_arguments.values) return 0;
    int type = TunerType::Unknown, ordinal = 0;
    if (!ParseTunerSelector(g_arguments.values[0], type, ordinal)) return 0;

    for (const DeviceEntry& entry : g_deviceList) {
        if (entry.type != type || entry.ordinal != ordinal) continue;
        const std::wstring& extra =
            type == TunerType::Terrestrial ? g_launcherSettings.whiteParam : g_launcherSettings.blackParam;
        LaunchPlayer(type, BuildCommandLineArguments(entry.index, extra, g_arguments.count,
                                                     g_arguments.values));
        return 1;
    }
    return 0;
}
