// One-time OpenGL set-up of the scene: pixel format, random parameters, lights,
// material, fixed state, texture image, object table, star field and glyphs.
#include "scene/scene.h"

#include <mmsystem.h>
#include <math.h>
#include <stdlib.h>

#include "host/host.h"
#include "models/models.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"

static const float kOneIn255 = 1.0f / 255.0f;
static const double kDegreesToRadians = 0.017453292519943295;
static const GLuint kGlyphListBase = 1000;
static const DWORD kGlyphCount = 255;  // codes 0 to 254: code 255 has no list
static const float kGlyphExtrusion = 0.13f;
static const float kStarRingRadius = 200.0f;

// The first scene shows its failure and ends the run with the code; the message
// comes first, since shown after its quit it would close at once. A scene on
// another monitor fails quietly: it is released, and its window stays black.
static void ReportFailure(SceneState& scene, const char* text, int quitCode)
{
    if (!IsFirstScene(scene)) {
        scene.failed = true;
        return;
    }
    ShowFailure(text);
    PostQuitOnce(quitCode);
}

float RandomFraction()
{
    return static_cast<float>(rand() % 255) * kOneIn255;
}

signed char RandomSign()
{
    return RandomFraction() >= 0.5f ? 1 : -1;
}

bool RendersInSoftware(DWORD pixelFormatFlags)
{
    return (pixelFormatFlags & PFD_GENERIC_FORMAT) && !(pixelFormatFlags & PFD_GENERIC_ACCELERATED);
}

bool ChooseScenePixelFormat(SceneState& scene)
{
    HDC deviceContext = scene.deviceContext;
    PIXELFORMATDESCRIPTOR request = {};
    request.nSize = sizeof request;
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER |
                      PFD_GENERIC_ACCELERATED;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = static_cast<BYTE>(GetDeviceCaps(deviceContext, BITSPIXEL));
    request.cDepthBits = 32;
    request.iLayerType = PFD_MAIN_PLANE;
    int format = ChoosePixelFormat(deviceContext, &request);
    if (format == 0) {
        ReportFailure(scene, "ChoosePixelFormat fehlgeschlagen!", 0);
        return false;
    }
    // A card without OpenGL of its own for this monitor (another vendor's, a USB
    // adapter, Windows 9x beyond the first monitor) gets the system's software
    // renderer, which on a whole monitor would slow every monitor's frames, and
    // with them the animation. Such a monitor stays black; the saver window draws
    // with whatever it is given.
    PIXELFORMATDESCRIPTOR chosen = {};
    if (!IsFirstScene(scene) &&
        DescribePixelFormat(deviceContext, format, sizeof chosen, &chosen) &&
        RendersInSoftware(chosen.dwFlags)) {
        scene.failed = true;
        return false;
    }
    if (!SetPixelFormat(deviceContext, format, &request)) {
        ReportFailure(scene, "SetPixelFormat fehlgeschlagen!", 0);
        return false;
    }
    return true;
}

