// Frames of each kind under Wine's real OpenGL: the clock's step, the accumulated
// texture matrices, and what the pixels read back show.
#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include "settings/settings.h"
#include "tests/scene/scene_harness.h"
#include "tests/support/test_support.h"

namespace {

// A window made alone takes the first scene record.
SceneState& sceneState = sceneStates[0];

TEST(FrameStep, FollowsTheSpeedSetting)
{
    EXPECT_FLOAT_EQ(FrameStep(0, Logo), 0.2f);
    EXPECT_FLOAT_EQ(FrameStep(15, Bear), 0.7f);
    EXPECT_FLOAT_EQ(FrameStep(30, Satellite), 1.2f);
    EXPECT_FLOAT_EQ(FrameStep(15, Sentence), 1.1f);
    EXPECT_FLOAT_EQ(FrameStep(0, Sentence), 0.2f);
    EXPECT_FLOAT_EQ(FrameStep(30, Sentence), 2.0f);
}

struct Rgb {
    int r, g, b;
};

Rgb At(const std::vector<unsigned char>& rgb, int x, int y, int width = 800)
{
    const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return {p[0], p[1], p[2]};
}

template <typename Predicate>
int Count(const std::vector<unsigned char>& rgb, Predicate match, int x0 = 0, int y0 = 0,
          int x1 = 800, int y1 = 600)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            n += match(At(rgb, x, y)) ? 1 : 0;
    return n;
}

bool Lit(Rgb c) { return c.r + c.g + c.b > 30; }
bool Blue(Rgb c) { return c.b > 120 && c.r < 90 && c.g < 90; }
bool Yellow(Rgb c) { return c.r > 120 && c.g > 120 && c.b < 90; }

// The area of the smallest rectangle around everything drawn.
long DrawnArea(const std::vector<unsigned char>& rgb)
{
    int left = 800, right = -1, bottom = 600, top = -1;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if (Lit(At(rgb, x, y))) {
                left = x < left ? x : left;
                right = x > right ? x : right;
                bottom = y < bottom ? y : bottom;
                top = y > top ? y : top;
            }
    return right < 0 ? 0 : static_cast<long>(right - left + 1) * (top - bottom + 1);
}

class Frames : public ::testing::Test {
protected:
    void TearDown() override { TearDownSceneTest(window); }

    std::vector<unsigned char> Render(const SceneSettings& settings, int frames,
                                      const char* shot = nullptr)
    {
        if (window)
            DestroySceneWindow(window);
        window = CreateSceneWindow(settings);
        EXPECT_TRUE(window);
        std::vector<unsigned char> rgb;
        for (int i = 0; i < frames; ++i)
            rgb = DrawAndRead(window);
        if (shot)
            SaveBitmap(shot, rgb, 800, 600);
        return rgb;
    }

    HWND window = nullptr;
};

TEST_F(Frames, NoObjectsLeaveLogoAndBottlesBlack)
{
    for (const char* art : {"KH-Logo", "B\xe4rchen"}) {
        std::vector<unsigned char> rgb = Render({art, 0}, 5);
        EXPECT_EQ(Count(rgb, Lit), 0) << art;
    }
}

TEST_F(Frames, LogoSwarmSpreadsBlueGlyphsAndYellowArches)
{
    std::vector<unsigned char> many = Render({"KH-Logo", 20}, 40, "scene_logo.bmp");
    EXPECT_GT(Count(many, Blue), 500);
    EXPECT_GT(Count(many, Yellow), 500);

    std::vector<unsigned char> one = Render({"KH-Logo", 1}, 40);
    EXPECT_GT(Count(one, Blue), 50);
    EXPECT_LT(DrawnArea(one), 200 * 150) << "a single monogram";
    EXPECT_GT(DrawnArea(many), 3 * DrawnArea(one)) << "twenty logos spread out";
}

TEST_F(Frames, BottleSwarmShowsAmberBottlesAndLabels)
{
    std::vector<unsigned char> rgb = Render({"B\xe4rchen", 20}, 40, "scene_bear.bmp");
    auto amber = [](Rgb c) { return c.r > 120 && c.g > 40 && c.g < c.r && c.b < c.g; };
    auto lightBlue = [](Rgb c) { return c.b > 120 && c.g > 90 && c.r < 90; };
    EXPECT_GT(Count(rgb, amber), 1000);
    EXPECT_GT(Count(rgb, lightBlue), 100);
}

