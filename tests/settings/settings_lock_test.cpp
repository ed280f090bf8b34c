// Reading Zentrobe.ini while another process saves it: the file a load sees
// is the one from before a save or after it, never one halfway through.
#include "settings/settings_file_test.h"
#include "support/child_process.h"
#include "support/text.h"

namespace {

class SettingsLock : public SettingsFileTest {};

TEST_F(SettingsLock, ALoadWhileAnotherProcessSavesSeesTheWholeFile)
{
    const LauncherSettings user{L"D:\\TV\\White.exe", L"D:\\TV\\Black.exe", L"-w 1", L"-b 2"};
    Write(Utf16File(OtherSections() + L"[White]\r\nPath=" + user.whitePath + L"\r\nParam=" +
                    user.whiteParam + L"\r\n[Black]\r\nPath=" + user.blackPath + L"\r\nParam=" +
                    user.blackParam + L"\r\n"));
    // The saver lives beside this program, so it saves this very file. It is
    // started by its path in capitals: the lock is the file's however a
    // path spells it.
    std::wstring saverPath = WinePath(ZENTROBE_SETTINGS_SAVER);
    CharUpperBuffW(&saverPath[0], static_cast<DWORD>(saverPath.size()));
    const ChildProcess saver = StartChild(L"\"" + saverPath + L"\" 200");
    ASSERT_TRUE(saver) << "cannot start the saver: error " << saver.startError;

    int loads = 0, wrong = 0;
    std::string firstWrong;
    while (!WaitForExit(saver, 0) && saver.started.Seconds() < 120) {
        const LauncherSettings loaded = Reload();
        ++loads;
        // The saver changes the Black extra parameters back and forth.
        if (loaded.whitePath == user.whitePath && loaded.blackPath == user.blackPath &&
            loaded.whiteParam == user.whiteParam &&
            (loaded.blackParam == user.blackParam ||
             loaded.blackParam == user.blackParam + L" again"))
            continue;
        if (!wrong++)
            firstWrong =
                Narrow(loaded.whitePath + L" | " + loaded.whiteParam + L" | " + loaded.blackParam);
    }
    const ProcessResult saved = FinishChild(saver, 0);
    ASSERT_TRUE(saved.finished) << "the saver did not finish 200 saves within 120 s";
    EXPECT_EQ(saved.exitCode, 0u);
    EXPECT_EQ(wrong, 0) << wrong << " of " << loads
                        << " loads came back wrong, the first: " << firstWrong;
    EXPECT_GE(loads, 20) << "too few loads overlapped the saves to tell";
    EXPECT_EQ(Reload().blackParam, user.blackParam);  // an even number of changes
}

}  // namespace
