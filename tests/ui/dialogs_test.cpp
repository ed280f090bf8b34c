// The two dialogs in-process, from the real templates and procedures, driven
// by messages from a second thread while the dialog manager runs them.
#include "devices/device_list.h"
#include "player/player.h"
#include "player/player_log.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "support/test_support.h"
#include "support/wait.h"
#include "support/window_finder.h"
#include "ui/ui.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <thread>

namespace {

// A visible top-level window of this process with this title, once it takes input.
HWND FindOwnWindow(const std::wstring& title, DWORD waitMs = kPatienceMs)
{
    WindowQuery query;
    query.processId = GetCurrentProcessId();
    query.title = title.c_str();
    return WaitForWindow(query, waitMs);
}

// Runs a dialog modally on this thread while script drives it from another;
// returns the dialog's end code. If the script leaves it open, it is closed.
INT_PTR RunDialog(int templateId, DLGPROC procedure, const std::wstring& title,
                  const std::function<void(HWND)>& script)
{
    std::thread driver([&] {
        HWND dialog = FindOwnWindow(title);
        if (!dialog) {
            ADD_FAILURE() << "the dialog did not appear";
            return;
        }
        script(dialog);
        if (!WaitUntil([&] { return !IsWindow(dialog); }, kPatienceMs)) {
            ADD_FAILURE() << "the dialog was still open " << kPatienceMs / 1000
                          << " s after the script ended";
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    });
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId),
                                           nullptr, procedure, 0);
    driver.join();
    return result;
}

// True when the window is still open after the dialog manager had time to act.
bool StaysOpen(HWND window)
{
    Sleep(300);
    return IsWindow(window) && IsWindowVisible(window);
}

void PressKey(HWND target, UINT key)
{
    PostMessageW(target, WM_KEYDOWN, key, 0x00010001);
    PostMessageW(target, WM_KEYUP, key, 0xC0010001);
}

