// The least a tuner list physically costs: the main window's own template,
// with its version-6 list view (through the same manifest) and its icons,
// filled with four constant rows. No settings file, no discovery, no window
// walk. The window benchmark holds Zentrobe.exe against this. Closes on
// IDCANCEL like the real one.
#include "constant_list.h"

namespace {

INT_PTR CALLBACK ListDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) FillWithConstantRows(window);
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(window, 2);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    return static_cast<int>(
        DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, ListDialogProc, 0));
}
