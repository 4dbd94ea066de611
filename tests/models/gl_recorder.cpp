#include "tests/models/gl_recorder.h"

#include <algorithm>
#include <set>

// The recording in progress: the recorder is reached through plain OpenGL
// signatures, so it cannot be handed along.
static std::vector<GlCall> recording;

static void Add(const char* name, GLenum mode, GLuint list, float a, float b, float c,
                const float* address)
{
    recording.push_back({name, mode, list, {a, b, c}, address});
}

void RecordGlBegin(GLenum mode) { Add("glBegin", mode, 0, 0, 0, 0, nullptr); }
void RecordGlEnd() { Add("glEnd", 0, 0, 0, 0, 0, nullptr); }
void RecordGlNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    Add("glNormal3f", 0, 0, x, y, z, nullptr);
}

void RecordGlVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    Add("glVertex3f", 0, 0, x, y, z, nullptr);
}

void RecordGlTexCoord2fv(const GLfloat* st) { Add("glTexCoord2fv", 0, 0, st[0], st[1], 0, st); }
void RecordGlColor3fv(const GLfloat* rgb) { Add("glColor3fv", 0, 0, rgb[0], rgb[1], rgb[2], rgb); }
void RecordGlNewList(GLuint list, GLenum mode) { Add("glNewList", mode, list, 0, 0, 0, nullptr); }
void RecordGlEndList() { Add("glEndList", 0, 0, 0, 0, 0, nullptr); }
void RecordOtherGlCall(const char* name, GLenum capability)
{
    Add(name, capability, 0, 0, 0, 0, nullptr);
}

std::vector<GlCall> Record(const std::function<void()>& draw)
{
    recording.clear();
    draw();
    return std::move(recording);
}

std::vector<RecordedBatch> Batches(const std::vector<GlCall>& calls)
{
    std::vector<RecordedBatch> batches;
    RecordedVertex current = {{0, 0, 0}, {0, 0, 1}, {0, 0}, nullptr, {1, 1, 1}};
    for (const GlCall& call : calls) {
        const float* v = call.values;
        if (call.name == "glBegin") {
            batches.push_back({call.mode, {}});
        } else if (call.name == "glNormal3f") {
            std::copy(v, v + 3, current.normal);
        } else if (call.name == "glColor3fv") {
            std::copy(v, v + 3, current.colour);
        } else if (call.name == "glTexCoord2fv") {
            std::copy(v, v + 2, current.texCoord);
            current.texCoordAddress = call.address;
        } else if (call.name == "glVertex3f" && !batches.empty()) {
            std::copy(v, v + 3, current.position);
            batches.back().vertices.push_back(current);
        }
    }
    return batches;
}

::testing::AssertionResult OnlyBalancedDrawing(const std::vector<GlCall>& calls)
{
    static const std::set<std::string> kInsideBatch = {"glNormal3f", "glVertex3f",
                                                        "glTexCoord2fv", "glColor3fv"};
    bool inBatch = false, inList = false;
    for (size_t i = 0; i < calls.size(); ++i) {
        const std::string& name = calls[i].name;
        bool fits = name == "glBegin"     ? !inBatch
                    : name == "glEnd"     ? inBatch
                    : name == "glNewList" ? !inBatch && !inList
                    : name == "glEndList" ? !inBatch && inList
                                          : inBatch && kInsideBatch.count(name) > 0;
        if (!fits)
            return ::testing::AssertionFailure() << "call " << i << ": " << name
                                                 << (inBatch ? " inside" : " outside")
                                                 << " glBegin/glEnd";
        if (name == "glBegin" || name == "glEnd")
            inBatch = name == "glBegin";
        if (name == "glNewList" || name == "glEndList")
            inList = name == "glNewList";
    }
    if (inBatch || inList)
        return ::testing::AssertionFailure() << "left open at the end";
    return ::testing::AssertionSuccess();
}
