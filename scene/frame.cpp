// Per-frame drawing: the step of the animation clock and the composition of the
// logo, bottle and satellite scenes. Every position and angle is a fixed function
// of the clock, the object table and the spin parameters.
#include "scene/scene.h"

#include <GL/glu.h>
#include <math.h>

#include "models/models.h"
#include "settings/settings.h"

static const GLuint kStarFieldList = 998;
static const float kThird = 0.33333334f;

float FrameStep(int speed, SceneKind kind)
{
    // 0.7 at the default speed 15, one thirtieth more or less per notch.
    const float base = 0.7f;
    const float perNotch = -1.0f / 30.0f;
    double v = kind == Sentence ? speed * 1.8 : static_cast<double>(speed);
    return static_cast<float>(base - (v - 15) * perNotch);
}

static double WithinOneTurn(double degrees)
{
    // fmod is exact and keeps the sign: -370 becomes -10, the same turn.
    return fmod(degrees, 360.0);
}

// The clock grows without bound while a float keeps only 24 bits: an angle of
// millions of degrees would lose its fraction, and with it the steady motion.
void Turn(double degrees, float x, float y, float z)
{
    glRotatef(static_cast<float>(WithinOneTurn(degrees)), x, y, z);
}

static void Move(double x, double y, double z)
{
    glTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

// The light positions are given in a frame that turns with the clock around the
// object just drawn; they stay in force until the next spin.
void LightSpin(double turn, float ax, float ay, float az, const GLfloat* first,
               const GLfloat* second)
{
    glPushMatrix();
    Turn(turn, ax, ay, az);
    glLightfv(GL_LIGHT1, GL_POSITION, first);
    glLightfv(GL_LIGHT2, GL_POSITION, second);
    glPopMatrix();
}

void DrawLogoBody(const SceneState& scene)
{
    DrawLogoLetters();
    glTranslatef(0, 0, 1);
    DrawLogoLetters();
    DrawLogoLetterSides();
    DrawLogoArch(scene);
}

static void LoadTexture(const TextureImage& image)
{
    glEnable(GL_TEXTURE_2D);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, image.width, image.height, 0, GL_BGR_EXT,
                 GL_UNSIGNED_BYTE, image.rows);
}

// The label textures' matrices accumulate one more change per bottle and frame and
// are never reset, so the pictures keep turning for as long as the saver runs.
static void BeginTextureChange()
{
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
}

// Each single-precision product leaves the turn a little longer or shorter than
// a pure turn; over millions of products the label picture would grow or shrink
// by half. One Newton step towards the nearest pure turn, in double precision,
// removes that error before it can build up: X = X (3I - X^T X) / 2 on the
// upper 3 x 3 of the column-major matrix; the move stays as it is.
static void KeepPureTurn(float* matrix)
{
    double column[3][3], gram[3][3];
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            column[c][r] = matrix[4 * c + r];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            gram[i][j] = column[i][0] * column[j][0] + column[i][1] * column[j][1] +
                         column[i][2] * column[j][2];
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) {
            double sum = 0;
            for (int k = 0; k < 3; ++k)
                sum += column[k][r] * ((k == c ? 1.5 : 0.0) - 0.5 * gram[k][c]);
            matrix[4 * c + r] = static_cast<float>(sum);
        }
}

static void EndTextureChange(float* matrix)
{
    glMultMatrixf(matrix);
    glGetFloatv(GL_TEXTURE_MATRIX, matrix);
    KeepPureTurn(matrix);
    glMatrixMode(GL_MODELVIEW);
}

// The spin factors and signs drawn at set-up, as the swarms use them.
struct Spin {
    float r0, r1, r2;
    int s0, s1, s2;
};

static Spin ReadSpin(const SceneState& scene)
{
    return {scene.spinFactor[0], scene.spinFactor[1], scene.spinFactor[2],
            scene.spinSign[0],   scene.spinSign[1],   scene.spinSign[2]};
}

static void DrawLogoSwarm(const SceneState& scene, double T)
{
    const float* a = scene.objects;
    const Spin spin = ReadSpin(scene);
    const float r0 = spin.r0, r1 = spin.r1, r2 = spin.r2;
    const int s0 = spin.s0, s1 = spin.s1, s2 = spin.s2;
    static const GLfloat kFirst[4] = {10, 0, 0, 1}, kSecond[4] = {-10, 0, 0, 1};

    Move(0, 0, -80);
    Turn((r0 + 0.2) * T * s1, 0, 0, 1);
    Turn((static_cast<double>(r0) + r1 + r2) * T * s0, 1, 1, 1);
    Move(0, 0, -70.0 * scene.depthCentre);
    if (!a)
        return;
    for (int j = 2; j <= saverSettings.Number + 1; ++j) {
        const int k = j - 2;
        const double x = a[3 * k], y = a[3 * k + 1], z = a[3 * k + 2];
        const double f = T * static_cast<float>(j) * kThird;
        glPushMatrix();
        Move(95.0 / j * x, -80.0 / j * y, 70 * z);
        Turn((r0 + 1) * f * s0, 1, 0, 0);
        Turn((r1 + 1) * f * s1, 0, 1, 0);
        Turn((r2 + 1) * f * s2, 0, 0, 1);
        DrawLogoLetters();
        glTranslatef(0, 0, 1);
        DrawLogoLetters();
        DrawLogoLetterSides();
        // The arch of object k rocks by floats k + 1 and k + 2 of the flat table.
        glPushMatrix();
        Turn(sin(0.2 * T * a[j]) * tan(0.003 * T * a[j - 1]) * 10, 1, 0, 0);
        DrawLogoArch(scene);
        glPopMatrix();
        LightSpin(7 * T, 1, 1, 1, kFirst, kSecond);
        glPopMatrix();
    }
}

