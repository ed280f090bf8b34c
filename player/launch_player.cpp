// Starts the player program for a tuner and forgets it once it is ready.
#include "player/player.h"

#include "common/path.h"
#include "common/unique_handle.h"
#include "devices/tuner_type.h"
#include "settings/settings.h"

#include <windows.h>

std::wstring TunerOption(int index)
{
    return L"-o " + std::to_wstring(index) + L" ";
}

std::wstring ExtraParameters(int type)
{
    if (type == TunerType::Terrestrial) return g_launcherSettings.whiteParam;
    if (type == TunerType::Satellite) return g_launcherSettings.blackParam;
    return std::wstring();
}

int LaunchPlayer(int type, const std::wstring& arguments)
{
    const std::wstring* playerPath = nullptr;
    if (type == TunerType::Terrestrial)
        playerPath = &g_launcherSettings.whitePath;
    else if (type == TunerType::Satellite)
        playerPath = &g_launcherSettings.blackPath;
    else
        return 0;

    // Always quoted, so a path with blanks reaches the loader whole.
    std::wstring commandLine = L"\"" + *playerPath + L"\" " + arguments;
    // Past the platform's limit Windows refuses the start, but Wine cuts the
    // line short and starts the player with a mangled last argument.
    if (commandLine.size() >= kMaxCommandLine) return 0;
    const std::wstring directory = RemoveFileSpec(*playerPath);  // the player's own folder

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, directory.c_str(), &startup, &process))
        return 0;

    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);
    WaitForInputIdle(processHandle.Get(), kPlayerReadyTimeoutMs);
    return 1;
}
