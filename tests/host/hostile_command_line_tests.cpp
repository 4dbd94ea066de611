// Thousands of generated command lines against the decision table, read
// independently of the host: the mode, where the handle is read and its value;
// and a sample of them through the real saver, read by exit code.
#include <gtest/gtest.h>

#include "host/host.h"
#include "host/mode_choice.h"

#include <random>
#include <string>
#include <vector>

#include "tests/host/saver_driver.h"
#include "tests/support/test_support.h"

namespace {

struct TableAnswer {
    SaverMode mode;
    size_t handleAt;          // offset of the handle text; npos when the mode reads none
    unsigned long long handle;  // the handle value, already reduced to 32 bits
};

const size_t none = std::string::npos;

// The low 32 bits of the number the leading decimal digits spell.
unsigned long long LeadingNumberModulo2To32(const std::string& text)
{
    size_t end = text.find_first_not_of("0123456789");
    std::string digits = text.substr(0, end);
    unsigned long long value = 0;
    for (char digit : digits)
        value = (value * 10 + static_cast<unsigned>(digit - '0')) % 4294967296ULL;
    return value;
}

// The decision table, read once more: skip spaces, minus signs and slashes; the
// byte after them picks the row.
TableAnswer FromTable(std::string text, bool isWin9x)
{
    text = text.substr(0, text.find('\0'));
    size_t at = text.find_first_not_of(" -/");
    if (at == none)
        return {modeAboutWithoutOwner, none, 0};
    const std::string rows = "aAcCsSpPlL";
    size_t row = rows.find(text[at]);
    if (row == none)
        return {modeInvalid, none, 0};
    char letter = rows[row & ~size_t(1)];
    if (letter == 'c')
        return {modeAboutWithForegroundOwner, none, 0};
    if (letter == 's')
        return {modeFullScreen, none, 0};
    if (letter == 'a' && !isWin9x)
        return {modeInvalid, none, 0};
    size_t handleAt = text.find_first_not_of(' ', at + 1);
    if (handleAt == none)
        handleAt = text.size();
    return {letter == 'a' ? modePasswordChange : modePreview, handleAt,
            LeadingNumberModulo2To32(text.substr(handleAt))};
}

void ExpectAsTheTableSays(const std::string& text)
{
    for (bool isWin9x : {false, true}) {
        TableAnswer expected = FromTable(text, isWin9x);
        ModeChoice choice = ChooseSaverMode(text.c_str(), isWin9x);
        ASSERT_EQ(choice.mode, expected.mode) << testing::PrintToString(text) << isWin9x;
        if (expected.handleAt == none) {
            EXPECT_EQ(choice.handleText, nullptr) << testing::PrintToString(text);
            continue;
        }
        ASSERT_NE(choice.handleText, nullptr) << testing::PrintToString(text);
        EXPECT_EQ(static_cast<size_t>(choice.handleText - text.c_str()), expected.handleAt)
            << testing::PrintToString(text);
        EXPECT_EQ(reinterpret_cast<UINT_PTR>(ReadWindowHandle(choice.handleText)),
                  expected.handle)
            << testing::PrintToString(text);
    }
}

std::string RandomBytes(std::mt19937& random, size_t length, int lowest = 1)
{
    std::uniform_int_distribution<int> byte(lowest, 255);
    std::string text;
    for (size_t i = 0; i < length; ++i)
        text += static_cast<char>(byte(random));
    return text;
}

std::string RandomDigits(std::mt19937& random, size_t length)
{
    std::uniform_int_distribution<int> digit('0', '9');
    std::string text;
    for (size_t i = 0; i < length; ++i)
        text += static_cast<char>(digit(random));
    return text;
}

std::string Decimal(unsigned long long value)
{
    std::string text;
    do {
        text.insert(text.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
        value /= 10;
    } while (value);
    return text;
}

// A handle written as its value plus some multiple of 2^32, behind leading zeros.
struct WrappedHandle {
    std::string text;
    uint32_t value;
};

WrappedHandle RandomWrappedHandle(std::mt19937& random)
{
    std::uniform_int_distribution<uint32_t> value;
    std::uniform_int_distribution<unsigned long long> multiple(0, 0xFFFFFFFFULL);
    std::uniform_int_distribution<int> zeros(0, 3);
    uint32_t low = value(random);
    unsigned long long whole = (multiple(random) << 32) + low;
    return {std::string(static_cast<size_t>(zeros(random)), '0') + Decimal(whole), low};
}

const char* const switchRuns[] = {"", " ", "-", "/", "   ", "-/", "/ -", "//--", "- -/ /"};
const char* const tails[] = {"", " 123", "   4294967296", ":5", "\t7", "x", "12ab", " -9"};

}  // namespace

TEST(ModeChoice, RandomBytesChooseTheModeTheDecisionTableGives)
{
    std::mt19937 random(20261208);
    std::uniform_int_distribution<size_t> length(0, 40);
    for (int i = 0; i < 4000; ++i)
        ExpectAsTheTableSays(RandomBytes(random, length(random)));
    // Switch characters in front of random bytes reach past the first byte.
    for (int i = 0; i < 2000; ++i)
        ExpectAsTheTableSays(switchRuns[i % 9] + RandomBytes(random, length(random)));
}

TEST(ModeChoice, EverySwitchRunBeforeEveryByteChoosesAsTheDecisionTableSays)
{
    for (const char* run : switchRuns)
        for (int byte = 1; byte < 256; ++byte)
            for (const char* tail : tails)
                ExpectAsTheTableSays(run + std::string(1, static_cast<char>(byte)) + tail);
}

TEST(ModeChoice, OnlyTheFirstLetterCountsWhateverFollowsIt)
{
    const std::string letters = "aAcClLpPsSxX0";
    for (char first : letters)
        for (char second : letters)
            for (const char* run : switchRuns)
                ExpectAsTheTableSays(std::string(run) + first + run + second + " 77");
}

TEST(WindowHandle, LongDigitRunsKeepOnlyTheLow32Bits)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> length(1, 400);
    for (int i = 0; i < 2000; ++i)
        for (const char* letter : {"/p ", "l", "-A   "})
            ExpectAsTheTableSays(letter + RandomDigits(random, length(random)) + tails[i % 8]);
}

