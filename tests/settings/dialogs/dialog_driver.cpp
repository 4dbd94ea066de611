#include "tests/settings/dialogs/dialog_driver.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "resources/resource_ids.h"
#include "tests/support/test_support.h"

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        PumpMessages();
        Sleep(20);
    }
}

namespace {

struct DialogSearch {
    DWORD processId;
    const char* title;
    std::vector<HWND> found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<DialogSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window) || ClassOf(window) != "#32770" ||
        WindowText(window) != search->title)
        return TRUE;
    search->found.push_back(window);
    return TRUE;
}

struct TextSearch {
    const char* text;
    HWND found;
};

BOOL CALLBACK MatchChildText(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<TextSearch*>(parameter);
    if (WindowText(window) != search->text)
        return TRUE;
    search->found = window;
    return FALSE;
}

// The dialog manager's base units for the templates' font, "MS Sans Serif" 8.
SIZE DialogBaseUnits()
{
    HDC screen = GetDC(nullptr);
    int pixels = MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    HFONT font = CreateFontA(-pixels, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             0, 0, PROOF_QUALITY, FF_DONTCARE, "MS Sans Serif");
    HGDIOBJ previous = SelectObject(screen, font);
    TEXTMETRICA metrics;
    GetTextMetricsA(screen, &metrics);
    SIZE alphabet;
    GetTextExtentPoint32A(screen, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52,
                          &alphabet);
    SelectObject(screen, previous);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
    return {(alphabet.cx / 26 + 1) / 2, metrics.tmHeight};
}

void SendMouse(DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

void SendKey(WORD virtualKey, WCHAR unicode, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = unicode ? unicode : static_cast<WORD>(MapVirtualKeyA(virtualKey, 0));
    input.ki.dwFlags = (unicode ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
    SendInput(1, &input, sizeof input);
}

// The input is handled by the other process in its own time.
void LetInputArrive()
{
    Sleep(120);
}

}  // namespace

std::vector<HWND> FindDialogs(DWORD processId, const char* title)
{
    DialogSearch search = {processId, title, {}};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindDialog(DWORD processId, const char* title)
{
    std::vector<HWND> found = FindDialogs(processId, title);
    return found.empty() ? nullptr : found[0];
}

HWND WaitForDialog(DWORD processId, const char* title, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(processId, title)) != nullptr; }, timeoutMs);
    return found;
}

std::string WindowText(HWND window)
{
    // Asked of the window itself: for another process's window GetWindowText
    // only sees the title the system keeps, which an edit field never updates.
    char text[2048] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, &length);
    return text;
}

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

