// See launcher_run.h.
#include "support/launcher_run.h"

#include "res/resource.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

constexpr DWORD kPollMs = 20;

}  // namespace

LauncherFolder PrepareLauncherFolder(const std::wstring& name)
{
    LauncherFolder launcher;
    launcher.folder = FreshFolder(name);
    launcher.exe = launcher.folder + L"\\Zentrobe.exe";
    launcher.player = launcher.folder + L"\\FriioView.exe";
    launcher.log = launcher.folder + L"\\player.log";
    launcher.settings = launcher.folder + L"\\Zentrobe.ini";
    for (const auto& copy :
         {std::make_pair(ShippedExe(), launcher.exe), std::make_pair(PlayerExe(), launcher.player)})
        if (!CopyFileW(copy.first.c_str(), copy.second.c_str(), FALSE))
            ADD_FAILURE() << "cannot copy " << Narrow(copy.first) << " to " << Narrow(copy.second)
                          << ": error " << GetLastError();
    return launcher;
}

std::string Describe(const LauncherRun& run)
{
    char text[160];
    if (!run.process.started)
        std::snprintf(text, sizeof(text), "the launcher could not be started (error %lu)",
                      run.startError);
    else if (run.process.finished)
        std::snprintf(
            text, sizeof(text), "the launcher ended after %.1f s with exit code %lu; its window %s",
            run.process.seconds, run.process.exitCode, run.windowShown ? "showed" : "never showed");
    else
        std::snprintf(text, sizeof(text),
                      "the launcher still ran after %.1f s and was killed; its window %s",
                      run.process.seconds, run.windowShown ? "showed" : "never showed");
    return text;
}

WindowQuery MainWindowOf(DWORD processId)
{
    WindowQuery query;
    query.processId = processId;
    query.title = L"Zentrobe";
    query.className = L"#32770";
    return query;
}

void PressEscape(HWND mainWindow)
{
    // Escape on the focused list: the dialog manager turns it into the cancel command.
    HWND list = GetDlgItem(mainWindow, IDC_DEVICE_LIST);
    PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(list, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

void PressButton(HWND mainWindow, int id)
{
    PostMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(mainWindow, id)));
}

LauncherRun RunLauncherExe(const LauncherFolder& launcher, const std::wstring& arguments,
                           const WindowAction& onWindow, const LaunchOptions& options)
{
    ScopedEnvironment log(kPlayerLogVariable, launcher.log);
    ScopedEnvironment lifetime(kPlayerLifetimeVariable, std::to_wstring(options.playerLifetimeMs));

    LauncherRun run;
    std::wstring commandLine = L"\"" + launcher.exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    const ChildProcess child = StartChild(
        commandLine, options.workingDirectory.empty() ? launcher.folder : options.workingDirectory);
    run.startError = child.startError;
    if (!child) return run;

    const WindowQuery mainWindow = MainWindowOf(child.id);
    while (!WaitForExit(child, kPollMs) && child.started.Ms() < options.timeoutMs) {
        if (run.windowShown) continue;
        // Acted on only once it is visible and pumping: input posted while
        // the dialog is still being set up can be lost.
        HWND window = FindTopLevelWindow(mainWindow);
        if (!window || !IsWindowVisible(window) || !Answers(window)) continue;
        run.windowShown = true;
        if (onWindow) onWindow(window);
    }
    run.process = FinishChild(child, 0);
    return run;
}

OpenLauncher StartWithWindow(const LauncherFolder& launcher)
{
    OpenLauncher open;
    open.process = StartChild(L"\"" + launcher.exe + L"\"", launcher.folder);
    if (!open.process)
        ADD_FAILURE() << "cannot start " << Narrow(launcher.exe) << ": error "
                      << open.process.startError;
    else if (!(open.window = WaitForWindow(MainWindowOf(open.process.id), kPatienceMs)))
        ADD_FAILURE() << "the launcher's window did not show within " << kPatienceMs / 1000 << " s";
    return open;
}

DWORD Finish(OpenLauncher& open, DWORD timeoutMs)
{
    const ProcessResult result = FinishChild(open.process, timeoutMs);
    open = OpenLauncher{};
    return result.finished ? result.exitCode : ~0u;
}

void ExpectSettingsFileWritten(const LauncherFolder& launcher)
{
    const std::wstring text = ReadFileText(launcher.settings);
    EXPECT_NE(text.find(L"[White]"), std::wstring::npos) << Narrow(text.substr(0, 200));
    EXPECT_NE(text.find(L"[Black]"), std::wstring::npos) << Narrow(text.substr(0, 200));
}
