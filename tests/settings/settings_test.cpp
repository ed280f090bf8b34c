// Zentrobe.ini through the real profile functions: defaults, the round trip of
// awkward values, the encoding of new and existing files, and bad files.
#include "settings/settings_file_test.h"

#include <random>

namespace {

class Settings : public SettingsFileTest {};

TEST_F(Settings, PathsLiveBesideTheExecutable)
{
    WCHAR exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder = exe;
    folder.erase(folder.rfind(L'\\'));
    EXPECT_EQ(ModuleFolder(), folder);
    EXPECT_EQ(SettingsFilePath(), folder + L"\\Zentrobe.ini");
    EXPECT_EQ(DefaultPlayerPath(), folder + L"\\FriioView.exe");
}

TEST_F(Settings, FreshStartUsesDefaultsAndWritesThemAll)
{
    const LauncherSettings loaded = Reload();
    EXPECT_EQ(loaded.whitePath, DefaultPlayerPath());
    EXPECT_EQ(loaded.blackPath, DefaultPlayerPath());
    EXPECT_EQ(loaded.whiteParam, L"");
    EXPECT_EQ(loaded.blackParam, L"");

    SaveSettings();
    const std::string bytes = ReadFileBytes(file);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE"));  // created as UTF-16LE
    const std::wstring expected = L"[Black]\r\nPath=" + DefaultPlayerPath() +
                                  L"\r\nParam=\r\n[White]\r\nPath=" + DefaultPlayerPath() +
                                  L"\r\nParam=\r\n";
    EXPECT_EQ(ReadFileText(file), expected);
}

TEST_F(Settings, EmptyPathMeansDefaultButEmptyParamStaysEmpty)
{
    WriteFileBytes(file,
                   "[White]\r\nPath=\r\nParam=\r\n[Black]\r\nPath=D:\\TV\\B.exe\r\nParam=\r\n");
    const LauncherSettings loaded = Reload();
    EXPECT_EQ(loaded.whitePath, DefaultPlayerPath());
    EXPECT_EQ(loaded.blackPath, L"D:\\TV\\B.exe");
    EXPECT_EQ(loaded.whiteParam, L"");
    EXPECT_EQ(loaded.blackParam, L"");
}

TEST_F(Settings, ValuesRoundTripExactly)
{
    const std::wstring long259(259, L'x');
    const struct Case {
        const char* what;
        std::wstring value;
    } cases[] = {
        {"plain path", L"D:\\TV\\FriioView.exe"},
        {"path with blanks", L"C:\\Program Files\\TV Player\\FriioView.exe"},
        {"arguments with quotes inside", L"-a \"x y\" -b"},
        {"leading blanks", L"   -a"},
        {"trailing blanks", L"-a   "},
        {"a tab at the end", L"-a\t"},
        {"only blanks", L"   "},
        {"enclosed in double quotes", L"\"-a\""},
        {"enclosed in single quotes", L"'-a'"},
        {"two double quotes", L"\"\""},
        {"a lone quote", L"\""},
        {"starts with a quote only", L"\"-a b"},
        {"equals and semicolon", L"a=b;c"},
        {"brackets", L"[White]"},
        {"Japanese", L"D:\\テレビ\\地上波\\FriioView.exe"},
        {"surrogate pair", L"-title \U0001F4FA\U0001F680"},
        {"259 characters", long259},
        {"259 characters ending in a blank", std::wstring(258, L'y') + L" "},
        {"259 characters in quotes", L"\"" + std::wstring(257, L'z') + L"\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_launcherSettings = LauncherSettings{c.value, L"W:\\b.exe", c.value, c.value};
        SaveSettings();
        const LauncherSettings loaded = Reload();
        EXPECT_EQ(loaded.whitePath, c.value.empty() ? DefaultPlayerPath() : c.value);
        EXPECT_EQ(loaded.blackPath, L"W:\\b.exe");
        EXPECT_EQ(loaded.whiteParam, c.value);
        EXPECT_EQ(loaded.blackParam, c.value);
    }
}

TEST_F(Settings, LongValuesAreCutTo259Characters)
{
    const std::wstring long300(300, L'q');
    g_launcherSettings = LauncherSettings{L"W:\\a.exe", L"W:\\b.exe", long300, L"  " + long300};
    SaveSettings();
    const LauncherSettings loaded = Reload();
    EXPECT_EQ(loaded.whiteParam, long300.substr(0, 259));
    EXPECT_EQ(loaded.blackParam, (L"  " + long300).substr(0, 259));
}

TEST_F(Settings, AnExistingAnsiFileKeepsItsEncoding)
{
    WriteFileBytes(file, "[White]\r\nPath=D:\\TV\\W.exe\r\nParam=-w\r\n");
    const LauncherSettings loaded = Reload();
    EXPECT_EQ(loaded.whitePath, L"D:\\TV\\W.exe");
    EXPECT_EQ(loaded.whiteParam, L"-w");
    EXPECT_EQ(loaded.blackPath, DefaultPlayerPath());
    SaveSettings();
    const std::string bytes = ReadFileBytes(file);
    EXPECT_EQ(bytes.rfind("[White]\r\nPath=D:\\TV\\W.exe\r\nParam=-w\r\n", 0), 0u) << bytes;
    EXPECT_EQ(Reload().whiteParam, L"-w");
}

TEST_F(Settings, BrokenFilesGiveDefaultsOrWhatIsReadable)
{
    std::mt19937 random(20261210);
    std::string noise(64 * 1024, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    const std::string hugeLine =
        "[White]\r\nParam=" + std::string(1 << 20, 'p') + "\r\nPath=D:\\W.exe\r\n";
    const std::string noSection = "Path=D:\\W.exe\r\nParam=-x\r\n";
    const std::string unterminated = "[White\r\nPath=D:\\W.exe\r\n[Black]\r\nParam=-b";

    const struct Case {
        const char* what;
        std::string bytes;
        std::wstring whitePath, whiteParam, blackParam;
    } cases[] = {
        {"random bytes", noise, L"", L"", L""},
        {"1 MB line", hugeLine, L"D:\\W.exe", std::wstring(259, L'p'), L""},
        {"keys outside any section", noSection, L"", L"", L""},
        {"unterminated section and line", unterminated, L"", L"", L"-b"},
        {"empty file", "", L"", L"", L""},
        {"only a byte-order mark", "\xFF\xFE", L"", L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(file, c.bytes);
        const LauncherSettings loaded = Reload();
        if (c.bytes == noise) {
            // Whatever noise reads as, the rules still hold: no empty path, nothing over 259.
            for (const std::wstring* v :
                 {&loaded.whitePath, &loaded.blackPath, &loaded.whiteParam, &loaded.blackParam})
                EXPECT_LE(v->size(), 259u);
            EXPECT_FALSE(loaded.whitePath.empty());
            EXPECT_FALSE(loaded.blackPath.empty());
        } else {
            EXPECT_EQ(loaded.whitePath, c.whitePath.empty() ? DefaultPlayerPath() : c.whitePath);
            EXPECT_EQ(loaded.whiteParam, c.whiteParam);
            EXPECT_EQ(loaded.blackParam, c.blackParam);
            EXPECT_EQ(loaded.blackPath, DefaultPlayerPath());
        }
        SaveSettings();  // and writing over it leaves a file that reads back as saved
        const LauncherSettings again = Reload();
        EXPECT_EQ(again.whitePath, loaded.whitePath);
        EXPECT_EQ(again.whiteParam, loaded.whiteParam);
        EXPECT_EQ(again.blackParam, loaded.blackParam);
    }
}

TEST(ProfileValue, OnlyValuesTheReaderWouldAlterAreQuoted)
{
    const struct {
        const wchar_t* value;
        const wchar_t* written;
    } cases[] = {
        {L"", L""},         {L"a b", L"a b"},         {L" a", L"\" a\""},
        {L"a ", L"\"a \""}, {L"\"a\"", L"\"\"a\"\""}, {L"'a'", L"\"'a'\""},
        {L"\"a'", L"\"a'"}, {L"\"", L"\""},           {L"a\"", L"a\""},
    };
    for (const auto& c : cases) EXPECT_EQ(ProtectProfileValue(c.value), c.written);
}

}  // namespace