TEST_F(Frames, SatelliteShowsTheMapInTheMiddleAndStars)
{
    std::vector<unsigned char> rgb = Render({"KH-Satellit", 5}, 40, "scene_satellite.bmp");
    auto ocean = [](Rgb c) { return c.b > c.r + 20 && c.b > 40; };
    auto land = [](Rgb c) { return (c.g > c.b + 10 || c.r > c.b + 10) && c.r + c.g > 60; };
    EXPECT_GT(Count(rgb, ocean, 300, 200, 500, 400), 1000);
    EXPECT_GT(Count(rgb, land, 300, 200, 500, 400), 100);
    // Stars: small bright points away from the globe.
    int isolated = 0;
    for (int y = 1; y < 599; ++y)
        for (int x = 1; x < 799; ++x) {
            if (x > 250 && x < 550 && y > 150 && y < 450)
                continue;
            Rgb c = At(rgb, x, y);
            if (c.r + c.g + c.b > 300 && !Lit(At(rgb, x - 1, y - 1)) && !Lit(At(rgb, x + 2, y + 2)))
                ++isolated;
        }
    EXPECT_GT(isolated, 20);
}

TEST_F(Frames, SentenceShowsLettersAboveAndBelow)
{
    std::vector<unsigned char> rgb = Render({"Text", 5}, 10, "scene_sentence.bmp");
    EXPECT_GT(Count(rgb, Lit, 0, 0, 800, 300), 500) << "the word in the lower half";
    EXPECT_GT(Count(rgb, Lit, 0, 300, 800, 600), 500) << "the sentence in the upper half";
}

// The flying word's trigger reads this clock instead of the system's.
DWORD fakeMilliseconds = 0;
DWORD WINAPI FakeMilliseconds()
{
    return fakeMilliseconds;
}

bool Red(Rgb c) { return c.r > 120 && c.g < 60 && c.b < 60; }

TEST_F(Frames, FlyingWordIsRedAndFirstDrawnTheFrameAfterItStarts)
{
    window = CreateSceneWindow({"Text", 5});
    ASSERT_TRUE(window);
    sceneState.millisecondSource = FakeMilliseconds;
    sceneState.wordActive = 0;
    // Elapsed time 0 is below 10 modulo any q: the next idle frame starts a flight.
    fakeMilliseconds = sceneState.wordClockStart;
    int red = 0;
    for (int frame = 0; frame < 3 && !sceneState.wordActive; ++frame)
        red = Count(DrawAndRead(window), Red);
    ASSERT_TRUE(sceneState.wordActive);
    EXPECT_EQ(red, 0) << "nothing of the word in the frame that starts it";
    // Put it in the middle of its sweep, where it is on the screen.
    sceneState.wordSwing = 0;
    std::vector<unsigned char> rgb = DrawAndRead(window);
    SaveBitmap("scene_sentence_flight.bmp", rgb, 800, 600);
    EXPECT_GT(Count(rgb, Red), 200);
}

TEST_F(Frames, WordIsWrittenWholeOrNotAtAll)
{
    auto lowerHalf = [this](const char* text) {
        window = CreateSceneWindow({"Text", 5, 15, text});
        sceneState.millisecondSource = FakeMilliseconds;
        // One elapsed time for every run, far from the start: with the fixed seed no flight
        // starts in this frame. Taken from the real clock, it would now and then start one.
        fakeMilliseconds = sceneState.wordClockStart + 0x7FFFFFFF;
        sceneState.wordActive = 0;
        std::vector<unsigned char> rgb = DrawAndRead(window);
        EXPECT_FALSE(sceneState.wordActive);
        int lit = Count(rgb, Lit, 0, 0, 800, 400);
        DestroySceneWindow(window);
        window = nullptr;
        return lit;
    };
    EXPECT_EQ(lowerHalf(""), 0) << "an empty word draws nothing";
    const std::string longest(29, 'i');
    int whole = lowerHalf(longest.c_str());
    int shorter = lowerHalf(longest.substr(0, 28).c_str());
    EXPECT_GT(whole, shorter) << "all 29 letters are written";
}

