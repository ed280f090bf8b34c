// The run sequence: one pass from start-up to exit, on the one GUI thread.
#include "app/app.h"

#include "devices/device_list.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "ui/ui.h"

int RunLauncher(HINSTANCE instance, const wchar_t* commandLine)
{
    LoadSettings();
    g_arguments = SplitCommandLine(commandLine);
    EnumerateDevices(g_deviceList);
    if (!LaunchFromCommandLine()) {
        // Only the window shows which tuners are in use, so only a start that
        // shows it spends a walk over every top-level window on finding out.
        MarkDevicesInUse(g_deviceList);
        DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc, 0);
    }
    SaveSettings();
    return 0;
}
