// tunerprobe: lists the tuner interfaces the way the launcher finds them and
// shows each one's answer to the identify request (test and demo aid).
//   tunerprobe [--index N] [--wait MS] [--linger MS] [--bad]
// One line per interface, e.g.
//   index=0 open=ok how=at-once result=ok bytes=75 model=F4 ms=0 path=\\?\root#...
// how: at-once (completed inside DeviceIoControl), pending (completed within
// --wait, default 2000 ms), after-cancel (completed within 200 ms of CancelIo),
// abandoned (still pending then; its buffers stay alive). --linger MS then
// waits that long for abandoned requests and reports how they end. --bad first
// sends three malformed requests, which a tuner must reject.
#include <windows.h>
#include <setupapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tunersim_protocol.h"

namespace {

const GUID kInterfaceGuid = TUNERSIM_INTERFACE_GUID_INIT;
const DWORD kAfterCancelMs = 200;

struct Request {
  unsigned index = 0;
  HANDLE file = INVALID_HANDLE_VALUE;
  OVERLAPPED overlapped = {};
  BYTE in[kIdentifySize] = {};
  BYTE out[kIdentifySize] = {};
  LARGE_INTEGER start = {};
};

double MsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return (now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
}

std::vector<std::wstring> ListInterfaces() {
  std::vector<std::wstring> paths;
  HDEVINFO set = SetupDiGetClassDevsW(&kInterfaceGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE)
    return paths;
  SP_DEVICE_INTERFACE_DATA data = {};
  data.cbSize = sizeof(data);
  for (DWORD i = 0; SetupDiEnumDeviceInterfaces(set, nullptr, &kInterfaceGuid, i, &data); ++i) {
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &size, nullptr);
    std::vector<BYTE> buffer(size + sizeof(wchar_t));
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof(*detail);
    paths.push_back(SetupDiGetDeviceInterfaceDetailW(set, &data, detail, size, nullptr, nullptr)
                        ? detail->DevicePath
                        : L"?");
  }
  SetupDiDestroyDeviceInfoList(set);
  return paths;
}

// Sends one request that the device should reject at once; returns its error.
DWORD SendBad(HANDLE file, DWORD code, DWORD inSize, BYTE corrupt) {
  BYTE in[kIdentifySize + 1], out[kIdentifySize + 1];
  memcpy(in, kIdentifyRequest, kIdentifySize);
  in[10] ^= corrupt;
  OVERLAPPED overlapped = {};
  overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DWORD bytes = 0, error = 0;
  if (!DeviceIoControl(file, code, in, inSize, out, kIdentifySize, &bytes, &overlapped)) {
    error = GetLastError();
    if (error == ERROR_IO_PENDING) {
      CancelIo(file);
      error = GetOverlappedResult(file, &overlapped, &bytes, TRUE) ? 0 : GetLastError();
    }
  }
  CloseHandle(overlapped.hEvent);
  return error;
}

std::wstring Describe(const wchar_t* how, const Request& r, BOOL ok, DWORD bytes, DWORD error) {
  wchar_t line[160];
  if (ok) {
    wchar_t model[8] = L"--";
    if (bytes > kModelOffset)
      swprintf(model, 8, L"%02X", r.out[kModelOffset]);
    swprintf(line, 160, L"how=%ls result=ok bytes=%lu model=%ls ms=%.0f", how, bytes, model, MsSince(r.start));
  } else {
    swprintf(line, 160, L"how=%ls result=error:%lu bytes=0 model=-- ms=%.0f", how, error, MsSince(r.start));
  }
  return line;
}

// Sends the identify request and waits like the launcher does. Returns true
// when the request was abandoned (still pending after CancelIo).
bool Probe(Request& r, DWORD waitMs, std::wstring* outcome) {
  memcpy(r.in, kIdentifyRequest, kIdentifySize);
  r.overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  QueryPerformanceCounter(&r.start);
  DWORD bytes = 0;
  if (DeviceIoControl(r.file, TUNERSIM_IDENTIFY_IOCTL, r.in, kIdentifySize, r.out, kIdentifySize, &bytes,
                      &r.overlapped)) {
    *outcome = Describe(L"at-once", r, TRUE, bytes, 0);
    return false;
  }
  DWORD error = GetLastError();
  if (error != ERROR_IO_PENDING) {
    *outcome = Describe(L"at-once", r, FALSE, 0, error);
    return false;
  }
  const wchar_t* how = L"pending";
  if (WaitForSingleObject(r.overlapped.hEvent, waitMs) != WAIT_OBJECT_0) {
    CancelIo(r.file);
    how = L"after-cancel";
    if (WaitForSingleObject(r.overlapped.hEvent, kAfterCancelMs) != WAIT_OBJECT_0) {
      wchar_t line[80];
      swprintf(line, 80, L"how=abandoned result=pending bytes=0 model=-- ms=%.0f", MsSince(r.start));
      *outcome = line;
      return true;
    }
  }
  BOOL ok = GetOverlappedResult(r.file, &r.overlapped, &bytes, FALSE);
  *outcome = Describe(how, r, ok, bytes, ok ? 0 : GetLastError());
  return false;
}

