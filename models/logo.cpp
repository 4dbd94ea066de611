// The club monogram: two blue block glyphs, 10 wide, 7 high and 1 thick, with a
// yellow half-disc arch standing in the middle of their thickness. The scene
// draws the faces twice (z = -4, then moved to -3), the sides once and the arch.
#include <windows.h>
#include <GL/gl.h>

#include "models/models.h"
#include "scene/scene.h"

static const float kYellow[3] = {1.0f, 1.0f, 0.0f};
static const float kBlue[3] = {0.0f, 0.0f, 1.0f};
static const float kWhite[3] = {1.0f, 1.0f, 1.0f};

static const float kArchRadius = 7.5f;
static const float kArchInnerRadius = kArchRadius - 0.5f;
static const float kArchCentreY = -2.5f;
static const float kArchPlane = -4.5f;
// Layers over the half-disc sit slightly towards +z so that they win the depth test.
static const float kCentreOffset = 0.02f;
static const float kFieldOffset = 0.04f;
static const float kBowlFieldOffset = 0.08f;

static const float kFaceZ = -4.0f;
static const float kBackZ = -5.0f;

// Six quads, 24 vertices, clockwise seen from +z, like their normal (0, 0, -1).
static const float kLetterFaces[24][2] = {
    {-0.5f, 4.5f}, {0.5f, 4.5f},   {0.5f, -1.5f}, {-0.5f, -1.5f},  // stem of the right glyph
    {-4.0f, -1.5f}, {-5.0f, -1.5f}, {-5.0f, 2.5f}, {-4.0f, 2.5f},  // upright of the left glyph
    {-4.0f, 1.5f}, {-4.0f, 2.5f},  {-1.0f, 2.5f}, {-1.0f, 1.5f},   // top bar of the left glyph
    {0.5f, 2.5f},  {5.0f, 2.5f},   {5.0f, 1.5f},  {0.5f, 1.5f},    // top of the bowl
    {4.0f, 1.5f},  {5.0f, 1.5f},   {5.0f, -1.5f}, {4.0f, -1.5f},   // right side of the bowl
    {5.0f, -1.5f}, {5.0f, -2.5f},  {-5.0f, -2.5f}, {-5.0f, -1.5f}, // shared bottom bar
};

struct LetterSide {
    float from[2];
    float to[2];
    float normal[3];
};

// 16 walls from z = -5 to -4, each counter-clockwise seen from where its normal
// points. The first four line the bowl's hole and face into the glyph; the rest
// run along the outline and face outwards.
static const LetterSide kLetterSides[16] = {
    {{0.5f, 1.5f}, {4.0f, 1.5f}, {0, 1, 0}},     {{4.0f, 1.5f}, {4.0f, -1.5f}, {1, 0, 0}},
    {{4.0f, -1.5f}, {0.5f, -1.5f}, {0, -1, 0}},  {{0.5f, -1.5f}, {0.5f, 1.5f}, {-1, 0, 0}},
    {{0.5f, 2.5f}, {5.0f, 2.5f}, {0, 1, 0}},     {{5.0f, 2.5f}, {5.0f, -2.5f}, {1, 0, 0}},
    {{5.0f, -2.5f}, {-5.0f, -2.5f}, {0, -1, 0}}, {{-5.0f, -2.5f}, {-5.0f, 2.5f}, {-1, 0, 0}},
    {{-5.0f, 2.5f}, {-1.0f, 2.5f}, {0, 1, 0}},   {{-1.0f, 2.5f}, {-1.0f, 1.5f}, {1, 0, 0}},
    {{-1.0f, 1.5f}, {-4.0f, 1.5f}, {0, -1, 0}},  {{-4.0f, 1.5f}, {-4.0f, -1.5f}, {1, 0, 0}},
    {{-4.0f, -1.5f}, {-0.5f, -1.5f}, {0, 1, 0}}, {{-0.5f, -1.5f}, {-0.5f, 4.5f}, {-1, 0, 0}},
    {{-0.5f, 4.5f}, {0.5f, 4.5f}, {0, 1, 0}},    {{0.5f, 4.5f}, {0.5f, 2.5f}, {1, 0, 0}},
};

