// Tuner discovery end to end: the real SetupDi, CreateFileW and DeviceIoControl
// against simulated tuners served by the substitute driver.
#include "common/unique_handle.h"
#include "devices/device_list.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

struct Expected {
    int index;
    int ordinal;
    int type;
};

void ExpectEntries(const DeviceList& list, const std::vector<Expected>& expected)
{
    ASSERT_EQ(list.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "position " << i);
        EXPECT_EQ(list[i].index, expected[i].index);
        EXPECT_EQ(list[i].ordinal, expected[i].ordinal);
        EXPECT_EQ(list[i].type, expected[i].type);
        EXPECT_FALSE(list[i].path.empty());
        EXPECT_EQ(list[i].inUse, 0);
        EXPECT_EQ(list[i].playerWindow, nullptr);
    }
}

constexpr int W = TunerType::Terrestrial, B = TunerType::Satellite, U = TunerType::Unknown;

TEST(EnumerateDevices, ListsTheTunersThatAnswer)
{
    const struct Case {
        const char* what;
        std::vector<std::wstring> devices;
        std::vector<Expected> expected;
    } cases[] = {
        {"no tuner", {}, {}},
        {"White, Black, White", {L"F4", L"0A", L"F4"}, {{0, 0, W}, {1, 0, B}, {2, 1, W}}},
        {"an open refused between two Whites", {L"F4", L"refuse", L"F4"}, {{0, 0, W}, {2, 1, W}}},
        {"a 74-byte answer", {L"short", L"F4", L"0A"}, {{1, 0, W}, {2, 0, B}}},
        {"a failed request", {L"0A", L"fail", L"0A"}, {{0, 0, B}, {2, 1, B}}},
        {"answers that come later",
         {L"late:F4:300", L"late:0A:50", L"F4"},
         {{0, 0, W}, {1, 0, B}, {2, 1, W}}},
        {"unknown models count on their own",
         {L"00", L"F4", L"7E", L"0A"},
         {{0, 0, U}, {1, 0, W}, {2, 1, U}, {3, 0, B}}},
        {"nothing answers", {L"refuse", L"short", L"fail"}, {}},
        // An unplugged tuner is no member at all: the indexes the player
        // counts by stay those of the present ones.
        {"an unplugged tuner first", {L"unplugged", L"F4", L"0A"}, {{0, 0, W}, {1, 0, B}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InstallSimulatedTuners(c.devices);
        g_deviceList = {DeviceEntry{}};  // whatever was there goes
        EnumerateDevices(g_deviceList);
        ExpectEntries(g_deviceList, c.expected);
    }
    g_deviceList.clear();
}

TEST(EnumerateDevices, EveryRunStartsAfresh)
{
    InstallSimulatedTuners({L"F4", L"0A", L"F4"});
    DeviceList list;
    EnumerateDevices(list);
    const std::wstring firstPath = list.at(0).path;
    list[0].inUse = 1;
    list[0].playerWindow = GetDesktopWindow();
    EnumerateDevices(list);
    ExpectEntries(list, {{0, 0, W}, {1, 0, B}, {2, 1, W}});
    EXPECT_EQ(list[0].path, firstPath);
    EXPECT_NE(list[0].path, list[2].path);
}

// A tuner that never answers costs about the time limit, then counts as not
// answering; whether or not its driver honours the cancellation.
TEST(EnumerateDevices, AHungTunerIsGivenUpAfterTheTimeLimit)
{
    for (const wchar_t* hung : {L"hang", L"hang-nocancel"}) {
        SCOPED_TRACE(testing::Message() << std::string(hung, hung + wcslen(hung)));
        InstallSimulatedTuners({L"F4", hung, L"0A"});
        DeviceList list;
        const Stopwatch enumeration;
        EnumerateDevices(list);
        const double seconds = enumeration.Seconds();
        ExpectEntries(list, {{0, 0, W}, {2, 0, B}});
        EXPECT_GT(seconds, kIdentifyTimeoutMs / 1000.0 * 0.9);
        EXPECT_LT(seconds, kIdentifyTimeoutMs / 1000.0 + 3.0);
    }
}

// A driver that completes an abandoned request long after the launcher gave
// up must not write into memory the launcher has freed and reused.
TEST(EnumerateDevices, ALateCompletionAfterGivingUpCorruptsNothing)
{
    InstallSimulatedTuners({L"hang-nocancel:3500", L"F4"});
    DeviceList list;
    EnumerateDevices(list);
    ExpectEntries(list, {{1, 0, W}});

    // Churn the heap while the abandoned request is still due, then check it.
    std::vector<std::vector<unsigned char>> blocks;
    for (int round = 0; round < 40; ++round) {
        for (int i = 0; i < 200; ++i)
            blocks.emplace_back(75 + (i % 5) * 8, static_cast<unsigned char>(0x5A));
        Sleep(50);
        for (const auto& block : blocks)
            for (unsigned char b : block) ASSERT_EQ(b, 0x5A);
        blocks.clear();
    }
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr));
    EnumerateDevices(list);
    ExpectEntries(list, {{1, 0, W}});
}

TEST(SendDeviceControl, PendingRequestReportsTheBytesOnCompletion)
{
    InstallSimulatedTuners({L"late:0A:200"});
    std::wstring path;
    {
        const UniqueDevInfo snapshot(SetupDiGetClassDevsW(&TunerInterfaceGuid, nullptr, nullptr,
                                                          DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
        ASSERT_TRUE(snapshot.Valid());
        ASSERT_TRUE(GetDevicePath(snapshot.Get(), TunerInterfaceGuid, 0, path));
        EXPECT_FALSE(GetDevicePath(snapshot.Get(), TunerInterfaceGuid, 1, path));
    }
    const UniqueFile device(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OVERLAPPED, nullptr));
    ASSERT_TRUE(device.Valid());
    BYTE answer[kIdentifySize] = {};
    DWORD bytes = 1234;
    EXPECT_TRUE(SendDeviceControl(device.Get(), kIdentifyControlCode, IdentifyRequest,
                                  kIdentifySize, answer, kIdentifySize, bytes));
    EXPECT_EQ(bytes, kIdentifySize);
    EXPECT_EQ(answer[kIdentifySize - 1], kModelByteBlack);

    // The driver checks the request: a changed block is refused.
    BYTE wrongRequest[kIdentifySize];
    memcpy(wrongRequest, IdentifyRequest, kIdentifySize);
    wrongRequest[0] ^= 1;
    EXPECT_FALSE(SendDeviceControl(device.Get(), kIdentifyControlCode, wrongRequest, kIdentifySize,
                                   answer, kIdentifySize, bytes));
}

TEST(TunerTypeFromModelByte, OnlyTheTwoModelBytesNameAModel)
{
    for (int b = 0; b < 256; ++b) {
        const int expected = b == 0xF4 ? W : b == 0x0A ? B : U;
        EXPECT_EQ(TunerTypeFromModelByte(static_cast<BYTE>(b)), expected) << b;
    }
}

}  // namespace