DWORD NumberAfter(int& i, int argc, wchar_t** argv) {
  if (++i == argc) {
    fwprintf(stderr, L"tunerprobe: %ls needs a number\n", argv[i - 1]);
    exit(2);
  }
  return wcstoul(argv[i], nullptr, 10);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
  DWORD waitMs = 2000, lingerMs = 0;
  long only = -1;
  bool bad = false;
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    if (arg == L"--wait") {
      waitMs = NumberAfter(i, argc, argv);
    } else if (arg == L"--linger") {
      lingerMs = NumberAfter(i, argc, argv);
    } else if (arg == L"--index") {
      only = static_cast<long>(NumberAfter(i, argc, argv));
    } else if (arg == L"--bad") {
      bad = true;
    } else {
      fwprintf(stderr, L"usage: tunerprobe [--index N] [--wait MS] [--linger MS] [--bad]\n");
      return 2;
    }
  }

  std::vector<std::wstring> paths = ListInterfaces();
  wprintf(L"interfaces=%u\n", static_cast<unsigned>(paths.size()));
  // Abandoned requests keep their handle and buffers until the process ends.
  std::vector<std::unique_ptr<Request>> abandoned;
  for (unsigned index = 0; index < paths.size(); ++index) {
    if (only >= 0 && index != static_cast<unsigned long>(only))
      continue;
    auto r = std::make_unique<Request>();
    r->index = index;
    r->file = CreateFileW(paths[index].c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (r->file == INVALID_HANDLE_VALUE) {
      wprintf(L"index=%u open=error:%lu path=%ls\n", index, GetLastError(), paths[index].c_str());
      fflush(stdout);
      continue;
    }
    if (bad) {
      wprintf(L"index=%u rejects code=error:%lu length=error:%lu content=error:%lu\n", index,
              SendBad(r->file, TUNERSIM_IDENTIFY_IOCTL + 4, kIdentifySize, 0),
              SendBad(r->file, TUNERSIM_IDENTIFY_IOCTL, kIdentifySize - 1, 0),
              SendBad(r->file, TUNERSIM_IDENTIFY_IOCTL, kIdentifySize, 0xFF));
    }
    std::wstring outcome;
    bool pending = Probe(*r, waitMs, &outcome);
    wprintf(L"index=%u open=ok %ls path=%ls\n", index, outcome.c_str(), paths[index].c_str());
    fflush(stdout);
    if (pending) {
      abandoned.push_back(std::move(r));
    } else {
      CloseHandle(r->overlapped.hEvent);
      CloseHandle(r->file);
    }
  }

  // Report abandoned requests as they end, each with its own elapsed time.
  LARGE_INTEGER lingerStart;
  QueryPerformanceCounter(&lingerStart);
  while (!abandoned.empty() && lingerMs) {
    std::vector<HANDLE> events;
    for (auto& r : abandoned)
      events.push_back(r->overlapped.hEvent);
    double left = lingerMs - MsSince(lingerStart);
    DWORD which = left <= 0 ? WAIT_TIMEOUT
                            : WaitForMultipleObjects(static_cast<DWORD>(events.size()), events.data(), FALSE,
                                                     static_cast<DWORD>(left));
    if (which >= WAIT_OBJECT_0 + events.size()) {
      for (auto& r : abandoned)
        wprintf(L"index=%u later how=still-pending ms=%.0f\n", r->index, MsSince(r->start));
      break;
    }
    Request& r = *abandoned[which - WAIT_OBJECT_0];
    DWORD bytes = 0;
    BOOL ok = GetOverlappedResult(r.file, &r.overlapped, &bytes, FALSE);
    wprintf(L"index=%u later %ls\n", r.index, Describe(L"late", r, ok, bytes, ok ? 0 : GetLastError()).c_str());
    fflush(stdout);
    CloseHandle(r.overlapped.hEvent);
    CloseHandle(r.file);
    abandoned.erase(abandoned.begin() + (which - WAIT_OBJECT_0));
  }
  fflush(stdout);
  // Still-pending requests keep their buffers: the process ends without freeing them.
  for (auto& r : abandoned)
    r.release();
  return 0;
}
