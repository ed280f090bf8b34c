// Installs and removes substitute tuners: root-enumerated devices served by
// tunersim.sys, each with its own behaviour. Test and demo equipment only.
#pragma once

#include <string>
#include <vector>

// A device's behaviour, one string per device:
//   "F4", "0A", "00", ...   answers at once with 75 bytes, byte 74 = that value
//   "refuse"                listed, but opening it fails
//   "short"                 answers at once with 74 bytes
//   "fail"                  the request fails (ERROR_IO_DEVICE)
//   "late:XX:MS"            answers with model XX after MS ms; CancelIo cancels it
//   "hang"                  never answers; CancelIo cancels it at once
//   "hang-nocancel"         never answers and ignores CancelIo (ends on removal)
//   "hang-nocancel:MS"      ignores CancelIo, answers 75 bytes (model F4) after MS ms (MS >= 1)
//   "unplugged"             a tuner that was once there: its interface is registered but
//                           not present, as one unplugged leaves it
// Requests still held when a device is removed end as cancelled (error 995).

// Replaces the installed set with exactly these devices, in this order
// (ROOT\TUNERSIM\0000, 0001, ...), so SetupDi member indexes follow it.
// Returns once the interfaces of exactly the present ones are there (or
// false after ~15 s). An empty list leaves no tuners. Installs the driver service
// on first use and replaces the installed driver file when it differs.
bool InstallTuners(const std::wstring& driverFile, const std::vector<std::wstring>& devices);

// Removes every tuner, then stops and deletes the service and the driver file.
bool RemoveTuners();

// Why the last InstallTuners/RemoveTuners failed, in one line.
std::wstring LastTunerInstallerError();

// tunersim.sys in the running program's folder.
std::wstring DriverFileBesideProgram();

// Present tuner interfaces, counted the way the launcher enumerates them.
int CountTunerInterfaces();
