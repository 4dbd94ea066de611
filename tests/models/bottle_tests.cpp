// The bottle and its label as DrawBottle and DrawBottleLabel send them, read
// from a recording of their OpenGL calls.
#include <math.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>

#include "tests/models/gl_recorder.h"

namespace {

using Point = std::array<float, 3>;

const double kDegree = 3.14159265358979323846 / 180;

Point PointOf(const float v[3]) { return {v[0], v[1], v[2]}; }

double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// (second - first) x (third - first)
void Cross(const RecordedVertex* t, double out[3])
{
    double u[3], v[3];
    for (int i = 0; i < 3; ++i) {
        u[i] = double(t[1].position[i]) - t[0].position[i];
        v[i] = double(t[2].position[i]) - t[0].position[i];
    }
    out[0] = u[1] * v[2] - u[2] * v[1];
    out[1] = u[2] * v[0] - u[0] * v[2];
    out[2] = u[0] * v[1] - u[1] * v[0];
}

void Normalise(double v[3])
{
    double length = sqrt(Dot(v, v));
    for (int i = 0; i < 3; ++i)
        v[i] /= length;
}

struct EdgeCount {
    int border = 0;  // run along by one triangle
    int shared = 0;  // by two, in opposite directions
    int other = 0;
};

EdgeCount CountEdges(const std::vector<RecordedVertex>& vertices)
{
    std::map<std::pair<Point, Point>, int> directed;
    for (size_t t = 0; t + 2 < vertices.size(); t += 3)
        for (int i = 0; i < 3; ++i)
            ++directed[{PointOf(vertices[t + i].position),
                        PointOf(vertices[t + (i + 1) % 3].position)}];
    EdgeCount count;
    for (const auto& [edge, times] : directed) {
        auto back = directed.find({edge.second, edge.first});
        int reverse = back == directed.end() ? 0 : back->second;
        if (times == 1 && reverse == 0)
            ++count.border;
        else if (times == 1 && reverse == 1)
            count.shared += edge.first < edge.second;
        else
            ++count.other;
    }
    return count;
}

struct Box {
    float low[3] = {1e9f, 1e9f, 1e9f};
    float high[3] = {-1e9f, -1e9f, -1e9f};
};

Box BoundingBox(const std::vector<RecordedVertex>& vertices)
{
    Box box;
    for (const RecordedVertex& v : vertices)
        for (int i = 0; i < 3; ++i) {
            box.low[i] = std::min(box.low[i], v.position[i]);
            box.high[i] = std::max(box.high[i], v.position[i]);
        }
    return box;
}

void ExpectBox(const Box& box, const double low[3], const double high[3], double tolerance)
{
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(box.low[i], low[i], tolerance) << "axis " << i;
        EXPECT_NEAR(box.high[i], high[i], tolerance) << "axis " << i;
    }
}

// The calls of one drawing, recorded once for all tests of a suite.
template <void (*draw)()>
class MeshSent : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        calls = Record(draw);
        batches = Batches(calls);
    }
    static std::vector<GlCall> calls;
    static std::vector<RecordedBatch> batches;
    const std::vector<RecordedVertex>& Vertices() const { return batches.at(0).vertices; }

    // glBegin(GL_TRIANGLES), then perVertex's calls for each of count vertices,
    // then glEnd.
    static ::testing::AssertionResult OneTriangleBatch(size_t count,
                                                       const std::vector<std::string>& perVertex)
    {
        ::testing::AssertionResult balanced = OnlyBalancedDrawing(calls);
        if (!balanced)
            return balanced;
        if (batches.size() != 1 || batches[0].mode != GL_TRIANGLES)
            return ::testing::AssertionFailure() << batches.size() << " batches";
        if (calls.size() != count * perVertex.size() + 2)
            return ::testing::AssertionFailure() << calls.size() << " calls";
        for (size_t i = 1; i + 1 < calls.size(); ++i)
            if (calls[i].name != perVertex[(i - 1) % perVertex.size()])
                return ::testing::AssertionFailure() << "call " << i << " is " << calls[i].name;
        return ::testing::AssertionSuccess();
    }
};

template <void (*draw)()>
std::vector<GlCall> MeshSent<draw>::calls;
template <void (*draw)()>
std::vector<RecordedBatch> MeshSent<draw>::batches;

class BottleMeshSent : public MeshSent<RecordedDrawBottle> {};

TEST_F(BottleMeshSent, IsOneBatchOf1536TrianglesWithANormalBeforeEachVertex)
{
    EXPECT_TRUE(OneTriangleBatch(4608, {"glNormal3f", "glVertex3f"}));
    EXPECT_EQ(calls.size(), 9218u);
}

