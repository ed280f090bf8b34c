// Times tuner discovery in-process: one EnumerateDevices + MarkDevicesInUse
// for 1 to 64 simulated tuners, against a variant that takes a fresh SetupDi
// snapshot per member index (the old design), and breaks one enumeration of
// 8 tuners down by platform call. Prints table rows.
#include "devices/device_list.h"
#include "driver/tuner_installer.h"
#include "common/unique_handle.h"
#include "median.h"
#include "support/stopwatch.h"

#include <windows.h>
#include <setupapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kCalls = 15;
constexpr int kBreakdownTuners = 8;

// Opens the tuner at path and asks its model, as the product does.
bool Identify(const std::wstring& path)
{
    const UniqueFile device(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OVERLAPPED, nullptr));
    if (!device) return false;
    BYTE answer[kIdentifySize] = {};
    DWORD bytes = 0;
    return SendDeviceControl(device.Get(), kIdentifyControlCode, IdentifyRequest, kIdentifySize,
                             answer, kIdentifySize, bytes) &&
           bytes == kIdentifySize;
}

// The old design: a new snapshot for every member index, N + 1 in all.
size_t EnumeratePerIndexSnapshot(DeviceList& list)
{
    list.clear();
    for (DWORD index = 0;; ++index) {
        const UniqueDevInfo snapshot(SetupDiGetClassDevsW(&TunerInterfaceGuid, nullptr, nullptr,
                                                          DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
        if (!snapshot) break;
        std::wstring path;
        if (!GetDevicePath(snapshot.Get(), TunerInterfaceGuid, index, path)) break;
        if (!Identify(path)) continue;
        DeviceEntry entry;
        entry.index = static_cast<int>(index);
        entry.path = path;
        list.push_back(entry);
    }
    MarkDevicesInUse(list);
    return list.size();
}

// One enumeration of the current tuners, step by step as the product takes
// it, adding each step's time to its bucket.
struct Breakdown {
    std::vector<double> snapshot, details, opens, identify, mark;
};

void MeasureSteps(Breakdown& b)
{
    double details = 0, opens = 0, identify = 0;
    Stopwatch t;
    UniqueDevInfo snapshot(SetupDiGetClassDevsW(&TunerInterfaceGuid, nullptr, nullptr,
                                                DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    b.snapshot.push_back(t.Ms());
    DeviceList list;
    for (DWORD index = 0;; ++index) {
        std::wstring path;
        Stopwatch d;
        const bool found = GetDevicePath(snapshot.Get(), TunerInterfaceGuid, index, path);
        details += d.Ms();
        if (!found) break;
        Stopwatch o;
        UniqueFile device(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr));
        opens += o.Ms();
        if (!device) continue;
        BYTE answer[kIdentifySize] = {};
        DWORD bytes = 0;
        Stopwatch s;
        SendDeviceControl(device.Get(), kIdentifyControlCode, IdentifyRequest, kIdentifySize,
                          answer, kIdentifySize, bytes);
        identify += s.Ms();
        Stopwatch c;
        device.Reset();
        opens += c.Ms();
        DeviceEntry entry;
        entry.index = static_cast<int>(index);
        list.push_back(entry);
    }
    snapshot.Reset();
    Stopwatch m;
    MarkDevicesInUse(list);
    b.mark.push_back(m.Ms());
    b.details.push_back(details);
    b.opens.push_back(opens);
    b.identify.push_back(identify);
}

}  // namespace

// Argument: the driver file.
int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        fwprintf(stderr, L"usage: discovery_bench DRIVER_SYS\n");
        return 2;
    }
    // The window walk needs Wine's desktop; keep it up as a real session does.
    HWND keepAlive = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                     nullptr, nullptr);
    printf("Discovery, in-process: EnumerateDevices + MarkDevicesInUse, median of %d calls\n",
           kCalls);
    printf("  one snapshot (the product) vs a snapshot per member index (the old design), ms; "
           "(fastest call)\n");
    printf("  %6s %18s %10s %22s %10s\n", "tuners", "per call", "per tuner", "per-index: per call",
           "per tuner");
    Breakdown breakdown;
    for (int tuners : {1, 2, 4, 8, 16, 32, 64}) {
        if (!InstallTuners(argv[1], std::vector<std::wstring>(tuners, L"F4"))) {
            fwprintf(stderr, L"installing %d tuners failed: %ls\n", tuners,
                     LastTunerInstallerError().c_str());
            return 1;
        }
        // Let Wine's device services settle after the install, then warm up.
        Sleep(1000);
        DeviceList list;
        for (int i = 0; i < 3; ++i) {
            EnumerateDevices(list);
            EnumeratePerIndexSnapshot(list);
        }
        std::vector<double> oneSnapshot, perIndex;
        for (int i = 0; i < kCalls; ++i) {
            // Alternated, so a drift in the machine's speed weighs on both alike.
            Stopwatch a;
            EnumerateDevices(list);
            MarkDevicesInUse(list);
            oneSnapshot.push_back(a.Ms());
            if (list.size() != static_cast<size_t>(tuners)) {
                fwprintf(stderr, L"%d tuners installed, %u found\n", tuners, unsigned(list.size()));
                return 1;
            }
            Stopwatch b;
            const size_t found = EnumeratePerIndexSnapshot(list);
            perIndex.push_back(b.Ms());
            if (found != static_cast<size_t>(tuners)) {
                fwprintf(stderr, L"per-index variant: %d tuners installed, %u found\n", tuners,
                         unsigned(found));
                return 1;
            }
            if (tuners == kBreakdownTuners) MeasureSteps(breakdown);
            Sleep(20);  // spread the samples, so one burst of other work spoils few of them
        }
        const double one = Median(oneSnapshot), old = Median(perIndex);
        printf("  %6d %9.2f (%6.2f) %10.3f %13.2f (%6.2f) %10.3f\n", tuners, one,
               *std::min_element(oneSnapshot.begin(), oneSnapshot.end()), one / tuners, old,
               *std::min_element(perIndex.begin(), perIndex.end()), old / tuners);
    }
    RemoveTuners();
    DestroyWindow(keepAlive);

    printf("Breakdown at %d tuners (median ms per enumeration):\n", kBreakdownTuners);
    printf("  %-52s %8.3f\n", "SetupDiGetClassDevsW (one snapshot)", Median(breakdown.snapshot));
    printf("  %-52s %8.3f\n", "interface + detail lookups (all indexes)",
           Median(breakdown.details));
    printf("  %-52s %8.3f\n", "CreateFileW opens (and closes)", Median(breakdown.opens));
    printf("  %-52s %8.3f\n", "identify requests (SendDeviceControl)", Median(breakdown.identify));
    printf("  %-52s %8.3f\n", "MarkDevicesInUse window walk", Median(breakdown.mark));
    return 0;
}
