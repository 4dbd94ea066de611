// The scene window's life under Wine: creation, OpenGL state, resize, timer,
// paint and teardown, with the real window manager and OpenGL.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "host/host.h"
#include "models/models.h"
#include "settings/settings.h"
#include "tests/scene/scene_harness.h"
#include "tests/support/test_support.h"

namespace {

// A window made alone takes the first scene record.
SceneState& sceneState = sceneStates[0];

TEST(SceneKindChoice, OnlyTheExactNamesChooseTheirKinds)
{
    EXPECT_EQ(SceneKindFromArt("B\xe4rchen"), Bear);
    EXPECT_EQ(SceneKindFromArt("KH-Logo"), Logo);
    EXPECT_EQ(SceneKindFromArt("KH-Satellit"), Satellite);
    for (const char* other : {"Text", "", "kh-logo", "KH-LOGO", "b\xe4rchen", "KH-Logo ",
                              "KH-Satellit ", "Baerchen"})
        EXPECT_EQ(SceneKindFromArt(other), Sentence) << "'" << other << "'";
}

// A monitor left to the system's software renderer stays black; one whose driver
// accelerates the generic format (MCD) or has its own (ICD) shows a scene.
TEST(PixelFormatChoice, OnlyTheUnacceleratedGenericFormatRendersInSoftware)
{
    EXPECT_TRUE(RendersInSoftware(PFD_GENERIC_FORMAT | PFD_DOUBLEBUFFER));
    EXPECT_FALSE(RendersInSoftware(PFD_GENERIC_FORMAT | PFD_GENERIC_ACCELERATED));
    EXPECT_FALSE(RendersInSoftware(PFD_DOUBLEBUFFER | PFD_SUPPORT_OPENGL));
}

TEST(RuntimeRandom, IsTheLinearCongruentialGenerator)
{
    srand(123456789);
    ReferenceRandom reference{123456789};
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(rand(), reference.Next()) << "draw " << i;
}

// Counts the draws of rand() since srand(seed) by finding the next value in the
// reference sequence.
int DrawsSinceSeed(DWORD seed)
{
    int next = rand();
    ReferenceRandom reference{seed};
    for (int draws = 0; draws < 100000; ++draws)
        if (reference.Next() == next) {
            // Confirm with one more value so that a chance match is not taken.
            ReferenceRandom check = reference;
            if (check.Next() == rand())
                return draws;
            return -1;
        }
    return -1;
}

class SceneWindow : public ::testing::Test {
protected:
    void TearDown() override { TearDownSceneTest(window); }
    HWND window = nullptr;
};

TEST_F(SceneWindow, SetUpDrawsThreePlusThreePlusFivePerObject)
{
    for (int number : {0, 1, 7, 20}) {
        window = CreateSceneWindow({"KH-Logo", number});
        ASSERT_TRUE(window);
        EXPECT_EQ(DrawsSinceSeed(kTestSeed), 6 + 5 * number) << "Number " << number;
        DestroySceneWindow(window);
        window = nullptr;
    }
}

TEST_F(SceneWindow, OneSeedGivesOneSetUp)
{
    window = CreateSceneWindow({"KH-Logo", 2});
    ASSERT_TRUE(window);
    // The reference generator's first sixteen draws from the test seed, modulo 255:
    // 122 72 16 | 51 6 144 | 111 118 220 189 128 | 108 30 179 26 198.
    auto fraction = [](int draw) { return static_cast<float>(draw) * (1.0f / 255); };
    const float factors[3] = {fraction(122), fraction(72), fraction(16)};
    const signed char signs[3] = {-1, -1, 1};
    const float objects[6] = {-fraction(118), fraction(189), -fraction(128),
                              -fraction(30),  fraction(26),  -fraction(198)};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sceneState.spinFactor[i], factors[i]) << i;
        EXPECT_EQ(sceneState.spinSign[i], signs[i]) << i;
    }
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(sceneState.objects[i], objects[i]) << i;
    EXPECT_FLOAT_EQ(sceneState.depthCentre, -fraction(163));
}

