// The real model functions against Wine's OpenGL on the harness's display: the
// state they leave behind, the star field's display list, and pictures of a
// bottle with its labels and of the monogram, kept as PNG files beside this
// program for looking at.
#include <windows.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "models/mesh.h"
#include "models/models.h"
#include "resources/resource_ids.h"
#include "scene/scene.h"
#include "tests/support/test_support.h"

namespace {

const int kSize = 320;

// PNG with stored (uncompressed) deflate blocks: enough to look at a picture.
std::string BigEndian(unsigned value)
{
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

unsigned Crc32(const std::string& bytes)
{
    unsigned crc = 0xffffffffu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

std::string Chunk(const std::string& type, const std::string& data)
{
    return BigEndian(unsigned(data.size())) + type + data + BigEndian(Crc32(type + data));
}

// rgb holds rows bottom first, as glReadPixels gives them.
std::string Png(const std::vector<unsigned char>& rgb, int width, int height)
{
    std::string raw;
    for (int y = height - 1; y >= 0; --y) {
        raw += '\0';
        raw.append(reinterpret_cast<const char*>(&rgb[size_t(y) * width * 3]), size_t(width) * 3);
    }
    std::string zlib = "\x78\x01";
    for (size_t at = 0; at < raw.size(); at += 65535) {
        size_t length = std::min<size_t>(65535, raw.size() - at);
        zlib += char(at + length == raw.size());
        zlib += {char(length), char(length >> 8), char(~length), char(~length >> 8)};
        zlib.append(raw, at, length);
    }
    unsigned a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    zlib += BigEndian(b << 16 | a);
    // 8 bits per channel, RGB, no interlacing.
    std::string header =
        BigEndian(width) + BigEndian(height) + std::string("\x08\x02\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header) + Chunk("IDAT", zlib) +
           Chunk("IEND", "");
}

std::string ProgramFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

struct Pixels {
    std::vector<unsigned char> rgb;
    int Count(bool (*matches)(int r, int g, int b)) const
    {
        int count = 0;
        for (size_t i = 0; i + 2 < rgb.size(); i += 3)
            count += matches(rgb[i], rgb[i + 1], rgb[i + 2]);
        return count;
    }
};

class RealOpenGl : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        WNDCLASSA windowClass = {};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "KhModelsTest";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, "KhModelsTest", "Modelle", WS_POPUP | WS_VISIBLE, 0, 0, kSize,
                                 kSize, nullptr, nullptr, windowClass.hInstance, nullptr);
        deviceContext = GetDC(window);
        PIXELFORMATDESCRIPTOR request = {};
        request.nSize = sizeof request;
        request.nVersion = 1;
        request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        request.iPixelType = PFD_TYPE_RGBA;
        request.cColorBits = 24;
        request.cDepthBits = 24;
        SetPixelFormat(deviceContext, ChoosePixelFormat(deviceContext, &request), &request);
        renderContext = wglCreateContext(deviceContext);
        wglMakeCurrent(deviceContext, renderContext);
        FillHalfCircleTables(sceneStates[0]);
    }

    static void TearDownTestSuite()
    {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(renderContext);
        ReleaseDC(window, deviceContext);
        DestroyWindow(window);
    }

    void SetUp() override
    {
        ASSERT_NE(renderContext, nullptr);
        ASSERT_TRUE(wglMakeCurrent(deviceContext, renderContext));
        PumpMessages();
    }

    static void LogoBody()
    {
        DrawLogoLetters();
        glTranslatef(0, 0, 1);
        DrawLogoLetters();
        DrawLogoLetterSides();
        DrawLogoArch(sceneStates[0]);
    }

    static Pixels ReadAndKeep(const char* name)
    {
        glFinish();
        Pixels pixels;
        pixels.rgb.resize(size_t(kSize) * kSize * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, pixels.rgb.data());
        WriteWholeFile(ProgramFolder() + name, Png(pixels.rgb, kSize, kSize));
        return pixels;
    }

    static HWND window;
    static HDC deviceContext;
    static HGLRC renderContext;
};

HWND RealOpenGl::window;
HDC RealOpenGl::deviceContext;
HGLRC RealOpenGl::renderContext;

struct StateSnapshot {
    GLint modelviewDepth, projectionDepth, textureDepth, attribDepth, matrixMode;
    GLfloat modelview[16], projection[16], texture[16];
    GLboolean enabled[9];
    GLfloat colour[4], normal[3], texCoord[4];

