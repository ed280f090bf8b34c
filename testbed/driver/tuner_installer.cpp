// Installs and removes substitute tuners (tunersim.sys devices). Kept fast for
// tests that reinstall a different set for every case: the service stays
// loaded between calls and Wine is asked to re-enumerate root devices.
#include "tuner_installer.h"

#include <windows.h>
#include <setupapi.h>

#include <cwchar>

#include "tunersim_protocol.h"

namespace {

const wchar_t kServiceName[] = L"tunersim";
const wchar_t kHardwareId[] = L"ROOT\\TUNERSIM\0";  // REG_MULTI_SZ
const wchar_t kInstancePrefix[] = L"ROOT\\TUNERSIM\\";
const GUID kInterfaceGuid = TUNERSIM_INTERFACE_GUID_INIT;
const GUID kNoClass = {};
const DWORD kReenumerateRootDevices = 128;  // Wine's winedevice control code
const DWORD kPresentTimeoutMs = 15000;
const DWORD kStopTimeoutMs = 10000;
const DWORD kMaxDeviceIdLen = 200;  // MAX_DEVICE_ID_LEN

std::wstring g_lastError;

struct Behaviour {
    DWORD mode;
    DWORD model;
    DWORD delayMs;
    bool unplugged;  // no device behind the registered interface
};

bool Fail(const std::wstring& what, DWORD error = 0)
{
    g_lastError = what;
    if (error) g_lastError += L" (error " + std::to_wstring(error) + L")";
    return false;
}

struct ServiceHandle {
    SC_HANDLE h = nullptr;
    ServiceHandle() = default;
    explicit ServiceHandle(SC_HANDLE handle) : h(handle) {}
    ServiceHandle(const ServiceHandle&) = delete;
    ServiceHandle& operator=(const ServiceHandle&) = delete;
    ~ServiceHandle()
    {
        if (h) CloseServiceHandle(h);
    }
};

struct DeviceSet {
    HDEVINFO h;
    explicit DeviceSet(HDEVINFO handle) : h(handle) {}
    DeviceSet(const DeviceSet&) = delete;
    DeviceSet& operator=(const DeviceSet&) = delete;
    ~DeviceSet()
    {
        if (h != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(h);
    }
};

bool ParseHexByte(const std::wstring& text, DWORD* value)
{
    if (text.size() != 2 || !iswxdigit(text[0]) || !iswxdigit(text[1])) return false;
    *value = wcstoul(text.c_str(), nullptr, 16);
    return true;
}

bool ParseMs(const std::wstring& text, DWORD* value)
{
    if (text.empty() || text.size() > 7) return false;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
    }
    *value = wcstoul(text.c_str(), nullptr, 10);
    return true;
}

bool ParseBehaviour(const std::wstring& text, Behaviour* out)
{
    *out = {kModeAnswer, 0xF4, 0, false};
    if (ParseHexByte(text, &out->model)) return true;
    if (text == L"unplugged") {
        out->unplugged = true;
        return true;
    }
    const struct {
        const wchar_t* word;
        DWORD mode;
    } kWords[] = {{L"refuse", kModeRefuse},
                  {L"short", kModeShort},
                  {L"fail", kModeFail},
                  {L"hang", kModeHang},
                  {L"hang-nocancel", kModeHangNoCancel}};
    for (const auto& w : kWords) {
        if (text != w.word) continue;
        out->mode = w.mode;
        return true;
    }
    const std::wstring kNoCancelPrefix = L"hang-nocancel:";
    if (text.compare(0, kNoCancelPrefix.size(), kNoCancelPrefix) == 0) {
        out->mode = kModeHangNoCancel;
        // 0 would read as "never": that is plain "hang-nocancel".
        return ParseMs(text.substr(kNoCancelPrefix.size()), &out->delayMs) && out->delayMs > 0;
    }
    const std::wstring kLatePrefix = L"late:";
    if (text.compare(0, kLatePrefix.size(), kLatePrefix) == 0 && text.size() > 8 &&
        text[7] == L':') {
        out->mode = kModeLate;
        return ParseHexByte(text.substr(5, 2), &out->model) &&
               ParseMs(text.substr(8), &out->delayMs);
    }
    return false;
}

std::wstring InstalledDriverPath()
{
    wchar_t dir[MAX_PATH];
    UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    return std::wstring(dir, n) + L"\\drivers\\tunersim.sys";
}

bool ReadWholeFile(const std::wstring& path, std::string* data)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    DWORD read = 0;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (1 << 24);
    if (ok) {
        data->resize(static_cast<size_t>(size.QuadPart));
        ok = data->empty() ||
             (ReadFile(file, &(*data)[0], static_cast<DWORD>(data->size()), &read, nullptr) &&
              read == data->size());
    }
    CloseHandle(file);
    return ok;
}

