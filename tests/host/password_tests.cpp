// The Windows 95/98/ME password path of the built saver. Wine gives a copy of
// the saver (and the fault probe) the Windows version "win98" by name; doubles of
// the system's PASSWORD.CPL and MPR.DLL in the system folder log what the saver
// asks, beside themselves.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "tests/host/saver_driver.h"
#include "tests/support/test_support.h"

static const char appDefaults[] = "Software\\Wine\\AppDefaults\\";
static const char desktopKey[] = "Control Panel\\Desktop";
static const char protectionValue[] = "ScreenSaveUsePassword";

static void SetStringValue(const std::string& key, const char* name, const char* text)
{
    HKEY handle;
    RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                    nullptr);
    RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(strlen(text) + 1));
    RegCloseKey(handle);
}

enum class Protection { Missing, Zero, EightBytes, On };

static void SetProtection(Protection protection)
{
    HKEY desktop;
    RegCreateKeyExA(HKEY_CURRENT_USER, desktopKey, 0, nullptr, 0, KEY_WRITE, nullptr, &desktop,
                    nullptr);
    const BYTE eightBytes[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    DWORD flag = protection == Protection::On ? 1 : 0;
    if (protection == Protection::Missing)
        RegDeleteValueA(desktop, protectionValue);
    else if (protection == Protection::EightBytes)
        RegSetValueExA(desktop, protectionValue, 0, REG_BINARY, eightBytes, sizeof eightBytes);
    else
        RegSetValueExA(desktop, protectionValue, 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&flag), sizeof flag);
    RegCloseKey(desktop);
}

// A process reads the saver-running state from Wine's registry once and keeps it,
// so this test reads the stored value itself: "1" while a saver runs.
static std::string RunningState()
{
    char value[8] = "";
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER,
                 "Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop",
                 "WINE_ScreenSaverRunning", RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

static std::string SystemPath(const char* fileName)
{
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\" + fileName;
}

// Wine's own MPR.DLL makes room for the double while the suite runs.
static const char wineMpr[] = "MPR.DLL.wine";

// Gives the prefix its own libraries back. Also run as this program starts, before
// any test: a run that crashed inside the suite left the doubles in place.
static void RestoreSystemLibraries()
{
    DeleteFileA(SystemPath("PASSWORD.CPL").c_str());
    if (GetFileAttributesA(SystemPath(wineMpr).c_str()) != INVALID_FILE_ATTRIBUTES)
        MoveFileExA(SystemPath(wineMpr).c_str(), SystemPath("MPR.DLL").c_str(),
                    MOVEFILE_REPLACE_EXISTING);
}

class LeftDoubles : public testing::Environment {
    void SetUp() override { RestoreSystemLibraries(); }
};
static testing::Environment* const leftDoubles =
    testing::AddGlobalTestEnvironment(new LeftDoubles);

static std::vector<std::string> LogLines(const char* name)
{
    std::vector<std::string> lines;
    std::istringstream text(ReadWholeFile(SystemPath(name)));
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

static int CountLines(const std::vector<std::string>& lines, const std::string& start)
{
    int count = 0;
    for (const std::string& line : lines)
        count += line.compare(0, start.size(), start) == 0;
    return count;
}

class Win98Password : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        for (const char* program : {"Schoner98.scr", "Fault98.scr"})
            SetStringValue(appDefaults + std::string(program), "Version", "win98");
        // Wine has a built-in MPR.DLL; the double in the system folder must win.
        SetStringValue(appDefaults + std::string("Schoner98.scr\\DllOverrides"), "mpr",
                       "native");
        MoveFileA(SystemPath("MPR.DLL").c_str(), SystemPath(wineMpr).c_str());
        for (const char* library : {"PASSWORD.CPL", "MPR.DLL"})
            CopyFileA(DoublePath(library).c_str(), SystemPath(library).c_str(), FALSE);
    }
    static void TearDownTestSuite()
    {
        RestoreSystemLibraries();
        for (const char* program : {"Schoner98.scr", "Fault98.scr"})
            RegDeleteTreeA(HKEY_CURRENT_USER, (appDefaults + std::string(program)).c_str());
        SetProtection(Protection::Missing);
        SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, nullptr, 0);
    }
    void SetUp() override
    {
        DeleteFileA(SystemPath("password_log.txt").c_str());
        DeleteFileA(SystemPath("mpr_log.txt").c_str());
        DeleteFileA(Win98Path("password_log.txt").c_str());
        SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, nullptr, 0);
        centre = CentreCursor();
    }
    void TearDown() override
    {
        DeleteFileA(Win98Path("PASSWORD.CPL").c_str());
    }
    PROCESS_INFORMATION StartSaver(const char* program = "Schoner98.scr")
    {
        std::string path = Win98Path(program);
        // The fault probe's crash report would only fill the test's output.
        PROCESS_INFORMATION process = StartWithCommandLine(path, "\"" + path + "\" /s",
                                                           strcmp(program, "Fault98.scr") == 0);
        saver = WaitForSaverWindow(process);
        return process;
    }
    HWND WaitForPrompt(const PROCESS_INFORMATION& process)
    {
        return WaitForProcessWindow(process, "KhPasswordPromptDouble", "Kennwort-Attrappe");
    }
    POINT centre;
    HWND saver = nullptr;
};

