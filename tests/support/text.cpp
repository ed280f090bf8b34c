// See text.h.
#include "support/text.h"

#include <windows.h>

std::wstring ToWide(const std::string& text, unsigned codePage)
{
    if (text.empty()) return std::wstring();
    const int n =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

std::string Narrow(const std::wstring& text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring WinePath(const std::string& unixPath)
{
    std::wstring path = L"Z:" + Utf8ToWide(unixPath);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}
