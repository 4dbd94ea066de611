// The vertex tables of the bottle and its label, readable without a rendering
// context. Both are filled once at start-up and never change.
#pragma once

struct MeshVertex {
    float normal[3];
    float position[3];
};

// A batch of GL_TRIANGLES: vertexCount vertices, three per triangle, in drawing
// order. texCoords, when present, holds one (s, t) pair per vertex.
struct MeshTable {
    const MeshVertex* vertices;
    const float (*texCoords)[2];
    int vertexCount;
};

MeshTable BottleMesh();
MeshTable BottleLabelMesh();