TEST_F(BottleMeshSent, IsTheTableItKeeps)
{
    MeshTable table = RecordedBottleMesh();
    ASSERT_EQ(table.vertexCount, 4608);
    EXPECT_EQ(table.texCoords, nullptr);
    for (int i = 0; i < table.vertexCount; ++i) {
        EXPECT_EQ(PointOf(table.vertices[i].position), PointOf(Vertices()[i].position)) << i;
        EXPECT_EQ(PointOf(table.vertices[i].normal), PointOf(Vertices()[i].normal)) << i;
    }
}

TEST_F(BottleMeshSent, Has768DistinctPositions)
{
    std::set<Point> positions;
    for (const RecordedVertex& v : Vertices())
        positions.insert(PointOf(v.position));
    EXPECT_EQ(positions.size(), 768u);
}

TEST_F(BottleMeshSent, FillsItsBoxToFourDecimals)
{
    const double low[3] = {-13.0355, 9.8720, -3.2626};
    const double high[3] = {-7.2168, 15.6908, 16.7871};
    ExpectBox(BoundingBox(Vertices()), low, high, 0.00005);
}

TEST_F(BottleMeshSent, HasUnitNormals)
{
    for (const RecordedVertex& v : Vertices()) {
        double n[3] = {v.normal[0], v.normal[1], v.normal[2]};
        ASSERT_NEAR(sqrt(Dot(n, n)), 1.0, 1e-6);
    }
}

TEST_F(BottleMeshSent, TurnsEveryNormalAgainstItsTrianglesFront)
{
    const std::vector<RecordedVertex>& v = Vertices();
    for (size_t t = 0; t < v.size(); t += 3) {
        double front[3], normals[3] = {};
        Cross(&v[t], front);
        for (int i = 0; i < 3; ++i)
            for (int axis = 0; axis < 3; ++axis)
                normals[axis] += v[t + i].normal[axis];
        ASSERT_LT(Dot(front, normals), 0.0) << "triangle " << t / 3;
    }
}

TEST_F(BottleMeshSent, IsClosedAndConsistentlyOriented)
{
    EdgeCount edges = CountEdges(Vertices());
    EXPECT_EQ(edges.border, 0);
    EXPECT_EQ(edges.other, 0);
    EXPECT_EQ(edges.shared, 2304);
}

// The profile as the drawings give it: height, distance from the axis, and the
// normal (radial, axial) on the edge to the previous and to the next point.
// Horizontal normals are marked by an axial component of NAN; the edge from
// point 25 to 26 has flat normals per triangle (NAN throughout).
struct ProfileRow {
    double z, r;
    double previous[2], next[2];
};

const double H = NAN;
const ProfileRow kProfile[32] = {
    {-3.2626, 2.0101, {-0.120, 0.993}, {-0.120, 0.993}},
    {-3.1087, 2.5261, {-0.462, 0.887}, {-0.462, 0.887}},
    {-2.9626, 2.7101, {-0.753, 0.658}, {-0.753, 0.658}},
    {-2.7941, 2.8101, {-0.936, 0.353}, {-0.936, 0.353}},
    {-2.2626, 2.9101, {-0.996, 0.093}, {-0.996, 0.093}},
    {3.0106, 2.9134, {-1.000, 0.000}, {-1.000, 0.000}},
    {8.2374, 2.9101, {-0.998, -0.067}, {-0.998, -0.067}},
    {8.7374, 2.8425, {-0.960, -0.281}, {-0.960, -0.281}},
    {9.2374, 2.6101, {-0.886, -0.464}, {-0.886, -0.464}},
    {9.9412, 2.1974, {-0.905, -0.424}, {-0.905, -0.424}},
    {10.7374, 1.9101, {-0.971, -0.239}, {-0.971, -0.239}},
    {13.2514, 1.5675, {-0.991, -0.133}, {-0.991, -0.133}},
    {15.9374, 1.2101, {-0.998, -0.066}, {-0.998, -0.066}},
    {15.9874, 1.2101, {-1.000, 0.000}, {-1.000, 0.000}},
    {16.0374, 1.2101, {-0.999, 0.000}, {-0.259, 0.966}},
    {16.0642, 1.3101, {-0.500, 0.866}, {-0.500, 0.866}},
    {16.1374, 1.3833, {-0.966, 0.260}, {-0.966, 0.260}},
    {16.3106, 1.3369, {-0.866, -0.500}, {-0.866, -0.500}},
    {16.4374, 1.2101, {-0.924, -0.383}, {-0.924, -0.383}},
    {16.6614, 1.2101, {-1.000, 0.000}, {-1.000, 0.000}},
    {16.7374, 1.2101, {-0.849, -0.529}, {-0.849, -0.529}},
    {16.7871, 1.1101, {0.000, -1.000}, {0.000, -1.000}},
    {16.7374, 1.0101, {0.849, -0.529}, {0.849, -0.529}},
    {16.5874, 1.0101, {1.000, 0.000}, {1.000, 0.000}},
    {16.4374, 1.0101, {0.999, 0.000}, {-0.016, -1.000}},
    {16.4456, 0.4984, {-0.016, -1.000}, {H, H}},
    {16.4537, -0.0134, {H, H}, {0, H}},
    {6.7956, -0.0016, {0, H}, {0, H}},
    {-2.8626, 0.0101, {0, H}, {0, H}},
    {-3.0126, 0.0101, {0, H}, {0, H}},
    {-3.1626, 0.0101, {0, H}, {0.052, 0.999}},
    {-3.2165, 1.0525, {0.050, 0.999}, {0.050, 0.999}},
};