TEST(WindowHandle, NumbersPastTwoToThe32ndWrapToTheirLow32Bits)
{
    std::mt19937 random(32);
    for (int i = 0; i < 3000; ++i) {
        WrappedHandle handle = RandomWrappedHandle(random);
        std::string text = "/p " + handle.text;
        ModeChoice choice = ChooseSaverMode(text.c_str(), false);
        ASSERT_EQ(choice.mode, modePreview);
        EXPECT_EQ(ReadHandleNumber(choice.handleText), handle.value) << handle.text;
        ExpectAsTheTableSays(text);
    }
    EXPECT_EQ(ReadHandleNumber("4294967296"), 0u);
    EXPECT_EQ(ReadHandleNumber("18446744073709551617"), 1u);
}

TEST(ProgramName, RandomNamesAndSeparatorsLeaveTheArgumentsWithoutLeadingControlBytes)
{
    std::mt19937 random(1252);
    std::uniform_int_distribution<size_t> length(0, 30);
    std::uniform_int_distribution<int> separator(1, 32);
    for (int i = 0; i < 3000; ++i) {
        std::string name = RandomBytes(random, length(random) + 1, 33);
        if (i % 2) {
            std::string inner;
            for (char c : name)
                if (c != '"')
                    inner += c;
            name = "\"" + inner + "\"";
        } else if (name[0] == '"') {
            name[0] = 'x';
        } else if (name.find('"') != none) {
            continue;  // an unquoted name ends only at a blank
        }
        std::string separators;
        for (size_t n = length(random) % 4 + 1; n > 0; --n)
            separators += static_cast<char>(separator(random));
        std::string arguments = RandomBytes(random, length(random));
        std::string line = name + separators + arguments;
        std::string blanksAndControls;
        for (int c = 1; c <= ' '; ++c)
            blanksAndControls += static_cast<char>(c);
        size_t first = arguments.find_first_not_of(blanksAndControls);
        std::string expected = first == none ? "" : arguments.substr(first);
        EXPECT_EQ(std::string(SkipProgramName(line.c_str())), expected)
            << testing::PrintToString(line);
    }
}

namespace {

struct SampleLine {
    std::string arguments;
    DWORD exitCode;
};

// Lines whose run ends at once: no letter of a mode, the password letter on
// this system, or a preview handle that names no window. They are started a
// few at a time to spare the machine.
std::vector<SampleLine> QuickSample()
{
    std::mt19937 random(98);
    std::uniform_int_distribution<size_t> length(0, 24);
    std::vector<SampleLine> sample;
    auto take = [&](const std::string& arguments) {
        TableAnswer answer = FromTable(arguments, false);
        bool quick = answer.mode == modeInvalid ||
                     (answer.mode == modePreview &&
                      (answer.handle == 0 ||
                       !IsWindow(reinterpret_cast<HWND>(static_cast<UINT_PTR>(answer.handle)))));
        if (quick)
            sample.push_back({arguments, 0xFFFFFFFF});
        return quick;
    };
    for (int taken = 0; taken < 10;)
        taken += take(RandomBytes(random, length(random), 32));
    for (int taken = 0; taken < 6;)
        taken += take(switchRuns[random() % 9] + std::string(random() % 2 ? "a" : "-A ") +
                      RandomBytes(random, length(random), 32));
    for (int taken = 0; taken < 10;)
        taken += take(switchRuns[random() % 9] + std::string(random() % 2 ? "p" : "L   ") +
                      (random() % 2 ? RandomWrappedHandle(random).text
                                    : RandomDigits(random, length(random))) +
                      tails[random() % 8]);
    take("/p 4294967296");
    take("/p 000000000000000000000000000000000000000000000000000000000000");
    return sample;
}

}  // namespace

TEST(CommandLine, ASampleOfGeneratedLinesEndsTheRealSaverWithTheTablesExitCode)
{
    std::vector<SampleLine> sample = QuickSample();
    ASSERT_GE(sample.size(), 26u);
    const size_t together = 4;
    for (size_t first = 0; first < sample.size(); first += together) {
        std::vector<PROCESS_INFORMATION> running;
        for (size_t i = first; i < first + together && i < sample.size(); ++i)
            running.push_back(StartScr(sample[i].arguments));
        for (size_t i = 0; i < running.size(); ++i)
            EXPECT_EQ(WaitForExit(running[i], 20000), sample[first + i].exitCode)
                << testing::PrintToString(sample[first + i].arguments);
    }
}

TEST(CommandLine, AWindowHandleWrittenPastTwoToThe32ndPreviewsInTheWindowOfItsLowBits)
{
    HWND parent = MakeTestWindow(false);
    unsigned long long wrapped = (12345ULL << 32) + reinterpret_cast<UINT_PTR>(parent);
    PROCESS_INFORMATION process = StartScr("/p " + Decimal(wrapped));
    EXPECT_NE(WaitForChild(parent, "WindowsScreenSaverClass", "Preview"), nullptr);
    DestroyWindow(parent);
    EXPECT_EQ(WaitForExitPumping(process), 0u);
}
