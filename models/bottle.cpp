// The amber beer bottle: a closed surface of revolution, 32 profile points turned
// through 24 segments, 1536 triangles. The profile is expanded once at start-up
// into the table that DrawBottle sends; nothing of it is computed while drawing.
#include <windows.h>
#include <GL/gl.h>

#include <math.h>

#include "models/mesh.h"
#include "models/mesh_math.h"
#include "models/models.h"

struct ProfilePoint {
    double z;
    double r;                // distance from the axis; negative beyond it
    bool creased;            // shading breaks here: each edge keeps its own normal
};

// A closed loop: up the outside from the edge of the base to the rim, down into
// the mouth, across the mouth disc, down a hair-thin tube along the axis and out
// along the underside of the base. Points 26 and 27 lie just beyond the axis.
// Point 5 and the axis carry one digit more than the drawings so that the
// bottle's extent comes out as drawn: x from -13.0355 to -7.2168.
static const ProfilePoint kProfile[] = {
    {-3.2626, 2.0101, false},  {-3.1087, 2.5261, false},  {-2.9626, 2.7101, false},
    {-2.7941, 2.8101, false},  {-2.2626, 2.9101, false},  {3.0106, 2.91337, false},
    {8.2374, 2.9101, false},   {8.7374, 2.8425, false},   {9.2374, 2.6101, false},
    {9.9412, 2.1974, false},   {10.7374, 1.9101, false},  {13.2514, 1.5675, false},
    {15.9374, 1.2101, false},  {15.9874, 1.2101, false},  {16.0374, 1.2101, true},
    {16.0642, 1.3101, false},  {16.1374, 1.3833, false},  {16.3106, 1.3369, false},
    {16.4374, 1.2101, false},  {16.6614, 1.2101, false},  {16.7374, 1.2101, false},
    {16.7871, 1.1101, false},  {16.7374, 1.0101, false},  {16.5874, 1.0101, false},
    {16.4374, 1.0101, true},   {16.4456, 0.4984, true},   {16.4537, -0.0134, true},
    {6.7956, -0.0016, false},  {-2.8626, 0.0101, false},  {-3.0126, 0.0101, false},
    {-3.1626, 0.0101, true},   {-3.2165, 1.0525, false},
};
static const int kProfilePoints = sizeof kProfile / sizeof kProfile[0];  // 32

// The innermost ring of the mouth disc crosses the axis; its quads carry flat
// normals per triangle instead: (0, 0, -1) on the first, (0, 0, 1) on the second.
static const int kMouthCentreEdge = 25;

static const double kAxisX = -10.12614;
static const double kAxisY = 12.7814;
static const int kSegments = 24;  // at 3 + 15k degrees
static const double kDegreesToRadians = 0.017453292519943295;

// Two triangles per profile edge and segment, counter-clockwise seen from outside.
static const int kBottleVertexCount = kProfilePoints * kSegments * 6;  // 4608

struct BottleTable {
    MeshVertex vertices[kBottleVertexCount];
};

struct Corner {
    int point;
    int segment;
};

// The two triangles of the quad between profile points edge and edge + 1 and the
// segments segment and segment + 1.
static void QuadCorners(int edge, int segment, Corner corners[6])
{
    int up = (edge + 1) % kProfilePoints;
    int next = (segment + 1) % kSegments;
    const Corner quad[6] = {{up, segment}, {edge, segment}, {edge, next},
                            {up, segment}, {edge, next},    {up, next}};
    for (int i = 0; i < 6; ++i)
        corners[i] = quad[i];
}

static BottleTable ExpandProfile()
{
    float positions[kProfilePoints][kSegments][3];
    for (int p = 0; p < kProfilePoints; ++p)
        for (int k = 0; k < kSegments; ++k) {
            double angle = (3 + 15 * k) * kDegreesToRadians;
            positions[p][k][0] = static_cast<float>(kAxisX + kProfile[p].r * cos(angle));
            positions[p][k][1] = static_cast<float>(kAxisY + kProfile[p].r * sin(angle));
            positions[p][k][2] = static_cast<float>(kProfile[p].z);
        }

    // Sums of the unit normals of the triangles around each position, kept apart
    // for the edge from the previous profile point ([0]) and the edge to the next
    // one ([1]).
    MeshVector sums[kProfilePoints][kSegments][2] = {};
    for (int edge = 0; edge < kProfilePoints; ++edge) {
        if (edge == kMouthCentreEdge)
            continue;
        for (int k = 0; k < kSegments; ++k) {
            Corner c[6];
            QuadCorners(edge, k, c);
            for (int t = 0; t < 6; t += 3) {
                MeshVector n = TriangleUnitNormal(positions[c[t].point][c[t].segment],
                                                  positions[c[t + 1].point][c[t + 1].segment],
                                                  positions[c[t + 2].point][c[t + 2].segment]);
                for (int i = t; i < t + 3; ++i) {
                    MeshVector& sum = sums[c[i].point][c[i].segment][c[i].point == edge ? 1 : 0];
                    sum = sum + n;
                }
            }
        }
    }

    BottleTable table;
    MeshVertex* out = table.vertices;
    for (int edge = 0; edge < kProfilePoints; ++edge)
        for (int k = 0; k < kSegments; ++k) {
            Corner c[6];
            QuadCorners(edge, k, c);
            for (int i = 0; i < 6; ++i, ++out) {
                const float* position = positions[c[i].point][c[i].segment];
                for (int axis = 0; axis < 3; ++axis)
                    out->position[axis] = position[axis];
                if (edge == kMouthCentreEdge) {
                    out->normal[0] = out->normal[1] = 0.0f;
                    out->normal[2] = i < 3 ? -1.0f : 1.0f;
                    continue;
                }
                // Normals point into the glass; a crease keeps the two edges'
                // sums apart.
                const MeshVector* around = sums[c[i].point][c[i].segment];
                StoreReversedUnit(kProfile[c[i].point].creased
                                      ? around[c[i].point == edge ? 1 : 0]
                                      : around[0] + around[1],
                                  out->normal);
            }
        }
    return table;
}

static const BottleTable kBottle = ExpandProfile();

MeshTable BottleMesh()
{
    return {kBottle.vertices, nullptr, kBottleVertexCount};
}

void DrawBottle()
{
    glBegin(GL_TRIANGLES);
    for (const MeshVertex& v : kBottle.vertices) {
        glNormal3f(v.normal[0], v.normal[1], v.normal[2]);
        glVertex3f(v.position[0], v.position[1], v.position[2]);
    }
    glEnd();
}
