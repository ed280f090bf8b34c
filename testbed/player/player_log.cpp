// Writing and reading the substitute player's start log (format in player_log.h).
#include "player_log.h"

#include <windows.h>

#include <stdexcept>

namespace {

void AppendUtf8(std::string& out, unsigned long codePoint)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

void AppendTextField(std::string& out, const std::wstring& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned long unit = static_cast<unsigned short>(text[i]);
        switch (unit) {
        case L'\\':
            out += "\\\\";
            continue;
        case L'\t':
            out += "\\t";
            continue;
        case L'\n':
            out += "\\n";
            continue;
        case L'\r':
            out += "\\r";
            continue;
        default:
            break;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
            unsigned long low = static_cast<unsigned short>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        AppendUtf8(out, unit);  // a lone surrogate goes out as its 3-byte form
    }
}

bool ParseTextField(const std::string& field, std::wstring* text)
{
    text->clear();
    size_t i = 0;
    while (i < field.size()) {
        unsigned char lead = static_cast<unsigned char>(field[i]);
        if (lead == '\\') {
            if (i + 1 >= field.size()) return false;
            switch (field[i + 1]) {
            case '\\':
                *text += L'\\';
                break;
            case 't':
                *text += L'\t';
                break;
            case 'n':
                *text += L'\n';
                break;
            case 'r':
                *text += L'\r';
                break;
            default:
                return false;
            }
            i += 2;
            continue;
        }
        if (lead < 0x80) {
            *text += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        size_t extra;
        unsigned long codePoint, lowest;
        if ((lead & 0xE0) == 0xC0) {
            extra = 1, codePoint = lead & 0x1F, lowest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, codePoint = lead & 0x0F, lowest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, codePoint = lead & 0x07, lowest = 0x10000;
        } else {
            return false;
        }
        if (field.size() - i <= extra) return false;
        for (size_t k = 1; k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(field[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        if (codePoint < lowest || codePoint > 0x10FFFF) return false;
        if (codePoint >= 0x10000) {
            codePoint -= 0x10000;
            *text += static_cast<wchar_t>(0xD800 + (codePoint >> 10));
            *text += static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF));
        } else {
            *text += static_cast<wchar_t>(codePoint);
        }
        i += 1 + extra;
    }
    return true;
}

bool ParseNumberField(const std::string& field, unsigned long long limit, unsigned long long* value)
{
    if (field.empty()) return false;
    *value = 0;
    for (char c : field) {
        if (c < '0' || c > '9') return false;
        unsigned digit = static_cast<unsigned>(c - '0');
        if (*value > (limit - digit) / 10) return false;
        *value = *value * 10 + digit;
    }
    return true;
}

bool ParseRecord(const std::string& line, PlayerStart* start)
{
    std::string fields[4];
    size_t begin = 0;
    for (int f = 0; f < 4; ++f) {
        size_t tab = line.find('\t', begin);
        if ((f < 3) != (tab != std::string::npos)) return false;  // exactly three TABs
        fields[f] = line.substr(begin, f < 3 ? tab - begin : std::string::npos);
        begin = tab + 1;
    }
    unsigned long long processId, startTime;
    if (!ParseTextField(fields[0], &start->commandLine) ||
        !ParseTextField(fields[1], &start->workingDirectory) ||
        !ParseNumberField(fields[2], 0xFFFFFFFFull, &processId) ||
        !ParseNumberField(fields[3], ~0ull, &startTime)) {
        return false;
    }
    start->processId = static_cast<unsigned long>(processId);
    start->startTime = startTime;
    return true;
}

std::string ReadWholeFile(const std::wstring& path, bool* missing)
{
    *missing = false;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            *missing = true;
            return std::string();
        }
        throw std::runtime_error("player log: cannot open, error " + std::to_string(error));
    }
    std::string content;
    char buffer[16384];
    DWORD got = 0;
    BOOL ok;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0) {
        content.append(buffer, got);
    }
    DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok) throw std::runtime_error("player log: cannot read, error " + std::to_string(error));
    return content;
}

}  // namespace

std::string FormatPlayerLogRecord(const PlayerStart& start)
{
    std::string record;
    AppendTextField(record, start.commandLine);
    record += '\t';
    AppendTextField(record, start.workingDirectory);
    record += '\t';
    record += std::to_string(start.processId);
    record += '\t';
    record += std::to_string(start.startTime);
    record += '\n';
    return record;
}

unsigned long long PlayerLogTimeNow()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

bool AppendPlayerLog(const std::wstring& path, const PlayerStart& start)
{
    std::string record = FormatPlayerLogRecord(start);
    // Wine-only need: Wine turns an append-only write into fstat + pwrite at the
    // size it saw, so two processes appending at once can overwrite each other
    // (on Windows the append alone is atomic). One machine-wide mutex for all
    // logs serialises the appends; contention is a few players at a time.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Local\\ZentrobeSubstitutePlayerLog");
    DWORD wait = mutex ? WaitForSingleObject(mutex, 10000) : WAIT_FAILED;
    bool locked = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write lands at the end.
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = false;
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ok = WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr) &&
             written == record.size();
        CloseHandle(file);
    }
    if (locked) ReleaseMutex(mutex);
    if (mutex) CloseHandle(mutex);
    return ok;
}

std::vector<PlayerStart> ReadPlayerLog(const std::wstring& path)
{
    bool missing;
    std::string content = ReadWholeFile(path, &missing);
    std::vector<PlayerStart> starts;
    size_t begin = 0;
    size_t lineNumber = 0;
    for (size_t end; (end = content.find('\n', begin)) != std::string::npos; begin = end + 1) {
        ++lineNumber;
        PlayerStart start;
        if (!ParseRecord(content.substr(begin, end - begin), &start)) {
            throw std::runtime_error("player log: malformed record on line " +
                                     std::to_string(lineNumber));
        }
        starts.push_back(start);
    }
    return starts;
}
