// Running-player detection over real top-level windows: made by the test
// itself, and one shown by the substitute player in another process.
#include "devices/device_list.h"
#include "player/player.h"
#include "player/player_log.h"
#include "support/test_support.h"
#include "support/wait.h"
#include "support/window_finder.h"

#include <gtest/gtest.h>

namespace {

struct TestWindow {
    TestWindow(const wchar_t* className, const std::wstring& title, bool withProperty,
               INT_PTR value)
    {
        window = CreateWindowExW(0, className, title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        if (window && withProperty)
            SetPropW(window, kPlayerWindowProperty, reinterpret_cast<HANDLE>(value));
    }
    ~TestWindow()
    {
        if (!window) return;
        RemovePropW(window, kPlayerWindowProperty);
        DestroyWindow(window);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND window = nullptr;
};

DeviceList ThreeEntries()
{
    DeviceList list(3);
    for (int i = 0; i < 3; ++i) {
        list[i].index = i;
        list[i].type = TunerType::Terrestrial;
        list[i].ordinal = i;
    }
    return list;
}

std::vector<int> Marks(const DeviceList& list)
{
    std::vector<int> marks;
    for (const DeviceEntry& e : list) marks.push_back(e.inUse);
    return marks;
}

constexpr const wchar_t* kTitle = L"Friio HDTV Player";
constexpr const wchar_t* kDialog = L"#32770";

class MarkDevicesInUseTest : public testing::Test {
protected:
    void SetUp() override { WaitForPlayersToClose(); }
};

TEST_F(MarkDevicesInUseTest, OnlyExactPlayerWindowsWithANegativeValueMark)
{
    const struct Case {
        const char* what;
        const wchar_t* className;
        std::wstring title;
        bool withProperty;
        INT_PTR value;
        std::vector<int> marks;
    } cases[] = {
        {"-1 marks position 0", kDialog, kTitle, true, -1, {1, 0, 0}},
        {"-3 marks position 2", kDialog, kTitle, true, -3, {0, 0, 1}},
        {"0 marks nothing", kDialog, kTitle, true, 0, {0, 0, 0}},
        {"1 marks nothing", kDialog, kTitle, true, 1, {0, 0, 0}},
        {"5 marks nothing", kDialog, kTitle, true, 5, {0, 0, 0}},
        {"-4 is just past the list", kDialog, kTitle, true, -4, {0, 0, 0}},
        {"-10 is past the list", kDialog, kTitle, true, -10, {0, 0, 0}},
        {"INT_MIN is past the list", kDialog, kTitle, true, INT32_MIN, {0, 0, 0}},
        {"no property", kDialog, kTitle, false, 0, {0, 0, 0}},
        {"another class", L"STATIC", kTitle, true, -1, {0, 0, 0}},
        {"title in other case", kDialog, L"friio HDTV Player", true, -1, {0, 0, 0}},
        {"title with a trailing blank", kDialog, std::wstring(kTitle) + L" ", true, -1, {0, 0, 0}},
        {"title of 32 characters",
         kDialog,
         std::wstring(kTitle) + L"               ",
         true,
         -1,
         {0, 0, 0}},
        {"title cut at 31 would differ",
         kDialog,
         std::wstring(kTitle) + std::wstring(20, L'x'),
         true,
         -1,
         {0, 0, 0}},
#ifdef _WIN64
        // Only the low 32 bits of the property count in a 64-bit process.
        {"high bits ignored",
         kDialog,
         kTitle,
         true,
         static_cast<INT_PTR>(0x700000000LL) | 0xFFFFFFFELL,
         {0, 1, 0}},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestWindow player(c.className, c.title, c.withProperty, c.value);
        ASSERT_NE(player.window, nullptr);
        DeviceList list = ThreeEntries();
        MarkDevicesInUse(list);
        EXPECT_EQ(Marks(list), c.marks);
        for (const DeviceEntry& e : list)
            EXPECT_EQ(e.playerWindow, e.inUse ? player.window : nullptr);
    }
}

TEST_F(MarkDevicesInUseTest, NoPlayerLeavesTheListAsItWas)
{
    DeviceList list = ThreeEntries();
    list[1].inUse = 1;  // marks are only ever set, never cleared
    list[1].playerWindow = GetDesktopWindow();
    MarkDevicesInUse(list);
    EXPECT_EQ(Marks(list), (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(list[1].playerWindow, GetDesktopWindow());
}

TEST_F(MarkDevicesInUseTest, TheWindowLowerInZOrderWinsASharedPosition)
{
    TestWindow upper(kDialog, kTitle, true, -2);
    TestWindow lower(kDialog, kTitle, true, -2);
    SetWindowPos(upper.window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(lower.window, upper.window, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DeviceList list = ThreeEntries();
    MarkDevicesInUse(list);
    EXPECT_EQ(Marks(list), (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(list[1].playerWindow, lower.window);
}

TEST_F(MarkDevicesInUseTest, PositionsAreListPositionsNotIndexes)
{
    DeviceList list(2);
    list[0].index = 0;
    list[1].index = 2;  // an interface in between did not answer
    TestWindow second(kDialog, kTitle, true, -2);
    TestWindow third(kDialog, kTitle, true, -3);
    MarkDevicesInUse(list);
    EXPECT_EQ(Marks(list), (std::vector<int>{0, 1}));
    EXPECT_EQ(list[1].playerWindow, second.window);
}

TEST_F(MarkDevicesInUseTest, SeesTheWindowOfARunningPlayerProcess)
{
    ScopedEnvironment position(kPlayerPositionVariable, L"1");
    ScopedEnvironment lifetime(kPlayerLifetimeVariable, L"20000");
    const ChildProcess player = StartChild(L"\"" + PlayerExe() + L"\" -o 7");
    ASSERT_TRUE(player);
    WindowQuery playerWindowQuery;
    playerWindowQuery.processId = player.id;
    playerWindowQuery.title = kTitle;
    const HWND playerWindow = WaitForWindow(playerWindowQuery, kPatienceMs);

    DeviceList list = ThreeEntries();
    MarkDevicesInUse(list);
    Kill(player);

    ASSERT_NE(playerWindow, nullptr);
    EXPECT_EQ(Marks(list), (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(list[1].playerWindow, playerWindow);
}

}  // namespace