TEST_F(SceneWindow, NoObjectsCentreDepthAtMinusOneHalf)
{
    window = CreateSceneWindow({"KH-Logo", 0});
    ASSERT_TRUE(window);
    EXPECT_FLOAT_EQ(sceneState.depthCentre, -0.5f);
}

TEST_F(SceneWindow, NegativeCountShowsTheMemoryMessageAndQuitsWithSix)
{
    window = CreateSceneWindow({"KH-Logo", 1});
    ASSERT_TRUE(window);
    // The loader never gives a count below 0; the table must still refuse one.
    saverSettings.Number = -3;
    StartErrorBoxCloser();
    CreateObjectTable(sceneState);
    std::vector<std::string> boxes = StopErrorBoxCloser();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Nicht gen\xfcgend Speicher vorhanden!");
    EXPECT_EQ(sceneState.objects, nullptr);
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 6u);
    DrawAndRead(window);  // with no table no object may be drawn, and nothing may fault
}

TEST_F(SceneWindow, AMissingBitmapShowsOneMessageAndKeepsItsQuitCode)
{
    window = CreateSceneWindow({"KH-Logo", 1});
    ASSERT_TRUE(window);
    HBITMAP texture = sceneState.textureImage.bitmap;
    StartErrorBoxCloser();
    LoadTextureImage(sceneState, 9999);
    std::vector<std::string> boxes = StopErrorBoxCloser();
    DeleteObject(texture);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Fehler in LoadImage");
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 1u);
}

TEST_F(SceneWindow, UnwritableStoreQuitsWithFiveEvenAfterAClose)
{
    RemoveControlIni();
    hostState.instance = GetModuleHandleA(nullptr);
    hostState.quitPosted = false;
    sceneState = SceneState{};
    // A failed load leaves the record as it was: the scene then runs on it.
    saverSettings = SaverSettings{};
    strcpy(saverSettings.Art, "KH-Logo");
    saverSettings.Number = 2;
    ASSERT_TRUE(CreateDirectoryA(ControlIniPath().c_str(), nullptr));
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = SceneWindowProc;
    windowClass.hInstance = hostState.instance;
    windowClass.lpszClassName = "KhUnwritableStoreTest";
    RegisterClassA(&windowClass);
    StartErrorBoxCloser();
    window = CreateWindowExA(0, "KhUnwritableStoreTest", "", WS_POPUP | WS_VISIBLE, 0, 0, 200,
                             100, nullptr, nullptr, hostState.instance, nullptr);
    std::vector<std::string> boxes = StopErrorBoxCloser();
    ASSERT_TRUE(window);
    ASSERT_EQ(boxes.size(), 1u) << boxes.back();
    EXPECT_EQ(boxes[0], "Fehler beim Schreiben der Registry-Eintr\xe4ge");
    EXPECT_EQ(sceneState.kind, Logo);
    // The teardown that the close brings must not replace the failure's code.
    PostMessageA(window, WM_CLOSE, 0, 0);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0))
        DispatchMessageA(&message);
    EXPECT_EQ(message.wParam, 5u);
    window = nullptr;
}

struct LightTable {
    SceneKind kind;
    const char* art;
    float light0Position[4];
    float light1Specular[4];
    float light1Position[4];
    float light2Position[4];
    float ambient[4];
    bool modulate;
};

void ExpectVector(GLenum light, GLenum parameter, const float* expected, const char* what)
{
    float got[4];
    glGetLightfv(light, parameter, got);
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(got[i], expected[i], 1e-5f) << what << " [" << i << "]";
}