DWORD ServiceState(SC_HANDLE service)
{
    SERVICE_STATUS status = {};
    if (!QueryServiceStatus(service, &status)) return 0;
    return status.dwCurrentState;
}

bool WaitForServiceState(SC_HANDLE service, DWORD state, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (ServiceState(service) != state) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

bool WaitForTunerCount(int expected)
{
    DWORD start = GetTickCount();
    while (CountTunerInterfaces() != expected) {
        if (GetTickCount() - start > kPresentTimeoutMs) {
            return Fail(L"expected " + std::to_wstring(expected) + L" tuner interfaces, found " +
                        std::to_wstring(CountTunerInterfaces()));
        }
        Sleep(5);
    }
    return true;
}

bool SetString(HDEVINFO set, SP_DEVINFO_DATA* device, DWORD property, const wchar_t* value,
               size_t charsWithTerminators)
{
    return SetupDiSetDeviceRegistryPropertyW(
        set, device, property, reinterpret_cast<const BYTE*>(value),
        static_cast<DWORD>(charsWithTerminators * sizeof(wchar_t)));
}

// Removes every ROOT\TUNERSIM device. Wine's SetupDiRemoveDevice then asks
// the running driver service to re-enumerate, which tears the device down.
bool RemoveDevices()
{
    DeviceSet set(SetupDiGetClassDevsW(nullptr, L"ROOT", nullptr, DIGCF_ALLCLASSES));
    if (set.h == INVALID_HANDLE_VALUE) return Fail(L"cannot list root devices", GetLastError());

    std::vector<SP_DEVINFO_DATA> ours;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set.h, i, &device); ++i) {
        wchar_t id[kMaxDeviceIdLen];
        if (SetupDiGetDeviceInstanceIdW(set.h, &device, id, kMaxDeviceIdLen, nullptr) &&
            _wcsnicmp(id, kInstancePrefix, wcslen(kInstancePrefix)) == 0)
            ours.push_back(device);
    }
    for (SP_DEVINFO_DATA& d : ours) {
        if (!SetupDiCallClassInstaller(DIF_REMOVE, set.h, &d))
            return Fail(L"cannot remove a tuner device", GetLastError());
    }
    return true;
}

