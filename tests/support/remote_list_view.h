// Reading and driving a list view that belongs to another process. Its
// messages take pointers to structures, so those are built in memory
// allocated inside that process. Throws std::runtime_error when the process
// cannot be reached or the window does not answer.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

int RemoteRowCount(HWND list);
std::wstring RemoteCellText(HWND list, int row, int column);
std::wstring RemoteColumnHeader(HWND list, int column);
int RemoteColumnCount(HWND list);

// Every row's cells, left to right.
std::vector<std::vector<std::wstring>> RemoteRows(HWND list);

// The first selected row, or -1.
int RemoteSelectedRow(HWND list);

// Selects and focuses one row.
void RemoteSelectRow(HWND list, int row);