TEST_F(SceneWindow, LightsMaterialAndStateMatchTheKind)
{
    // Number 0, so that no frame moves lights 1 and 2 for the logo and bottle scenes.
    const LightTable tables[] = {
        {Logo, "KH-Logo", {0, 0, 0, 1}, {0, 1, 0, 1}, {10, 0, 0, 1}, {-10, 0, 0, 1}, {0, 0, 1, 0}, false},
        {Bear, "B\xe4rchen", {0, 0, 1, 0}, {0, 0, 1, 1}, {40, 5, 0, 1}, {-40, 5, 0, 1}, {0.8f, 0.8f, 0, 0}, true},
        {Satellite, "KH-Satellit", {0, 0, 0, 1}, {1, 0, 0, 1}, {}, {}, {0.8f, 0.8f, 0.8f, 0}, true},
        {Sentence, "Text", {0, 0, 0, 1}, {1, 0, 0, 1}, {}, {}, {1, 1, 1, 0}, false},
    };
    for (const LightTable& t : tables) {
        SCOPED_TRACE(t.art);
        window = CreateSceneWindow({t.art, 0});
        ASSERT_TRUE(window);
        ASSERT_EQ(sceneState.kind, t.kind);
        ASSERT_EQ(wglGetCurrentContext(), sceneState.renderContext);
        ASSERT_TRUE(sceneState.renderContext);
        if (t.kind != Sentence) {  // its glyphs would make a second font
            // Away from OpenGL's defaults: only the set-up can bring them back.
            const float dark[4] = {};
            glLightfv(GL_LIGHT0, GL_SPECULAR, dark);
            glColorMaterial(GL_FRONT, GL_AMBIENT);
            glDepthFunc(GL_GREATER);
            glPolygonOffset(0, 0);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
            glEnable(GL_POINT_SMOOTH);
            glLoadIdentity();  // the modelview, as in creation, where the lights are placed
            HBITMAP texture = sceneState.textureImage.bitmap;
            InitScene(sceneState);
            DeleteObject(texture);
        }

        const float light0Diffuse[4] = {0.8f, 0.8f, 0.8f, 0}, white[4] = {1, 1, 1, 1};
        const float half[4] = {0.5f, 0.5f, 0.5f, 0}, cyan[4] = {0, 0.8f, 0.8f, 1};
        ExpectVector(GL_LIGHT0, GL_DIFFUSE, light0Diffuse, "light 0 diffuse");
        ExpectVector(GL_LIGHT0, GL_SPECULAR, white, "light 0 specular");
        ExpectVector(GL_LIGHT0, GL_POSITION, t.light0Position, "light 0 position");
        ExpectVector(GL_LIGHT1, GL_DIFFUSE, half, "light 1 diffuse");
        ExpectVector(GL_LIGHT1, GL_SPECULAR, t.light1Specular, "light 1 specular");
        ExpectVector(GL_LIGHT2, GL_DIFFUSE, half, "light 2 diffuse");
        ExpectVector(GL_LIGHT2, GL_SPECULAR, cyan, "light 2 specular");
        if (t.kind == Logo || t.kind == Bear) {
            ExpectVector(GL_LIGHT1, GL_POSITION, t.light1Position, "light 1 position");
            ExpectVector(GL_LIGHT2, GL_POSITION, t.light2Position, "light 2 position");
        }
        float ambient[4];
        glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(ambient[i], t.ambient[i], 1e-5f);

        float specular[4], shininess;
        glGetMaterialfv(GL_FRONT, GL_SPECULAR, specular);
        glGetMaterialfv(GL_BACK, GL_SHININESS, &shininess);
        EXPECT_EQ(specular[0], 1.0f);
        EXPECT_EQ(shininess, 64.0f);
        GLint value;
        glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &value);
        EXPECT_EQ(value, 1);
        glGetIntegerv(GL_COLOR_MATERIAL_FACE, &value);
        EXPECT_EQ(value, GL_FRONT_AND_BACK);
        glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &value);
        EXPECT_EQ(value, GL_DIFFUSE);
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
        EXPECT_EQ(value, 1);
        glGetIntegerv(GL_DEPTH_FUNC, &value);
        EXPECT_EQ(value, GL_LESS);
        for (GLenum on : {GL_DEPTH_TEST, GL_LIGHT0, GL_LIGHT1, GL_LIGHT2, GL_LIGHTING,
                          GL_COLOR_MATERIAL})
            EXPECT_TRUE(glIsEnabled(on)) << std::hex << on;
        // The satellite's frames have drawn its monogram: only its arch is offset.
        EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
        EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_LINE)) << "the rim must not move with its disc";
        float offset[2];
        glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &offset[0]);
        glGetFloatv(GL_POLYGON_OFFSET_UNITS, &offset[1]);
        EXPECT_EQ(offset[0], 1.0f);
        EXPECT_EQ(offset[1], 1.0f);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
        EXPECT_EQ(value, GL_NEAREST);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
        EXPECT_EQ(value, GL_REPEAT);
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
        if (t.modulate) {
            EXPECT_EQ(value, GL_MODULATE);
        }
        if (t.kind == Satellite) {
            float size;
            glGetFloatv(GL_POINT_SIZE, &size);
            EXPECT_EQ(size, 2.0f);
            EXPECT_FALSE(glIsEnabled(GL_POINT_SMOOTH));
            EXPECT_TRUE(glIsList(998));
        } else {
            EXPECT_FALSE(glIsList(998));
        }
        EXPECT_EQ(glIsList(1000) == GL_TRUE, t.kind == Sentence);
        EXPECT_EQ(glIsList(1254) == GL_TRUE, t.kind == Sentence);
        EXPECT_FALSE(glIsList(1255));
        if (t.kind == Sentence) {
            EXPECT_TRUE(sceneState.outlineFont);
            glGetIntegerv(GL_LIST_BASE, &value);
            EXPECT_EQ(value, 1000);
        }
        // The label texture for the bottles, the world map for every other kind.
        EXPECT_EQ(sceneState.textureImage.width, t.kind == Bear ? 128 : 256);
        EXPECT_EQ(sceneState.textureImage.height, 128);
        EXPECT_TRUE(sceneState.textureImage.rows);
        DestroySceneWindow(window);
        window = nullptr;
    }
}

