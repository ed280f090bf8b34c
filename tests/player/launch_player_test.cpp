// Which executable a stored player path names, in-process.
#include "player/player.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(PlayerExecutable, DropsOuterBlanksThenOnePairOfQuotes)
{
    const struct {
        const wchar_t* stored;
        const wchar_t* executable;
    } cases[] = {
        {L"D:\\TV\\FriioView.exe", L"D:\\TV\\FriioView.exe"},
        {L"\"D:\\TV\\FriioView.exe\"", L"D:\\TV\\FriioView.exe"},
        {L"  D:\\TV\\FriioView.exe \t", L"D:\\TV\\FriioView.exe"},
        {L" \"D:\\My TV\\FriioView.exe\" ", L"D:\\My TV\\FriioView.exe"},
        {L"\" D:\\TV\\x.exe \"", L" D:\\TV\\x.exe "},      // blanks inside the quotes stay
        {L"\"\"D:\\TV\\x.exe\"\"", L"\"D:\\TV\\x.exe\""},  // one pair only
        {L"\"D:\\TV\\x.exe", L"\"D:\\TV\\x.exe"},          // no closing quote: kept
        {L"D:\\TV\\x.exe\"", L"D:\\TV\\x.exe\""},
        {L"'D:\\TV\\x.exe'", L"'D:\\TV\\x.exe'"},  // single quotes are no quoting here
        {L"FriioView.exe", L"FriioView.exe"},
        {L"\"", L"\""},
        {L"\"\"", L""},
        {L"   ", L""},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Narrow(PlayerExecutable(c.stored)), Narrow(c.executable)) << Narrow(c.stored);
}

}  // namespace
