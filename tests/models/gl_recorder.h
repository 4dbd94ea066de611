// A stand-in for the OpenGL calls of the model sources: the test build of those
// sources (see recording_gl.h) reports every call here.
#pragma once
#include <windows.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "models/mesh.h"

struct GlCall {
    std::string name;
    GLenum mode;           // glBegin, glNewList; the capability of glEnable and glDisable
    GLuint list;           // glNewList
    float values[3];       // glNormal3f, glVertex3f; glTexCoord2fv and glColor3fv copied
    const float* address;  // glTexCoord2fv, glColor3fv
};

// Runs draw with a fresh recording and returns its calls.
std::vector<GlCall> Record(const std::function<void()>& draw);

// A vertex with the normal, texture coordinate and colour current when it was sent
// (OpenGL's initial ones before the first call that sets them).
struct RecordedVertex {
    float position[3];
    float normal[3];
    float texCoord[2];
    const float* texCoordAddress;
    float colour[3];
};

struct RecordedBatch {
    GLenum mode;
    std::vector<RecordedVertex> vertices;
};

std::vector<RecordedBatch> Batches(const std::vector<GlCall>& calls);

// Only drawing calls; every glBegin closed by a glEnd before the next, no vertex
// outside them, every display list closed, nothing left open at the end.
::testing::AssertionResult OnlyBalancedDrawing(const std::vector<GlCall>& calls);

// The model sources built against the recorder.
void RecordedDrawBottle();
void RecordedDrawBottleLabel();
void RecordedDrawLogoLetters();
void RecordedDrawLogoLetterSides();
struct SceneState;
void RecordedDrawLogoArch(const SceneState& scene);
void RecordedBuildStarField(float radius);
MeshTable RecordedBottleMesh();
MeshTable RecordedBottleLabelMesh();
