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

namespace {

constexpr wchar_t kMainTitle[] = L"Zentrobe";
constexpr wchar_t kSettingsTitle[] = L"\u8A2D\u5B9A";  // the settings dialog's caption
constexpr wchar_t kPlayerTitle[] = L"Friio HDTV Player";
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kListId = 1001;
constexpr DWORD kDefaultWaitMs = 20000;
constexpr DWORD kPollMs = 50;
constexpr UINT kSendTimeoutMs = 5000;
// Wine hands a window's pixels to the X server shortly after it paints;
// this is ample for a screenshot taken right after "wait" returns.
constexpr DWORD kSettleMs = 600;
constexpr int kTextChars = 512;

// Text out as UTF-8 bytes when redirected, through the console when there is one.
void Write(DWORD stream, const std::wstring& text) {
  HANDLE handle = GetStdHandle(stream);
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(handle, &mode)) {
    WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string bytes(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                      nullptr, nullptr);
  WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Print(const std::wstring& line) { Write(STD_OUTPUT_HANDLE, line + L"\n"); }

int Fail(const std::wstring& message) {
  Write(STD_ERROR_HANDLE, L"demo-helper: " + message + L"\n");
  return 1;
}

int Usage() {
  Write(STD_ERROR_HANDLE,
        L"usage: demo-helper wait WINDOW [MS] | gone WINDOW [MS] | rows | select ROW |"
        L" press WINDOW ID | log FILE   (WINDOW: main, settings or player)\n");
  return 2;
}

struct WindowQuery {
  const wchar_t* title;
  HWND owner;  // null: any
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto* query = reinterpret_cast<WindowQuery*>(parameter);
  wchar_t text[64] = {};
  if (!GetClassNameW(window, text, 64) || wcscmp(text, kDialogClass) != 0) return TRUE;
  if (!GetWindowTextW(window, text, 64) || wcscmp(text, query->title) != 0) return TRUE;
  if (query->owner && GetWindow(window, GW_OWNER) != query->owner) return TRUE;
  query->found = window;
  return FALSE;
}

HWND FindDialog(const wchar_t* title, HWND owner) {
  WindowQuery query{title, owner, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

HWND FindMain() { return FindDialog(kMainTitle, nullptr); }

// The settings dialog is the one the main window owns, so no other "設定"
// window on the desktop can be taken for it.
HWND FindSettings() {
  HWND main = FindMain();
  return main ? FindDialog(kSettingsTitle, main) : nullptr;
}

HWND FindNamed(const std::wstring& name) {
  if (name == L"main") return FindMain();
  if (name == L"settings") return FindSettings();
  return FindDialog(kPlayerTitle, nullptr);
}

bool ParseNumber(const wchar_t* text, long* value) {
  wchar_t* end = nullptr;
  *value = wcstol(text, &end, 10);
  return *text && end && *end == L'\0';
}

// Memory inside the launcher's process, for list-view messages whose
// parameters point at structures: the list reads and writes them there.
class RemoteMemory {
 public:
  RemoteMemory(HWND window, size_t size) : size_(size) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process_) throw std::runtime_error("cannot open the launcher's process");
    address_ = static_cast<BYTE*>(
        VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!address_) {
      CloseHandle(process_);
      throw std::runtime_error("cannot allocate memory in the launcher's process");
    }
  }
  ~RemoteMemory() {
    VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    CloseHandle(process_);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  BYTE* At(size_t offset) const { return address_ + offset; }
  void Write(size_t offset, const void* data, size_t size) const {
    SIZE_T done = 0;
    if (offset + size > size_ || !WriteProcessMemory(process_, address_ + offset, data, size, &done))
      throw std::runtime_error("cannot write the launcher's memory");
  }
  void Read(size_t offset, void* data, size_t size) const {
    SIZE_T done = 0;
    if (offset + size > size_ || !ReadProcessMemory(process_, address_ + offset, data, size, &done))
      throw std::runtime_error("cannot read the launcher's memory");
  }

 private:
  HANDLE process_ = nullptr;
  BYTE* address_ = nullptr;
  size_t size_;
};

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &result))
    throw std::runtime_error("the launcher's window does not answer");
  return static_cast<LRESULT>(result);
}

// The structure goes first in the remote block, the text buffer after it.
constexpr size_t kRemoteTextOffset = 512;
constexpr size_t kRemoteSize = kRemoteTextOffset + kTextChars * sizeof(wchar_t);

std::wstring ReadRemoteText(const RemoteMemory& remote) {
  std::vector<wchar_t> text(kTextChars);
  remote.Read(kRemoteTextOffset, text.data(), text.size() * sizeof(wchar_t));
  text.back() = L'\0';
  return text.data();
}