TEST_F(Frames, OneSeedAndSettingsGiveIdenticalPixels)
{
    for (const char* art : {"KH-Logo", "B\xe4rchen", "KH-Satellit"}) {
        std::vector<unsigned char> first = Render({art, 7}, 25);
        std::vector<unsigned char> second = Render({art, 7}, 25);
        EXPECT_TRUE(first == second) << art;
    }
}

TEST_F(Frames, LabelTextureMatricesAccumulate)
{
    for (int number : {1, 3}) {
        Render({"B\xe4rchen", number}, 1);
        float a[16], b[16];
        memcpy(a, sceneState.textureMatrixA, sizeof a);
        memcpy(b, sceneState.textureMatrixB, sizeof b);
        const double before = atan2(a[1], a[0]);
        DrawAndRead(window);
        const double after = atan2(sceneState.textureMatrixA[1], sceneState.textureMatrixA[0]);
        double turned = (after - before) * 180 / 3.141592653589793;
        if (turned < 0)
            turned += 360;
        EXPECT_NEAR(turned, 2.0 * number, 1e-3) << "Number " << number;

        // Matrix B: each bottle multiplies a move along s and a turn of -0.8 degrees
        // about (1, 1, 0) onto the matrix it had.
        glMatrixMode(GL_TEXTURE);
        glPushMatrix();
        glLoadMatrixf(b);
        const float T = static_cast<float>(sceneState.clock);
        for (int i = 0; i < number; ++i) {
            float current[16];
            glGetFloatv(GL_TEXTURE_MATRIX, current);
            glLoadIdentity();
            glTranslatef(static_cast<float>(0.05 * sin(0.5 * T)), 0, 0);
            glRotatef(-0.8f, 1, 1, 0);
            glMultMatrixf(current);
        }
        float expected[16];
        glGetFloatv(GL_TEXTURE_MATRIX, expected);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(sceneState.textureMatrixB[i], expected[i], 1e-5) << i;
    }
}

TEST_F(Frames, LabelPicturesKeepTheirSizeOverThousandsOfTurns)
{
    window = CreateSceneWindow({"B\xe4rchen", 20}, 80, 60);
    ASSERT_TRUE(window);
    for (int frame = 0; frame < 120; ++frame)
        DrawAndRead(window, 80, 60);
    // A picture grown or shrunk, or sheared, shows in columns that are no longer
    // orthonormal.
    for (const float* m : {sceneState.textureMatrixA, sceneState.textureMatrixB})
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                EXPECT_NEAR(m[4 * i] * m[4 * j] + m[4 * i + 1] * m[4 * j + 1] +
                                m[4 * i + 2] * m[4 * j + 2],
                            i == j ? 1.0 : 0.0, 1e-5)
                    << i << ", " << j;
}

double Distance(const float* a, const double* b)
{
    return sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                (a[2] - b[2]) * (a[2] - b[2]));
}

TEST_F(Frames, LightsCircleTheLastLogoDrawn)
{
    window = CreateSceneWindow({"KH-Logo", 1});
    ASSERT_TRUE(window);
    DrawAndRead(window);
    float first[4], second[4];
    glGetLightfv(GL_LIGHT1, GL_POSITION, first);
    glGetLightfv(GL_LIGHT2, GL_POSITION, second);
    EXPECT_FLOAT_EQ(first[3], 1.0f);
    // The spin turns (10, 0, 0) and (-10, 0, 0) about the logo's own origin, so the
    // two lights stand opposite each other, 10 from the logo.
    const double centre[3] = {(first[0] + second[0]) / 2.0, (first[1] + second[1]) / 2.0,
                              (first[2] + second[2]) / 2.0};
    EXPECT_NEAR(Distance(first, centre), 10.0, 1e-3);
    // The logo stands where its table entry puts it, seen from the swarm's centre
    // 80 in front of the eye; the swarm's turns keep that distance. The spin's centre
    // is the logo's front face, one unit along the logo's own z.
    const float* a = sceneState.objects;
    const double x = 95.0 / 2 * a[0], y = -80.0 / 2 * a[1],
                 z = 70.0 * a[2] - 70.0 * sceneState.depthCentre;
    const float swarmCentre[3] = {0, 0, -80};
    EXPECT_NEAR(Distance(swarmCentre, centre), sqrt(x * x + y * y + z * z), 1.0);
}

