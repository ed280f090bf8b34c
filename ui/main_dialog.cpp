// The main window: the tuner list and the launch, settings and refresh buttons.
#include "ui/ui.h"

#include "devices/device_list.h"
#include "player/player.h"
#include "res/resource.h"

#include <commctrl.h>

#include <iterator>

namespace {

struct Column {
    UINT header;
    int width;  // pixels
};

// Left to right; the ids are not in column order.
const Column kColumns[] = {
    {IDS_COLUMN_ID, 40},
    {IDS_COLUMN_TYPE, 60},
    {IDS_COLUMN_STATE, 60},
    {IDS_COLUMN_DEVICE, 220},
};

UINT TypeTextId(int type)
{
    switch (type) {
    case TunerType::Terrestrial:
        return IDS_TYPE_TERRESTRIAL;
    case TunerType::Satellite:
        return IDS_TYPE_SATELLITE;
    default:
        return IDS_TYPE_UNKNOWN;
    }
}

void SetCellText(HWND listView, int row, int column, const std::wstring& text)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<LPWSTR>(text.c_str());
    SendMessageW(listView, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void OnInitDialog(HWND window)
{
    SetWindowTextW(window, LoadResourceString(IDS_APP_TITLE).c_str());

    HINSTANCE module = GetModuleHandleW(nullptr);
    HICON largeIcon = LoadIconW(module, MAKEINTRESOURCEW(IDI_MAIN));
    HICON smallIcon = static_cast<HICON>(
        LoadImageW(module, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));

    HWND listView = GetDlgItem(window, IDC_DEVICE_LIST);
    // A mask of 0 sets every extended style bit to the value given.
    SendMessageW(listView, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        const std::wstring header = LoadResourceString(kColumns[i].header);
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.fmt = LVCFMT_LEFT;
        column.cx = kColumns[i].width;
        column.pszText = const_cast<LPWSTR>(header.c_str());
        SendMessageW(listView, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    // Shows the list as start-up built and marked it; no enumeration here.
    FillDeviceListView(listView);
}

void OnRefresh(HWND window)
{
    EnumerateDevices(g_deviceList);
    MarkDevicesInUse(g_deviceList);
    FillDeviceListView(GetDlgItem(window, IDC_DEVICE_LIST));
}

void OnCommand(HWND window, WORD id)
{
    switch (id) {
    case IDCANCEL:  // Escape; there is no cancel button
        EndDialog(window, 2);
        break;
    case IDC_LAUNCH:
        LaunchSelected(window);
        break;
    case IDC_OPEN_SETTINGS:
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS), window,
                        SettingsDialogProc, 0);
        break;
    case IDC_REFRESH:
        OnRefresh(window);
        break;
    default:  // IDOK too: Enter with no button focused does nothing
        break;
    }
}

void OnNotify(HWND window, const NMHDR* header)
{
    if (header->idFrom == IDC_DEVICE_LIST && header->code == static_cast<UINT>(NM_DBLCLK))
        LaunchSelected(window);
}

}  // namespace

void FillDeviceListView(HWND listView)
{
    SendMessageW(listView, LVM_DELETEALLITEMS, 0, 0);
    // Row r is the entry at position r; the list stores nothing else per row.
    for (size_t r = 0; r < g_deviceList.size(); ++r) {
        const DeviceEntry& entry = g_deviceList[r];
        const int row = static_cast<int>(r);
        std::wstring index = std::to_wstring(entry.index);
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = &index[0];
        SendMessageW(listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        SetCellText(listView, row, 1, LoadResourceString(TypeTextId(entry.type)));
        if (entry.inUse) SetCellText(listView, row, 2, LoadResourceString(IDS_STATE_IN_USE));
        SetCellText(listView, row, 3, entry.path);
    }
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(listView, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
}

void LaunchSelected(HWND window)
{
    const int row =
        static_cast<int>(SendMessageW(GetDlgItem(window, IDC_DEVICE_LIST), LVM_GETNEXTITEM,
                                      static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row == -1) return;
    if (row >= 0 && static_cast<size_t>(row) < g_deviceList.size()) {
        const DeviceEntry& entry = g_deviceList[row];
        // As stored: no separator, nothing trimmed.
        LaunchPlayer(entry.type, TunerOption(entry.index) + ExtraParameters(entry.type));
    }
    EndDialog(window, 1);
}

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Always 0, so the dialog manager's own behaviour (Escape, tab order,
    // initial focus) stays in force.
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(window);
        break;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam));
        break;
    case WM_NOTIFY:
        OnNotify(window, reinterpret_cast<const NMHDR*>(lParam));
        break;
    case WM_CLOSE:
        EndDialog(window, 1);
        break;
    }
    return 0;
}
