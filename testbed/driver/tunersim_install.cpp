// tunersim-install: installs or removes substitute tuners from the command line
// (demo and manual testing). Exit code 0 on success; otherwise 1 (or 2 for a
// usage error) with a one-line message on stderr.
//   tunersim-install install [--driver PATH] F4 0A refuse late:F4:300 ...
//   tunersim-install remove
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tuner_installer.h"

namespace {

int Usage()
{
    fwprintf(stderr, L"usage: tunersim-install install [--driver PATH] BEHAVIOUR... | remove\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) return Usage();
    const std::wstring command = argv[1];
    DWORD start = GetTickCount();

    if (command == L"remove" && argc == 2) {
        if (!RemoveTuners()) {
            fwprintf(stderr, L"tunersim-install: %ls\n", LastTunerInstallerError().c_str());
            return 1;
        }
        wprintf(L"removed all tuners (%lu ms)\n", GetTickCount() - start);
        return 0;
    }
    if (command != L"install") return Usage();

    std::wstring driver = DriverFileBesideProgram();
    std::vector<std::wstring> devices;
    for (int i = 2; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--driver") {
            if (++i == argc) return Usage();
            driver = argv[i];
        } else {
            devices.push_back(argv[i]);
        }
    }
    if (!InstallTuners(driver, devices)) {
        fwprintf(stderr, L"tunersim-install: %ls\n", LastTunerInstallerError().c_str());
        return 1;
    }
    wprintf(L"%u tuner(s) present (%lu ms)\n", static_cast<unsigned>(devices.size()),
            GetTickCount() - start);
    return 0;
}