static void DrawBottleSwarm(SceneState& scene, double T)
{
    const float* a = scene.objects;
    const Spin spin = ReadSpin(scene);
    const float r0 = spin.r0, r1 = spin.r1, r2 = spin.r2;
    const int s0 = spin.s0, s1 = spin.s1, s2 = spin.s2;
    static const GLfloat kAmber[3] = {1.0f, 0.58824f, 0.11765f}, kWhite[3] = {1, 1, 1};
    static const GLfloat kFirst[4] = {40, 5, 0, 1}, kSecond[4] = {-40, 5, 0, 1};

    Move(0, 0, -90);
    Turn((static_cast<double>(r0) + r1 + r2) * T * s0, 1, 1, 1);
    Move(0, 0, 33);
    if (!a)
        return;
    for (int i = 1; i <= saverSettings.Number; ++i) {
        const double f = T * static_cast<float>(i) * kThird;
        glPushMatrix();
        Move(10.0 * i * a[i - 1], -12.5 * i * a[i], -33);
        Turn((r0 + 1) * a[i - 1] * f * s0 * 3, 1, 0, 0);
        Turn((r1 + 1) * a[i] * f * s1 * 1.5, 0, 1, 0);
        Turn((r2 + 1) * f * s2 * 2.5, 0, 0, 1);
        glColor3fv(kAmber);
        DrawBottle();
        LoadTexture(scene.textureImage);
        glColor3fv(kWhite);
        BeginTextureChange();
        Turn(2, 0, 0, 1);
        EndTextureChange(scene.textureMatrixA);
        DrawBottleLabel();
        // A half turn about twice the bottle's axis puts the same sheet on its back.
        Move(-20.23, 25.6, 0);
        Turn(180, 0, 0, 1);
        BeginTextureChange();
        Move(0.05 * sin(0.5 * T), 0, 0);
        Turn(-0.8, 1, 1, 0);
        EndTextureChange(scene.textureMatrixB);
        DrawBottleLabel();
        glDisable(GL_TEXTURE_2D);
        LightSpin(7 * T, 1, 0, 1, kFirst, kSecond);
        glPopMatrix();
    }
}

static void DrawSatellite(const SceneState& scene, double T)
{
    const double r0 = scene.spinFactor[0], r1 = scene.spinFactor[1], r2 = scene.spinFactor[2];
    static const GLfloat kWhite[3] = {1, 1, 1};
    static const GLfloat kFirst[4] = {10, 0, 0, 1}, kSecond[4] = {-10, 0, 0, 1};

    Move(0, 0, -70);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    glColor3fv(kWhite);
    glPushMatrix();
    Move(2.5 * sin(0.08 * T), 2.8 * cos(0.15 * T), 0);
    Turn(-2 * T, 0, 1, 0);
    Turn(23.5, 0, 0, 1);
    Turn(-4.5 * T, 0, 1, 0);
    Turn(180, 0, 0, 1);
    Turn(90, 1, 0, 0);
    LoadTexture(scene.textureImage);
    GLUquadric* globe = gluNewQuadric();
    gluQuadricDrawStyle(globe, GLU_FILL);
    gluQuadricNormals(globe, GLU_SMOOTH);
    gluQuadricTexture(globe, GL_TRUE);
    gluSphere(globe, 7.0, 18, 18);
    gluDeleteQuadric(globe);
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);

    glPushMatrix();
    glPushMatrix();
    Turn((r1 + r0) * T, 1, 0, 0);
    Turn((r2 + r1) * T * 1.8, 0, 1, 0);
    Turn((r2 + r0) * T * 2.5, 0, 0, 1);
    Move(0, 15, 0);
    Turn(-5 * T, 0, 1, 0);
    DrawLogoBody(scene);
    LightSpin(7 * T, 1, 1, 1, kFirst, kSecond);
    glPopMatrix();
    glPopMatrix();

    glPushMatrix();
    Move(120, 0, -80);
    Turn(-1.5 * T, 0, 1, 0);
    Turn(5, 0, 0, 1);
    glCallList(kStarFieldList);
    glPopMatrix();
}

void DrawFrame(SceneState& scene)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    scene.clock -= FrameStep(saverSettings.Speed, scene.kind);
    const double T = scene.clock;
    switch (scene.kind) {
    case Logo: DrawLogoSwarm(scene, T); break;
    case Bear: DrawBottleSwarm(scene, T); break;
    case Satellite: DrawSatellite(scene, T); break;
    case Sentence: DrawSentenceScene(scene); break;
    }
    glFlush();
}