// The two fields over the arch, counter-clockwise seen from +z: the inside of the
// left glyph (white) and the bowl's hole (yellow).
static const float kLeftGlyphField[4][2] = {
    {-4.0f, 1.5f}, {-4.0f, -1.5f}, {-0.5f, -1.5f}, {-0.5f, 1.5f}};
static const float kBowlField[4][2] = {
    {0.5f, 1.5f}, {0.5f, -1.5f}, {4.0f, -1.5f}, {4.0f, 1.5f}};

// Half-circle table entries 0 to 15: 0 to 90 degrees.
static const int kQuarterEntries = 16;
static const int kHalfEntries = 31;

void DrawLogoLetters()
{
    glBegin(GL_QUADS);
    glColor3fv(kBlue);
    glNormal3f(0.0f, 0.0f, -1.0f);
    for (const float* v : kLetterFaces)
        glVertex3f(v[0], v[1], kFaceZ);
    glEnd();
}

void DrawLogoLetterSides()
{
    glBegin(GL_QUADS);
    glColor3fv(kBlue);
    for (const LetterSide& side : kLetterSides) {
        glNormal3f(side.normal[0], side.normal[1], side.normal[2]);
        glVertex3f(side.from[0], side.from[1], kBackZ);
        glVertex3f(side.from[0], side.from[1], kFaceZ);
        glVertex3f(side.to[0], side.to[1], kFaceZ);
        glVertex3f(side.to[0], side.to[1], kBackZ);
    }
    glEnd();
}

static void SendField(const float corners[4][2], float z)
{
    for (int i = 0; i < 4; ++i)
        glVertex3f(corners[i][0], corners[i][1], z);
}

static void SendHalfDisc(GLenum mode, const float* colour, const float* sines,
                         const float* cosines)
{
    glBegin(mode);
    glColor3fv(colour);
    glNormal3f(0.0f, 0.0f, 1.0f);
    for (int i = 0; i < kHalfEntries; ++i)
        glVertex3f(kArchRadius * cosines[i], kArchRadius * sines[i] + kArchCentreY, kArchPlane);
    glEnd();
}

void DrawLogoArch(const SceneState& scene)
{
    const float* sines = scene.halfCircleSin;
    const float* cosines = scene.halfCircleCos;

    // The arch is drawn twice over the same points: filled, then its outline, the
    // rim. The rim shares the disc's points and plane, and a line's depths there
    // are not the polygon's own. So the arch's filled layers are pushed back by a
    // little more than that difference (the set-up's offset), which a line is not:
    // the rim wins over the disc from either side at any depth resolution, and the
    // fields, pushed back alike, stay over the disc. Nothing else is offset: the
    // rim's straight edge also lies in the plane of the glyphs' bottom wall, and
    // the glyph faces lie only 0.5 in front of the rim.
    glEnable(GL_POLYGON_OFFSET_FILL);
    SendHalfDisc(GL_POLYGON, kYellow, sines, cosines);
    SendHalfDisc(GL_LINE_LOOP, kBlue, sines, cosines);

    // The quarter field leaves a yellow band of 0.5 along the curve.
    glBegin(GL_POLYGON);
    glColor3fv(kWhite);
    glNormal3f(0.0f, 0.0f, 1.0f);
    for (int i = 0; i < kQuarterEntries; ++i)
        glVertex3f(kArchInnerRadius * cosines[i], kArchInnerRadius * sines[i] + kArchCentreY,
                   kArchPlane + kFieldOffset);
    glVertex3f(0.0f, kArchCentreY, kArchPlane + kCentreOffset);
    glEnd();

    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glColor3fv(kWhite);
    SendField(kLeftGlyphField, kArchPlane + kFieldOffset);
    glColor3fv(kYellow);
    SendField(kBowlField, kArchPlane + kBowlFieldOffset);
    glEnd();
    glDisable(GL_POLYGON_OFFSET_FILL);
}
