// UTF-8 and UTF-16 for the tests' paths and messages.
#pragma once

#include <string>

// Text in a code page (CP_UTF8, CP_ACP, ...) as UTF-16.
std::wstring ToWide(const std::string& text, unsigned codePage);
inline std::wstring Utf8ToWide(const std::string& text)
{
    return ToWide(text, 65001 /* CP_UTF8 */);
}
std::string Narrow(const std::wstring& text);  // UTF-8, for messages

// Unix path -> the same file as Wine shows it, on drive Z:.
std::wstring WinePath(const std::string& unixPath);
