// Where the time goes from process start to the main window, step by step,
// in milliseconds since the process was created. Built twice:
// timeline_product.exe runs the launcher's own run sequence (the product's
// libraries and resources, the same calls in the same order);
// timeline_baseline.exe only shows the list as baseline_window.exe does.
// Each closes its window once shown and writes "ms<TAB>step" lines to the
// file that ZENTROBE_TIMELINE_OUT names.
#ifdef TIMELINE_PRODUCT
#include "app/app.h"
#include "devices/device_list.h"
#include "settings/settings.h"
#include "ui/ui.h"
#else
#include "constant_list.h"
#endif
#include "res/resource.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

struct Mark {
    double ms;
    const char* step;
};
std::vector<Mark> g_marks;
bool g_shown = false;

double MsSinceCreation()
{
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimePreciseAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return double(ticks(now) - ticks(created)) / 10000.0;
}

void Note(const char* step)
{
    g_marks.push_back({MsSinceCreation(), step});
}

INT_PTR CALLBACK TimedDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) Note("dialog created (template, controls)");
#ifdef TIMELINE_PRODUCT
    MainDialogProc(window, message, wParam, lParam);
#else
    if (message == WM_INITDIALOG) FillWithConstantRows(window);
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(window, 2);
#endif
    if (message == WM_INITDIALOG) Note("list filled (strings, icons, columns, rows)");
    if (message == WM_WINDOWPOSCHANGED && !g_shown &&
        (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW)) {
        g_shown = true;
        Note("window shown");
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    Note("entry (loader, imports, runtime)");
#ifdef TIMELINE_PRODUCT
    LoadSettings();
    Note("settings read");
    g_arguments = SplitCommandLine(commandLine);
    EnumerateDevices(g_deviceList);
    Note("tuners enumerated (4)");
    if (!LaunchFromCommandLine()) {
        MarkDevicesInUse(g_deviceList);
        Note("running players looked for");
        DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, TimedDialogProc, 0);
    }
#else
    (void)commandLine;
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, TimedDialogProc, 0);
#endif
    WCHAR out[MAX_PATH];
    if (!GetEnvironmentVariableW(L"ZENTROBE_TIMELINE_OUT", out, MAX_PATH)) return 1;
    FILE* file = _wfopen(out, L"w");
    if (!file) return 1;
    for (const Mark& mark : g_marks) fprintf(file, "%.3f\t%s\n", mark.ms, mark.step);
    fclose(file);
    return 0;
}
