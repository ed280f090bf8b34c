// Extreme command lines through the launcher's own splitter, selector parser and
// argument builder: seeded random lines against the platform's splitter, lines
// near the platform's length limit, thousands of arguments.
#include "app/app.h"
#include "devices/device_list.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <climits>
#include <random>

namespace {

std::vector<std::string> Printable(const ArgumentList& arguments)
{
    std::vector<std::string> out;
    for (const std::wstring& a : arguments) out.push_back(Narrow(a));
    return out;
}

// Pieces that the splitting rules treat specially, and text they should not.
std::wstring RandomPiece(std::mt19937& random)
{
    static const wchar_t* const kPieces[] = {
        L" ",
        L"  ",
        L"\t",
        L"\"",
        L"\"\"",
        L"\"\"\"",
        L"\\",
        L"\\\\",
        L"\\\"",
        L"\\\\\"",
        L"a",
        L"-t0",
        L"-s1",
        L"x y",
        L"\u30c6\u30ec\u30d3",
        L"\u653e\u9001",
        L"\U0001F4FA",
        L"\U0001F680",
        L"\u3000",
        L"\xD83D",
        L"=",
        L"'",
        L"\r",
        L"\n",
        L"\x0b",
        L"%PATH%",
        L"^&|<>",
    };
    return kPieces[random() % (sizeof(kPieces) / sizeof(kPieces[0]))];
}

std::wstring RandomLine(std::mt19937& random, size_t length)
{
    std::wstring line;
    while (line.size() < length) line += RandomPiece(random);
    return line;
}

// The platform splits after the program's name; ours gets only what follows
// it, and its first argument follows the program-name rules. Compare both
// with a name in front, as the launcher receives them.
void ExpectSplitLikeThePlatform(const std::wstring& text)
{
    const ArgumentList platform = PlatformSplit(L"Zentrobe.exe " + text);
    ArgumentList ours = SplitCommandLine((L"Zentrobe.exe " + text).c_str());
    EXPECT_EQ(Printable(ours), Printable(platform)) << "for " << Narrow(text.substr(0, 200));
}

TEST(HostileCommandLine, RandomLinesSplitLikeThePlatform)
{
    std::mt19937 random(4242);
    for (int i = 0; i < 400; ++i) {
        ExpectSplitLikeThePlatform(RandomLine(random, random() % 200));
        if (HasFailure()) return;
    }
    // Near the platform's limit of 32,767 characters.
    for (int i = 0; i < 5; ++i) {
        ExpectSplitLikeThePlatform(RandomLine(random, 32000));
        if (HasFailure()) return;
    }
}

TEST(HostileCommandLine, ExtremeLinesSplitAsExpected)
{
    std::wstring manyText, quotedEmpties;
    ArgumentList many = {L"-t0"};
    for (int i = 0; i < 2000; ++i) {
        many.push_back(L"a" + std::to_wstring(i));
        manyText += L" a" + std::to_wstring(i);
    }
    for (int i = 0; i < 1000; ++i) quotedEmpties += L" \"\"";
    const struct Case {
        const char* what;
        std::wstring text;
        ArgumentList expected;
    } cases[] = {
        {"2,000 arguments", L"-t0" + manyText, many},
        {"one argument of 32,000 characters",
         L"-t0 " + std::wstring(32000, L'x'),
         {L"-t0", std::wstring(32000, L'x')}},
        {"a selector of 32,000 characters",
         L"-t" + std::wstring(31998, L'9'),
         {L"-t" + std::wstring(31998, L'9')}},
        {"1,000 empty quoted arguments", L"-t0" + quotedEmpties,
         [] {
             ArgumentList a = {L"-t0"};
             a.resize(1001);
             return a;
         }()},
        {"32,000 blanks after the selector", L"-t0" + std::wstring(32000, L' '), {L"-t0"}},
        {"32,000 quotes", L"-t0 " + std::wstring(32000, L'"'), {}},
        {"32,000 backslashes then a quote",
         L"-t0 " + std::wstring(32000, L'\\') + L"\"x",
         {L"-t0", std::wstring(16000, L'\\') + L"x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ArgumentList ours = SplitCommandLine(c.text.c_str());
        if (!c.expected.empty()) {
            EXPECT_EQ(Printable(ours), Printable(c.expected));
        }
        ExpectSplitLikeThePlatform(c.text);
    }
}

TEST(HostileCommandLine, SelectorsOutOfRangeSelectNoRealTuner)
{
    const struct {
        std::wstring argument;
        bool selects;
    } cases[] = {
        {L"-t" + std::wstring(5000, L'9'), true},
        {L"-t-" + std::wstring(5000, L'9'), true},
        {L"-t" + std::wstring(5000, L'0') + L"1", true},
        {L"-t\"0\"", true},
        {L"-t\U0001F4FA", true},
        {L"-\U0001F4FA0", false},
        {std::wstring{L'-', L't', L'\0', L'0'}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.argument.substr(0, 20)));
        int type = -7, ordinal = -7;
        EXPECT_EQ(ParseTunerSelector(c.argument, type, ordinal), c.selects);
        if (c.selects) {
            EXPECT_EQ(type, TunerType::Terrestrial);
            // Whatever the number reads as, it is one of a few tuners or none.
            EXPECT_TRUE(ordinal == 0 || ordinal == 1 || ordinal == INT_MAX || ordinal == INT_MIN)
                << ordinal;
        }
    }
}

TEST(HostileCommandLine, PlayerArgumentsKeepEveryArgumentInOrder)
{
    std::mt19937 random(777);
    for (int round = 0; round < 50; ++round) {
        ArgumentList arguments = {L"-t0"};
        const size_t count = random() % 2000;
        std::wstring expected = L"-o 3 ";
        std::wstring extra = RandomLine(random, random() % 259);
        expected += extra + L" ";
        for (size_t i = 0; i < count; ++i) {
            arguments.push_back(random() % 5 == 0 ? L"" : RandomLine(random, random() % 10));
            expected += arguments.back() + L" ";
        }
        while (!expected.empty() && expected.back() == L' ') expected.pop_back();
        EXPECT_EQ(Narrow(BuildCommandLineArguments(3, extra, arguments)), Narrow(expected));
        if (HasFailure()) return;
    }
}

}  // namespace