std::wstring ColumnHeader(HWND list, const RemoteMemory& remote, int column) {
  LVCOLUMNW query = {};
  query.mask = LVCF_TEXT;
  query.pszText = reinterpret_cast<LPWSTR>(remote.At(kRemoteTextOffset));
  query.cchTextMax = kTextChars;
  const wchar_t empty = L'\0';
  remote.Write(kRemoteTextOffset, &empty, sizeof empty);
  remote.Write(0, &query, sizeof query);
  if (!Send(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(remote.At(0)))) return L"?";
  return ReadRemoteText(remote);
}

std::wstring CellText(HWND list, const RemoteMemory& remote, int row, int column) {
  LVITEMW query = {};
  query.iSubItem = column;
  query.pszText = reinterpret_cast<LPWSTR>(remote.At(kRemoteTextOffset));
  query.cchTextMax = kTextChars;
  const wchar_t empty = L'\0';
  remote.Write(kRemoteTextOffset, &empty, sizeof empty);
  remote.Write(0, &query, sizeof query);
  Send(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote.At(0)));
  return ReadRemoteText(remote);
}

// Terminal columns a text takes: East Asian wide characters take two.
size_t DisplayWidth(const std::wstring& text) {
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

HWND ListOf(HWND main) {
  HWND list = GetDlgItem(main, kListId);
  if (!list) throw std::runtime_error("the main window has no list");
  return list;
}

int Wait(const std::wstring& name, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  HWND window = nullptr;
  while (!(window = FindNamed(name)) || !IsWindowVisible(window)) {
    if (GetTickCount() - start > timeoutMs)
      return Fail(L"no " + name + L" window within " + std::to_wstring(timeoutMs) + L" ms");
    Sleep(kPollMs);
  }
  // A round trip through its message queue: the window is up and pumping.
  Send(window, WM_NULL, 0, 0);
  Sleep(kSettleMs);
  RECT rect = {};
  GetWindowRect(window, &rect);
  Print(std::to_wstring(rect.left) + L" " + std::to_wstring(rect.top) + L" " +
        std::to_wstring(rect.right - rect.left) + L" " + std::to_wstring(rect.bottom - rect.top));
  return 0;
}

int Gone(const std::wstring& name, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (FindNamed(name)) {
    if (timeoutMs != 0 && GetTickCount() - start > timeoutMs)
      return Fail(L"the " + name + L" window is still open after " + std::to_wstring(timeoutMs) +
                  L" ms");
    Sleep(kPollMs);
  }
  return 0;
}

int Rows() {
  HWND main = FindMain();
  if (!main) return Fail(L"no main window");
  HWND list = ListOf(main);
  RemoteMemory remote(list, kRemoteSize);
  HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0));
  const int columns = header ? static_cast<int>(Send(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  const int rows = static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));

  std::vector<std::vector<std::wstring>> table(1);
  for (int c = 0; c < columns; ++c) table[0].push_back(ColumnHeader(list, remote, c));
  for (int r = 0; r < rows; ++r) {
    table.emplace_back();
    for (int c = 0; c < columns; ++c) table.back().push_back(CellText(list, remote, r, c));
  }
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

int Select(long row) {
  HWND main = FindMain();
  if (!main) return Fail(L"no main window");
  HWND list = ListOf(main);
  const long rows = static_cast<long>(Send(list, LVM_GETITEMCOUNT, 0, 0));
  if (row < 0 || row >= rows)
    return Fail(L"row " + std::to_wstring(row) + L" is not in the list (" + std::to_wstring(rows) +
                L" rows)");
  RemoteMemory remote(list, kRemoteSize);
  LVITEMW state = {};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  remote.Write(0, &state, sizeof state);
  Send(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote.At(0)));
  const long selected = static_cast<long>(
      Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (selected != row) return Fail(L"row " + std::to_wstring(row) + L" did not become selected");
  return 0;
}

int Press(const std::wstring& name, long id) {
  HWND window = FindNamed(name);
  if (!window) return Fail(L"no " + name + L" window");
  // Posted, as a click would: the button's handler may run a modal loop.
  if (!PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(window, id))))
    return Fail(L"cannot post to the " + name + L" window");
  return 0;
}

int Log(const std::wstring& path) {
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

int Run(int argc, wchar_t** argv) {
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

int wmain(int argc, wchar_t** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {
    const std::string what = error.what();
    return Fail(std::wstring(what.begin(), what.end()));
  }
}
