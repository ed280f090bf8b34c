// A started child process, owned: its process and thread handles are closed
// when the owner goes, on every way out of a test.
#pragma once

#include "common/unique_handle.h"
#include "support/stopwatch.h"

#include <windows.h>

#include <string>

struct ChildProcess {
    UniqueKernelHandle process;
    UniqueKernelHandle thread;
    DWORD id = 0;
    DWORD startError = 0;  // GetLastError when the process could not be created
    Stopwatch started;     // from just before the process was created

    explicit operator bool() const { return process.Valid(); }
};

// Starts commandLine (the program quoted by the caller where needed) in
// directory, or in this process's own when it is empty. Empty when the
// process could not be created.
ChildProcess StartChild(const std::wstring& commandLine, const std::wstring& directory = L"");

// True once the process has ended, waiting at most timeoutMs.
bool WaitForExit(const ChildProcess& child, DWORD timeoutMs);

// Ends the process if it still runs and waits for it to be gone.
void Kill(const ChildProcess& child);

// How a run ended.
struct ProcessResult {
    bool started = false;
    bool finished = false;  // false: still running at the time limit (it was then killed)
    DWORD exitCode = 0;
    double seconds = 0;  // from its start until it ended or was given up on
};

// Waits at most timeoutMs for the process to end, and kills it if it has not.
ProcessResult FinishChild(const ChildProcess& child, DWORD timeoutMs);

// Starts, waits and finishes in one: RunProcess("\"x.exe\" -a", folder).
ProcessResult RunProcess(const std::wstring& commandLine, const std::wstring& directory = L"",
                         DWORD timeoutMs = 30000);
