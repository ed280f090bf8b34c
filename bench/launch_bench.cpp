// Times the command-line launch end to end, "Zentrobe.exe -t0" with four simulated
// tuners and a player that is ready at once, against a baseline program that
// only starts the same player and waits for it. Prints the medians and ratio.
#include "driver/tuner_installer.h"
#include "median.h"
#include "player/player_log.h"
#include "support/child_process.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr DWORD kPlayerLifetimeMs = 300;
constexpr DWORD kSettleMs = kPlayerLifetimeMs + 150;

std::wstring Folder(const std::wstring& path)
{
    return path.substr(0, path.rfind(L'\\'));
}

// Seconds from start to exit, or -1 when it did not start or did not exit with 0.
double RunSeconds(const std::wstring& commandLine, const std::wstring& directory)
{
    const ProcessResult run = RunProcess(commandLine, directory, INFINITE);
    return run.finished && run.exitCode == 0 ? run.seconds : -1;
}

}  // namespace

// Arguments: folder holding Zentrobe.exe and FriioView.exe, the baseline
// program, the driver file, the number of runs of each.
int wmain(int argc, wchar_t** argv)
{
    if (argc < 5) {
        fwprintf(stderr, L"usage: launch_bench FOLDER BASELINE_EXE DRIVER_SYS RUNS\n");
        return 2;
    }
    const std::wstring folder = argv[1], baseline = argv[2], driver = argv[3];
    const int runs = std::max(1, _wtoi(argv[4]));
    const std::wstring launcher = folder + L"\\Zentrobe.exe", player = folder + L"\\FriioView.exe";

    // A real desktop always exists; under Wine it would otherwise be started by
    // whichever measured process first needs it.
    HWND keepAlive = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                     nullptr, nullptr);
    if (!InstallTuners(driver, {L"F4", L"0A", L"F4", L"0A"})) {
        fwprintf(stderr, L"installing the simulated tuners failed\n");
        return 1;
    }
    SetEnvironmentVariableW(kPlayerLifetimeVariable, std::to_wstring(kPlayerLifetimeMs).c_str());
    // Every measured run must really have started a player.
    const std::wstring log = folder + L"\\player.log";
    DeleteFileW(log.c_str());
    SetEnvironmentVariableW(kPlayerLogVariable, log.c_str());

    std::vector<double> launcherTimes, baselineTimes;
    RunSeconds(L"\"" + launcher + L"\" -t0", folder);  // warm the file cache for both
    RunSeconds(L"\"" + baseline + L"\" " + player, Folder(baseline));
    Sleep(kSettleMs);
    for (int i = 0; i < runs; ++i) {
        // Each run starts once the previous run's player has closed, so both
        // are measured on an equally quiet machine; the order alternates so a
        // drift in the machine's speed weighs on both alike.
        const bool launcherFirst = i % 2 == 0;
        double a = 0, b = 0;
        for (int turn = 0; turn < 2; ++turn) {
            const bool launcherTurn = (turn == 0) == launcherFirst;
            const size_t before = ReadPlayerLog(log).size();
            const double t = launcherTurn
                                 ? RunSeconds(L"\"" + launcher + L"\" -t0", folder)
                                 : RunSeconds(L"\"" + baseline + L"\" " + player, Folder(baseline));
            if (t < 0) {
                fwprintf(stderr, L"a run failed\n");
                return 1;
            }
            if (ReadPlayerLog(log).size() != before + 1)
                fwprintf(stderr, L"run %d: the %ls started no player\n", i,
                         launcherTurn ? L"launcher" : L"baseline");
            (launcherTurn ? a : b) = t;
            Sleep(kSettleMs);
        }
        launcherTimes.push_back(a);
        baselineTimes.push_back(b);
    }
    RemoveTuners();
    DestroyWindow(keepAlive);
    const size_t starts = ReadPlayerLog(log).size();
    if (starts != 2 * static_cast<size_t>(runs) + 2) {
        fwprintf(stderr, L"expected %d player starts, the log has %u\n", 2 * runs + 2,
                 unsigned(starts));
        return 1;
    }

    const double a = Median(launcherTimes), b = Median(baselineTimes);
    printf("%-44s %10.1f %10.1f %7.3f   <= 1.10   (%d pairs)\n",
           "Command line -t0, 4 tuners (median ms)", a * 1000, b * 1000, a / b, runs);
    return 0;
}
