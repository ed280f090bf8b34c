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

std::wstring PlayerExecutable(const std::wstring& path)
{
    const size_t first = path.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return std::wstring();
    std::wstring executable = path.substr(first, path.find_last_not_of(L" \t") - first + 1);
    if (executable.size() >= 2 && executable.front() == L'"' && executable.back() == L'"')
        executable = executable.substr(1, executable.size() - 2);
    return executable;
}

int LaunchPlayer(int type, const std::wstring& arguments)
{
    std::wstring playerPath;
    if (type == TunerType::Terrestrial)
        playerPath = PlayerExecutable(g_launcherSettings.whitePath);
    else if (type == TunerType::Satellite)
        playerPath = PlayerExecutable(g_launcherSettings.blackPath);
    else
        return 0;

    // Always quoted, so a path with blanks reaches the loader whole.
    std::wstring commandLine = L"\"" + playerPath + L"\" " + arguments;
    // Past the platform's limit Windows refuses the start, but Wine cuts the
    // line short and starts the player with a mangled last argument.
    if (commandLine.size() >= kMaxCommandLine) return 0;
    // The player's own folder. A bare file name has none: the player then
    // starts in the launcher's working directory, and the platform's search
    // finds it beside the launcher (an empty directory would be refused).
    const std::wstring directory = RemoveFileSpec(playerPath);

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, directory.empty() ? nullptr : directory.c_str(), &startup,
                        &process))
        return 0;

    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);
    WaitForInputIdle(processHandle.Get(), kPlayerReadyTimeoutMs);
    return 1;
}
