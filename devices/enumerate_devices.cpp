// Finds the tuners that are plugged in: walks the tuner interface class one
// member index at a time and asks each tuner for its model.
#include "devices/device_list.h"

#include "common/unique_handle.h"

#include <setupapi.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

#ifndef _WIN64
// The 32-bit record layouts the platform expects; a wrong packing would make
// every interface lookup fail there.
static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == 28, "32-bit interface record is 28 bytes");
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) == 6, "32-bit detail header is 6 bytes");
#endif

namespace {

// Everything a request in flight may write into. It lives on the heap so that
// a request the driver never completes can keep it for the rest of the process.
struct RequestBuffers {
    OVERLAPPED overlapped = {};
    std::vector<BYTE> input;
    std::vector<BYTE> output;
};

// Opens the tuner at path and asks its model. False when it cannot be opened
// or does not answer with exactly a full-size answer.
bool QueryModelByte(const std::wstring& path, BYTE& modelByte)
{
    UniqueFile device(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED, nullptr));
    if (!device) return false;

    BYTE response[kIdentifySize] = {};
    DWORD bytesReturned = 0;
    if (!SendDeviceControl(device.Get(), kIdentifyControlCode, IdentifyRequest, kIdentifySize,
                           response, kIdentifySize, bytesReturned) ||
        bytesReturned != kIdentifySize)
        return false;
    modelByte = response[kIdentifySize - 1];
    return true;
}

}  // namespace

void EnumerateDevices(DeviceList& list)
{
    DeviceList().swap(list);

    // One snapshot for the whole walk, so all member indexes describe the
    // same moment (and a start pays for one snapshot, not one per tuner).
    UniqueDevInfo snapshot(SetupDiGetClassDevsW(&TunerInterfaceGuid, nullptr, nullptr,
                                                DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!snapshot) return;

    int ordinals[3] = {};  // next ordinal per TunerType
    std::wstring path;
    for (DWORD memberIndex = 0;
         GetDevicePath(snapshot.Get(), TunerInterfaceGuid, memberIndex, path); ++memberIndex) {
        BYTE modelByte = 0;
        if (!QueryModelByte(path, modelByte))
            continue;  // the member index is consumed all the same

        DeviceEntry entry;
        entry.index = static_cast<int>(memberIndex);
        entry.type = TunerTypeFromModelByte(modelByte);
        entry.ordinal = ordinals[entry.type]++;
        entry.path = path;
        list.push_back(std::move(entry));
    }
}

bool GetDevicePath(HDEVINFO snapshot, const GUID& interfaceClass, DWORD memberIndex,
                   std::wstring& path)
{
    SP_DEVICE_INTERFACE_DATA interfaceData = {};
    interfaceData.cbSize = sizeof(interfaceData);
    if (!SetupDiEnumDeviceInterfaces(snapshot, nullptr, &interfaceClass, memberIndex,
                                     &interfaceData))
        return false;

    DWORD requiredSize = 0;
    SetupDiGetDeviceInterfaceDetailW(snapshot, &interfaceData, nullptr, 0, &requiredSize, nullptr);
    if (requiredSize < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return false;

    std::vector<BYTE> buffer(requiredSize);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!SetupDiGetDeviceInterfaceDetailW(snapshot, &interfaceData, detail, requiredSize, nullptr,
                                          nullptr))
        return false;

    // Bounded by the buffer, in case a path ever comes back unterminated.
    const size_t maxChars =
        (requiredSize - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)) / sizeof(WCHAR);
    path.assign(detail->DevicePath, wcsnlen(detail->DevicePath, maxChars));
    return true;
}

bool SendDeviceControl(HANDLE device, DWORD controlCode, const void* input, DWORD inputSize,
                       void* output, DWORD outputSize, DWORD& bytesReturned, DWORD timeoutMs)
{
    UniqueKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event) return false;

    auto request = std::make_unique<RequestBuffers>();
    request->input.assign(static_cast<const BYTE*>(input),
                          static_cast<const BYTE*>(input) + inputSize);
    request->output.resize(outputSize);
    request->overlapped.hEvent = event.Get();

    bytesReturned = 0;
    DWORD transferred = 0;
    bool succeeded = false;
    if (DeviceIoControl(device, controlCode, request->input.data(), inputSize,
                        request->output.data(), outputSize, &transferred, &request->overlapped)) {
        succeeded = true;
    } else if (GetLastError() == ERROR_IO_PENDING) {
        DWORD wait = WaitForSingleObject(event.Get(), timeoutMs);
        if (wait != WAIT_OBJECT_0) {
            // A hung tuner must not freeze the launcher: give up on it.
            CancelIo(device);
            wait = WaitForSingleObject(event.Get(), kCancelGraceMs);
        }
        if (wait != WAIT_OBJECT_0) {
            // The driver ignored the cancellation and may still complete the
            // request at any time; leak what it would write into rather than
            // let it land in freed or reused memory.
            request.release();
            event.Release();
            return false;
        }
        succeeded = GetOverlappedResult(device, &request->overlapped, &transferred, FALSE) != FALSE;
    }

    if (succeeded) {
        if (transferred > outputSize) transferred = outputSize;
        std::memcpy(output, request->output.data(), transferred);
        bytesReturned = transferred;
    }
    return succeeded;
}