void LoadTextureImage(SceneState& scene, int resource)
{
    TextureImage& image = scene.textureImage;
    image.bitmap = static_cast<HBITMAP>(LoadImageA(hostState.instance, MAKEINTRESOURCEA(resource),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP description = {};
    if (!image.bitmap || !GetObjectA(image.bitmap, sizeof description, &description))
        ReportFailure(scene, "Fehler in LoadImage", 1);
    image.width = description.bmWidth;
    image.height = description.bmHeight;
    image.rows = description.bmBits;
    if (!image.rows)
        ReportFailure(scene, "Fehler beim Laden der Bitmaps!", 2);
}

void FillHalfCircleTables(SceneState& scene)
{
    for (int i = 0; i <= 30; ++i) {
        double angle = 6 * i * kDegreesToRadians;
        scene.halfCircleSin[i] = static_cast<float>(sin(angle));
        scene.halfCircleCos[i] = static_cast<float>(cos(angle));
    }
}

void CreateObjectTable(SceneState& scene)
{
    int number = saverSettings.Number;
    free(scene.objects);
    // A negative count asks for an impossible size, which must fail like any
    // other allocation; a count of 0 is an empty table, not a failure.
    long long bytes = static_cast<long long>(number) * 12;
    scene.objects = bytes > 0 && bytes <= 0x7fffffff
                             ? static_cast<float*>(malloc(static_cast<size_t>(bytes)))
                             : nullptr;
    if (number != 0 && !scene.objects) {
        ReportFailure(scene, "Nicht gen\xfcgend Speicher vorhanden!", 6);
        return;
    }
    float smallest = 1.0f, largest = -2.0f;
    for (int i = 0; i < 3 * number; ++i) {
        float value;
        if ((i + 1) % 3 != 0) {
            float sign = RandomSign();
            value = RandomFraction() * sign;
        } else {
            value = -static_cast<float>(rand() % 255) * kOneIn255;
            if (value > largest)
                largest = value;
            if (value < smallest)
                smallest = value;
        }
        scene.objects[i] = value;
    }
    scene.depthCentre = (smallest + largest) * 0.5f;
}

static void SetLight(GLenum light, GLenum parameter, float a, float b, float c, float d)
{
    const GLfloat values[4] = {a, b, c, d};
    glLightfv(light, parameter, values);
}

static void SetCommonLights()
{
    SetLight(GL_LIGHT0, GL_DIFFUSE, 0.8f, 0.8f, 0.8f, 0);
    SetLight(GL_LIGHT0, GL_SPECULAR, 1, 1, 1, 1);
    SetLight(GL_LIGHT0, GL_POSITION, 0, 0, 0, 1);
    SetLight(GL_LIGHT1, GL_DIFFUSE, 0.5f, 0.5f, 0.5f, 0);
    SetLight(GL_LIGHT2, GL_DIFFUSE, 0.5f, 0.5f, 0.5f, 0);
    SetLight(GL_LIGHT2, GL_SPECULAR, 0, 0.8f, 0.8f, 1);
}

// The lights of each kind, indexed by kind - 1; positions are taken under the
// identity modelview. Light 0 moves only for the bottles (to a light from +z).
static const struct {
    bool moveLight0;
    GLfloat light1Specular[4];
    GLfloat light1Position[4];
    GLfloat light2Position[4];
    GLfloat ambient[4];
    bool modulateTexture;
} kKindLights[4] = {
    /* Logo */      {false, {0, 1, 0, 1}, {10, 0, 0, 1}, {-10, 0, 0, 1}, {0, 0, 1, 0}, false},
    /* Bear */      {true,  {0, 0, 1, 1}, {40, 5, 0, 1}, {-40, 5, 0, 1}, {0.8f, 0.8f, 0, 0}, true},
    /* Satellite */ {false, {1, 0, 0, 1}, {10, 0, 0, 1}, {-10, 0, 0, 1}, {0.8f, 0.8f, 0.8f, 0}, true},
    /* Sentence */  {false, {1, 0, 0, 1}, {20, 0, 0, 1}, {-20, 0, 0, 1}, {1, 1, 1, 0}, false},
};

static void SetKindLights(SceneKind kind)
{
    if (kind < Logo || kind > Sentence)
        return;
    const auto& lights = kKindLights[kind - 1];
    if (lights.moveLight0)
        SetLight(GL_LIGHT0, GL_POSITION, 0, 0, 1, 0);
    glLightfv(GL_LIGHT1, GL_SPECULAR, lights.light1Specular);
    glLightfv(GL_LIGHT1, GL_POSITION, lights.light1Position);
    glLightfv(GL_LIGHT2, GL_POSITION, lights.light2Position);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, lights.ambient);
    if (lights.modulateTexture)
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    if (kind == Satellite) {
        glDisable(GL_LINE_SMOOTH);
        glPointSize(2.0f);
        glDisable(GL_POINT_SMOOTH);
    }
}

static void SetFixedState()
{
    const GLfloat specular[4] = {1, 1, 1, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 64.0f);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHT2);
    glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
    // How far the monogram's arch is pushed back behind its rim, which lies in
    // the half-disc's plane: its depth change across a pixel and one step of the
    // depth buffer. The arch switches the offset on for itself alone.
    glPolygonOffset(1.0f, 1.0f);
    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_FASTEST);
}

static void BuildGlyphLists(SceneState& scene)
{
    glListBase(kGlyphListBase);
    scene.outlineFont = CreateFontA(
        1, 0, 0, 0, saverSettings.Weight ? FW_BOLD : FW_NORMAL,
        static_cast<DWORD>(saverSettings.Italic), FALSE, FALSE, DEFAULT_CHARSET,
        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DRAFT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
        saverSettings.Font);
    scene.originalFont = SelectObject(scene.deviceContext, scene.outlineFont);
    if (!wglUseFontOutlinesA(scene.deviceContext, 0, kGlyphCount, kGlyphListBase, 0.0f,
                             kGlyphExtrusion, WGL_FONT_POLYGONS, scene.glyphMetrics)) {
        if (!IsFirstScene(scene)) {
            scene.failed = true;
            return;
        }
        ShowFailure("wglUseFontOutlines fehlgeschlagen!");
        ExitProcess(6);
    }
    scene.wordClockStart = scene.millisecondSource ? scene.millisecondSource() : timeGetTime();
}

void InitScene(SceneState& scene)
{
    glClearColor(0, 0, 0, 0);
    // The run's generator is seeded once, for the first scene. The scenes on other
    // monitors go on drawing from it, so each gets random parameters of its own,
    // and the first scene's are those of a run on one monitor with the same seed.
    if (IsFirstScene(scene))
        srand(scene.seedSource ? scene.seedSource() : GetTickCount());
    for (float& factor : scene.spinFactor)
        factor = RandomFraction();
    for (signed char& sign : scene.spinSign)
        sign = RandomSign();
    LoadTextureImage(scene, scene.kind == Bear ? IDB_BEAR_TEXTURE : IDB_WORLD_MAP);
    FillHalfCircleTables(scene);
    CreateObjectTable(scene);
    SetCommonLights();
    SetKindLights(scene.kind);
    SetFixedState();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glEnable(GL_TEXTURE_2D);
    glGetFloatv(GL_TEXTURE_MATRIX, scene.textureMatrixA);
    glGetFloatv(GL_TEXTURE_MATRIX, scene.textureMatrixB);
    glDisable(GL_TEXTURE_2D);

    if (scene.kind == Satellite)
        BuildStarField(kStarRingRadius);
    if (scene.kind == Sentence)
        BuildGlyphLists(scene);
}
