// demo-helper: scripts/demo.sh's hands and eyes on the launcher, from a second
// process: waits for its windows, reads its list, presses its buttons, and
// prints what the substitute player's start log received.
//   demo-helper wait WINDOW [MS]          until shown and pumping; prints "X Y W H"
//   demo-helper gone WINDOW [MS]          until no such window exists (MS 0: no limit)
//   demo-helper rows                      the list's header and rows, one per line
//   demo-helper select ROW                selects and focuses a row of the list
//   demo-helper press WINDOW ID           clicks a button (a posted WM_COMMAND)
//   demo-helper log FILE                  each player start: command line, folder
// WINDOW: main (the launcher's), settings (its settings dialog) or player (any
// substitute player's). MS defaults to 20000.
// Exit code 0 on success; 1 with a message on stderr; 2 for a usage error.
#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <stdexcept>
#include <string>
#include <vector>

#include "player_log.h"
#include "res/resource.h"
#include "support/remote_list_view.h"
#include "support/window_finder.h"

namespace {

constexpr wchar_t kMainTitle[] = L"Zentrobe";
constexpr wchar_t kSettingsTitle[] = L"\u8A2D\u5B9A";  // the settings dialog's caption
constexpr wchar_t kPlayerTitle[] = L"Friio HDTV Player";
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr DWORD kDefaultWaitMs = 20000;
// Wine hands a window's pixels to the X server shortly after it paints;
// this is ample for a screenshot taken right after "wait" returns.
constexpr DWORD kSettleMs = 600;

// Text out as UTF-8 bytes when redirected, through the console when there is one.
void Write(DWORD stream, const std::wstring& text)
{
    HANDLE handle = GetStdHandle(stream);
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                        nullptr, nullptr);
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Print(const std::wstring& line)
{
    Write(STD_OUTPUT_HANDLE, line + L"\n");
}

int Fail(const std::wstring& message)
{
    Write(STD_ERROR_HANDLE, L"demo-helper: " + message + L"\n");
    return 1;
}

int Usage()
{
    Write(STD_ERROR_HANDLE,
          L"usage: demo-helper wait WINDOW [MS] | gone WINDOW [MS] | rows | select ROW |"
          L" press WINDOW ID | log FILE   (WINDOW: main, settings or player)\n");
    return 2;
}

WindowQuery DialogTitled(const wchar_t* title, HWND owner)
{
    WindowQuery query;
    query.title = title;
    query.className = kDialogClass;
    query.owner = owner;
    return query;
}

HWND FindMain()
{
    return FindTopLevelWindow(DialogTitled(kMainTitle, nullptr));
}

// The settings dialog is the one the main window owns, so no other "設定"
// window on the desktop can be taken for it.
WindowQuery SettingsQuery()
{
    HWND main = FindMain();
    // With no main window, a query that no window can match.
    return DialogTitled(kSettingsTitle, main ? main : HWND_MESSAGE);
}

WindowQuery Named(const std::wstring& name)
{
    if (name == L"main") return DialogTitled(kMainTitle, nullptr);
    if (name == L"settings") return SettingsQuery();
    return DialogTitled(kPlayerTitle, nullptr);
}

bool ParseNumber(const wchar_t* text, long* value)
{
    wchar_t* end = nullptr;
    *value = wcstol(text, &end, 10);
    return *text && end && *end == L'\0';
}

// Terminal columns a text takes: East Asian wide characters take two.
size_t DisplayWidth(const std::wstring& text)
{
    size_t width = 0;
    for (wchar_t c : text) {
        bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                    (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                    (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                    (c >= 0xFFE0 && c <= 0xFFE6);
        width += wide ? 2 : 1;
    }
    return width;
}

HWND ListOf(HWND main)
{
    HWND list = GetDlgItem(main, IDC_DEVICE_LIST);
    if (!list) throw std::runtime_error("the main window has no list");
    return list;
}

int Wait(const std::wstring& name, DWORD timeoutMs)
{
    HWND window = WaitForWindow(Named(name), timeoutMs);
    if (!window)
        return Fail(L"no " + name + L" window within " + std::to_wstring(timeoutMs) + L" ms");
    Sleep(kSettleMs);
    RECT rect = {};
    GetWindowRect(window, &rect);
    Print(std::to_wstring(rect.left) + L" " + std::to_wstring(rect.top) + L" " +
          std::to_wstring(rect.right - rect.left) + L" " + std::to_wstring(rect.bottom - rect.top));
    return 0;
}

int Gone(const std::wstring& name, DWORD timeoutMs)
{
    if (!WaitForNoWindow(Named(name), timeoutMs))
        return Fail(L"the " + name + L" window is still open after " + std::to_wstring(timeoutMs) +
                    L" ms");
    return 0;
}

int Rows()
{
    HWND main = FindMain();
    if (!main) return Fail(L"no main window");
    HWND list = ListOf(main);
    std::vector<std::vector<std::wstring>> table(1);
    const int columns = RemoteColumnCount(list);
    for (int c = 0; c < columns; ++c) table[0].push_back(RemoteColumnHeader(list, c));
    for (const auto& row : RemoteRows(list)) table.push_back(row);
    // Padded columns; the last one (the device path) is left as it is.
    std::vector<size_t> widths(columns, 0);
    for (const auto& line : table)
        for (int c = 0; c < columns; ++c)
            if (DisplayWidth(line[c]) > widths[c]) widths[c] = DisplayWidth(line[c]);
    for (const auto& line : table) {
        std::wstring text;
        for (int c = 0; c < columns; ++c) {
            text += line[c];
            if (c + 1 < columns) text += std::wstring(widths[c] - DisplayWidth(line[c]) + 2, L' ');
        }
        Print(text);
    }
    return 0;
}

int Select(long row)
{
    HWND main = FindMain();
    if (!main) return Fail(L"no main window");
    HWND list = ListOf(main);
    const long rows = RemoteRowCount(list);
    if (row < 0 || row >= rows)
        return Fail(L"row " + std::to_wstring(row) + L" is not in the list (" +
                    std::to_wstring(rows) + L" rows)");
    RemoteSelectRow(list, row);
    if (RemoteSelectedRow(list) != row)
        return Fail(L"row " + std::to_wstring(row) + L" did not become selected");
    return 0;
}

int Press(const std::wstring& name, long id)
{
    HWND window = FindTopLevelWindow(Named(name));
    if (!window) return Fail(L"no " + name + L" window");
    // Posted, as a click would: the button's handler may run a modal loop.
    if (!PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(window, id))))
        return Fail(L"cannot post to the " + name + L" window");
    return 0;
}

int Log(const std::wstring& path)
{
    const std::vector<PlayerStart> starts = ReadPlayerLog(path);
    if (starts.empty()) Print(L"(no player start recorded)");
    // Between < and >, so leading and trailing blanks show.
    for (size_t i = 0; i < starts.size(); ++i) {
        if (starts.size() > 1) Print(L"start " + std::to_wstring(i + 1) + L":");
        Print(L"command line:      <" + starts[i].commandLine + L">");
        Print(L"working directory: <" + starts[i].workingDirectory + L">");
    }
    return 0;
}

int Run(int argc, wchar_t** argv)
{
    if (argc < 2) return Usage();
    const std::wstring command = argv[1];
    const std::wstring window = argc >= 3 ? argv[2] : L"";
    const bool named = window == L"main" || window == L"settings" || window == L"player";
    long number = 0;
    if (command == L"wait" || command == L"gone") {
        if (!named || argc > 4) return Usage();
        long timeoutMs = kDefaultWaitMs;
        if (argc == 4 && (!ParseNumber(argv[3], &timeoutMs) || timeoutMs < 0)) return Usage();
        return command == L"wait" ? Wait(window, timeoutMs) : Gone(window, timeoutMs);
    }
    if (command == L"rows" && argc == 2) return Rows();
    if (command == L"select" && argc == 3 && ParseNumber(argv[2], &number)) return Select(number);
    if (command == L"press" && argc == 4 && named && ParseNumber(argv[3], &number))
        return Press(window, number);
    if (command == L"log" && argc == 3) return Log(argv[2]);
    return Usage();
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        const std::string what = error.what();
        return Fail(std::wstring(what.begin(), what.end()));
    }
}