    static StateSnapshot Take()
    {
        static const GLenum kCaps[9] = {GL_LIGHTING,   GL_TEXTURE_2D, GL_DEPTH_TEST, GL_CULL_FACE,
                                        GL_COLOR_MATERIAL, GL_LIGHT0,  GL_BLEND,      GL_NORMALIZE,
                                        GL_POLYGON_OFFSET_FILL};
        StateSnapshot s;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &s.modelviewDepth);
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &s.projectionDepth);
        glGetIntegerv(GL_TEXTURE_STACK_DEPTH, &s.textureDepth);
        glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &s.attribDepth);
        glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
        glGetFloatv(GL_MODELVIEW_MATRIX, s.modelview);
        glGetFloatv(GL_PROJECTION_MATRIX, s.projection);
        glGetFloatv(GL_TEXTURE_MATRIX, s.texture);
        for (int i = 0; i < 9; ++i)
            s.enabled[i] = glIsEnabled(kCaps[i]);
        glGetFloatv(GL_CURRENT_COLOR, s.colour);
        glGetFloatv(GL_CURRENT_NORMAL, s.normal);
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, s.texCoord);
        return s;
    }
};

void ExpectSameMatricesAndEnables(const StateSnapshot& before, const StateSnapshot& after)
{
    EXPECT_EQ(after.modelviewDepth, before.modelviewDepth);
    EXPECT_EQ(after.projectionDepth, before.projectionDepth);
    EXPECT_EQ(after.textureDepth, before.textureDepth);
    EXPECT_EQ(after.attribDepth, before.attribDepth);
    EXPECT_EQ(after.matrixMode, before.matrixMode);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(after.modelview[i], before.modelview[i]);
        EXPECT_EQ(after.projection[i], before.projection[i]);
        EXPECT_EQ(after.texture[i], before.texture[i]);
    }
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(after.enabled[i], before.enabled[i]) << "capability " << i;
}

TEST_F(RealOpenGl, ModelsLeaveMatricesAndEnablesAsTheyFoundThem)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, -30);
    glRotatef(33, 1, 1, 0);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    while (glGetError() != GL_NO_ERROR) {
    }
    void (*const draws[])() = {DrawBottle, DrawBottleLabel, DrawLogoLetters, DrawLogoLetterSides,
                               [] { DrawLogoArch(sceneStates[0]); }};
    for (auto draw : draws) {
        StateSnapshot before = StateSnapshot::Take();
        draw();
        ExpectSameMatricesAndEnables(before, StateSnapshot::Take());
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
}

TEST_F(RealOpenGl, BottleKeepsColourAndTextureCoordinateAndLeavesItsLastNormal)
{
    glColor3f(1.0f, 0.58824f, 0.11765f);
    glTexCoord2f(0.25f, 0.75f);
    StateSnapshot before = StateSnapshot::Take();
    DrawBottle();
    StateSnapshot after = StateSnapshot::Take();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(after.colour[i], before.colour[i]);
        EXPECT_EQ(after.texCoord[i], before.texCoord[i]);
    }
    MeshTable bottle = BottleMesh();
    const float* last = bottle.vertices[bottle.vertexCount - 1].normal;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(after.normal[i], last[i]);
}

