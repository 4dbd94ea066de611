// The monogram and the star field as their functions send them, read from a
// recording of their OpenGL calls.
#include <math.h>
#include <stdlib.h>

#include <algorithm>

#include "scene/scene.h"
#include "tests/models/gl_recorder.h"

namespace {

const float kYellow[3] = {1, 1, 0};
const float kBlue[3] = {0, 0, 1};
const float kWhite[3] = {1, 1, 1};

::testing::AssertionResult SameColour(const float* actual, const float* expected)
{
    if (std::equal(actual, actual + 3, expected))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << actual[0] << ", " << actual[1] << ", " << actual[2] << ")";
}

// Twice the signed area of a polygon's outline seen from +z: positive when it
// runs counter-clockwise.
double AreaFromAbove(const RecordedVertex* v, size_t count)
{
    double area = 0;
    for (size_t i = 0; i < count; ++i) {
        const float* a = v[i].position;
        const float* b = v[(i + 1) % count].position;
        area += double(a[0]) * b[1] - double(b[0]) * a[1];
    }
    return area;
}

// The vertices of a drawing that must send one batch of count quad corners.
std::vector<RecordedVertex> QuadBatch(void (*draw)(), size_t count)
{
    std::vector<RecordedBatch> batches = Batches(Record(draw));
    EXPECT_EQ(batches.size(), 1u);
    if (batches.empty())
        return {};
    EXPECT_EQ(batches[0].mode, GLenum(GL_QUADS));
    EXPECT_EQ(batches[0].vertices.size(), count);
    batches[0].vertices.resize(count);
    return batches[0].vertices;
}

void RecordedArch()
{
    RecordedDrawLogoArch(sceneStates[0]);
}

class Monogram : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FillHalfCircleTables(sceneStates[0]); }
};

TEST_F(Monogram, SendsItsPiecesInAFixedNumberOfCalls)
{
    std::vector<GlCall> letters = Record(RecordedDrawLogoLetters);
    std::vector<GlCall> sides = Record(RecordedDrawLogoLetterSides);
    std::vector<GlCall> arch = Record(RecordedArch);
    // The polygon offset is on for the arch alone, and off again after it.
    ASSERT_EQ(arch.size(), 106u);
    EXPECT_TRUE(arch.front().name == "glEnable" && arch.front().mode == GL_POLYGON_OFFSET_FILL);
    EXPECT_TRUE(arch.back().name == "glDisable" && arch.back().mode == GL_POLYGON_OFFSET_FILL);
    arch = std::vector<GlCall>(arch.begin() + 1, arch.end() - 1);
    EXPECT_TRUE(OnlyBalancedDrawing(letters));
    EXPECT_TRUE(OnlyBalancedDrawing(sides));
    EXPECT_TRUE(OnlyBalancedDrawing(arch));
    EXPECT_EQ(letters.size(), 28u);
    EXPECT_EQ(sides.size(), 83u);
    EXPECT_EQ(arch.size(), 104u);
}

TEST_F(Monogram, LetterFacesAreBlueQuadsAtDepthFourRunningClockwise)
{
    std::vector<RecordedVertex> faces = QuadBatch(RecordedDrawLogoLetters, 24);
    for (size_t q = 0; q < faces.size(); q += 4) {
        const RecordedVertex* quad = &faces[q];
        EXPECT_LT(AreaFromAbove(quad, 4), 0.0) << "quad " << q / 4;
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(quad[i].position[2], -4.0f);
            EXPECT_TRUE(SameColour(quad[i].colour, kBlue));
            EXPECT_EQ(quad[i].normal[0], 0.0f);
            EXPECT_EQ(quad[i].normal[1], 0.0f);
            EXPECT_EQ(quad[i].normal[2], -1.0f);
        }
    }
}

TEST_F(Monogram, SidesStandBetweenDepthsFiveAndFourFacingTheirNormals)
{
    std::vector<RecordedVertex> sides = QuadBatch(RecordedDrawLogoLetterSides, 64);
    for (size_t q = 0; q < sides.size(); q += 4) {
        const RecordedVertex* quad = &sides[q];
        SCOPED_TRACE(::testing::Message() << "side " << q / 4 + 1);
        const float* n = quad[0].normal;
        EXPECT_EQ(fabs(n[0]) + fabs(n[1]), 1.0f);
        EXPECT_EQ(n[2], 0.0f);
        // (second - first) x (third - first) along the normal: counter-clockwise
        // seen from where the normal points.
        double u[3], w[3];
        for (int i = 0; i < 3; ++i) {
            u[i] = quad[1].position[i] - quad[0].position[i];
            w[i] = quad[2].position[i] - quad[0].position[i];
        }
        double front[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                           u[0] * w[1] - u[1] * w[0]};
        EXPECT_GT(front[0] * n[0] + front[1] * n[1] + front[2] * n[2], 0.0);
        const float depths[4] = {-5, -4, -4, -5};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(quad[i].position[2], depths[i]);
            EXPECT_TRUE(SameColour(quad[i].colour, kBlue));
            EXPECT_EQ(quad[i].normal[0], n[0]);
            EXPECT_EQ(quad[i].normal[1], n[1]);
        }
    }
}

