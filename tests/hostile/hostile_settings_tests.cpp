// Hostile settings files: whatever the profile functions make of them, the loader
// must give the values its rules give, leave the file alone, and the scene must
// still start and draw.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "host/host.h"
#include "settings/settings.h"
#include "scene/scene.h"
#include "bench/scene_window.h"
#include "tests/support/test_support.h"

namespace {

// A window made alone takes the first scene record.
SceneState& sceneState = sceneStates[0];

const char kSectionName[] = "Screen Saver.KH_Schoner";
const std::string kHeader = "[Screen Saver.KH_Schoner]\r\n";
const int kWidth = 320;
const int kHeight = 240;

struct Expected {
    std::string Art;
    int Speed;
    int Number;
    std::string Text;
    std::string Font;
    int Weight;
    int Italic;
};

std::string RawValue(const char* key, const char* fallback, int length)
{
    std::vector<char> buffer(length + 1, '\x7f');
    GetPrivateProfileStringA(kSectionName, key, fallback, buffer.data(), length + 1,
                             "control.ini");
    return buffer.data();
}

// Two characters hold at most a sign and a digit, so the C library's
// conversion cannot overflow and serves as the independent reading.
int RawNumber(const char* key, const char* fallback)
{
    return static_cast<int>(strtol(RawValue(key, fallback, 2).c_str(), nullptr, 10));
}

// What the platform's profile functions return for the file as it now stands,
// put through the loader's read lengths and its rules for Speed and Number.
Expected ReadWithTheProfileFunctions()
{
    Expected e;
    e.Art = RawValue("Art", "KH-Logo", 29);
    int speed = RawNumber("Speed", "15");
    e.Speed = speed < 0 ? 0 : speed;
    int number = RawNumber("Number", "5");
    e.Number = number > 20 || number < 0 ? 1 : number;
    e.Text = RawValue("Text", "spitze", 29);
    e.Font = RawValue("Font", "Arial", 31);
    e.Weight = RawNumber("Weight", nullptr);
    e.Italic = RawNumber("Italic", nullptr);
    return e;
}

void ExpectLoaded(const Expected& e, const std::string& name)
{
    EXPECT_EQ(saverSettings.Art, e.Art) << name;
    EXPECT_EQ(saverSettings.Speed, e.Speed) << name;
    EXPECT_EQ(saverSettings.Number, e.Number) << name;
    EXPECT_EQ(saverSettings.Text, e.Text) << name;
    EXPECT_EQ(saverSettings.Font, e.Font) << name;
    EXPECT_EQ(saverSettings.Weight, e.Weight) << name;
    EXPECT_EQ(saverSettings.Italic, e.Italic) << name;
}

bool SectionPresent()
{
    char probe[10];
    return GetPrivateProfileSectionA(kSectionName, probe, sizeof probe, "control.ini") != 0;
}

void Store(const std::string& bytes)
{
    RemoveControlIni();
    WriteWholeFile(ControlIniPath(), bytes);
}

std::string Garbage(size_t length, unsigned seed)
{
    std::string bytes(length, '\0');
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    return bytes;
}

struct HostileFile {
    std::string name;
    std::string bytes;
};

std::vector<HostileFile> HostileFiles()
{
    const std::string longLine(100000, 'x');
    std::string megabytes;
    for (int i = 0; megabytes.size() < 3 * 1024 * 1024; ++i)
        megabytes += "[Other " + std::to_string(i) + "]\r\nKey=" + std::string(200, 'v') + "\r\n";
    return {
        {"binary garbage without the section", Garbage(4096, 1)},
        {"binary garbage and NUL bytes around the section",
         Garbage(3000, 2) + "\r\n" + kHeader + "Art=B\xe4rchen\r\nNumber=7\r\n" +
             std::string("\0\0\0Speed=9\r\n", 12) + Garbage(3000, 3)},
        {"a NUL byte inside a value", kHeader + std::string("Art=KH\0-Logo\r\nText=ab\0cd\r\n", 27)},
        {"lines of 100000 characters",
         kHeader + "Text=" + longLine + "\r\n" + longLine + "\r\nArt=" + longLine +
             "\r\nFont=" + longLine + "\r\nSpeed=" + longLine + "\r\n"},
        {"a file of several megabytes", megabytes + kHeader + "Art=KH-Satellit\r\nSpeed=3\r\n"},
        {"duplicate sections and keys",
         kHeader + "Speed=4\r\nSpeed=29\r\nArt=KH-Satellit\r\n[Other]\r\nx=1\r\n" + kHeader +
             "Speed=8\r\nNumber=3\r\nArt=Text\r\n"},
        {"keys without an equals sign",
         kHeader + "Speed\r\nNumber 12\r\nArt\r\n=Text\r\nItalic\r\n"},
        {"values with quotes and blanks",
         kHeader + "Art=  \"KH-Logo\"  \r\nText = \"  hallo welt  \"\r\nFont='Arial'\r\n"
                   "Number= 8\r\n  Speed  =  \"7\"\r\nWeight=\"1\"\r\n"},
        {"numbers with signs and overflow",
         kHeader + "Speed=-5\r\nNumber=+9\r\nWeight=99999999999999999999\r\nItalic=-0\r\n"},
        {"more numbers with signs", kHeader + "Speed=+\r\nNumber=-7\r\nWeight=-\r\nItalic=1x\r\n"},
        {"a number past twenty and letters", kHeader + "Number=99\r\nSpeed=ab\r\nArt=B\xe4rchen\r\n"},
        {"the section name in other letter case",
         "[screen saver.kh_schoner]\r\nArt=KH-Satellit\r\nNumber=12\r\n"},
        {"a section header with nothing under it", kHeader},
        {"a header without its closing bracket", "[Screen Saver.KH_Schoner\r\nArt=B\xe4rchen\r\n"},
    };
}

class HostileSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        hostState.instance = GetModuleHandleA(nullptr);
        hostState.isPreview = true;
    }
    void TearDown() override { RemoveControlIni(); }
};

