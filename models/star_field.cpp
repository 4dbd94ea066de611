// The star field of the satellite scene: 2200 points compiled once into display
// list 998. It takes 6160 numbers from rand in a fixed order, so one seed gives
// one sky.
#include <windows.h>
#include <GL/gl.h>

#include <math.h>
#include <stdlib.h>

#include "models/models.h"

static const GLuint kStarFieldList = 998;
static const int kAngleStepDegrees = 9;    // 40 angles around the ring
static const int kSpreadStep = 30;         // 11 spreads, 0 to 300
static const int kLargestSpread = 300;
static const double kDegreesToRadians = 0.017453292519943295;

// Heights of the five points of a group are drawn from 0 to this, then signed:
// 0, +51 range, -51 range, +26 range, -26 range. The first point draws none.
static const int kHeightRanges[5] = {0, 51, 51, 26, 26};
static const int kHeightSigns[5] = {0, 1, -1, 1, -1};

void BuildStarField(float radius)
{
    glNewList(kStarFieldList, GL_COMPILE);
    glBegin(GL_POINTS);
    for (int degrees = 0; degrees < 360; degrees += kAngleStepDegrees) {
        double angle = degrees * kDegreesToRadians;
        float ringX = static_cast<float>(radius * sin(angle));
        float ringZ = static_cast<float>(radius * cos(angle));
        for (int spread = 0; spread <= kLargestSpread; spread += kSpreadStep)
            for (int point = 0; point < 5; ++point) {
                // Each point pushes itself 0, 1 or 2 spreads towards -z and -x;
                // the draws run: z push, height, x push.
                int zPush = rand() % 3;
                int height = kHeightRanges[point] ? rand() % kHeightRanges[point] : 0;
                int xPush = rand() % 3;
                glVertex3f(ringX - static_cast<float>(xPush * spread),
                           static_cast<float>(kHeightSigns[point] * height),
                           ringZ - static_cast<float>(zPush * spread));
            }
    }
    glEnd();
    glEndList();
}
