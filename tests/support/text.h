// UTF-8 and UTF-16 for the tests' paths and messages.
#pragma once

#include <string>

std::wstring Utf8ToWide(const std::string& text);
std::string Narrow(const std::wstring& text);  // UTF-8, for messages

// Unix path -> the same file as Wine shows it, on drive Z:.
std::wstring WinePath(const std::string& unixPath);