TEST_F(HostileSettings, EveryLoadGivesWhatTheProfileFunctionsAndTheRulesGive)
{
    for (const HostileFile& file : HostileFiles()) {
        Store(file.bytes);
        const bool present = SectionPresent();
        saverSettings = SaverSettings{};
        ASSERT_TRUE(LoadSaverSettings()) << file.name;
        const std::string after = ReadWholeFile(ControlIniPath());
        if (present) {
            EXPECT_TRUE(after == file.bytes) << file.name << ": the file was changed";
        } else {
            // Only the seven defaults may have been added.
            EXPECT_EQ(RawValue("Art", nullptr, 29), "KH-Logo") << file.name;
            EXPECT_EQ(RawValue("Italic", nullptr, 29), "0") << file.name;
        }
        ExpectLoaded(ReadWithTheProfileFunctions(), file.name);
    }
}

TEST_F(HostileSettings, TheCasesReachTheLoaderAsIntended)
{
    // Pins what the profile functions make of a few of the files above, so that
    // the comparison with them is not empty.
    Store(kHeader + "Speed=-5\r\nNumber=+9\r\nWeight=99999999999999999999\r\nItalic=-0\r\n");
    ASSERT_TRUE(LoadSaverSettings());
    EXPECT_EQ(saverSettings.Speed, 0);
    EXPECT_EQ(saverSettings.Number, 9);
    EXPECT_EQ(saverSettings.Weight, 99);
    EXPECT_EQ(saverSettings.Italic, 0);

    Store(kHeader + "Number=99\r\nSpeed=ab\r\n");
    ASSERT_TRUE(LoadSaverSettings());
    EXPECT_EQ(saverSettings.Number, 1);
    EXPECT_EQ(saverSettings.Speed, 0);

    Store(kHeader + "Text=" + std::string(100000, 'x') + "\r\n");
    ASSERT_TRUE(LoadSaverSettings());
    EXPECT_EQ(std::string(saverSettings.Text), std::string(29, 'x'));
}

// Draws one more frame as a paint does and counts what it lit in the back buffer.
long LitPixels(HWND window)
{
    PaintFrame(window);
    std::vector<unsigned char> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    long lit = 0;
    for (size_t i = 0; i < rgb.size(); i += 3)
        lit += rgb[i] + rgb[i + 1] + rgb[i + 2] > 30 ? 1 : 0;
    return lit;
}

TEST_F(HostileSettings, TheSceneStartsAndDrawsWithWhatWasLoaded)
{
    for (const HostileFile& file : HostileFiles()) {
        Store(file.bytes);
        const bool present = SectionPresent();
        StartErrorBoxCloser();
        HWND window = OpenSceneWindow(kWidth, kHeight);
        ASSERT_TRUE(window) << file.name;
        const double startClock = sceneState.clock;
        for (int frame = 0; frame < 3; ++frame) {
            SendMessageA(window, WM_TIMER, 0, 0);
            UpdateWindow(window);
        }
        const SceneKind kind = sceneState.kind;
        EXPECT_LT(sceneState.clock, startClock) << file.name;
        const bool drawsSomething = kind == Satellite || kind == Sentence || saverSettings.Number > 0;
        const long lit = LitPixels(window);
        DestroySceneWindow(window);
        std::vector<std::string> boxes = StopErrorBoxCloser();
        EXPECT_TRUE(boxes.empty()) << file.name << ": " << boxes[0];
        if (drawsSomething) {
            EXPECT_GT(lit, 0) << file.name;
        }
        ExpectLoaded(ReadWithTheProfileFunctions(), file.name);
        if (present) {
            EXPECT_TRUE(ReadWholeFile(ControlIniPath()) == file.bytes) << file.name;
        }
    }
}

}  // namespace
