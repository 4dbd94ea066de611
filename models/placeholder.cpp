// Stand-ins until the geometry lands.
#include <windows.h>
#include <GL/gl.h>

#include "models/models.h"

void DrawBottle() {}
void DrawBottleLabel() {}
void DrawLogoLetters() {}
void DrawLogoLetterSides() {}
void DrawLogoArch() {}

void BuildStarField(float)
{
    glNewList(998, GL_COMPILE);
    glEndList();
}