// The saver asks for 32 depth bits; many cards give 16 on 16-bit desktops, where
// one depth step spans more than the arch's layers. The monogram's rim lies in
// its disc's plane and must still win there, at the near and far ends of the swarm.
TEST_F(SceneWindow, RimShowsOverItsDiscWithSixteenDepthBits)
{
    const int side = 700;
    window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, side, side, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    HDC deviceContext = GetDC(window);
    PIXELFORMATDESCRIPTOR request = {}, got = {};
    request.nSize = sizeof request;
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.cColorBits = 24;
    request.cDepthBits = 16;
    int format = ChoosePixelFormat(deviceContext, &request);
    DescribePixelFormat(deviceContext, format, sizeof got, &got);
    ASSERT_EQ(got.cDepthBits, 16);
    ASSERT_TRUE(SetPixelFormat(deviceContext, format, &request));
    HGLRC renderContext = wglCreateContext(deviceContext);
    ASSERT_TRUE(wglMakeCurrent(deviceContext, renderContext));
    hostState.instance = GetModuleHandleA(nullptr);
    sceneState = SceneState{};
    sceneState.kind = Logo;
    saverSettings.Number = 0;
    InitScene(sceneState);
    glViewport(0, 0, side, side);
    auto blueAfterArch = [&](float distance, bool depthTest) {
        SetProjection(side, side);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        (depthTest ? glEnable : glDisable)(GL_DEPTH_TEST);
        glTranslatef(0, 2, -distance);
        glRotatef(25, 1, 0, 0);
        glRotatef(15, 0, 1, 0);
        glTranslatef(0, 0, 4.5f);
        DrawLogoArch(sceneState);
        std::vector<unsigned char> rgb(size_t(side) * side * 3);
        glReadPixels(0, 0, side, side, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        int blue = 0;
        for (size_t i = 0; i < rgb.size(); i += 3)
            blue += rgb[i + 2] > 60 && rgb[i + 2] > 2 * (rgb[i] + rgb[i + 1]);
        return blue;
    };
    // The rim is the arch's only blue. Without the depth test all of it is
    // painted (the fields then cover a little); with it, nine tenths must stay.
    for (float distance : {80.0f, 150.0f}) {
        int whole = blueAfterArch(distance, false);
        EXPECT_GT(whole, 80) << distance;
        EXPECT_GE(blueAfterArch(distance, true), whole * 9 / 10) << distance;
    }
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(renderContext);
    ReleaseDC(window, deviceContext);
    DestroyWindow(window);
    window = nullptr;
    DeleteObject(sceneState.textureImage.bitmap);
}

TEST_F(SceneWindow, ResizeDrawsOneFrameAndLowersTheClockByOneStep)
{
    window = CreateSceneWindow({"KH-Logo", 3, 0});
    ASSERT_TRUE(window);
    double before = sceneState.clock;
    EXPECT_LT(before, 0.0);
    SendMessageA(window, WM_SIZE, 0, MAKELPARAM(640, 480));
    EXPECT_NEAR(before - sceneState.clock, 0.2, 1e-6);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);
    // A client height of 0 must not fault.
    SendMessageA(window, WM_SIZE, 0, MAKELPARAM(640, 0));
    EXPECT_NEAR(before - sceneState.clock, 0.4, 1e-6);
}

