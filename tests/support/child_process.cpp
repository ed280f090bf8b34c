// See child_process.h.
#include "support/child_process.h"

ChildProcess StartChild(const std::wstring& commandLine, const std::wstring& directory)
{
    ChildProcess child;
    std::wstring writable = commandLine;  // CreateProcessW may write into it
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION information = {};
    child.started.Restart();
    if (!CreateProcessW(nullptr, &writable[0], nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &information)) {
        child.startError = GetLastError();
        return child;
    }
    child.process.Reset(information.hProcess);
    child.thread.Reset(information.hThread);
    child.id = information.dwProcessId;
    return child;
}

bool WaitForExit(const ChildProcess& child, DWORD timeoutMs)
{
    return child && WaitForSingleObject(child.process.Get(), timeoutMs) == WAIT_OBJECT_0;
}

void Kill(const ChildProcess& child)
{
    if (!child || WaitForExit(child, 0)) return;
    TerminateProcess(child.process.Get(), 1);
    WaitForExit(child, 10000);
}

ProcessResult FinishChild(const ChildProcess& child, DWORD timeoutMs)
{
    ProcessResult result;
    if (!child) return result;
    result.started = true;
    result.finished = WaitForExit(child, timeoutMs);
    result.seconds = child.started.Seconds();
    if (result.finished)
        GetExitCodeProcess(child.process.Get(), &result.exitCode);
    else
        Kill(child);
    return result;
}

ProcessResult RunProcess(const std::wstring& commandLine, const std::wstring& directory,
                         DWORD timeoutMs)
{
    return FinishChild(StartChild(commandLine, directory), timeoutMs);
}