TEST_F(RealOpenGl, LabelKeepsTheCallersColour)
{
    glColor3f(1, 1, 1);
    StateSnapshot before = StateSnapshot::Take();
    DrawBottleLabel();
    StateSnapshot after = StateSnapshot::Take();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(after.colour[i], before.colour[i]);
    // The last vertex sits halfway up the right edge of the picture.
    EXPECT_EQ(after.texCoord[0], 1.0f);
    EXPECT_EQ(after.texCoord[1], 0.5f);
}

TEST_F(RealOpenGl, LogoBodyEndsYellowFacingPlusZ)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glColor3f(0.3f, 0.3f, 0.3f);
    glNormal3f(1, 0, 0);
    LogoBody();
    glPopMatrix();
    StateSnapshot after = StateSnapshot::Take();
    EXPECT_EQ(after.colour[0], 1.0f);
    EXPECT_EQ(after.colour[1], 1.0f);
    EXPECT_EQ(after.colour[2], 0.0f);
    EXPECT_EQ(after.normal[0], 0.0f);
    EXPECT_EQ(after.normal[1], 0.0f);
    EXPECT_EQ(after.normal[2], 1.0f);
}

TEST_F(RealOpenGl, StarFieldListDraws2200Points)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-1000, 1000, -1000, 1000, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    srand(3);
    BuildStarField(200.0f);
    EXPECT_TRUE(glIsList(998));
    std::vector<GLfloat> feedback(4 * 2200 + 64);
    glFeedbackBuffer(GLsizei(feedback.size()), GL_3D, feedback.data());
    glRenderMode(GL_FEEDBACK);
    glCallList(998);
    GLint values = glRenderMode(GL_RENDER);
    int points = 0;
    for (GLint i = 0; i + 3 < values; i += 4)
        points += feedback[i] == GL_POINT_TOKEN;
    EXPECT_EQ(values, 4 * 2200);
    EXPECT_EQ(points, 2200);
    glDeleteLists(998, 1);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void SetLight(GLenum light, GLenum parameter, float a, float b, float c, float d)
{
    const float values[4] = {a, b, c, d};
    glLightfv(light, parameter, values);
}

// What the saver's set-up gives each kind of scene: light 0's position, light 1's
// specular colour and position, light 2's position, and the ambient light.
struct KindLighting {
    float light0Position[4];
    float light1Specular[4];
    float light1Position[4];
    float light2Position[4];
    float ambient[4];
};

const KindLighting kBottleLighting = {
    {0, 0, 1, 0}, {0, 0, 1, 1}, {40, 5, 0, 1}, {-40, 5, 0, 1}, {0.8f, 0.8f, 0, 0}};
const KindLighting kLogoLighting = {
    {0, 0, 0, 1}, {0, 1, 0, 1}, {10, 0, 0, 1}, {-10, 0, 0, 1}, {0, 0, 1, 0}};

const GLenum kLightingCaps[] = {GL_DEPTH_TEST, GL_LIGHT0,          GL_LIGHT1,
                                GL_LIGHT2,     GL_LIGHTING,        GL_COLOR_MATERIAL,
                                GL_POLYGON_OFFSET_FILL};

// Lights, material and state as the saver sets them up, with a cleared picture
// and an identity modelview matrix.
void LightLike(const KindLighting& kind)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    SetLight(GL_LIGHT0, GL_DIFFUSE, 0.8f, 0.8f, 0.8f, 0);
    SetLight(GL_LIGHT0, GL_SPECULAR, 1, 1, 1, 1);
    SetLight(GL_LIGHT1, GL_DIFFUSE, 0.5f, 0.5f, 0.5f, 0);
    SetLight(GL_LIGHT2, GL_DIFFUSE, 0.5f, 0.5f, 0.5f, 0);
    SetLight(GL_LIGHT2, GL_SPECULAR, 0, 0.8f, 0.8f, 1);
    glLightfv(GL_LIGHT0, GL_POSITION, kind.light0Position);
    glLightfv(GL_LIGHT1, GL_SPECULAR, kind.light1Specular);
    glLightfv(GL_LIGHT1, GL_POSITION, kind.light1Position);
    glLightfv(GL_LIGHT2, GL_POSITION, kind.light2Position);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, kind.ambient);
    const float specular[4] = {1, 1, 1, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 64);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
    glDepthFunc(GL_LESS);
    glPolygonOffset(1, 1);
    for (GLenum cap : kLightingCaps)
        glEnable(cap);
    glShadeModel(GL_SMOOTH);
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, 1, 1, 500);
    glMatrixMode(GL_MODELVIEW);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void ResetLighting()
{
    for (GLenum cap : kLightingCaps)
        glDisable(cap);
}