using Rotate = void(APIENTRY*)(GLfloat, GLfloat, GLfloat, GLfloat);

// Every glRotatef on the model-view matrix, as the turn that the matrix read back
// before and after it shows.
std::vector<double> turns;
Rotate openGlRotate;

void APIENTRY RecordTurn(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    GLint mode;
    GLfloat before[16], after[16];
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    openGlRotate(angle, x, y, z);
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    if (mode != GL_MODELVIEW)
        return;
    // The upper 3 x 3 of before^T after turns about (x, y, z).
    double r[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r[i][j] = before[4 * i] * after[4 * j] + before[4 * i + 1] * after[4 * j + 1] +
                      before[4 * i + 2] * after[4 * j + 2];
    const double sine = ((r[2][1] - r[1][2]) * x + (r[0][2] - r[2][0]) * y +
                         (r[1][0] - r[0][1]) * z) / (2 * sqrt(x * x + y * y + z * z));
    turns.push_back(atan2(sine, (r[0][0] + r[1][1] + r[2][2] - 1) / 2) * 180 / 3.141592653589793);
}

// The scene reaches OpenGL through this program's import table.
void SwapImport(Rotate from, Rotate to)
{
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const IMAGE_NT_HEADERS* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& table =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
    Rotate* slots = reinterpret_cast<Rotate*>(base + table.VirtualAddress);
    for (size_t i = 0; i < table.Size / sizeof(Rotate); ++i)
        if (slots[i] == from) {
            DWORD protection;
            VirtualProtect(&slots[i], sizeof slots[i], PAGE_READWRITE, &protection);
            slots[i] = to;
        }
}

// The turns of frames 0 and 1 and of frames 40 and 41 after the clock has run
// for days at 64 frames a second, with the sentence's word in mid-flight.
std::vector<std::vector<double>> TurnsOfFramePairs(const char* art, int days)
{
    HWND window = CreateSceneWindow({art, 3}, 80, 60);
    sceneState.clock -= 0.7 * 64 * 3600 * 24 * days;
    sceneState.wordActive = 1;
    sceneState.wordSwing = 0;
    sceneState.wordDirection = -1;
    std::vector<std::vector<double>> frames;
    for (int frame = 0; frame < 42; ++frame) {
        turns.clear();
        DrawAndRead(window, 80, 60);
        if (frame < 2 || frame >= 40)
            frames.push_back(turns);
    }
    DestroySceneWindow(window);
    return frames;
}

// How far a turn moved from the first frame of a pair to the second.
double Step(const std::vector<std::vector<double>>& frames, int pair, size_t turn)
{
    return remainder(frames[2 * pair + 1][turn] - frames[2 * pair][turn], 360.0);
}

TEST_F(Frames, TurnsAreAsSteadyAfterThirtyDaysAsAtTheStart)
{
    openGlRotate = glRotatef;
    SwapImport(openGlRotate, RecordTurn);
    for (const char* art : {"KH-Logo", "B\xe4rchen", "KH-Satellit", "Text"}) {
        const std::vector<std::vector<double>> fresh = TurnsOfFramePairs(art, 0);
        const std::vector<std::vector<double>> late = TurnsOfFramePairs(art, 30);
        for (int frame = 0; frame < 4; ++frame) {
            ASSERT_EQ(fresh[frame].size(), fresh[0].size()) << art;
            ASSERT_EQ(late[frame].size(), fresh[0].size()) << art;
        }
        int steady = 0;
        for (size_t i = 0; i < fresh[0].size(); ++i) {
            // The arches' rocking and the logo's swing are no steady turns.
            if (fabs(Step(fresh, 0, i) - Step(fresh, 1, i)) > 1e-3)
                continue;
            ++steady;
            for (int pair : {0, 1})
                EXPECT_NEAR(Step(late, pair, i), Step(fresh, pair, i), 0.01)
                    << art << ", turn " << i << ", frame pair " << pair;
        }
        EXPECT_GT(steady, 5) << art;
    }
    SwapImport(RecordTurn, openGlRotate);
}

}  // namespace
