// Times "Zentrobe.exe" with no arguments and four simulated tuners, from
// process start until its main window is shown with all four rows, against
// the least such a list costs: the same template, list view and icons filled
// with four constant rows (baseline_window.exe). Each window is then closed;
// its exit is not timed. Prints one table row (medians and ratio), then where
// the time goes in each, step by step (timeline_product.exe and
// timeline_baseline.exe).
#include "driver/tuner_installer.h"
#include "median.h"
#include "res/resource.h"
#include "support/child_process.h"
#include "support/window_finder.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr LRESULT kTuners = 4;
constexpr double kGiveUpSeconds = 20;

// True once the dialog is visible and its list holds all four rows.
bool Ready(HWND dialog)
{
    if (!IsWindowVisible(dialog)) return false;
    HWND list = GetDlgItem(dialog, IDC_DEVICE_LIST);
    DWORD_PTR count = 0;
    return list &&
           SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 1000, &count) &&
           count == static_cast<DWORD_PTR>(kTuners);
}

// Starts commandLine, polls until its window is ready, closes it and waits
// for the exit. Returns the seconds to readiness, or -1.
double TimeToWindow(const std::wstring& commandLine, const std::wstring& directory)
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
        if (dialog && Ready(dialog)) {
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
    const ProcessResult end = FinishChild(child, 5000);
    if (!end.finished) seconds = -1;
    if (seconds < 0)
        fwprintf(stderr, L"  %ls: window %ls, %ls after %.1f s (exit code %lu)\n",
                 commandLine.c_str(), dialog ? L"found" : L"never found",
                 end.finished ? L"ended" : L"killed", end.seconds, end.exitCode);
    return seconds;
}

// The steps one timeline program noted in one run: step name -> ms since
// its process was created. Empty when the run failed.
std::vector<std::pair<std::string, double>> RunTimeline(const std::wstring& exe,
                                                        const std::wstring& out)
{
    std::vector<std::pair<std::string, double>> marks;
    DeleteFileW(out.c_str());
    const std::wstring directory = exe.substr(0, exe.rfind(L'\\'));
    if (RunProcess(L"\"" + exe + L"\"", directory, 20000).exitCode != 0) return marks;
    FILE* file = _wfopen(out.c_str(), L"r");
    if (!file) return marks;
    char line[256];
    while (fgets(line, sizeof(line), file)) {
        char* tab = std::strchr(line, '\t');
        if (!tab) continue;
        std::string step = tab + 1;
        while (!step.empty() && (step.back() == '\n' || step.back() == '\r')) step.pop_back();
        marks.emplace_back(step, std::atof(line));
    }
    fclose(file);
    return marks;
}

// Both programs' steps, median ms since process creation over runs each,
// alternating; the product's steps first, then the baseline's.
void PrintTimelines(const std::wstring& product, const std::wstring& baseline, int runs)
{
    WCHAR temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring out = std::wstring(temp) + L"zentrobe-timeline.txt";
    SetEnvironmentVariableW(L"ZENTROBE_TIMELINE_OUT", out.c_str());
    std::vector<std::string> order[2];
    std::map<std::string, std::vector<double>> times[2];
    for (int i = 0; i < 2 * runs; ++i) {
        const int which = i % 2;
        for (const auto& mark : RunTimeline(which ? baseline : product, out)) {
            if (!times[which].count(mark.first)) order[which].push_back(mark.first);
            times[which][mark.first].push_back(mark.second);
        }
        Sleep(100);
    }
    printf(
        "Start to window, step by step (median ms since the process was created, %d runs each):\n",
        runs);
    for (int which = 0; which < 2; ++which) {
        printf("  %s\n", which ? "baseline (the list alone)" : "Zentrobe's run sequence");
        double previous = 0;
        for (const std::string& step : order[which]) {
            const double at = Median(times[which][step]);
            printf("    %-46s %8.1f  (+%5.1f)\n", step.c_str(), at, at - previous);
            previous = at;
        }
    }
}

}  // namespace

// Arguments: folder holding Zentrobe.exe, the baseline program, the driver
// file, the number of pairs.
int wmain(int argc, wchar_t** argv)
{
    if (argc < 7) {
        fwprintf(stderr, L"usage: window_bench FOLDER BASELINE_EXE TIMELINE_PRODUCT_EXE "
                         L"TIMELINE_BASELINE_EXE DRIVER_SYS PAIRS\n");
        return 2;
    }
    const std::wstring folder = argv[1], baseline = argv[2], timelineProduct = argv[3],
                       timelineBaseline = argv[4], driver = argv[5];
    const int pairs = std::max(1, _wtoi(argv[6]));
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
        TimeToWindow(launcher, folder);
        TimeToWindow(baselineLine, baselineFolder);
    }

    std::vector<double> launcherTimes, baselineTimes;
    for (int i = 0; i < pairs; ++i) {
        // The order alternates so a drift in the machine's speed weighs on both alike.
        for (int turn = 0; turn < 2; ++turn) {
            const bool launcherTurn = (turn == 0) == (i % 2 == 0);
            const double t = launcherTurn ? TimeToWindow(launcher, folder)
                                          : TimeToWindow(baselineLine, baselineFolder);
            if (t < 0) {
                fwprintf(stderr, L"pair %d: the %ls never showed a ready window\n", i,
                         launcherTurn ? L"launcher" : L"baseline");
                return 1;
            }
            (launcherTurn ? launcherTimes : baselineTimes).push_back(t);
            Sleep(100);
        }
    }
    const double a = Median(launcherTimes), b = Median(baselineTimes);
    printf("%-44s %10.1f %10.1f %7.3f   <= 1.10   (%d pairs)\n",
           "Start to window, 4 tuners (median ms)", a * 1000, b * 1000, a / b, pairs);
    PrintTimelines(timelineProduct, timelineBaseline, std::max(11, pairs / 2));
    RemoveTuners();
    DestroyWindow(keepAlive);
    return 0;
}