TEST_F(Monogram, ArchLayersLieAtTheirDepthsInTheirColours)
{
    std::vector<RecordedBatch> batches = Batches(Record(RecordedArch));
    ASSERT_EQ(batches.size(), 4u);
    EXPECT_EQ(batches[0].mode, GLenum(GL_POLYGON));
    EXPECT_EQ(batches[1].mode, GLenum(GL_LINE_LOOP));
    EXPECT_EQ(batches[2].mode, GLenum(GL_POLYGON));
    EXPECT_EQ(batches[3].mode, GLenum(GL_QUADS));
    ASSERT_EQ(batches[0].vertices.size(), 31u);
    ASSERT_EQ(batches[1].vertices.size(), 31u);
    ASSERT_EQ(batches[2].vertices.size(), 17u);
    ASSERT_EQ(batches[3].vertices.size(), 8u);

    struct Layer {
        size_t batch, first, count;
        float depth;
        const float* colour;
    };
    const Layer layers[] = {
        {0, 0, 31, -4.5f, kYellow},  {1, 0, 31, -4.5f, kBlue},   {2, 0, 16, -4.46f, kWhite},
        {2, 16, 1, -4.48f, kWhite},  {3, 0, 4, -4.46f, kWhite},  {3, 4, 4, -4.42f, kYellow},
    };
    for (const Layer& layer : layers)
        for (size_t i = layer.first; i < layer.first + layer.count; ++i) {
            const RecordedVertex& v = batches[layer.batch].vertices[i];
            SCOPED_TRACE(::testing::Message() << "batch " << layer.batch << " vertex " << i);
            EXPECT_FLOAT_EQ(v.position[2], layer.depth);
            EXPECT_TRUE(SameColour(v.colour, layer.colour));
            EXPECT_EQ(v.normal[2], 1.0f);
        }
    EXPECT_GT(AreaFromAbove(batches[0].vertices.data(), 31), 0.0);
    EXPECT_GT(AreaFromAbove(batches[2].vertices.data(), 17), 0.0);
    EXPECT_GT(AreaFromAbove(&batches[3].vertices[0], 4), 0.0);
    EXPECT_GT(AreaFromAbove(&batches[3].vertices[4], 4), 0.0);
}

TEST_F(Monogram, ArchOutlineClosesAlongTheDiameter)
{
    std::vector<RecordedVertex> outline = Batches(Record(RecordedArch)).at(1).vertices;
    ASSERT_EQ(outline.size(), 31u);
    EXPECT_FLOAT_EQ(outline.front().position[0], 7.5f);
    EXPECT_FLOAT_EQ(outline.front().position[1], -2.5f);
    EXPECT_FLOAT_EQ(outline.back().position[0], -7.5f);
    EXPECT_NEAR(outline.back().position[1], -2.5f, 1e-6);
    EXPECT_FLOAT_EQ(outline[15].position[1], 5.0f);
}

// LogoBody: letters; move (0, 0, 1); letters, sides and arch.
TEST_F(Monogram, BodyIsFifteenWideAndSevenAndAHalfHighAndOneThick)
{
    std::vector<RecordedVertex> vertices;
    for (const RecordedBatch& batch : Batches(Record(RecordedDrawLogoLetters)))
        vertices.insert(vertices.end(), batch.vertices.begin(), batch.vertices.end());
    std::vector<RecordedBatch> moved = Batches(Record([] {
        RecordedDrawLogoLetters();
        RecordedDrawLogoLetterSides();
        RecordedArch();
    }));
    for (const RecordedBatch& batch : moved)
        for (RecordedVertex v : batch.vertices) {
            v.position[2] += 1;
            vertices.push_back(v);
        }
    float low[3] = {1e9f, 1e9f, 1e9f}, high[3] = {-1e9f, -1e9f, -1e9f};
    for (const RecordedVertex& v : vertices)
        for (int i = 0; i < 3; ++i) {
            low[i] = std::min(low[i], v.position[i]);
            high[i] = std::max(high[i], v.position[i]);
        }
    EXPECT_FLOAT_EQ(low[0], -7.5f);
    EXPECT_FLOAT_EQ(high[0], 7.5f);
    EXPECT_FLOAT_EQ(low[1], -2.5f);
    EXPECT_FLOAT_EQ(high[1], 5.0f);
    EXPECT_FLOAT_EQ(low[2], -4.0f);
    EXPECT_FLOAT_EQ(high[2], -3.0f);
}