void Command(HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::wstring CellText(HWND list, int row, int column)
{
    WCHAR text[300] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 300;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

int SelectedRow(HWND list)
{
    return static_cast<int>(
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SetRowState(HWND list, int row, UINT mask, UINT state)
{
    LVITEMW item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageW(list, LVM_SETITEMSTATE, row < 0 ? static_cast<WPARAM>(-1) : row,
                 reinterpret_cast<LPARAM>(&item));
}

constexpr int kFocusTheSelectedRow = -2;

// Selects row (none when negative) and gives the focus to focusedRow.
void SelectRow(HWND list, int row, int focusedRow = kFocusTheSelectedRow)
{
    SetRowState(list, -1, LVIS_SELECTED | LVIS_FOCUSED, 0);
    if (row >= 0) SetRowState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    const int focus = focusedRow == kFocusTheSelectedRow ? row : focusedRow;
    if (focus >= 0) SetRowState(list, focus, LVIS_FOCUSED, LVIS_FOCUSED);
}

int IconWidth(HICON icon)
{
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap = {};
    GetObjectW(info.hbmMask, sizeof(bitmap), &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

class MainWindow : public testing::Test {
protected:
    void SetUp() override
    {
        folder = FreshFolder(L"ui_main");
        log = folder + L"\\player.log";
        // A player of its own for each type, so a start shows which one it took.
        blackPlayer = folder + L"\\Black.exe";
        CopyFileW(PlayerExe().c_str(), blackPlayer.c_str(), FALSE);
        g_launcherSettings = LauncherSettings{PlayerExe(), blackPlayer, L"", L""};
    }
    void TearDown() override { g_deviceList.clear(); }

    INT_PTR Run(const std::function<void(HWND)>& script)
    {
        ScopedEnvironment logTo(kPlayerLogVariable, log);
        ScopedEnvironment closeSoon(kPlayerLifetimeVariable, L"1500");
        return RunDialog(IDD_MAIN, MainDialogProc, L"Zentrobe", script);
    }

    // "White: <arguments>" or "Black: <arguments>" for each start, by its player.
    std::vector<std::wstring> PlayerArguments()
    {
        std::vector<std::wstring> arguments;
        const std::wstring white = L"\"" + PlayerExe() + L"\" ";
        for (const PlayerStart& start : ReadPlayerLog(log)) {
            arguments.push_back(start.commandLine.compare(0, white.size(), white) == 0
                                    ? L"White: " + ArgumentsOf(start, PlayerExe())
                                    : L"Black: " + ArgumentsOf(start, blackPlayer));
        }
        return arguments;
    }

    std::wstring folder, log, blackPlayer;
};

TEST_F(MainWindow, ShowsTheListWithItsColumnsAndCells)
{
    InstallSimulatedTuners({L"0A", L"F4"});
    g_deviceList = {MakeEntry(0, 0, TunerType::Terrestrial, 0, L"\\\\?\\root#a"),
                    MakeEntry(2, 0, TunerType::Satellite, 1, L"\\\\?\\root#b"),
                    MakeEntry(3, 0, TunerType::Unknown, 0, L"\\\\?\\root#c")};
    const INT_PTR result = Run([](HWND dialog) {
        WCHAR caption[64] = {};
        GetWindowTextW(dialog, caption, 64);
        EXPECT_EQ(std::wstring(caption), L"Zentrobe");
        const auto icon = [&](WPARAM which) {
            return reinterpret_cast<HICON>(SendMessageW(dialog, WM_GETICON, which, 0));
        };
        EXPECT_EQ(IconWidth(icon(ICON_BIG)), GetSystemMetrics(SM_CXICON));
        EXPECT_EQ(IconWidth(icon(ICON_SMALL)), GetSystemMetrics(SM_CXSMICON));

        HWND list = GetDlgItem(dialog, IDC_DEVICE_LIST);
        EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), LVS_EX_FULLROWSELECT);
        const struct {
            const wchar_t* header;
            int width;
        } columns[] = {{L"ID", 40}, {L"タイプ", 60}, {L"状態", 60}, {L"デバイス", 220}};
        for (int i = 0; i < 4; ++i) {
            WCHAR text[64] = {};
            LVCOLUMNW column = {};
            column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
            column.pszText = text;
            column.cchTextMax = 64;
            ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column)));
            EXPECT_EQ(Narrow(text), Narrow(columns[i].header));
            EXPECT_EQ(column.cx, columns[i].width);
            EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
        }
        const wchar_t* cells[3][4] = {{L"0", L"地上", L"", L"\\\\?\\root#a"},
                                      {L"2", L"衛星", L"起動", L"\\\\?\\root#b"},
                                      {L"3", L"不明", L"", L"\\\\?\\root#c"}};
        ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(Narrow(CellText(list, r, c)), Narrow(cells[r][c])) << r << "," << c;
        EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 0, LVIS_SELECTED | LVIS_FOCUSED),
                  LVIS_SELECTED | LVIS_FOCUSED);

        // Refresh finds the simulated tuners and selects the first row again.
        SelectRow(list, 2);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED), 0);
        ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);
        EXPECT_EQ(Narrow(CellText(list, 0, 1)), Narrow(L"衛星"));
        EXPECT_EQ(Narrow(CellText(list, 1, 1)), Narrow(L"地上"));
        EXPECT_EQ(SelectedRow(list), 0);
        EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 0, LVIS_FOCUSED), LVIS_FOCUSED);
        PressKey(list, VK_ESCAPE);
    });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(g_deviceList.size(), 2u);
}

