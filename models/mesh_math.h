// Vector arithmetic for expanding the mesh tables at start-up, in double
// precision so that only the stored values are rounded to float.
#pragma once
#include <math.h>

struct MeshVector {
    double x, y, z;
};

inline MeshVector operator+(const MeshVector& a, const MeshVector& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

// The unit normal of the front side, (b - a) x (c - a) normalised.
inline MeshVector TriangleUnitNormal(const float a[3], const float b[3], const float c[3])
{
    MeshVector u = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
    MeshVector v = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
    MeshVector n = {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
    double length = sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    return {n.x / length, n.y / length, n.z / length};
}

// The meshes' normals point against their triangles' front side: a vertex gets
// the normalised sum of the unit normals around it, reversed.
inline void StoreReversedUnit(const MeshVector& sum, float normal[3])
{
    double length = -sqrt(sum.x * sum.x + sum.y * sum.y + sum.z * sum.z);
    normal[0] = static_cast<float>(sum.x / length);
    normal[1] = static_cast<float>(sum.y / length);
    normal[2] = static_cast<float>(sum.z / length);
}
