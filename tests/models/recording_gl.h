// Force-included ahead of the model sources for the test build: their OpenGL
// calls go to a recorder instead, and their entry points take names of their own
// so that they sit beside the real ones in one program.
#pragma once
#include <windows.h>
#include <GL/gl.h>

void RecordGlBegin(GLenum mode);
void RecordGlEnd();
void RecordGlNormal3f(GLfloat x, GLfloat y, GLfloat z);
void RecordGlVertex3f(GLfloat x, GLfloat y, GLfloat z);
void RecordGlTexCoord2fv(const GLfloat* st);
void RecordGlColor3fv(const GLfloat* rgb);
void RecordGlNewList(GLuint list, GLenum mode);
void RecordGlEndList();
// Anything else that would change matrices, enables or other lasting state; an
// enable's capability is kept as the call's mode.
void RecordOtherGlCall(const char* name, GLenum capability = 0);

#define glBegin RecordGlBegin
#define glEnd RecordGlEnd
#define glNormal3f RecordGlNormal3f
#define glVertex3f RecordGlVertex3f
#define glTexCoord2fv RecordGlTexCoord2fv
#define glColor3fv RecordGlColor3fv
#define glNewList RecordGlNewList
#define glEndList RecordGlEndList

#define glEnable(capability) RecordOtherGlCall("glEnable", capability)
#define glDisable(capability) RecordOtherGlCall("glDisable", capability)
#define glPushMatrix(...) RecordOtherGlCall("glPushMatrix")
#define glPopMatrix(...) RecordOtherGlCall("glPopMatrix")
#define glLoadIdentity(...) RecordOtherGlCall("glLoadIdentity")
#define glLoadMatrixf(...) RecordOtherGlCall("glLoadMatrixf")
#define glMultMatrixf(...) RecordOtherGlCall("glMultMatrixf")
#define glMatrixMode(...) RecordOtherGlCall("glMatrixMode")
#define glTranslatef(...) RecordOtherGlCall("glTranslatef")
#define glRotatef(...) RecordOtherGlCall("glRotatef")
#define glScalef(...) RecordOtherGlCall("glScalef")
#define glPushAttrib(...) RecordOtherGlCall("glPushAttrib")
#define glPopAttrib(...) RecordOtherGlCall("glPopAttrib")
#define glColor3f(...) RecordOtherGlCall("glColor3f")
#define glColor4f(...) RecordOtherGlCall("glColor4f")
#define glColor4fv(...) RecordOtherGlCall("glColor4fv")
#define glNormal3fv(...) RecordOtherGlCall("glNormal3fv")
#define glVertex3fv(...) RecordOtherGlCall("glVertex3fv")
#define glVertex2f(...) RecordOtherGlCall("glVertex2f")
#define glTexCoord2f(...) RecordOtherGlCall("glTexCoord2f")
#define glMaterialfv(...) RecordOtherGlCall("glMaterialfv")
#define glLightfv(...) RecordOtherGlCall("glLightfv")
#define glShadeModel(...) RecordOtherGlCall("glShadeModel")
#define glCallList(...) RecordOtherGlCall("glCallList")
#define glTexImage2D(...) RecordOtherGlCall("glTexImage2D")

#define DrawBottle RecordedDrawBottle
#define DrawBottleLabel RecordedDrawBottleLabel
#define DrawLogoLetters RecordedDrawLogoLetters
#define DrawLogoLetterSides RecordedDrawLogoLetterSides
#define DrawLogoArch RecordedDrawLogoArch
#define BuildStarField RecordedBuildStarField
#define BottleMesh RecordedBottleMesh
#define BottleLabelMesh RecordedBottleLabelMesh
