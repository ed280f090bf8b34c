// The substitute player (FriioView.exe): stands in for the tuner vendor's player
// in tests and demos. It logs how it was started, becomes ready after a chosen
// delay, shows a dialog titled like the real player and marks it with the
// property the launcher looks for. Settings come from its environment (names in
// player_log.h):
//   SUBPLAYER_LOG             file to append this start to (unset: no log)
//   SUBPLAYER_READY_DELAY_MS  sleep before the window and message loop; "never":
//                             never pump, just sleep out the lifetime (at most 60 s)
//   SUBPLAYER_LIFETIME_MS     counted from process start; unset or 0: until closed
//   SUBPLAYER_POSITION        list position announced as ~position; "none": no
//                             property; unset: the N of "-o N", if any
// A value it cannot parse makes it exit at once with kPlayerExitBadSetting
// (after logging), so a mistyped test setting does not pass unnoticed.
#include <windows.h>

#include <climits>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "player_log.h"

namespace {

constexpr wchar_t kWindowTitle[] = L"Friio HDTV Player";
constexpr wchar_t kInUseProperty[] = L"B19E4999-E939-4ca7-A003-651ECB4112B8";
constexpr DWORD kNeverReadyLimitMs = 60000;  // so a forgotten "never" player goes away
constexpr UINT_PTR kLifetimeTimer = 1;
constexpr int kTunerLabel = 100;
constexpr int kArgumentsLabel = 101;
constexpr int kPositionLabel = 102;

struct Settings {
    bool neverReady = false;
    DWORD readyDelayMs = 0;
    DWORD lifetimeMs = 0;  // 0: until closed
    bool announce = false;
    int position = 0;
};

struct PlayerWindow {
    int tuner;  // -1: no "-o N"
    std::wstring arguments;
    const Settings* settings;
    DWORD startTick;
};

bool ReadEnvironment(const wchar_t* name, std::wstring* value)
{
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return false;
    std::vector<wchar_t> buffer(size);
    DWORD length = GetEnvironmentVariableW(name, buffer.data(), size);
    if (length == 0 || length >= size) return false;
    value->assign(buffer.data(), length);
    return true;
}

// Plain decimal, optionally negative, within [low, high].
bool ParseInteger(const std::wstring& text, long long low, long long high, long long* value)
{
    size_t i = 0;
    bool negative = !text.empty() && text[0] == L'-';
    if (negative) i = 1;
    if (i == text.size()) return false;
    long long magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9') return false;
        magnitude = magnitude * 10 + (text[i] - L'0');
        if (magnitude > 0xFFFFFFFFll) return false;
    }
    *value = negative ? -magnitude : magnitude;
    return *value >= low && *value <= high;
}

// The text after the program name, split off the way the C runtime does it.
std::wstring ArgumentText(const wchar_t* commandLine)
{
    const wchar_t* p = commandLine;
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

// The N of "-o N" among the C runtime's arguments, or -1.
int TunerFromArguments()
{
    for (int i = 1; i + 1 < __argc; ++i) {
        long long tuner;
        if (wcscmp(__wargv[i], L"-o") == 0 && ParseInteger(__wargv[i + 1], 0, INT_MAX, &tuner)) {
            return static_cast<int>(tuner);
        }
    }
    return -1;
}

void LogThisStart()
{
    std::wstring path;
    if (!ReadEnvironment(kPlayerLogVariable, &path)) return;
    PlayerStart start;
    start.startTime = PlayerLogTimeNow();
    start.commandLine = GetCommandLineW();
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::vector<wchar_t> directory(size + 1);
    DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), directory.data());
    if (length < directory.size()) start.workingDirectory.assign(directory.data(), length);
    start.processId = GetCurrentProcessId();
    AppendPlayerLog(path, start);
}

bool ReadSettings(int tuner, Settings* settings)
{
    std::wstring text;
    long long value;
    if (ReadEnvironment(kPlayerReadyDelayVariable, &text)) {
        if (text == L"never") {
            settings->neverReady = true;
        } else if (ParseInteger(text, 0, INT_MAX, &value)) {
            settings->readyDelayMs = static_cast<DWORD>(value);
        } else {
            return false;
        }
    }
    if (ReadEnvironment(kPlayerLifetimeVariable, &text)) {
        if (!ParseInteger(text, 0, INT_MAX, &value)) return false;
        settings->lifetimeMs = static_cast<DWORD>(value);
    }
    settings->announce = tuner >= 0;
    settings->position = tuner;
    if (ReadEnvironment(kPlayerPositionVariable, &text)) {
        if (text == L"none") {
            settings->announce = false;
        } else if (ParseInteger(text, INT_MIN, INT_MAX, &value)) {
            // Negative positions are allowed: they give a non-negative property value.
            settings->announce = true;
            settings->position = static_cast<int>(value);
        } else {
            return false;
        }
    }
    return true;
}

// Milliseconds left of the lifetime; INFINITE when it has none.
DWORD LifetimeLeft(const Settings& settings, DWORD startTick)
{
    if (settings.lifetimeMs == 0) return INFINITE;
    DWORD elapsed = GetTickCount() - startTick;
    return elapsed >= settings.lifetimeMs ? 0 : settings.lifetimeMs - elapsed;
}

