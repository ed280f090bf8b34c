// The least a launcher window must cost: an empty dialog of the main window's
// size and styles, titled "Zentrobe". The window benchmark holds Zentrobe.exe
// against this. Closes on IDCANCEL like the real one.
#include <windows.h>

#include <cstring>

namespace {

INT_PTR CALLBACK EmptyDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(window, 2);
        return TRUE;
    }
    return FALSE;
}

// Appends a terminated UTF-16 string to the template at p; returns the end.
WORD* PutString(WORD* p, const wchar_t* text)
{
    const size_t count = wcslen(text) + 1;
    std::memcpy(p, text, count * sizeof(WCHAR));
    return p + count;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // An in-memory DLGTEMPLATE: header, no menu, default class, caption, font.
    alignas(DWORD) WORD buffer[128] = {};
    auto* dialog = reinterpret_cast<DLGTEMPLATE*>(buffer);
    dialog->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_SHELLFONT;
    dialog->dwExtendedStyle = WS_EX_APPWINDOW;
    dialog->cdit = 0;
    dialog->cx = 276;
    dialog->cy = 150;
    WORD* p = reinterpret_cast<WORD*>(dialog + 1);
    *p++ = 0;  // no menu
    *p++ = 0;  // the dialog class
    p = PutString(p, L"Zentrobe");
    *p++ = 8;  // point size (DS_SETFONT, part of DS_SHELLFONT)
    PutString(p, L"MS Shell Dlg");
    return static_cast<int>(DialogBoxIndirectParamW(instance, dialog, nullptr, EmptyDialogProc, 0));
}
