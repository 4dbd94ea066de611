// The settings store against Wine's real profile functions and a real control.ini
// in the prefix's Windows directory.
#include <gtest/gtest.h>

#include "host/host.h"
#include "settings/settings.h"
#include "tests/support/test_support.h"

namespace {

const char kSection[] = "[Screen Saver.KH_Schoner]\r\n";

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        hostState.instance = GetModuleHandleA(nullptr);
        saverSettings = SaverSettings{};
        RemoveControlIni();
    }
    void TearDown() override { RemoveControlIni(); }

    static void Store(const std::string& content) { WriteWholeFile(ControlIniPath(), content); }
    static std::string Stored() { return ReadWholeFile(ControlIniPath()); }
};

void ExpectDefaults()
{
    EXPECT_STREQ(saverSettings.Art, "KH-Logo");
    EXPECT_EQ(saverSettings.Speed, 15);
    EXPECT_EQ(saverSettings.Number, 5);
    EXPECT_STREQ(saverSettings.Text, "spitze");
    EXPECT_STREQ(saverSettings.Font, "Arial");
    EXPECT_EQ(saverSettings.Weight, 0);
    EXPECT_EQ(saverSettings.Italic, 0);
}

// Position of each key in the file, to check the order in which they were written.
std::vector<size_t> KeyPositions(const std::string& file)
{
    std::vector<size_t> positions;
    for (const char* key : {"Art=", "Speed=", "Number=", "Text=", "Font=", "Weight=", "Italic="})
        positions.push_back(file.find(key));
    return positions;
}

TEST_F(SettingsStore, NoFileWritesTheSevenDefaultsInOrderAndReadsThemBack)
{
    ASSERT_TRUE(LoadSaverSettings());
    ExpectDefaults();
    EXPECT_STREQ(saverSettings.sectionName, "Screen Saver.KH_Schoner");
    EXPECT_STREQ(saverSettings.fileName, "control.ini");
    std::string file = Stored();
    ASSERT_NE(file.find("[Screen Saver.KH_Schoner]"), std::string::npos) << file;
    std::vector<size_t> at = KeyPositions(file);
    for (size_t i = 0; i < at.size(); ++i) {
        ASSERT_NE(at[i], std::string::npos) << "key " << i << " missing in\n" << file;
        if (i > 0) {
            EXPECT_LT(at[i - 1], at[i]) << file;
        }
    }
    EXPECT_NE(file.find("Art=KH-Logo"), std::string::npos);
    EXPECT_NE(file.find("Speed=15"), std::string::npos);
    EXPECT_NE(file.find("Number=5"), std::string::npos);
}

TEST_F(SettingsStore, EmptySectionHeaderCountsAsMissing)
{
    Store(kSection);
    ASSERT_TRUE(LoadSaverSettings());
    ExpectDefaults();
    EXPECT_NE(Stored().find("Italic=0"), std::string::npos);
}

TEST_F(SettingsStore, SectionWithOnlySpeedWritesNothingAndDefaultsTheRest)
{
    Store(std::string(kSection) + "Speed=7\r\n");
    ASSERT_TRUE(LoadSaverSettings());
    EXPECT_EQ(saverSettings.Speed, 7);
    EXPECT_STREQ(saverSettings.Art, "KH-Logo");
    EXPECT_EQ(saverSettings.Number, 5);
    EXPECT_STREQ(saverSettings.Text, "spitze");
    EXPECT_STREQ(saverSettings.Font, "Arial");
    EXPECT_EQ(saverSettings.Weight, 0);
    EXPECT_EQ(saverSettings.Italic, 0);
    EXPECT_EQ(Stored(), std::string(kSection) + "Speed=7\r\n");
}

TEST_F(SettingsStore, NumberAboveTwentyBecomesOneAndIsReadAsTwoCharacters)
{
    const struct { const char* stored; int expected; } cases[] = {
        {"20", 20}, {"21", 1}, {"0", 0}, {"123", 12}, {"99", 1},
    };
    for (const auto& c : cases) {
        Store(std::string(kSection) + "Number=" + c.stored + "\r\n");
        ASSERT_TRUE(LoadSaverSettings());
        EXPECT_EQ(saverSettings.Number, c.expected) << "stored " << c.stored;
    }
}

TEST_F(SettingsStore, NumbersBelowZeroGiveSpeedZeroAndOneObject)
{
    Store(std::string(kSection) + "Speed=-6\r\nNumber=-5\r\n");
    ASSERT_TRUE(LoadSaverSettings());
    EXPECT_EQ(saverSettings.Speed, 0);
    EXPECT_EQ(saverSettings.Number, 1);
}

TEST_F(SettingsStore, NumbersAreCutToTwoCharactersAndLettersGiveZero)
{
    Store(std::string(kSection) + "Speed=100\r\nWeight=700\r\nItalic=ja\r\n");
    ASSERT_TRUE(LoadSaverSettings());
    EXPECT_EQ(saverSettings.Speed, 10);
    EXPECT_EQ(saverSettings.Weight, 70);
    EXPECT_EQ(saverSettings.Italic, 0);

    Store(std::string(kSection) + "Speed=schnell\r\n");
    ASSERT_TRUE(LoadSaverSettings());
    EXPECT_EQ(saverSettings.Speed, 0);
}

TEST_F(SettingsStore, AFaceNameIsReadWholeAndAWordAsItsFirstTwentyNineCharacters)
{
    std::string font31 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcde";
    Store(std::string(kSection) + "Font=" + font31 + "X\r\nText=" + font31 + "\r\n");
    ASSERT_TRUE(LoadSaverSettings());
    EXPECT_EQ(std::string(saverSettings.Font), font31);
    EXPECT_EQ(std::string(saverSettings.Text), font31.substr(0, 29));
}

TEST_F(SettingsStore, ArtIsKeptByteForByte)
{
    for (const char* art : {"kh-logo", "B\xe4rchen", "Text", ""}) {
        Store(std::string(kSection) + "Speed=3\r\nArt=" + art + "\r\n");
        ASSERT_TRUE(LoadSaverSettings());
        EXPECT_STREQ(saverSettings.Art, art) << "stored '" << art << "'";
    }
}

TEST_F(SettingsStore, UnwritableStoreShowsOneMessageAndReportsFailure)
{
    // A directory where the file should be: every write fails.
    ASSERT_TRUE(CreateDirectoryA(ControlIniPath().c_str(), nullptr));
    StartErrorBoxCloser();
    bool loaded = LoadSaverSettings();
    std::vector<std::string> boxes = StopErrorBoxCloser();
    EXPECT_FALSE(loaded);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Fehler beim Schreiben der Registry-Eintr\xe4ge");
    EXPECT_STREQ(saverSettings.Art, "") << "no field may be read after a failed write";
    EXPECT_EQ(saverSettings.Speed, 0);
}

TEST(SettingNumber, ConvertsLikeTheRuntime)
{
    EXPECT_EQ(ConvertSettingNumber("15"), 15);
    EXPECT_EQ(ConvertSettingNumber("  7x"), 7);
    EXPECT_EQ(ConvertSettingNumber("\t-3"), -3);
    EXPECT_EQ(ConvertSettingNumber("+4"), 4);
    EXPECT_EQ(ConvertSettingNumber("ab"), 0);
    EXPECT_EQ(ConvertSettingNumber(""), 0);
    EXPECT_EQ(ConvertSettingNumber("- 3"), 0);
    EXPECT_EQ(ConvertSettingNumber("99999999999999999999"), 2147483647);
    EXPECT_EQ(ConvertSettingNumber("-99999999999999999999"), -2147483647 - 1);
}

}  // namespace