// An in-memory dialog template, so the window is a plain "#32770" dialog.
void AddWord(std::vector<WORD>& words, WORD w)
{
    words.push_back(w);
}

void AddDword(std::vector<WORD>& words, DWORD d)
{
    words.push_back(LOWORD(d));
    words.push_back(HIWORD(d));
}

void AddString(std::vector<WORD>& words, const wchar_t* s)
{
    do words.push_back(static_cast<WORD>(*s));
    while (*s++);
}

void AddDialogHeader(std::vector<WORD>& words, DWORD style, WORD cx, WORD cy, WORD items,
                     const wchar_t* title)
{
    AddDword(words, style);
    AddDword(words, 0);  // extended style
    AddWord(words, items);
    for (WORD w : {WORD(0), WORD(0), cx, cy}) AddWord(words, w);
    AddWord(words, 0);  // no menu
    AddWord(words, 0);  // the default dialog class
    AddString(words, title);
    AddWord(words, 8);
    AddString(words, L"MS Shell Dlg");
}

void AddStatic(std::vector<WORD>& words, int id, DWORD style, WORD x, WORD y, WORD cx, WORD cy)
{
    if (words.size() % 2) AddWord(words, 0);  // items are DWORD-aligned
    AddDword(words, WS_CHILD | WS_VISIBLE | style);
    AddDword(words, 0);
    for (WORD w : {x, y, cx, cy, static_cast<WORD>(id)}) AddWord(words, w);
    AddWord(words, 0xFFFF);
    AddWord(words, 0x0082);  // the STATIC class
    AddString(words, L"");
    AddWord(words, 0);  // no creation data
}

INT_PTR CALLBACK PlayerDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        const PlayerWindow& player = *reinterpret_cast<const PlayerWindow*>(lParam);
        const Settings& settings = *player.settings;
        std::wstring tuner = player.tuner >= 0 ? L"Tuner " + std::to_wstring(player.tuner)
                                               : std::wstring(L"Tuner: no -o given");
        SetDlgItemTextW(window, kTunerLabel, tuner.c_str());
        SetDlgItemTextW(window, kArgumentsLabel, (L"Arguments: " + player.arguments).c_str());
        std::wstring position = L"Announces list position: ";
        position += settings.announce ? std::to_wstring(settings.position) : L"none";
        SetDlgItemTextW(window, kPositionLabel, position.c_str());
        // Set before the dialog shows, so no window walk ever sees it unmarked.
        if (settings.announce) {
            SetPropW(window, kInUseProperty,
                     reinterpret_cast<HANDLE>(static_cast<INT_PTR>(~settings.position)));
        }
        DWORD left = LifetimeLeft(settings, player.startTick);
        if (left != INFINITE) SetTimer(window, kLifetimeTimer, left, nullptr);
        // Cascade by tuner so several players side by side stay readable.
        int step = player.tuner >= 0 ? player.tuner % 8 : 0;
        SetWindowPos(window, nullptr, 40 + 32 * step, 40 + 32 * step, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;
    }
    case WM_TIMER:
        if (wParam == kLifetimeTimer) EndDialog(window, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) EndDialog(window, 0);
        return TRUE;
    case WM_CLOSE:
        EndDialog(window, 0);
        return TRUE;
    case WM_DESTROY:
        KillTimer(window, kLifetimeTimer);
        RemovePropW(window, kInUseProperty);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    DWORD startTick = GetTickCount();
    LogThisStart();

    int tuner = TunerFromArguments();
    Settings settings;
    if (!ReadSettings(tuner, &settings)) return static_cast<int>(kPlayerExitBadSetting);

    if (settings.neverReady) {
        DWORD left = LifetimeLeft(settings, startTick);
        Sleep(left == INFINITE || left > kNeverReadyLimitMs ? kNeverReadyLimitMs : left);
        return 0;
    }
    DWORD left = LifetimeLeft(settings, startTick);
    Sleep(settings.readyDelayMs < left ? settings.readyDelayMs : left);
    if (LifetimeLeft(settings, startTick) == 0) return 0;

    PlayerWindow player{tuner, ArgumentText(GetCommandLineW()), &settings, startTick};
    std::vector<WORD> dialog;  // WORD storage keeps the template DWORD-aligned
    AddDialogHeader(dialog,
                    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE | DS_SETFONT |
                        DS_MODALFRAME,
                    230, 58, 3, kWindowTitle);
    AddStatic(dialog, kTunerLabel, SS_LEFT | SS_NOPREFIX, 7, 7, 216, 10);
    AddStatic(dialog, kArgumentsLabel, SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 7, 20, 216, 20);
    AddStatic(dialog, kPositionLabel, SS_LEFT | SS_NOPREFIX, 7, 43, 216, 10);
    DialogBoxIndirectParamW(instance, reinterpret_cast<const DLGTEMPLATE*>(dialog.data()), nullptr,
                            PlayerDialogProc, reinterpret_cast<LPARAM>(&player));
    return 0;
}