TEST_F(MainWindow, LaunchesTheSelectedRowWithItsIndex)
{
    struct Case {
        const char* what;
        DeviceList list;
        std::wstring whiteParam, blackParam;
        int row;
        bool byDoubleClick;
        std::vector<std::wstring> expected;
        int focusedRow = kFocusTheSelectedRow;
    } cases[] = {
        {"row 1 of indexes 0 and 2",
         {MakeEntry(0, 0, TunerType::Terrestrial, 0, L"a"),
          MakeEntry(2, 1, TunerType::Terrestrial, 0, L"b")},
         L"",
         L"",
         1,
         false,
         {L"White: -o 2 "}},
        {"Black index 7 with -x",
         {MakeEntry(7, 0, TunerType::Satellite, 0, L"a")},
         L"-w",
         L"-x",
         0,
         false,
         {L"Black: -o 7 -x"}},
        {"White gets whiteParam as stored",
         {MakeEntry(1, 0, TunerType::Terrestrial, 0, L"a")},
         L" -w  ",
         L"-x",
         0,
         false,
         {L"White: -o 1  -w  "}},
        {"a row in use launches again",
         {MakeEntry(4, 0, TunerType::Satellite, 1, L"a")},
         L"",
         L"",
         0,
         true,
         {L"Black: -o 4 "}},
        {"double-click takes the selected row",
         {MakeEntry(0, 0, TunerType::Satellite, 0, L"a"),
          MakeEntry(5, 1, TunerType::Satellite, 0, L"b")},
         L"",
         L"",
         1,
         true,
         {L"Black: -o 5 "}},
        {"the selected row, not the focused one",
         {MakeEntry(0, 0, TunerType::Terrestrial, 0, L"a"),
          MakeEntry(3, 1, TunerType::Satellite, 0, L"b")},
         L"",
         L"",
         1,
         false,
         {L"Black: -o 3 "},
         0},
        {"Unknown closes without starting",
         {MakeEntry(0, 0, TunerType::Unknown, 0, L"a")},
         L"",
         L"",
         0,
         false,
         {}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileW(log.c_str());
        g_deviceList = c.list;
        g_launcherSettings.whiteParam = c.whiteParam;
        g_launcherSettings.blackParam = c.blackParam;
        const INT_PTR result = Run([&](HWND dialog) {
            HWND list = GetDlgItem(dialog, IDC_DEVICE_LIST);
            SelectRow(list, c.row, c.focusedRow);
            if (c.byDoubleClick) {
                NMITEMACTIVATE click = {};
                click.hdr.hwndFrom = list;
                click.hdr.idFrom = IDC_DEVICE_LIST;
                click.hdr.code = NM_DBLCLK;
                click.iItem = 0;  // where the click was is not looked at
                SendMessageW(dialog, WM_NOTIFY, IDC_DEVICE_LIST, reinterpret_cast<LPARAM>(&click));
            } else {
                Command(dialog, IDC_LAUNCH);
            }
        });
        EXPECT_EQ(result, 1);
        std::vector<std::string> got, expected;
        for (const std::wstring& a : PlayerArguments()) got.push_back(Narrow(a));
        for (const std::wstring& a : c.expected) expected.push_back(Narrow(a));
        EXPECT_EQ(got, expected);
    }
}

TEST_F(MainWindow, WithoutASelectionLaunchDoesNothing)
{
    for (bool emptyList : {true, false}) {
        SCOPED_TRACE(emptyList ? "empty list" : "selection cleared");
        g_deviceList.clear();
        if (!emptyList) g_deviceList = {MakeEntry(0, 0, TunerType::Terrestrial, 0, L"a")};
        const INT_PTR result = Run([&](HWND dialog) {
            HWND list = GetDlgItem(dialog, IDC_DEVICE_LIST);
            if (emptyList) {
                EXPECT_EQ(SelectedRow(list), -1);
            }
            SelectRow(list, -1);
            Command(dialog, IDC_LAUNCH);
            EXPECT_TRUE(StaysOpen(dialog));
            NMHDR click = {list, IDC_DEVICE_LIST, static_cast<UINT>(NM_DBLCLK)};
            SendMessageW(dialog, WM_NOTIFY, IDC_DEVICE_LIST, reinterpret_cast<LPARAM>(&click));
            EXPECT_TRUE(StaysOpen(dialog));
            PressKey(list, VK_ESCAPE);
        });
        EXPECT_EQ(result, 2);
        EXPECT_TRUE(PlayerArguments().empty());
    }
}

TEST_F(MainWindow, EscapeCancelsTheCloseBoxClosesEnterDoesNothing)
{
    g_deviceList = {MakeEntry(0, 0, TunerType::Terrestrial, 0, L"a")};
    EXPECT_EQ(Run([](HWND dialog) { PressKey(GetDlgItem(dialog, IDC_DEVICE_LIST), VK_ESCAPE); }),
              2);
    EXPECT_EQ(Run([](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }), 1);
    EXPECT_EQ(Run([](HWND dialog) {
                  HWND list = GetDlgItem(dialog, IDC_DEVICE_LIST);
                  PressKey(list, VK_RETURN);
                  EXPECT_TRUE(StaysOpen(dialog));
                  Command(dialog, IDOK);
                  EXPECT_TRUE(StaysOpen(dialog));
                  PressKey(list, VK_ESCAPE);
              }),
              2);
    EXPECT_TRUE(PlayerArguments().empty());
}

// ---- The settings dialog ----------------------------------------------------

std::wstring EditText(HWND dialog, int id)
{
    WCHAR text[1024] = {};
    GetDlgItemTextW(dialog, id, text, 1024);
    return text;
}

class SettingsDialog : public testing::Test {
protected:
    void SetUp() override { g_launcherSettings = kBefore; }
    INT_PTR Run(const std::function<void(HWND)>& script)
    {
        return RunDialog(IDD_SETTINGS, SettingsDialogProc, L"設定", script);
    }
    void ExpectUnchanged()
    {
        EXPECT_EQ(g_launcherSettings.whitePath, kBefore.whitePath);
        EXPECT_EQ(g_launcherSettings.blackPath, kBefore.blackPath);
        EXPECT_EQ(g_launcherSettings.whiteParam, kBefore.whiteParam);
        EXPECT_EQ(g_launcherSettings.blackParam, kBefore.blackParam);
    }
    const LauncherSettings kBefore{L"C:\\W\\White.exe", L"C:\\B\\Black.exe", L"-w", L"-b"};
};

TEST_F(SettingsDialog, OpensWithTheValuesInMemoryAndOkTakesAllFour)
{
    const std::wstring long300(300, L'z');
    const INT_PTR result = Run([&](HWND dialog) {
        EXPECT_EQ(EditText(dialog, IDC_WHITE_PATH), kBefore.whitePath);
        EXPECT_EQ(EditText(dialog, IDC_BLACK_PATH), kBefore.blackPath);
        EXPECT_EQ(EditText(dialog, IDC_WHITE_PARAM), kBefore.whiteParam);
        EXPECT_EQ(EditText(dialog, IDC_BLACK_PARAM), kBefore.blackParam);
        SetDlgItemTextW(dialog, IDC_WHITE_PATH, L"");
        SetDlgItemTextW(dialog, IDC_BLACK_PATH, L"  D:\\x y\\p.exe ");
        SetDlgItemTextW(dialog, IDC_WHITE_PARAM, long300.c_str());
        SetDlgItemTextW(dialog, IDC_BLACK_PARAM, L"-o 3 \"テレビ\"");
        Command(dialog, IDOK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(g_launcherSettings.whitePath, L"");
    EXPECT_EQ(g_launcherSettings.blackPath, L"  D:\\x y\\p.exe ");
    EXPECT_EQ(g_launcherSettings.whiteParam, long300.substr(0, 259));
    EXPECT_EQ(Narrow(g_launcherSettings.blackParam), Narrow(L"-o 3 \"テレビ\""));

    // Reopened, it shows the confirmed values, not the file's.
    EXPECT_EQ(Run([](HWND dialog) {
                  EXPECT_EQ(EditText(dialog, IDC_WHITE_PARAM).size(), 259u);
                  EXPECT_EQ(EditText(dialog, IDC_BLACK_PATH), L"  D:\\x y\\p.exe ");
                  PressKey(GetDlgItem(dialog, IDC_WHITE_PARAM),
                           VK_RETURN);  // Enter in an edit confirms
              }),
              1);
}

TEST_F(SettingsDialog, CancelEscapeAndTheCloseBoxChangeNothing)
{
    const std::function<void(HWND)> closers[] = {
        [](HWND dialog) { Command(dialog, IDCANCEL); },
        [](HWND dialog) { PressKey(GetDlgItem(dialog, IDC_BLACK_PARAM), VK_ESCAPE); },
        [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    for (const auto& close : closers) {
        const INT_PTR result = Run([&](HWND dialog) {
            for (int id : {IDC_WHITE_PATH, IDC_BLACK_PATH, IDC_WHITE_PARAM, IDC_BLACK_PARAM})
                SetDlgItemTextW(dialog, id, L"changed");
            close(dialog);
        });
        EXPECT_EQ(result, 2);
        ExpectUnchanged();
    }
}

// Drives the platform's own file-open dialog: notes the name it opened with,
// types another into it and presses OK (or Cancel).
void AnswerFileDialog(const std::wstring& title, const std::wstring& typedName, bool ok,
                      std::wstring& seedShown)
{
    HWND fileDialog = FindOwnWindow(title);
    ASSERT_NE(fileDialog, nullptr) << "no file dialog titled " << Narrow(title);
    const int kFileNameCombo = 0x47C, kFileNameEdit = 0x480;  // cmb13 / edt1
    HWND name = GetDlgItem(fileDialog, kFileNameCombo);
    if (!name) name = GetDlgItem(fileDialog, kFileNameEdit);
    ASSERT_NE(name, nullptr);
    WCHAR shown[300] = {};
    GetWindowTextW(name, shown, 300);
    seedShown = shown;
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typedName.c_str()));
    PostMessageW(fileDialog, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(fileDialog); }, kPatienceMs))
        << "the file dialog did not close";
}

TEST_F(SettingsDialog, BrowseFillsOnlyItsOwnEditAndOnlyOnOk)
{
    // The substitute player stands in for a player the user picks. (A bare
    // name without ".exe" is not tried: Wine's dialog refuses it under
    // OFN_FILEMUSTEXIST where Windows appends the default extension first.)
    const std::wstring player = PlayerExe();
    const INT_PTR result = Run([&](HWND dialog) {
        std::wstring seed;
        Command(dialog, IDC_BLACK_BROWSE);
        AnswerFileDialog(L"衛星放送向けフリーオ用の実行ファイルを選択", player, true, seed);
        EXPECT_NE(seed.find(L"Black.exe"), std::wstring::npos)
            << Narrow(seed);  // seeded from its own edit
        WaitUntil([&] { return EditText(dialog, IDC_BLACK_PATH) != kBefore.blackPath; },
                  kPatienceMs);
        EXPECT_EQ(Narrow(EditText(dialog, IDC_BLACK_PATH)), Narrow(player));
        EXPECT_EQ(EditText(dialog, IDC_WHITE_PATH), kBefore.whitePath);

        Command(dialog, IDC_WHITE_BROWSE);
        AnswerFileDialog(L"地上放送向けフリーオ用の実行ファイルを選択", player, false, seed);
        EXPECT_NE(seed.find(L"White.exe"), std::wstring::npos) << Narrow(seed);
        Sleep(200);
        EXPECT_EQ(EditText(dialog, IDC_WHITE_PATH), kBefore.whitePath);
        EXPECT_EQ(g_launcherSettings.blackPath, kBefore.blackPath);  // nothing counts before OK
        Command(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 2);
    ExpectUnchanged();
}

TEST(FileOpenRequest, AsksForAnExistingExecutable)
{
    WCHAR buffer[kFileNameBufferSize + 1] = L"C:\\TV\\FriioView.exe";
    const std::wstring title = L"title";
    OPENFILENAMEW request;
    FillOpenFileRequest(request, GetDesktopWindow(), title, buffer);
    EXPECT_EQ(request.lStructSize, static_cast<DWORD>(OPENFILENAME_SIZE_VERSION_400W));
    EXPECT_EQ(request.hwndOwner, GetDesktopWindow());
    // The filter's pairs end at the first empty string.
    const wchar_t* end = request.lpstrFilter;
    while (*end) end += wcslen(end) + 1;
    const std::wstring filter(request.lpstrFilter, end + 1);
    EXPECT_EQ(
        Narrow(filter),
        Narrow(std::wstring(L"実行ファイル (*.exe)\0*.exe\0すべてのファイル (*.*)\0*.*\0", 41)));
    EXPECT_EQ(request.nFilterIndex, 0u);
    EXPECT_EQ(request.lpstrFile, buffer);
    EXPECT_EQ(request.nMaxFile, 260u);
    EXPECT_EQ(request.lpstrTitle, title.c_str());
    EXPECT_EQ(request.Flags, static_cast<DWORD>(OFN_FILEMUSTEXIST));
    EXPECT_EQ(std::wstring(request.lpstrDefExt), L"exe");
    EXPECT_EQ(request.lpstrInitialDir, nullptr);
    EXPECT_EQ(request.lpstrCustomFilter, nullptr);
    EXPECT_EQ(request.lpstrFileTitle, nullptr);
}

TEST(MainWindowSettings, TheSettingsDialogIsOwnedByTheMainWindowAndDisablesIt)
{
    g_launcherSettings = LauncherSettings{L"a", L"b", L"c", L"d"};
    const INT_PTR result = RunDialog(IDD_MAIN, MainDialogProc, L"Zentrobe", [](HWND main) {
        Command(main, IDC_OPEN_SETTINGS);
        HWND settings = FindOwnWindow(L"設定");
        ASSERT_NE(settings, nullptr);
        EXPECT_EQ(GetWindow(settings, GW_OWNER), main);
        EXPECT_FALSE(IsWindowEnabled(main));
        // Template position 0,0, not centred: its client area starts where the owner's does.
        POINT mainOrigin = {0, 0}, settingsOrigin = {0, 0};
        ClientToScreen(main, &mainOrigin);
        ClientToScreen(settings, &settingsOrigin);
        EXPECT_EQ(settingsOrigin.x, mainOrigin.x);
        EXPECT_EQ(settingsOrigin.y, mainOrigin.y);
        SetDlgItemTextW(settings, IDC_BLACK_PARAM, L"-n");
        Command(settings, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(settings); }, kPatienceMs))
            << "the settings dialog did not close";
        EXPECT_TRUE(IsWindowEnabled(main));
        PressKey(GetDlgItem(main, IDC_DEVICE_LIST), VK_ESCAPE);
    });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(g_launcherSettings.blackParam, L"-n");
}

}  // namespace