TEST_F(Win98Password, ProtectionOffOrUnreadableLoadsNothingAndGrantsTheFirstClose)
{
    for (Protection protection : {Protection::Missing, Protection::Zero, Protection::EightBytes}) {
        SetProtection(protection);
        PROCESS_INFORMATION process = StartSaver();
        ASSERT_NE(saver, nullptr);
        EXPECT_EQ(RunningState(), "0");
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(saver, WM_APP, 0, 0, SMTO_BLOCK, 5000, &answer);
        EXPECT_EQ(answer, 1u);
        SendKey(VK_SPACE, false);
        SendKey(VK_SPACE, true);
        EXPECT_EQ(WaitForExitPumping(process, 10000), 0u);
        EXPECT_TRUE(LogLines("password_log.txt").empty());
    }
}

TEST_F(Win98Password, ARefusedPromptKeepsTheSaverRunningUntilAGrantEndsIt)
{
    SetProtection(Protection::On);
    PROCESS_INFORMATION process = StartSaver();
    ASSERT_NE(saver, nullptr);
    EXPECT_EQ(RunningState(), "1");

    SetCursorPos(centre.x + 10, centre.y);
    HWND prompt = WaitForPrompt(process);
    ASSERT_NE(prompt, nullptr);
    DWORD_PTR closeResult = 1;
    SendMessageTimeoutA(saver, WM_CLOSE, 0, 0, SMTO_BLOCK, 5000, &closeResult);
    EXPECT_EQ(closeResult, 0u);
    POINT afterPrompt = {centre.x + 10, centre.y + 40};
    SetCursorPos(afterPrompt.x, afterPrompt.y);
    // Refuse, and have one more close request arrive just as the prompt ends.
    PostMessageA(prompt, WM_APP + 1, FALSE, TRUE);
    ASSERT_TRUE(WaitUntilGone(prompt));
    EXPECT_TRUE(KeepsRunning(process, 400));
    EXPECT_EQ(CountLines(LogLines("password_log.txt"), "verify"), 1);
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof cursor;
    GetCursorInfo(&cursor);
    EXPECT_EQ(cursor.hCursor, nullptr);

    // Measured from the position after the prompt, a travel of 4 is no close request.
    SetCursorPos(afterPrompt.x + 3, afterPrompt.y + 1);
    EXPECT_TRUE(KeepsRunning(process, 400));
    EXPECT_EQ(CountLines(LogLines("password_log.txt"), "verify"), 1);

    SendKey(VK_SPACE, false);
    SendKey(VK_SPACE, true);
    prompt = WaitForPrompt(process);
    ASSERT_NE(prompt, nullptr);
    PostMessageA(prompt, WM_APP + 1, TRUE, FALSE);
    EXPECT_EQ(WaitForExitPumping(process, 10000), 0u);

    std::string verify = "verify owner=" + HandleText(saver) + " running=1";
    std::vector<std::string> expected = {"load", verify, "answer=0", verify, "answer=1", "free"};
    EXPECT_EQ(LogLines("password_log.txt"), expected);
    EXPECT_EQ(RunningState(), "0");
}

TEST_F(Win98Password, ThePasswordChangeIsTheSystemsWithTheGivenOrTheForegroundOwner)
{
    HWND foreground = MakeTestWindow(true);
    HWND other = MakeTestWindow(false);
    SetForegroundWindow(foreground);
    PROCESS_INFORMATION process = StartProgram(Win98Path("Schoner98.scr"), "/a " +
                                               HandleText(other));
    EXPECT_EQ(WaitForExitPumping(process), 0u);
    process = StartProgram(Win98Path("Schoner98.scr"), "-A");
    EXPECT_EQ(WaitForExitPumping(process), 0u);
    DestroyWindow(other);
    DestroyWindow(foreground);

    std::vector<std::string> expected = {
        "change provider=SCRSAVE owner=" + HandleText(other) + " flags=0 reserved=0",
        "change provider=SCRSAVE owner=" + HandleText(foreground) + " flags=0 reserved=0"};
    EXPECT_EQ(LogLines("mpr_log.txt"), expected);
    EXPECT_TRUE(LogLines("password_log.txt").empty());
}

TEST_F(Win98Password, AFaultInsideTheRunClearsTheRunningState)
{
    SetProtection(Protection::On);
    PROCESS_INFORMATION process = StartSaver("Fault98.scr");
    ASSERT_NE(saver, nullptr);
    EXPECT_EQ(RunningState(), "1");
    HWND trigger = FindWindowExA(HWND_MESSAGE, nullptr, "KhFaultTrigger", nullptr);
    ASSERT_NE(trigger, nullptr);
    PostMessageA(trigger, WM_APP, 0, 0);
    DWORD exitCode = WaitForExitPumping(process, 30000);
    EXPECT_NE(exitCode, 0u);
    EXPECT_NE(exitCode, 0x7FFFFFFFu);
    EXPECT_EQ(RunningState(), "0");
    // The verifier was never freed: the guard, not the end of the run, cleared the state.
    EXPECT_EQ(CountLines(LogLines("password_log.txt"), "free"), 0);
}

TEST_F(Win98Password, APasswordLibraryPlantedBesideTheSaverIsNotAsked)
{
    SetProtection(Protection::On);
    ASSERT_TRUE(CopyFileA(DoublePath("PASSWORD.CPL").c_str(), Win98Path("PASSWORD.CPL").c_str(),
                          FALSE));
    PROCESS_INFORMATION process = StartSaver();
    ASSERT_NE(saver, nullptr);
    SendKey(VK_SPACE, false);
    SendKey(VK_SPACE, true);
    HWND prompt = WaitForPrompt(process);
    ASSERT_NE(prompt, nullptr);
    PostMessageA(prompt, WM_APP + 1, TRUE, FALSE);
    EXPECT_EQ(WaitForExitPumping(process, 10000), 0u);
    EXPECT_EQ(CountLines(LogLines("password_log.txt"), "verify"), 1);
    EXPECT_EQ(ReadWholeFile(Win98Path("password_log.txt")), "");
}
