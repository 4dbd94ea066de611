// The sentence scene: "Der", the monogram, "ist ..." and the user's word in
// extruded letters, and now and then a word of the table flying across in red.
#include "scene/scene.h"

#include <mmsystem.h>
#include <math.h>
#include <string.h>

#include "settings/settings.h"

static const double kPi = 3.141592653589793;
static const double kHalfPi = 1.5707963267948966;
static const int kWordCount = 7;
static const int kWordLength = 15;
static const char kWordTable[kWordCount][kWordLength] = {
    "sicher", "na klar", "jawoll", "t\xfcrlich", "freilich", "fraglos", "gewi\xdf",
};
static const unsigned kTriggerRange = 250001;
static const unsigned kTriggerWindow = 10;
static const double kSwingPerFrame = 0.02;
static const float kSweepEnd = 0.95f;

static void Write(const char* text)
{
    glCallLists(static_cast<GLsizei>(strlen(text)), GL_UNSIGNED_BYTE, text);
}

void TryStartFlyingWord(SceneState& scene, DWORD elapsed)
{
    unsigned q = static_cast<unsigned>(rand()) % kTriggerRange;
    // rand() returns 0 now and then: that frame starts no flight rather than divide by 0.
    if (q == 0 || elapsed % q >= kTriggerWindow)
        return;
    scene.wordActive = 1;
    scene.wordIndex = static_cast<unsigned char>(rand() % kWordCount);
    signed char g = RandomSign();
    scene.wordHeight = static_cast<float>((rand() % 10) * g);
    scene.wordDirection = RandomSign();
    scene.wordSwing = scene.wordDirection * kHalfPi;
}

void AdvanceFlyingWord(SceneState& scene, float drawnSine)
{
    if (scene.wordDirection == -1) {
        scene.wordSwing += kSwingPerFrame;
        if (drawnSine > kSweepEnd)
            scene.wordActive = 0;
    }
    if (scene.wordDirection == 1) {
        scene.wordSwing -= kSwingPerFrame;
        if (drawnSine < -kSweepEnd)
            scene.wordActive = 0;
    }
    if (!scene.wordActive) {
        // Only advances the random sequence: the next start draws its own values.
        scene.wordDirection = RandomSign();
        scene.wordSwing = scene.wordDirection * kHalfPi;
    }
}

static void DrawFlyingWord(SceneState& scene, double F)
{
    if (!scene.wordActive) {
        DWORD now = scene.millisecondSource ? scene.millisecondSource() : timeGetTime();
        TryStartFlyingWord(scene, now - scene.wordClockStart);
        return;
    }
    const float w = static_cast<float>(sin(scene.wordSwing));
    static const GLfloat kRed[3] = {1, 0, 0};
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushMatrix();
    glColor3fv(kRed);
    glTranslatef(-2, 0, 0);
    glTranslatef(17 * w, scene.wordHeight, -17);
    Turn(-3 * F, 1, 0, 0);
    Write(kWordTable[scene.wordIndex]);
    glPopMatrix();
    glPopAttrib();
    AdvanceFlyingWord(scene, w);
}

void DrawSentenceScene(SceneState& scene)
{
    const double T = scene.clock;
    const double r0 = scene.spinFactor[0], r1 = scene.spinFactor[1],
                 r2 = scene.spinFactor[2];
    const double S = r0 + r1 + r2;
    const int s0 = scene.spinSign[0], s1 = scene.spinSign[1];
    const double A = 0.02 * S * T;
    const double sA = sin(A), cA = cos(A);
    // Kept in double: over days of running it reaches hundreds of millions of degrees.
    const double F = 3 * s1 * T * S;
    static const GLfloat kFirst[4] = {40, 5, 0, 1}, kSecond[4] = {-40, 5, 0, 1};

    glShadeModel(GL_FLAT);
    glPushMatrix();
    glTranslatef(0, 16 * static_cast<float>(cA), 0);

    glPushMatrix();
    glTranslatef(0, 13, -70);
    Turn(-F, 1, 0, 0);
    Turn(30 * fabs(sA), 0, 1, 0);
    glTranslatef(0, -2, 3);
    glPushMatrix();
    DrawLogoBody(scene);
    glPopMatrix();
    glPopMatrix();

    glPushMatrix();
    glTranslatef(0, 19, -70);
    LightSpin(7 * T, 1, 0, 1, kFirst, kSecond);
    glPopMatrix();
    glPopMatrix();

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    // Not enclosed: the words and the flying word ride on this small ellipse.
    glTranslatef(static_cast<float>(1.7 * sA), static_cast<float>(2.3 * cA), 0);

    glPushMatrix();
    glColor3f(static_cast<float>(fabs(sA)), static_cast<float>(fabs(sA)),
              static_cast<float>(fabs(cA)));
    glPushMatrix();
    glTranslatef(-6, 2, -13);
    Turn(F, 1, 0, 0);
    Write("Der");
    glPopMatrix();
    glPushMatrix();
    glTranslatef(3.5f, 2, -13);
    Turn(F, 1, 0, 0);
    Write("ist ...");
    glPopMatrix();
    glPopMatrix();

    glColor3f(static_cast<float>(fabs(cA)), static_cast<float>(fabs(cos(A + kPi / 3))),
              static_cast<float>(fabs(cos(A + 2 * kPi / 3))));
    glPushMatrix();
    glTranslatef(static_cast<float>(3 * sin(0.1 * T * r0)), -3, -11);
    Turn(S * T * s0 * 3, 1, 1, 1);
    glTranslatef(-1.5f, 0, 0);
    Write(saverSettings.Text);
    glPopMatrix();
    glPopAttrib();

    DrawFlyingWord(scene, F);
}
