// The run sequence: one pass from start-up to exit, on the one GUI thread.
#include "app/app.h"

#include "devices/device_list.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "ui/ui.h"

#include <shellapi.h>

int RunLauncher(HINSTANCE instance, const wchar_t* commandLine)
{
    LoadSettings();
    g_arguments.values = CommandLineToArgvW(commandLine, &g_arguments.count);
    if (!g_arguments.values) g_arguments.count = 0;
    EnumerateDevices(g_deviceList);
    MarkDevicesInUse(g_deviceList);
    if (!LaunchFromCommandLine())
        DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc, 0);
    SaveSettings();
    return 0;
}
