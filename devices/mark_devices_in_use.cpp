// Notices which tuners running players already use, by their windows.
#include "devices/device_list.h"

#include "player/player_contract.h"

#include <cwchar>

namespace {

// The list position a top-level window announces as a player's, or -1 when
// it is not a player window or announces nothing.
int AnnouncedPosition(HWND window)
{
    WCHAR text[kPlayerWindowReadLimit];
    if (!GetWindowTextW(window, text, kPlayerWindowReadLimit) ||
        wcscmp(text, kPlayerWindowTitle) != 0)
        return -1;
    if (!GetClassNameW(window, text, kPlayerWindowReadLimit) ||
        wcscmp(text, kPlayerWindowClass) != 0)
        return -1;

    // The property holds a 32-bit value; in 64-bit processes only its low half counts.
    const INT32 value = static_cast<INT32>(
        static_cast<UINT32>(reinterpret_cast<UINT_PTR>(GetPropW(window, kPlayerWindowProperty))));
    return value < 0 ? ~value : -1;
}

}  // namespace

void MarkDevicesInUse(DeviceList& list)
{
    for (HWND window = GetTopWindow(GetDesktopWindow()); window;
         window = GetWindow(window, GW_HWNDNEXT)) {
        const int position = AnnouncedPosition(window);
        if (position < 0 || static_cast<size_t>(position) >= list.size()) continue;
        list[position].inUse = 1;
        list[position].playerWindow = window;  // the lowest in Z order wins
    }
}
