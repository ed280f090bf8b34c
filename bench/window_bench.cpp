// Times "Zentrobe.exe" with no arguments and four simulated tuners, from
// process start until its main window is shown with the list filled, against
// an empty dialog of the same size (baseline_window.exe). Each window is then
// closed; its exit is not timed. Prints one table row: medians and ratio.
#include "driver/tuner_installer.h"
#include "median.h"
#include "res/resource.h"
#include "support/child_process.h"
#include "support/window_finder.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr LRESULT kTuners = 4;
constexpr double kGiveUpSeconds = 20;

// True once the dialog is visible and (when checkList) its list holds all tuners.
bool Ready(HWND dialog, bool checkList)
{
    if (!IsWindowVisible(dialog)) return false;
    if (!checkList) return true;
    HWND list = GetDlgItem(dialog, IDC_DEVICE_LIST);
    DWORD_PTR count = 0;
    return list &&
           SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 1000, &count) &&
           count == static_cast<DWORD_PTR>(kTuners);
}

// Starts commandLine, polls until its window is ready, closes it and waits
// for the exit. Returns the seconds to readiness, or -1.
double TimeToWindow(const std::wstring& commandLine, const std::wstring& directory, bool checkList)
{
    const ChildProcess child = StartChild(commandLine, directory);
    if (!child) return -1;
    WindowQuery query;
    query.processId = child.id;
    query.title = L"Zentrobe";
    query.className = L"#32770";
    double seconds = -1;
    HWND dialog = nullptr;
    while (child.started.Seconds() < kGiveUpSeconds && !WaitForExit(child, 0)) {
        if (!dialog) dialog = FindTopLevelWindow(query);
        if (dialog && Ready(dialog, checkList)) {
            seconds = child.started.Seconds();
            break;
        }
        Sleep(1);
    }
    // Close it; again now and then in case the first command came too early.
    for (int i = 0; dialog && i < 20; ++i) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        if (WaitForExit(child, 500)) break;
    }
    if (!FinishChild(child, 5000).finished) seconds = -1;
    return seconds;
}

}  // namespace

// Arguments: folder holding Zentrobe.exe, the baseline program, the driver
// file, the number of pairs.
int wmain(int argc, wchar_t** argv)
{
    if (argc < 5) {
        fwprintf(stderr, L"usage: window_bench FOLDER BASELINE_EXE DRIVER_SYS PAIRS\n");
        return 2;
    }
    const std::wstring folder = argv[1], baseline = argv[2], driver = argv[3];
    const int pairs = std::max(1, _wtoi(argv[4]));
    const std::wstring launcher = L"\"" + folder + L"\\Zentrobe.exe\"";
    const std::wstring baselineLine = L"\"" + baseline + L"\"";
    const std::wstring baselineFolder = baseline.substr(0, baseline.rfind(L'\\'));

    // Wine's desktop stays up for the whole run, as a real session's does.
    HWND keepAlive = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                     nullptr, nullptr);
    if (!InstallTuners(driver, {L"F4", L"0A", L"F4", L"0A"})) {
        fwprintf(stderr, L"installing the simulated tuners failed\n");
        return 1;
    }
    // Let Wine's device services settle after the install, and warm the file
    // cache for both programs.
    Sleep(1000);
    for (int i = 0; i < 2; ++i) {
        TimeToWindow(launcher, folder, true);
        TimeToWindow(baselineLine, baselineFolder, false);
    }

    std::vector<double> launcherTimes, baselineTimes;
    for (int i = 0; i < pairs; ++i) {
        // The order alternates so a drift in the machine's speed weighs on both alike.
        for (int turn = 0; turn < 2; ++turn) {
            const bool launcherTurn = (turn == 0) == (i % 2 == 0);
            const double t = launcherTurn ? TimeToWindow(launcher, folder, true)
                                          : TimeToWindow(baselineLine, baselineFolder, false);
            if (t < 0) {
                fwprintf(stderr, L"pair %d: the %ls never showed a ready window\n", i,
                         launcherTurn ? L"launcher" : L"baseline");
                return 1;
            }
            (launcherTurn ? launcherTimes : baselineTimes).push_back(t);
            Sleep(100);
        }
    }
    RemoveTuners();
    DestroyWindow(keepAlive);

    const double a = Median(launcherTimes), b = Median(baselineTimes);
    printf("%-44s %10.1f %10.1f %7.3f   <= 1.15   (%d pairs)\n",
           "Start to window, 4 tuners (median ms)", a * 1000, b * 1000, a / b, pairs);
    return 0;
}
