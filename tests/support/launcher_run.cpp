// See launcher_run.h.
#include "support/launcher_run.h"

#include "player/player_log.h"

LauncherFolder PrepareLauncherFolder(const std::wstring& name)
{
    LauncherFolder launcher;
    launcher.folder = FreshFolder(name);
    launcher.exe = launcher.folder + L"\\Zentrobe.exe";
    launcher.player = launcher.folder + L"\\FriioView.exe";
    launcher.log = launcher.folder + L"\\player.log";
    launcher.settings = launcher.folder + L"\\Zentrobe.ini";
    CopyFileW(ShippedExe().c_str(), launcher.exe.c_str(), FALSE);
    CopyFileW(PlayerExe().c_str(), launcher.player.c_str(), FALSE);
    return launcher;
}

HWND FindMainWindow(DWORD processId)
{
    for (HWND w = GetTopWindow(GetDesktopWindow()); w; w = GetWindow(w, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != processId) continue;
        WCHAR title[64] = {}, className[64] = {};
        GetWindowTextW(w, title, 64);
        GetClassNameW(w, className, 64);
        if (std::wstring(title) == L"Zentrobe" && std::wstring(className) == L"#32770") return w;
    }
    return nullptr;
}

void PressEscape(HWND mainWindow)
{
    // Escape on the focused list: the dialog manager turns it into the cancel command.
    HWND list = GetDlgItem(mainWindow, 1001);
    PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(list, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

void PressButton(HWND mainWindow, int id)
{
    PostMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(mainWindow, id)));
}

LauncherRun RunLauncherExe(const LauncherFolder& launcher, const std::wstring& arguments,
                           const WindowAction& onWindow, DWORD timeoutMs, DWORD playerLifetimeMs)
{
    ScopedEnvironment log(kPlayerLogVariable, launcher.log);
    ScopedEnvironment lifetime(kPlayerLifetimeVariable, std::to_wstring(playerLifetimeMs));

    LauncherRun run;
    std::wstring commandLine = L"\"" + launcher.exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const LARGE_INTEGER start = Now();
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, launcher.folder.c_str(),
                        &startup, &process))
        return run;
    run.process.started = true;

    LARGE_INTEGER acted = {};
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        if (SecondsSince(start) * 1000 > timeoutMs) break;
        HWND window = FindMainWindow(process.dwProcessId);
        if (!window) continue;
        // Act once the window is up; again if it is still there a while later
        // (a posted key can be lost while the dialog is still being set up).
        if (!run.windowShown || (SecondsSince(acted) > 12 && IsWindowVisible(window))) {
            if (!run.windowShown) WaitForInputIdle(process.hProcess, 5000);
            run.windowShown = true;
            acted = Now();
            if (onWindow) onWindow(window);
        }
    }
    run.process.seconds = SecondsSince(start);
    run.process.finished = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
    if (run.process.finished)
        GetExitCodeProcess(process.hProcess, &run.process.exitCode);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}