// The runtime's generator: state x 214013 + 2531011, bits 16 to 30 of the state.
unsigned ReferenceRandAfter(unsigned seed, int draws)
{
    unsigned state = seed;
    for (int i = 0; i <= draws; ++i)
        state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7fff;
}

std::vector<GlCall> RecordStarField(unsigned seed)
{
    srand(seed);
    return Record([] { RecordedBuildStarField(200.0f); });
}

TEST(StarField, CompilesList998FromOneBatchOf2200Points)
{
    std::vector<GlCall> calls = RecordStarField(7);
    ASSERT_TRUE(OnlyBalancedDrawing(calls));
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.front().name, "glNewList");
    EXPECT_EQ(calls.front().list, 998u);
    EXPECT_EQ(calls.front().mode, GLenum(GL_COMPILE));
    std::vector<RecordedBatch> batches = Batches(calls);
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0].mode, GLenum(GL_POINTS));
    EXPECT_EQ(batches[0].vertices.size(), 2200u);
    EXPECT_EQ(calls.size(), 2204u);  // no colour and no normal in the list
}

TEST(StarField, TakesExactly6160NumbersFromTheRuntimesGenerator)
{
    for (unsigned seed : {1u, 12345u, 0xdeadbeefu}) {
        RecordStarField(seed);
        EXPECT_EQ(unsigned(rand()), ReferenceRandAfter(seed, 6160)) << "seed " << seed;
    }
}

TEST(StarField, OneSeedGivesOneSky)
{
    std::vector<RecordedVertex> first = Batches(RecordStarField(4711)).at(0).vertices;
    std::vector<RecordedVertex> second = Batches(RecordStarField(4711)).at(0).vertices;
    std::vector<RecordedVertex> other = Batches(RecordStarField(4712)).at(0).vertices;
    ASSERT_EQ(first.size(), 2200u);
    ASSERT_EQ(second.size(), 2200u);
    bool differs = false;
    for (size_t i = 0; i < first.size(); ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_EQ(first[i].position[axis], second[i].position[axis]) << i;
            differs |= first[i].position[axis] != other[i].position[axis];
        }
    }
    EXPECT_TRUE(differs);
}

// 0, 1 or 2 spreads, as near as the rounding of the pushed point to float allows.
::testing::AssertionResult PushedBySpreads(float push, int spread)
{
    for (int times = 0; times <= 2; ++times)
        if (fabs(push - times * spread) <= 1e-4)
            return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pushed by " << push << " with spread " << spread;
}

// 40 angles of 55 points: 11 spreads w = 0, 30, ..., 300 of five points each.
TEST(StarField, SpreadsFromTheRingTowardsMinusXAndMinusZ)
{
    std::vector<RecordedVertex> stars = Batches(RecordStarField(99)).at(0).vertices;
    ASSERT_EQ(stars.size(), 2200u);
    const double kDegree = 3.14159265358979323846 / 180;
    for (int angle = 0; angle < 40; ++angle) {
        const float* ring = stars[angle * 55].position;
        SCOPED_TRACE(::testing::Message() << "angle " << angle * 9);
        EXPECT_EQ(ring[1], 0.0f);
        EXPECT_NEAR(hypot(ring[0], ring[2]), 200.0, 1e-4);
        double turn = atan2(ring[0], ring[2]) - angle * 9 * kDegree;
        EXPECT_NEAR(remainder(turn, 360 * kDegree), 0.0, 1e-6);
        for (int spread = 0; spread < 11; ++spread)
            for (int point = 0; point < 5; ++point) {
                const float* star = stars[angle * 55 + spread * 5 + point].position;
                EXPECT_LE(star[0], ring[0]);
                EXPECT_LE(star[2], ring[2]);
                EXPECT_TRUE(PushedBySpreads(ring[0] - star[0], 30 * spread));
                EXPECT_TRUE(PushedBySpreads(ring[2] - star[2], 30 * spread));
                const float highest[5] = {0, 50, 0, 25, 0}, lowest[5] = {0, 0, -50, 0, -25};
                EXPECT_GE(star[1], lowest[point]);
                EXPECT_LE(star[1], highest[point]);
                EXPECT_EQ(star[1], floorf(star[1]));
            }
    }
}

}  // namespace