bool CreateDevices(const std::vector<Behaviour>& behaviours, const std::vector<std::wstring>& texts)
{
    DeviceSet set(SetupDiCreateDeviceInfoList(nullptr, nullptr));
    if (set.h == INVALID_HANDLE_VALUE) return Fail(L"cannot create a device list", GetLastError());

    for (size_t i = 0; i < behaviours.size(); ++i) {
        wchar_t id[64];
        swprintf(id, 64, L"%ls%04u", kInstancePrefix, static_cast<unsigned>(i));
        SP_DEVINFO_DATA device = {};
        device.cbSize = sizeof(device);
        if (!SetupDiCreateDeviceInfoW(set.h, id, &kNoClass, nullptr, nullptr, 0, &device))
            return Fail(std::wstring(L"cannot create device ") + id, GetLastError());
        const Behaviour& b = behaviours[i];
        if (b.unplugged) {
            // What a tuner leaves behind once unplugged: its interface stays
            // registered, but no driver ever enables it, so it is not present.
            SP_DEVICE_INTERFACE_DATA unused = {};
            unused.cbSize = sizeof(unused);
            if (!SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set.h, &device) ||
                !SetupDiCreateDeviceInterfaceW(set.h, &device, &kInterfaceGuid, nullptr, 0,
                                               &unused))
                return Fail(std::wstring(L"cannot register unplugged device ") + id,
                            GetLastError());
            continue;
        }
        if (!SetString(set.h, &device, SPDRP_HARDWAREID, kHardwareId,
                       sizeof(kHardwareId) / sizeof(wchar_t)))
            return Fail(L"cannot set the hardware ID", GetLastError());
        if (!SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set.h, &device))
            return Fail(std::wstring(L"cannot register device ") + id, GetLastError());

        HKEY key = SetupDiCreateDevRegKeyW(set.h, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, nullptr,
                                           nullptr);
        if (key == INVALID_HANDLE_VALUE)
            return Fail(L"cannot create the device parameters key", GetLastError());
        RegSetValueExW(key, TUNERSIM_VALUE_MODE, 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&b.mode), sizeof(DWORD));
        RegSetValueExW(key, TUNERSIM_VALUE_MODEL, 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&b.model), sizeof(DWORD));
        RegSetValueExW(key, TUNERSIM_VALUE_DELAY, 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&b.delayMs), sizeof(DWORD));
        RegSetValueExW(key, TUNERSIM_VALUE_BEHAVIOUR, 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(texts[i].c_str()),
                       static_cast<DWORD>((texts[i].size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);

        // Last, so Wine never starts a device whose parameters are not written yet.
        if (!SetString(set.h, &device, SPDRP_SERVICE, kServiceName, wcslen(kServiceName) + 1))
            return Fail(L"cannot set the device's service", GetLastError());
    }
    return true;
}

bool StopService(SC_HANDLE service)
{
    if (ServiceState(service) == SERVICE_STOPPED) return true;
    SERVICE_STATUS status;
    ControlService(service, SERVICE_CONTROL_STOP, &status);
    if (!WaitForServiceState(service, SERVICE_STOPPED, kStopTimeoutMs))
        return Fail(L"the tuner driver service did not stop");
    return true;
}