// Under the bottle scene's yellow ambient light the amber glass turns olive and
// the label's sky blue turns green.
bool Glass(int r, int g, int b) { return r > 30 && r >= g && 4 * b < r; }
bool LabelSky(int r, int g, int b) { return g > 40 && 4 * r < g && b > 10; }
bool Blue(int r, int g, int b) { return b > 60 && b > 2 * (r + g); }
bool YellowOrWhite(int r, int g, int b) { return r > 100 && g > 100 && b < r + 30; }

// One bottle upright, turned by turn degrees about its axis, with its front and
// back labels, lit like the bottle scene.
void DrawLabelledBottle(float turn, const BITMAP& picture)
{
    LightLike(kBottleLighting);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    glTranslatef(0, 0, -30);
    glRotatef(-90, 1, 0, 0);
    glRotatef(turn, 0, 0, 1);
    glTranslatef(10.1261f, -12.7814f, -6.7622f);
    glColor3f(1.0f, 0.58824f, 0.11765f);
    DrawBottle();
    glEnable(GL_TEXTURE_2D);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, picture.bmWidth, picture.bmHeight, 0, GL_BGR_EXT,
                 GL_UNSIGNED_BYTE, picture.bmBits);
    glColor3f(1, 1, 1);
    DrawBottleLabel();
    glTranslatef(-20.23f, 25.6f, 0);
    glRotatef(180, 0, 0, 1);
    DrawBottleLabel();
    glDisable(GL_TEXTURE_2D);
}

TEST_F(RealOpenGl, ShowsABottleWithItsLabels)
{
    HANDLE image = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_BEAR_TEXTURE),
                              IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    BITMAP picture = {};
    ASSERT_TRUE(image && GetObjectA(image, sizeof picture, &picture));
    ASSERT_NE(picture.bmBits, nullptr);

    // The front label faces the viewer when its middle, at -27 degrees, turns
    // to -90; a quarter turn more shows the slit between the labels.
    DrawLabelledBottle(-63, picture);
    Pixels front = ReadAndKeep("bottle_front.png");
    EXPECT_GT(front.Count(LabelSky), 2000) << "the label's sky";
    EXPECT_GT(front.Count(Glass), 2000) << "the glass around the label";

    DrawLabelledBottle(-153, picture);
    Pixels side = ReadAndKeep("bottle_side.png");
    EXPECT_GT(side.Count(LabelSky), 500);
    EXPECT_GT(side.Count(Glass), 2000);

    ResetLighting();
    glLoadIdentity();
    DeleteObject(image);
}

TEST_F(RealOpenGl, ShowsTheMonogram)
{
    LightLike(kLogoLighting);

    glTranslatef(0, -1.25f, -24);
    glRotatef(-15, 0, 1, 0);
    glRotatef(10, 1, 0, 0);
    glTranslatef(0, 0, 3.5f);
    LogoBody();
    Pixels logo = ReadAndKeep("monogram.png");
    EXPECT_GT(logo.Count(Blue), 2000) << "the glyphs";
    EXPECT_GT(logo.Count(YellowOrWhite), 2000) << "the arch";

    ResetLighting();
    glLoadIdentity();
}

}  // namespace
