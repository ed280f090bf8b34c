// The start-up path arithmetic, held against the platform's own functions.
#include "common/path.h"
#include "support/test_support.h"

#include <shlwapi.h>

#include <gtest/gtest.h>

namespace {

TEST(RemoveFileSpec, AgreesWithThePlatform)
{
    const wchar_t* cases[] = {
        L"D:\\TV\\FriioView.exe",
        L"C:\\Zentrobe.exe",
        L"C:\\",
        L"C:",
        L"C:x.exe",
        L"FriioView.exe",
        L"",
        L"\\x.exe",
        L"\\",
        L"\\\\server\\share\\x.exe",
        L"\\\\server\\share",
        L"\\\\server",
        L"\\\\",
        L"\\\\?\\C:\\TV\\x.exe",
        L"D:\\a b\\c d\\e f.exe",
        L"D:\\TV\\",
        L"D:/TV/x.exe",
        L"D:\\テレビ\\再生.exe",
        L"a\\b",
        L"C::x",
        L"C:\\a:b\\c",
    };
    for (const wchar_t* path : cases) {
        WCHAR buffer[MAX_PATH + 1];
        lstrcpynW(buffer, path, MAX_PATH + 1);
        PathRemoveFileSpecW(buffer);
        EXPECT_EQ(Narrow(RemoveFileSpec(path)), Narrow(buffer)) << "for " << Narrow(path);
    }
    const std::wstring deep = L"C:\\" + std::wstring(400, L'd') + L"\\x.exe";  // past MAX_PATH
    EXPECT_EQ(RemoveFileSpec(deep), deep.substr(0, deep.size() - 6));
}

TEST(JoinPath, AddsOneSeparator)
{
    EXPECT_EQ(JoinPath(L"D:\\TV", L"Zentrobe.ini"), L"D:\\TV\\Zentrobe.ini");
    EXPECT_EQ(JoinPath(L"C:\\", L"Zentrobe.ini"), L"C:\\Zentrobe.ini");
    EXPECT_EQ(JoinPath(L"", L"Zentrobe.ini"), L"Zentrobe.ini");
}

}  // namespace