TEST_F(SceneWindow, TimerTicksPaintAndPresentFrames)
{
    window = CreateSceneWindow({"KH-Logo", 5});
    ASSERT_TRUE(window);
    ASSERT_NE(sceneState.timerId, 0u);
    double before = sceneState.clock;
    DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < 500 && GetMessageA(&message, nullptr, 0, 0)) {
        DispatchMessageA(&message);
    }
    int frames = static_cast<int>((before - sceneState.clock) / 0.7 + 0.5);
    EXPECT_GE(frames, 5) << "frames drawn by the timer in half a second";
    // The logos of the last paint are on screen (read there: this OpenGL reads
    // its front buffer as black).
    HDC screen = GetDC(window);
    long lit = 0;
    for (int y = 0; y < 600; y += 16)
        for (int x = 0; x < 800; x += 16)
            lit += GetPixel(screen, x, y) != 0;
    ReleaseDC(window, screen);
    EXPECT_GT(lit, 0);
}

TEST_F(SceneWindow, TeardownReleasesEverythingOnceAndPostsQuitZero)
{
    window = CreateSceneWindow({"Text", 4});
    ASSERT_TRUE(window);
    ASSERT_TRUE(sceneState.outlineFont);
    ASSERT_TRUE(sceneState.objects);
    HFONT font = sceneState.outlineFont;
    DestroyWindow(window);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(sceneState.renderContext, nullptr);
    EXPECT_EQ(sceneState.deviceContext, nullptr);
    EXPECT_EQ(sceneState.outlineFont, nullptr);
    EXPECT_EQ(sceneState.objects, nullptr);
    EXPECT_EQ(sceneState.timerId, 0u);
    EXPECT_EQ(GetObjectType(font), 0u) << "the outline font is deleted";
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);

    // A second destruction releases nothing, and the run's quit code stays the first.
    EXPECT_EQ(SceneWindowProc(window, WM_DESTROY, 0, 0), 0);
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    window = nullptr;
}

TEST_F(SceneWindow, TeardownSelectsTheOriginalFontBackAndDeletesTheOutlineFont)
{
    window = CreateSceneWindow({"Text", 1});
    ASSERT_TRUE(window);
    HFONT font = sceneState.outlineFont;
    SceneWindowProc(window, WM_DESTROY, 0, 0);  // the window and its own DC live on
    HDC deviceContext = GetDC(window);
    EXPECT_EQ(GetCurrentObject(deviceContext, OBJ_FONT), GetStockObject(SYSTEM_FONT));
    ReleaseDC(window, deviceContext);
    EXPECT_EQ(GetObjectType(font), 0u);
}

TEST_F(SceneWindow, TeardownKillsTheTimer)
{
    window = CreateSceneWindow({"KH-Logo", 1});
    ASSERT_TRUE(window);
    SceneWindowProc(window, WM_DESTROY, 0, 0);
    EXPECT_FALSE(KillTimer(window, 0)) << "the timer was still running";
}

}  // namespace
