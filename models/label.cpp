// The bottle's label: a textured sheet of 40 triangles bent around the body,
// 11 columns by 3 rows of positions. Expanded once at start-up; the scene draws
// it twice per bottle, front and back.
#include <windows.h>
#include <GL/gl.h>

#include <math.h>

#include "models/mesh.h"
#include "models/mesh_math.h"
#include "models/models.h"

// The sheet's own axis lies 0.0175 beside the bottle's.
static const double kSheetAxisX = -10.1371;
static const double kSheetAxisY = 12.7950;
static const double kDegreesToRadians = 0.017453292519943295;

// Columns j = 0 to 10 carry s = j / 10 at these angles. The steps alternate in
// pairs of 13.5 and 22.5 degrees, so the picture stretches unevenly.
static const double kColumnDegrees[] = {-112.53, -99.01, -85.48, -63.00, -40.52, -27.00,
                                        -13.48,  9.00,   31.48,  45.01,  58.53};
static const int kColumns = sizeof kColumnDegrees / sizeof kColumnDegrees[0];

struct LabelRow {
    double z;
    double radius;  // the middle row bulges a little more
    float t;
};

// Bottom to top; the sheet floats about 0.1 outside the bottle's body.
static const LabelRow kLabelRows[] = {
    {-2.1168, 3.0121, 0.0f}, {3.0697, 3.0155, 0.5f}, {8.2104, 3.0121, 1.0f}};
static const int kRowCount = sizeof kLabelRows / sizeof kLabelRows[0];

// Per pair of neighbouring columns, the upper quad and then the lower one, as
// (column offset, row) corners, counter-clockwise seen from outside.
static const int kPairCorners[12][2] = {
    {0, 2}, {0, 1}, {1, 1}, {0, 2}, {1, 1}, {1, 2},
    {0, 1}, {0, 0}, {1, 0}, {0, 1}, {1, 0}, {1, 1}};

// 40 triangles, 120 vertices, counter-clockwise seen from outside.
static const int kLabelVertexCount = (kColumns - 1) * 12;

struct LabelTable {
    MeshVertex vertices[kLabelVertexCount];
    // Apart from the vertices, because the drawing passes each pair by address.
    float texCoords[kLabelVertexCount][2];
};

static LabelTable ExpandLabel()
{
    float positions[kColumns][kRowCount][3];
    for (int j = 0; j < kColumns; ++j)
        for (int row = 0; row < kRowCount; ++row) {
            double angle = kColumnDegrees[j] * kDegreesToRadians;
            double radius = kLabelRows[row].radius;
            positions[j][row][0] = static_cast<float>(kSheetAxisX + radius * cos(angle));
            positions[j][row][1] = static_cast<float>(kSheetAxisY + radius * sin(angle));
            positions[j][row][2] = static_cast<float>(kLabelRows[row].z);
        }

    MeshVector sums[kColumns][kRowCount] = {};
    for (int j = 0; j + 1 < kColumns; ++j)
        for (int t = 0; t < 12; t += 3) {
            const int* a = kPairCorners[t];
            const int* b = kPairCorners[t + 1];
            const int* c = kPairCorners[t + 2];
            MeshVector n = TriangleUnitNormal(positions[j + a[0]][a[1]], positions[j + b[0]][b[1]],
                                              positions[j + c[0]][c[1]]);
            for (int i = t; i < t + 3; ++i) {
                MeshVector& sum = sums[j + kPairCorners[i][0]][kPairCorners[i][1]];
                sum = sum + n;
            }
        }

    LabelTable table;
    int v = 0;
    for (int j = 0; j + 1 < kColumns; ++j)
        for (int i = 0; i < 12; ++i, ++v) {
            int column = j + kPairCorners[i][0];
            int row = kPairCorners[i][1];
            for (int axis = 0; axis < 3; ++axis)
                table.vertices[v].position[axis] = positions[column][row][axis];
            StoreReversedUnit(sums[column][row], table.vertices[v].normal);
            table.texCoords[v][0] = static_cast<float>(column / 10.0);
            table.texCoords[v][1] = kLabelRows[row].t;
        }
    return table;
}

static const LabelTable kLabel = ExpandLabel();

MeshTable BottleLabelMesh()
{
    return {kLabel.vertices, kLabel.texCoords, kLabelVertexCount};
}

void DrawBottleLabel()
{
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < kLabelVertexCount; ++i) {
        const MeshVertex& v = kLabel.vertices[i];
        glTexCoord2fv(kLabel.texCoords[i]);
        glNormal3f(v.normal[0], v.normal[1], v.normal[2]);
        glVertex3f(v.position[0], v.position[1], v.position[2]);
    }
    glEnd();
}
