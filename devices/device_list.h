// The tuners found at the last enumeration, and the operations that find and
// mark them. This is what the rest of the program may use of devices/.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include "devices/tuner_type.h"

#include <string>
#include <vector>

struct DeviceEntry {
    int index = 0;                  // enumeration member index; the player's "-o" number
    int ordinal = 0;                // 0-based number among entries of its type, in discovery order
    int type = TunerType::Unknown;  // a TunerType
    std::wstring path;              // device interface path
    int inUse = 0;                  // 1 when a running player window names this entry's position
    HWND playerWindow = nullptr;
};

using DeviceList = std::vector<DeviceEntry>;

// The process-wide list: built at start, rebuilt by Refresh.
extern DeviceList g_deviceList;

// {5A56D255-E23A-4B4D-8C78-C265930B6C68}
extern const GUID TunerInterfaceGuid;

// FILE_DEVICE_UNKNOWN, function 8, buffered, any access.
constexpr DWORD kIdentifyControlCode = 0x220020;
constexpr DWORD kIdentifySize = 75;  // request and answer are both 75 bytes
constexpr BYTE kModelByteWhite = 0xF4;
constexpr BYTE kModelByteBlack = 0x0A;
extern const BYTE IdentifyRequest[kIdentifySize];

// How long a tuner may take to answer before it counts as not answering.
constexpr DWORD kIdentifyTimeoutMs = 2000;
// After cancelling a late request, how long to wait for the cancellation to land.
constexpr DWORD kCancelGraceMs = 250;

// Maps the last byte of a tuner's answer to its model.
int TunerTypeFromModelByte(BYTE modelByte);

// Rebuilds the list from the tuners that are present and answer now.
void EnumerateDevices(DeviceList& list);

// The device path of the interface at memberIndex in a snapshot of present
// interfaces (SetupDiGetClassDevsW). False when there is none (path is left
// unchanged).
bool GetDevicePath(HDEVINFO snapshot, const GUID& interfaceClass, DWORD memberIndex,
                   std::wstring& path);

// Sends one control request on a handle opened for overlapped I/O and waits
// for it, at most timeoutMs. A request that outlives the wait is cancelled;
// if even that does not complete it, the memory it could still write into is
// deliberately kept alive, so the caller's buffers are never written late.
bool SendDeviceControl(HANDLE device, DWORD controlCode, const void* input, DWORD inputSize,
                       void* output, DWORD outputSize, DWORD& bytesReturned,
                       DWORD timeoutMs = kIdentifyTimeoutMs);

// Marks the entries whose positions running player windows announce.
void MarkDevicesInUse(DeviceList& list);