const double kBottleAxis[2] = {-10.1261, 12.7814};

int ProfilePointOf(const RecordedVertex& v)
{
    double r = hypot(v.position[0] - kBottleAxis[0], v.position[1] - kBottleAxis[1]);
    for (int p = 0; p < 32; ++p)
        if (fabs(v.position[2] - kProfile[p].z) < 0.0001 && fabs(r - fabs(kProfile[p].r)) < 0.0002)
            return p;
    return -1;
}

TEST_F(BottleMeshSent, ShadesAsTheProfileTableSays)
{
    // The table's normals are rounded to three decimals and hold to 0.11 degrees.
    const double tolerance = 0.0005 + sin(0.11 * kDegree);
    const std::vector<RecordedVertex>& v = Vertices();
    for (size_t t = 0; t < v.size(); t += 3) {
        int points[3];
        for (int i = 0; i < 3; ++i)
            ASSERT_NE(points[i] = ProfilePointOf(v[t + i]), -1) << "vertex " << t + i;
        // The triangle spans one profile edge: from low to low + 1, or 31 to 0.
        int low = *std::min_element(points, points + 3);
        int high = *std::max_element(points, points + 3);
        if (high - low != 1)
            std::swap(low, high);
        int lowCount = int(std::count(points, points + 3, low));
        for (int i = 0; i < 3; ++i) {
            const RecordedVertex& vertex = v[t + i];
            const ProfileRow& row = kProfile[points[i]];
            const double* expected = points[i] == low ? row.next : row.previous;
            SCOPED_TRACE(::testing::Message() << "vertex " << t + i << " at point " << points[i]);
            if (isnan(expected[0])) {
                // The mouth disc's centre ring: flat per triangle, the triangle
                // with two corners on the outer ring facing down.
                EXPECT_EQ(PointOf(vertex.normal), (Point{0, 0, lowCount == 2 ? -1.0f : 1.0f}));
                continue;
            }
            double outwards[3] = {vertex.position[0] - kBottleAxis[0],
                                  vertex.position[1] - kBottleAxis[1], 0};
            Normalise(outwards);
            double normal[3] = {vertex.normal[0], vertex.normal[1], vertex.normal[2]};
            if (isnan(expected[1])) {
                EXPECT_NEAR(normal[2], 0.0, tolerance);
                continue;
            }
            EXPECT_NEAR(Dot(normal, outwards), expected[0], tolerance);
            EXPECT_NEAR(normal[2], expected[1], tolerance);
        }
    }
}

class LabelMeshSent : public MeshSent<RecordedDrawBottleLabel> {};

const double kSheetAxis[2] = {-10.1371, 12.7950};
const double kColumnDegrees[11] = {-112.53, -99.01, -85.48, -63.00, -40.52, -27.00,
                                   -13.48,  9.00,   31.48,  45.01,  58.53};

TEST_F(LabelMeshSent, IsOneBatchOf40TexturedTriangles)
{
    EXPECT_TRUE(OneTriangleBatch(120, {"glTexCoord2fv", "glNormal3f", "glVertex3f"}));
    EXPECT_EQ(calls.size(), 362u);
}

TEST_F(LabelMeshSent, PassesEachTextureCoordinateFromItsTable)
{
    MeshTable table = RecordedBottleLabelMesh();
    ASSERT_EQ(table.vertexCount, 120);
    ASSERT_NE(table.texCoords, nullptr);
    for (int i = 0; i < 120; ++i)
        EXPECT_EQ(Vertices()[i].texCoordAddress, table.texCoords[i]) << i;
}

TEST_F(LabelMeshSent, HasThirtyThreePositionsAndNormals)
{
    std::set<Point> positions, normals;
    for (const RecordedVertex& v : Vertices()) {
        positions.insert(PointOf(v.position));
        normals.insert(PointOf(v.normal));
    }
    EXPECT_EQ(positions.size(), 33u);
    EXPECT_EQ(normals.size(), 33u);
}