HWND ChildWithText(HWND dialog, const char* text)
{
    TextSearch search = {text, nullptr};
    EnumChildWindows(dialog, MatchChildText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

RECT ScreenRect(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

POINT CentreOf(HWND window)
{
    RECT rect = ScreenRect(window);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

RECT DialogUnitsToPixels(int x, int y, int width, int height)
{
    static const SIZE units = DialogBaseUnits();
    return {MulDiv(x, units.cx, 4), MulDiv(y, units.cy, 8),
            MulDiv(x, units.cx, 4) + MulDiv(width, units.cx, 4),
            MulDiv(y, units.cy, 8) + MulDiv(height, units.cy, 8)};
}

POINT DialogUnitPoint(HWND dialog, int x, int y)
{
    RECT pixels = DialogUnitsToPixels(x, y, 0, 0);
    POINT point = {pixels.left, pixels.top};
    ClientToScreen(dialog, &point);
    return point;
}

RECT ClientRectInDialog(HWND control)
{
    RECT rect = ScreenRect(control);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

static void ExpectControl(HWND control, const ExpectedControl& expected)
{
    EXPECT_EQ(ClassOf(control), expected.className);
    if (expected.text) {
        EXPECT_EQ(WindowText(control), expected.text);
    }
    DWORD style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
    EXPECT_EQ(style & expected.styles, expected.styles);
    EXPECT_TRUE(style & WS_VISIBLE);
    if (expected.placement == PlacesItself)
        return;
    const RECT& units = expected.units;
    RECT want = DialogUnitsToPixels(units.left, units.top, units.right, units.bottom);
    RECT got = ClientRectInDialog(control);
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    if (expected.placement == KeepsRectangle) {
        EXPECT_EQ(got.right, want.right);
        EXPECT_EQ(got.bottom, want.bottom);
    }
}

void ExpectControls(HWND dialog, const ExpectedControl* expected, size_t count)
{
    HWND control = GetWindow(dialog, GW_CHILD);
    for (size_t i = 0; i < count; ++i, control = GetWindow(control, GW_HWNDNEXT)) {
        SCOPED_TRACE("control " + std::to_string(expected[i].id) + " at place " +
                     std::to_string(i));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(GetDlgCtrlID(control), expected[i].id);
        ExpectControl(control, expected[i]);
    }
}

void MovePointerTo(POINT screen)
{
    SetCursorPos(screen.x, screen.y);
    // A move of no distance makes the window under the pointer hear of it.
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
    LetInputArrive();
}

void ClickAt(POINT screen)
{
    MovePointerTo(screen);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
    LetInputArrive();
}

void Click(HWND control)
{
    ClickAt(CentreOf(control));
}

void PressKey(WORD virtualKey)
{
    SendKey(virtualKey, 0, false);
    SendKey(virtualKey, 0, true);
    LetInputArrive();
}

void PressKeyWith(WORD modifier, WORD virtualKey)
{
    SendKey(modifier, 0, false);
    SendKey(virtualKey, 0, false);
    SendKey(virtualKey, 0, true);
    SendKey(modifier, 0, true);
    LetInputArrive();
}

void TypeText(const std::string& cp1252Text)
{
    wchar_t wide[256];
    int count = MultiByteToWideChar(1252, 0, cp1252Text.data(), static_cast<int>(cp1252Text.size()),
                                    wide, 256);
    for (int i = 0; i < count; ++i) {
        SendKey(0, wide[i], false);
        SendKey(0, wide[i], true);
    }
    LetInputArrive();
}

bool BringToFront(HWND window)
{
    SetForegroundWindow(window);
    return WaitUntil([&] { return GetForegroundWindow() == window; });
}

HCURSOR CurrentCursor()
{
    CURSORINFO info = {};
    info.cbSize = sizeof info;
    GetCursorInfo(&info);
    return info.hCursor;
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

void SaveScreenshot(HWND window, const char* name)
{
    const char* folder = getenv("KH_SCREENSHOT_DIR");
    if (!folder || !*folder)
        return;
    ScreenPicture picture = CaptureScreen(ScreenRect(window));
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = picture.width;
    header.biHeight = -picture.height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    DWORD pixelBytes = static_cast<DWORD>(picture.pixels.size() * 4);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + pixelBytes;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
    bytes.append(reinterpret_cast<const char*>(picture.pixels.data()), pixelBytes);
    WriteWholeFile(std::string(folder) + "\\" + name + ".bmp", bytes);
}

bool ConfigurationRun::Start()
{
    process = StartScr("/c");
    if (!process.hProcess)
        return false;
    about = WaitForDialog(process.dwProcessId, kAboutTitle);
    return about && BringToFront(about);
}

HWND ConfigurationRun::OpenConfiguration()
{
    Click(GetDlgItem(about, IDC_CONFIGURE));
    HWND config = WaitForDialog(process.dwProcessId, kConfigTitle);
    if (config)
        BringToFront(config);
    return config;
}

DWORD ConfigurationRun::WaitForEnd(DWORD timeoutMs)
{
    return WaitForExit(process, timeoutMs);
}

ConfigurationRun::~ConfigurationRun()
{
    if (process.hProcess)
        WaitForExit(process, 0);
}

namespace {

std::string WindowsPath(std::string unixPath)
{
    for (char& c : unixPath)
        if (c == '/')
            c = '\\';
    return "Z:" + unixPath;
}

std::string ShellLogPath()
{
    std::string logger = WindowsPath(KH_SHELL_LOGGER_PATH);
    return logger.substr(0, logger.find_last_of('\\') + 1) + "shell_log.txt";
}

// A registry value that the run changes and gives back afterwards.
struct BorrowedValue {
    HKEY root;
    const char* key;
    const char* name;  // null: the key's default value
    bool existed = false;
    std::string saved;

    void Set(const std::string& value)
    {
        HKEY handle;
        RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr);
        char buffer[1024];
        DWORD size = sizeof buffer;
        DWORD type = 0;
        existed = RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                                   &size) == ERROR_SUCCESS;
        if (existed)
            saved.assign(buffer, size ? size - 1 : 0);
        RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(handle);
    }

    void GiveBack() const
    {
        HKEY handle;
        if (RegOpenKeyExA(root, key, 0, KEY_ALL_ACCESS, &handle) != ERROR_SUCCESS)
            return;
        if (existed)
            RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(saved.c_str()),
                           static_cast<DWORD>(saved.size() + 1));
        else
            RegDeleteValueA(handle, name);
        RegCloseKey(handle);
    }
};

void Put(std::string& bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A one-size raster font in the plain 2.0 font-file format, every glyph a bar:
// the machine has outline faces only, and the chooser must be seen to leave
// out a raster face.
std::string RasterFontFile()
{
    const int first = 0x20, last = 0x7E, width = 8, height = 13;
    const int glyphs = last - first + 2;  // one more for the default glyph
    const uint32_t headerSize = 118;
    const uint32_t bitsOffset = headerSize + glyphs * 4;
    const uint32_t faceOffset = bitsOffset + glyphs * height;
    const std::string face = std::string(kRasterFace) + '\0';
    std::string bytes;
    Put(bytes, 0x200, 2);                                    // version
    Put(bytes, faceOffset + static_cast<uint32_t>(face.size()), 4);
    bytes += std::string("test").append(56, '\0');           // copyright
    for (uint32_t word : {0u, 10u, 96u, 96u, 10u, 0u, 0u})  // raster, points, resolution, ascent, leading
        Put(bytes, word, 2);
    Put(bytes, 0, 3);                                        // italic, underline, strike-out
    Put(bytes, 400, 2);                                      // weight
    Put(bytes, ANSI_CHARSET, 1);
    Put(bytes, width, 2);
    Put(bytes, height, 2);
    Put(bytes, FF_SWISS, 1);
    Put(bytes, width, 2);                                    // average and largest width
    Put(bytes, width, 2);
    Put(bytes, first, 1);
    Put(bytes, last, 1);
    Put(bytes, '?' - first, 1);                              // default and break glyphs
    Put(bytes, 0, 1);
    Put(bytes, 1, 2);                                        // bytes per row
    Put(bytes, 0, 4);                                        // no device
    Put(bytes, faceOffset, 4);
    Put(bytes, 0, 4);
    Put(bytes, bitsOffset, 4);
    Put(bytes, 0, 1);
    for (int i = 0; i < glyphs; ++i) {
        Put(bytes, width, 2);
        Put(bytes, bitsOffset + i * height, 2);
    }
    bytes.append(static_cast<size_t>(glyphs) * height, '\x7E');
    return bytes + face;
}

// The test desktop has no window manager: Wine must draw the dialogs' frames and
// caption buttons itself, or there is no close box to click. The shell hands web
// and mail links to the logging stand-in instead of a browser. A raster font
// joins the machine's outline faces.
class DialogDesktop : public ::testing::Environment {
public:
    void SetUp() override
    {
        std::string handler = "\"" + WindowsPath(KH_SHELL_LOGGER_PATH) + "\" \"%1\"";
        values_[0].Set("N");
        values_[1].Set(handler);
        values_[2].Set(handler);
        // Fonts named in this key are loaded by every process that starts later,
        // raster ones included.
        WriteWholeFile(RasterFontPath(), RasterFontFile());
        values_[3].Set("kh_raster.fon");
    }
    void TearDown() override
    {
        for (const BorrowedValue& value : values_)
            value.GiveBack();
        DeleteFileA(RasterFontPath().c_str());
        DeleteFileA(ShellLogPath().c_str());
    }

private:
    BorrowedValue values_[4] = {
        {HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", "Decorated", false, ""},
        {HKEY_CLASSES_ROOT, "http\\shell\\open\\command", nullptr, false, ""},
        {HKEY_CLASSES_ROOT, "mailto\\shell\\open\\command", nullptr, false, ""},
        {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", kRasterFace,
         false, ""},
    };
};

const ::testing::Environment* const dialogDesktop =
    ::testing::AddGlobalTestEnvironment(new DialogDesktop);

}  // namespace

std::string RasterFontPath()
{
    char directory[MAX_PATH];
    GetWindowsDirectoryA(directory, MAX_PATH);
    return std::string(directory) + "\\Fonts\\kh_raster.fon";
}

std::vector<std::string> ShellLog()
{
    std::vector<std::string> lines;
    std::string text = ReadWholeFile(ShellLogPath());
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

void ClearShellLog()
{
    DeleteFileA(ShellLogPath().c_str());
}
