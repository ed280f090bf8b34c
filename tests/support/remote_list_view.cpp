// See remote_list_view.h.
#include "support/remote_list_view.h"

#include "common/unique_handle.h"

#include <commctrl.h>

#include <stdexcept>

namespace {

constexpr UINT kAnswerTimeoutMs = 5000;
constexpr int kTextChars = 512;
// The structure goes first in the remote block, the text buffer after it.
constexpr size_t kTextOffset = 512;
constexpr size_t kBlockSize = kTextOffset + kTextChars * sizeof(wchar_t);

// A block of memory inside the list's process, freed when it goes.
struct RemoteBlock {
    UniqueKernelHandle process;
    BYTE* address = nullptr;

    explicit RemoteBlock(HWND window)
    {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        process.Reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                  processId));
        if (!process) throw std::runtime_error("cannot open the list's process");
        address = static_cast<BYTE*>(VirtualAllocEx(process.Get(), nullptr, kBlockSize,
                                                    MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (!address) throw std::runtime_error("cannot allocate memory in the list's process");
    }
    ~RemoteBlock() { VirtualFreeEx(process.Get(), address, 0, MEM_RELEASE); }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    void Write(size_t offset, const void* data, size_t size) const
    {
        SIZE_T done = 0;
        if (!WriteProcessMemory(process.Get(), address + offset, data, size, &done))
            throw std::runtime_error("cannot write the list's memory");
    }
    void Read(size_t offset, void* data, size_t size) const
    {
        SIZE_T done = 0;
        if (!ReadProcessMemory(process.Get(), address + offset, data, size, &done))
            throw std::runtime_error("cannot read the list's memory");
    }
    LPARAM Structure() const { return reinterpret_cast<LPARAM>(address); }
    LPWSTR Text() const { return reinterpret_cast<LPWSTR>(address + kTextOffset); }

    // The text the last message left in the buffer.
    std::wstring ReadText() const
    {
        WCHAR text[kTextChars];
        Read(kTextOffset, text, sizeof(text));
        text[kTextChars - 1] = L'\0';
        return text;
    }
    void ClearText() const
    {
        const WCHAR empty = L'\0';
        Write(kTextOffset, &empty, sizeof(empty));
    }
};

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                             &result))
        throw std::runtime_error("the list's window does not answer");
    return static_cast<LRESULT>(result);
}

std::wstring CellText(HWND list, const RemoteBlock& block, int row, int column)
{
    LVITEMW query = {};
    query.iSubItem = column;
    query.pszText = block.Text();
    query.cchTextMax = kTextChars;
    block.ClearText();
    block.Write(0, &query, sizeof(query));
    Send(list, LVM_GETITEMTEXTW, row, block.Structure());
    return block.ReadText();
}

}  // namespace

int RemoteRowCount(HWND list)
{
    return static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
}

int RemoteColumnCount(HWND list)
{
    HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(Send(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::wstring RemoteCellText(HWND list, int row, int column)
{
    const RemoteBlock block(list);
    return CellText(list, block, row, column);
}

std::wstring RemoteColumnHeader(HWND list, int column)
{
    const RemoteBlock block(list);
    LVCOLUMNW query = {};
    query.mask = LVCF_TEXT;
    query.pszText = block.Text();
    query.cchTextMax = kTextChars;
    block.ClearText();
    block.Write(0, &query, sizeof(query));
    if (!Send(list, LVM_GETCOLUMNW, column, block.Structure())) return std::wstring();
    return block.ReadText();
}

std::vector<std::vector<std::wstring>> RemoteRows(HWND list)
{
    const RemoteBlock block(list);
    const int rows = RemoteRowCount(list), columns = RemoteColumnCount(list);
    std::vector<std::vector<std::wstring>> cells(rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) cells[r].push_back(CellText(list, block, r, c));
    return cells;
}

int RemoteSelectedRow(HWND list)
{
    return static_cast<int>(Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void RemoteSelectRow(HWND list, int row)
{
    const RemoteBlock block(list);
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    block.Write(0, &state, sizeof(state));
    Send(list, LVM_SETITEMSTATE, row, block.Structure());
}
