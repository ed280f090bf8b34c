// Replacing a file the user keeps without ever rewriting it in place: the new
// file is made whole beside the old one, flushed, then put in its place in one
// step, so that a reader, a crash or a power cut finds the old file or the new
// one, never a mixture.
#pragma once

#include <windows.h>

#include <string>

// How long a replace keeps trying while another program (a virus scanner, the
// search indexer, a backup tool, an editor) holds the old file open.
constexpr DWORD kReplaceRetryMs = 2000;

// Where this process builds a new file in folder: a name of this process's
// own ("Zen<process id in hex>.tmp"), so that no other launcher uses it at the
// same time, and no longer than "Zentrobe.ini", so that it fits the
// platform's path limit wherever that file does.
std::wstring SideFileIn(const std::wstring& folder);

// Deletes the side files beside file that processes now gone left behind (a
// save cut short by a crash or a kill). The side file of a process that still
// runs is left alone: it may be saving now.
void RemoveAbandonedSideFiles(const std::wstring& file);

// Writes a file's data through to the disk. False if it cannot be opened or flushed.
bool FlushToDisk(const std::wstring& path);

// Puts replacement in place of target in one step (a rename on one volume;
// target need not exist), retrying for at most kReplaceRetryMs while target is
// held open. False, with both files as they were, if it never succeeded.
bool ReplaceInOneStep(const std::wstring& replacement, const std::wstring& target);

// Writes replacement's bytes over target's and flushes them: for a target
// that can be written but not replaced. The part beyond target's old end is
// written first, so that a disk too full for it leaves target as it was; the
// rest then goes over the old bytes with one write. False if target is left
// unchanged or the writing failed.
bool OverwriteWith(const std::wstring& replacement, const std::wstring& target);