TEST_F(LabelMeshSent, StartsAtTheTopLeftAndEndsHalfwayUpTheRight)
{
    EXPECT_EQ(Vertices().front().texCoord[0], 0.0f);
    EXPECT_EQ(Vertices().front().texCoord[1], 1.0f);
    EXPECT_EQ(Vertices().back().texCoord[0], 1.0f);
    EXPECT_EQ(Vertices().back().texCoord[1], 0.5f);
}

// s = j / 10 belongs to column j's angle, t = 0, 0.5, 1 to the three heights.
TEST_F(LabelMeshSent, PinsThePictureToTheGrid)
{
    const double heights[3] = {-2.1168, 3.0697, 8.2104};
    for (const RecordedVertex& v : Vertices()) {
        int column = int(lround(v.texCoord[0] * 10));
        ASSERT_EQ(v.texCoord[0], static_cast<float>(column / 10.0));
        double degrees =
            atan2(v.position[1] - kSheetAxis[1], v.position[0] - kSheetAxis[0]) / kDegree;
        EXPECT_NEAR(degrees, kColumnDegrees[column], 0.005) << "s " << v.texCoord[0];
        int row = int(lround(v.texCoord[1] * 2));
        ASSERT_EQ(v.texCoord[1], row * 0.5f);
        EXPECT_NEAR(v.position[2], heights[row], 0.00005) << "t " << v.texCoord[1];
        double radius = hypot(v.position[0] - kSheetAxis[0], v.position[1] - kSheetAxis[1]);
        EXPECT_NEAR(radius, row == 1 ? 3.0155 : 3.0121, 0.0006);
    }
}

TEST_F(LabelMeshSent, IsAnOpenSheetConsistentlyOriented)
{
    EdgeCount edges = CountEdges(Vertices());
    EXPECT_EQ(edges.border, 24);
    EXPECT_EQ(edges.shared, 48);
    EXPECT_EQ(edges.other, 0);
}

TEST_F(LabelMeshSent, FillsItsBox)
{
    // The rows' radii hold to 0.0006.
    const double low[3] = {-11.2923, 9.7894, -2.1168};
    const double high[3] = {-7.1583, 15.3667, 8.2104};
    ExpectBox(BoundingBox(Vertices()), low, high, 0.0006);
}

TEST_F(LabelMeshSent, FacesOutwardsWithNormalsTowardsTheAxis)
{
    const std::vector<RecordedVertex>& v = Vertices();
    for (size_t t = 0; t < v.size(); t += 3) {
        double front[3];
        Cross(&v[t], front);
        double outwards[3] = {v[t].position[0] - kSheetAxis[0],
                              v[t].position[1] - kSheetAxis[1], 0};
        EXPECT_GT(Dot(front, outwards), 0.0) << "triangle " << t / 3;
    }
    for (const RecordedVertex& vertex : v) {
        double normal[3] = {vertex.normal[0], vertex.normal[1], vertex.normal[2]};
        EXPECT_NEAR(sqrt(Dot(normal, normal)), 1.0, 1e-6);
        EXPECT_LE(fabs(normal[2]), 0.0007);
        double inwards[3] = {kSheetAxis[0] - vertex.position[0],
                             kSheetAxis[1] - vertex.position[1], 0};
        Normalise(inwards);
        bool endColumn = vertex.texCoord[0] == 0.0f || vertex.texCoord[0] == 1.0f;
        // The end columns have neighbours on one side only.
        double limit = endColumn ? 6.77 : 5.27;
        EXPECT_LE(acos(std::min(1.0, Dot(normal, inwards))) / kDegree, limit)
            << "s " << vertex.texCoord[0] << " t " << vertex.texCoord[1];
    }
}

// Each normal is the reversed, normalised sum of the unit normals of the
// triangles around its position.
TEST_F(LabelMeshSent, AveragesTheTrianglesAroundEachVertex)
{
    const std::vector<RecordedVertex>& v = Vertices();
    std::map<Point, std::array<double, 3>> sums;
    for (size_t t = 0; t < v.size(); t += 3) {
        double front[3];
        Cross(&v[t], front);
        Normalise(front);
        for (int i = 0; i < 3; ++i)
            for (int axis = 0; axis < 3; ++axis)
                sums[PointOf(v[t + i].position)][axis] -= front[axis];
    }
    for (const RecordedVertex& vertex : v) {
        std::array<double, 3> sum = sums[PointOf(vertex.position)];
        Normalise(sum.data());
        double normal[3] = {vertex.normal[0], vertex.normal[1], vertex.normal[2]};
        EXPECT_LE(acos(std::min(1.0, Dot(normal, sum.data()))) / kDegree, 0.07);
    }
}

}  // namespace
