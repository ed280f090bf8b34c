// Which executable a stored player path names, and the longest player
// command line that starts, in-process.
#include "player/player.h"
#include "player/player_log.h"
#include "settings/settings.h"
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
        {L"\t\"D:\\TV\\FriioView.exe\"", L"D:\\TV\\FriioView.exe"},
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

// The platform takes 32,766 characters; Wine would cut a longer line to that
// length and start the player anyway, so the launcher refuses it itself.
TEST(LaunchPlayer, StartsTheLongestLineThePlatformTakesAndRefusesOneMore)
{
    const std::wstring log = FreshFolder(L"longest_line") + L"\\starts.log";
    const ScopedEnvironment logVariable(kPlayerLogVariable, log);
    const ScopedEnvironment lifetime(kPlayerLifetimeVariable, L"1000");
    g_launcherSettings.whitePath = PlayerExe();
    const std::wstring quoted = L"\"" + PlayerExe() + L"\" ";

    const std::wstring fits(kMaxCommandLine - 1 - quoted.size(), L'a');
    EXPECT_EQ(LaunchPlayer(TunerType::Terrestrial, fits), 1);
    const std::wstring tooLong(kMaxCommandLine - quoted.size(), L'b');
    EXPECT_EQ(LaunchPlayer(TunerType::Terrestrial, tooLong), 0);

    const std::vector<PlayerStart> starts = ReadPlayerLog(log);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].commandLine.size(), kMaxCommandLine - 1);
    EXPECT_TRUE(starts[0].commandLine == quoted + fits) << "the line arrived changed";
    WaitForPlayersToClose();
}

}  // namespace
