// The main window's list filled with four constant rows, as the baselines of
// the window benchmark show it: icons, extended style, the four columns and
// four rows, the first selected.
#pragma once

#include "res/resource.h"

#include <windows.h>
#include <commctrl.h>

inline void SetConstantCell(HWND list, int row, int column, const wchar_t* text)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<LPWSTR>(text);
    SendMessageW(list, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0,
                 reinterpret_cast<LPARAM>(&item));
}

inline void FillWithConstantRows(HWND window)
{
    HINSTANCE module = GetModuleHandleW(nullptr);
    SendMessageW(window, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadIconW(module, MAKEINTRESOURCEW(IDI_MAIN))));
    SendMessageW(window, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadImageW(module, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON,
                                                     16, 16, LR_DEFAULTCOLOR)));
    HWND list = GetDlgItem(window, IDC_DEVICE_LIST);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    const struct {
        const wchar_t* header;
        int width;
    } columns[] = {{L"ID", 40}, {L"タイプ", 60}, {L"状態", 60}, {L"デバイス", 220}};
    for (int i = 0; i < 4; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.fmt = LVCFMT_LEFT;
        column.cx = columns[i].width;
        column.pszText = const_cast<LPWSTR>(columns[i].header);
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    const wchar_t* rows[4][4] = {
        {L"0", L"地上", L"", L"\\\\?\\root#tunersim#0000#{5a56d255-e23a-4b4d-8c78-c265930b6c68}"},
        {L"1", L"衛星", L"", L"\\\\?\\root#tunersim#0001#{5a56d255-e23a-4b4d-8c78-c265930b6c68}"},
        {L"2", L"地上", L"", L"\\\\?\\root#tunersim#0002#{5a56d255-e23a-4b4d-8c78-c265930b6c68}"},
        {L"3", L"衛星", L"", L"\\\\?\\root#tunersim#0003#{5a56d255-e23a-4b4d-8c78-c265930b6c68}"},
    };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) SetConstantCell(list, r, c, rows[r][c]);
    LVITEMW state = {};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
}
