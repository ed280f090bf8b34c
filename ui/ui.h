// The main window with the tuner list, and the settings dialog.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

// The text of a string-table entry in the program's language (Japanese),
// looked up at each use; empty when there is none.
std::wstring LoadResourceString(UINT id);

// The main window's dialog procedure (template IDD_MAIN).
INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Rebuilds every row of the list view from the process-wide device list and
// selects the first row.
void FillDeviceListView(HWND listView);

// Launches the player for the selected row and closes the window; does
// nothing while no row is selected.
void LaunchSelected(HWND window);

// The settings dialog's procedure (template IDD_SETTINGS).
INT_PTR CALLBACK SettingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Room for a path the file-open dialog returns: 260 characters with the
// terminator, plus one.
constexpr int kFileNameBufferSize = 260;

// Fills a file-open request for choosing a player executable; fileBuffer
// holds the seed name and receives the choice (kFileNameBufferSize characters).
void FillOpenFileRequest(OPENFILENAMEW& request, HWND owner, const std::wstring& title,
                         wchar_t* fileBuffer);

// Shows the file-open dialog seeded with fileName. Nonzero when the user chose
// a file; fileName then holds its full path.
int BrowseForPlayer(HWND owner, const std::wstring& title, std::wstring& fileName);
