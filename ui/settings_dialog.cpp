// The settings dialog: player paths and extra arguments for both models,
// edited in memory; the file is written when the program ends.
#include "ui/ui.h"

#include "res/resource.h"
#include "settings/settings.h"

#include <cstddef>
#include <cwchar>
#include <vector>

// The version-4 layout of the file-open record: up to lpTemplateName, without
// the fields added after it.
constexpr DWORD kOpenFileRequestSize = offsetof(OPENFILENAMEW, lpTemplateName) + sizeof(LPCWSTR);
#ifndef _WIN64
static_assert(kOpenFileRequestSize == 76, "32-bit version-4 file-open record is 76 bytes");
#endif

namespace {

// Which edit shows which setting.
struct SettingEdit {
    int control;
    std::wstring LauncherSettings::*setting;
};

const SettingEdit kSettingEdits[] = {
    {IDC_WHITE_PATH, &LauncherSettings::whitePath},
    {IDC_BLACK_PATH, &LauncherSettings::blackPath},
    {IDC_WHITE_PARAM, &LauncherSettings::whiteParam},
    {IDC_BLACK_PARAM, &LauncherSettings::blackParam},
};

// An edit's text, cut to 259 characters as a settings value is.
std::wstring ReadEdit(HWND window, int control)
{
    WCHAR buffer[kSettingBufferSize + 1] = {};
    GetDlgItemTextW(window, control, buffer, kSettingBufferSize);
    return buffer;
}

void OnInitDialog(HWND window)
{
    for (const SettingEdit& edit : kSettingEdits)
        SetDlgItemTextW(window, edit.control, (g_launcherSettings.*edit.setting).c_str());
}

// All four are replaced, changed or not, and taken as they are.
void Confirm(HWND window)
{
    for (const SettingEdit& edit : kSettingEdits)
        g_launcherSettings.*edit.setting = ReadEdit(window, edit.control);
}

// A browse changes only its own edit; the choice counts after OK.
void Browse(HWND window, int pathControl, UINT titleId)
{
    std::wstring fileName = ReadEdit(window, pathControl);
    if (BrowseForPlayer(window, LoadResourceString(titleId), fileName))
        SetDlgItemTextW(window, pathControl, fileName.c_str());
}

void OnCommand(HWND window, WORD id)
{
    switch (id) {
    case IDOK:
        Confirm(window);
        EndDialog(window, 1);
        break;
    case IDCANCEL:
        EndDialog(window, 2);
        break;
    case IDC_WHITE_BROWSE:
        Browse(window, IDC_WHITE_PATH, IDS_BROWSE_WHITE_TITLE);
        break;
    case IDC_BLACK_BROWSE:
        Browse(window, IDC_BLACK_PATH, IDS_BROWSE_BLACK_TITLE);
        break;
    }
}

}  // namespace

void FillOpenFileRequest(OPENFILENAMEW& request, HWND owner, const std::wstring& title,
                         wchar_t* fileBuffer)
{
    request = OPENFILENAMEW{};
    request.lStructSize = kOpenFileRequestSize;
    request.hwndOwner = owner;
    request.lpstrFilter = L"実行ファイル (*.exe)\0*.exe\0すべてのファイル (*.*)\0*.*\0";
    request.nFilterIndex = 0;
    request.lpstrFile = fileBuffer;
    request.nMaxFile = kFileNameBufferSize;
    request.lpstrTitle = title.c_str();
    request.Flags = OFN_FILEMUSTEXIST;
    request.lpstrDefExt = L"exe";
}

int BrowseForPlayer(HWND owner, const std::wstring& title, std::wstring& fileName)
{
    std::vector<WCHAR> buffer(kFileNameBufferSize + 1, L'\0');
    fileName.copy(buffer.data(), kFileNameBufferSize - 1);
    OPENFILENAMEW request;
    FillOpenFileRequest(request, owner, title, buffer.data());

    // comdlg32 is loaded on first use only: most runs never browse, and
    // loading it costs every start-up.
    using GetOpenFileNameFunction = BOOL(WINAPI*)(OPENFILENAMEW*);
    HMODULE comdlg = LoadLibraryW(L"comdlg32.dll");
    FARPROC proc = comdlg ? GetProcAddress(comdlg, "GetOpenFileNameW") : nullptr;
    auto getOpenFileName =
        reinterpret_cast<GetOpenFileNameFunction>(reinterpret_cast<void (*)()>(proc));
    const BOOL chosen = getOpenFileName ? getOpenFileName(&request) : FALSE;
    if (comdlg) FreeLibrary(comdlg);

    buffer.back() = L'\0';
    fileName = buffer.data();
    return chosen;
}

INT_PTR CALLBACK SettingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(window);
        break;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam));
        break;
    case WM_CLOSE:
        EndDialog(window, 2);
        break;
    }
    return 0;
}