// A 32-bit installer under WoW64 would copy into syswow64\drivers, where the
// 64-bit service never looks: file redirection is off while this lives.
struct NativeSystemFolder {
    NativeSystemFolder()
    {
        using Disable = BOOL(WINAPI*)(PVOID*);
        using Revert = BOOL(WINAPI*)(PVOID);
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        auto disable = reinterpret_cast<Disable>(
            reinterpret_cast<void (*)()>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
        revert = reinterpret_cast<Revert>(
            reinterpret_cast<void (*)()>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
        BOOL wow64 = FALSE;
        active = disable && revert && IsWow64Process(GetCurrentProcess(), &wow64) && wow64 &&
                 disable(&old);
    }
    ~NativeSystemFolder()
    {
        if (active) revert(old);
    }
    BOOL(WINAPI* revert)(PVOID) = nullptr;
    PVOID old = nullptr;
    bool active = false;
};

// Copies the driver into system32\drivers unless the same file is already
// there. A loaded driver keeps its file mapped: stop it first.
bool PlaceDriverFile(const std::wstring& driverFile, SC_HANDLE service)
{
    NativeSystemFolder nativeSystemFolder;
    std::string wanted, installed;
    if (!ReadWholeFile(driverFile, &wanted) || wanted.empty())
        return Fail(L"cannot read " + driverFile);
    const std::wstring target = InstalledDriverPath();
    if (ReadWholeFile(target, &installed) && installed == wanted) return true;
    if (service && (!RemoveDevices() || !StopService(service))) return false;
    for (int attempt = 0; !CopyFileW(driverFile.c_str(), target.c_str(), FALSE); ++attempt) {
        if (attempt == 100) return Fail(L"cannot copy the driver to " + target, GetLastError());
        Sleep(20);
    }
    return true;
}

}  // namespace

int CountTunerInterfaces()
{
    HDEVINFO set = SetupDiGetClassDevsW(&kInterfaceGuid, nullptr, nullptr,
                                        DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return 0;
    SP_DEVICE_INTERFACE_DATA data = {};
    data.cbSize = sizeof(data);
    int count = 0;
    while (SetupDiEnumDeviceInterfaces(set, nullptr, &kInterfaceGuid, count, &data)) ++count;
    SetupDiDestroyDeviceInfoList(set);
    return count;
}

bool InstallTuners(const std::wstring& driverFile, const std::vector<std::wstring>& devices)
{
    g_lastError.clear();
    std::vector<Behaviour> behaviours(devices.size());
    for (size_t i = 0; i < devices.size(); ++i) {
        if (!ParseBehaviour(devices[i], &behaviours[i]))
            return Fail(L"unknown tuner behaviour \"" + devices[i] + L"\"");
    }

    ServiceHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!scm.h) return Fail(L"cannot open the service manager", GetLastError());
    ServiceHandle service(OpenServiceW(scm.h, kServiceName, SERVICE_ALL_ACCESS));
    if (!PlaceDriverFile(driverFile, service.h)) return false;
    if (!service.h) {
        // Wine: a service created from a 32-bit process is run by the 32-bit
        // device host, which cannot load this 64-bit driver.
        BOOL wow64 = FALSE;
        if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64)
            return Fail(L"the driver service must first be created by the 64-bit tunersim-install");
        service.h = CreateServiceW(scm.h, kServiceName, L"Substitute tuner driver (test equipment)",
                                   SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                                   SERVICE_ERROR_NORMAL, InstalledDriverPath().c_str(), nullptr,
                                   nullptr, nullptr, nullptr, nullptr);
        if (!service.h) return Fail(L"cannot create the tuner driver service", GetLastError());
    }

    if (!RemoveDevices() || !WaitForTunerCount(0)) return false;
    if (devices.empty()) return true;
    if (!CreateDevices(behaviours, devices)) return false;

    // A freshly started driver enumerates its root devices by itself; a running
    // one is told to look again.
    if (ServiceState(service.h) == SERVICE_RUNNING) {
        SERVICE_STATUS status;
        if (!ControlService(service.h, kReenumerateRootDevices, &status))
            return Fail(L"cannot make the tuner driver re-enumerate its devices", GetLastError());
    } else if (!StartServiceW(service.h, 0, nullptr) &&
               GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
        return Fail(L"cannot start the tuner driver service", GetLastError());
    }
    int present = 0;
    for (const Behaviour& b : behaviours) present += b.unplugged ? 0 : 1;
    return WaitForTunerCount(present);
}

bool RemoveTuners()
{
    g_lastError.clear();
    ServiceHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!scm.h) return Fail(L"cannot open the service manager", GetLastError());
    ServiceHandle service(OpenServiceW(scm.h, kServiceName, SERVICE_ALL_ACCESS));

    // Devices first: stopping a driver that still has devices hangs under Wine.
    if (!RemoveDevices() || !WaitForTunerCount(0)) return false;
    if (service.h) {
        if (!StopService(service.h)) return false;
        if (!DeleteService(service.h) && GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE)
            return Fail(L"cannot delete the tuner driver service", GetLastError());
    }
    const std::wstring target = InstalledDriverPath();
    for (int attempt = 0; !DeleteFileW(target.c_str()); ++attempt) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) break;
        if (attempt == 100) return Fail(L"cannot delete " + target, error);
        Sleep(20);
    }
    return true;
}

std::wstring LastTunerInstallerError()
{
    return g_lastError;
}

std::wstring DriverFileBesideProgram()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    size_t slash = dir.find_last_of(L"\\/");
    dir.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return dir + L"tunersim.sys";
}
