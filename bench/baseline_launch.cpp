// The least a launcher must do: start the player for a tuner and wait until
// it is ready. The benchmark holds Zentrobe.exe against this.
#include "common/unique_handle.h"

#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int)
{
    // The command line is the player's path, unquoted.
    std::wstring playerCommand = L"\"" + std::wstring(commandLine) + L"\" -o 0";
    std::wstring folder = commandLine;
    folder.erase(folder.rfind(L'\\'));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &playerCommand[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, folder.c_str(), &startup, &process))
        return 1;
    const UniqueKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    WaitForInputIdle(processHandle.Get(), 10000);
    return 0;
}
