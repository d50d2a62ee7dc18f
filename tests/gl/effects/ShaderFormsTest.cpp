// The 3D and texture forms of the effect programs, through their two small classes: the wire frame
// placed by a uniform block (shWireBlock3d) and the tint post effect over a copy of the current
// buffer (shPostTint). Expected pixels come from models of what each should draw.
#include "EffectGLTest.h"
#include "GLTestContext.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "effects/patterns/shPostTint.h"
#include "effects/patterns/shWireBlock3d.h"
#include "effects/shEffectProgram.h"
#include "rvSceneDisplay.h"

using rvTest::GLTest;
using rvTest::RenderTarget;
using rvTest::RGBA;

namespace
{
// Distance from p to the line through a and b.
float LineDistance(glm::vec2 p, glm::vec2 a, glm::vec2 b)
{
    const glm::vec2 e = b - a, f = p - a;
    return std::fabs(e.x * f.y - e.y * f.x) / glm::length(e);
}

// Signed area test: p inside the triangle (either winding) and how far from its nearest edge.
bool InsideTriangle(glm::vec2 p, const glm::vec2 t[3], float* pfEdge)
{
    float sign[3];
    for (int k = 0; k < 3; ++k)
    {
        const glm::vec2 e = t[(k + 1) % 3] - t[k], f = p - t[k];
        sign[k] = e.x * f.y - e.y * f.x;
    }
    *pfEdge =
        std::min({LineDistance(p, t[0], t[1]), LineDistance(p, t[1], t[2]), LineDistance(p, t[2], t[0])});
    return (sign[0] > 0 && sign[1] > 0 && sign[2] > 0) || (sign[0] < 0 && sign[1] < 0 && sign[2] < 0);
}

struct SlotVertex
{
    float x, y, z;
    int slot;
};

class WireBlock3d : public GLTest
{
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        rvSceneDisplay::_pCurrentBuffer = nullptr; // MVP stays the program's own (identity)
    }
};
} // namespace

TEST_F(WireBlock3d, BlockPlacesEachSlotAndEdgesTakeTheLineColour)
{
    const int W = 96, H = 64;
    RenderTarget target(W, H);
    target.Bind();
    // One triangle twice: slot 0 and slot 1.
    const glm::vec3 shape[3] = {{-1.0f, -1.0f, 0.0f}, {1.0f, -1.0f, 0.0f}, {0.0f, 1.0f, 0.0f}};
    SlotVertex vertices[6];
    for (int i = 0; i < 6; ++i)
        vertices[i] = {shape[i % 3].x, shape[i % 3].y, shape[i % 3].z, i / 3};
    GLuint vao = 0, vbo = 0;
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &vbo);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof(vertices), vertices, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(SlotVertex), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribIPointer(1, 1, GL_INT, sizeof(SlotVertex), reinterpret_cast<void*>(3 * sizeof(float)));

    shWireBlock3d wire;
    wire._vLineColor = glm::vec4(1.0f, 0.8f, 0.2f, 1.0f);
    wire._vFillColor = glm::vec4(0.0f, 0.2f, 0.4f, 1.0f);
    wire._fLineWidth = 3.0f;

    struct Case
    {
        const char* what;
        glm::vec4 place0, place1;
    } cases[] = {
        {"left and right", {-0.5f, 0.0f, 0.0f, 0.4f}, {0.5f, 0.0f, 0.0f, 0.4f}},
        {"moved by the block alone", {0.0f, 0.4f, 0.0f, 0.5f}, {0.6f, -0.6f, 0.0f, 0.3f}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        wire._aWirePlace[0] = c.place0;
        wire._aWirePlace[1] = c.place1;
        glClearColor(0.5f, 0.0f, 0.5f, 1.0f);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDepthFunc(GL_LESS);
        wire.Use();
        glDrawArrays(GL_TRIANGLES, 0, 6);
        wire.Unuse();

        // The model: each slot's triangle in pixels; line colour within LINE_WIDTH of an edge (less
        // the one pixel of anti-aliasing), fill colour further in, the clear colour outside.
        glm::vec2 tri[2][3];
        const glm::vec4 places[2] = {c.place0, c.place1};
        for (int t = 0; t < 2; ++t)
            for (int k = 0; k < 3; ++k)
            {
                const glm::vec3 p = shape[k] * places[t].w + glm::vec3(places[t]);
                tri[t][k] = glm::vec2((p.x * 0.5f + 0.5f) * W, (p.y * 0.5f + 0.5f) * H);
            }
        const std::vector<RGBA> px = target.Read();
        int checked[3] = {0, 0, 0};
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
            {
                const glm::vec2 p(x + 0.5f, y + 0.5f);
                float edge[2];
                const bool in0 = InsideTriangle(p, tri[0], &edge[0]);
                const bool in1 = InsideTriangle(p, tri[1], &edge[1]);
                const float d = std::min(in0 ? edge[0] : 1e9f, in1 ? edge[1] : 1e9f);
                glm::vec4 expected;
                int kind;
                if (!in0 && !in1 && std::min(edge[0], edge[1]) > 1.0f)
                    expected = glm::vec4(0.5f, 0.0f, 0.5f, 1.0f), kind = 0;
                else if ((in0 || in1) && d < wire._fLineWidth - 1.0f && d > 0.5f)
                    expected = wire._vLineColor, kind = 1;
                else if ((in0 || in1) && d > wire._fLineWidth + 1.0f)
                    expected = wire._vFillColor, kind = 2;
                else
                    continue; // anti-aliased or on the raster edge
                ++checked[kind];
                const RGBA& got = px[size_t(y) * W + x];
                ASSERT_NEAR(got.r, expected.r * 255.0f, 2.0f) << x << "," << y << " kind " << kind;
                ASSERT_NEAR(got.g, expected.g * 255.0f, 2.0f) << x << "," << y << " kind " << kind;
                ASSERT_NEAR(got.b, expected.b * 255.0f, 2.0f) << x << "," << y << " kind " << kind;
            }
        EXPECT_GT(checked[0], 100);
        EXPECT_GT(checked[1], 20);
        EXPECT_GT(checked[2], 20);
    }

    // The block is bound where the program says.
    GLint binding = -1;
    glGetActiveUniformBlockiv(wire.programID, glGetUniformBlockIndex(wire.programID, "WIRE_BLOCK"),
                              GL_UNIFORM_BLOCK_BINDING, &binding);
    EXPECT_EQ(binding, wire._nWireBlockBinding);

    glBindVertexArray(0);
    glDeleteBuffers(1, &vbo);
    glDeleteVertexArrays(1, &vao);
    wire.Release();
    EXPECT_EQ(wire._glWireBuffer, 0u);
}

namespace
{
const int kTintW = 40, kTintH = 24;

class PostTint : public rvTest::EffectGLTest<kTintW, kTintH>
{
protected:
    // A picture of four coloured quadrants in the current buffer; returns its colour at (x, y).
    static glm::vec4 Picture(int x, int y)
    {
        const bool right = x >= kTintW / 2, top = y >= kTintH / 2;
        if (top) return right ? glm::vec4(0.2f, 0.4f, 1.0f, 1.0f) : glm::vec4(1.0f, 1.0f, 1.0f, 1.0f);
        return right ? glm::vec4(0.0f, 1.0f, 0.6f, 1.0f) : glm::vec4(0.8f, 0.4f, 0.2f, 1.0f);
    }
    static void PaintPicture()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, rvSceneDisplay::_DefaultBuffer._glFrameBuffer);
        glViewport(0, 0, kTintW, kTintH);
        glEnable(GL_SCISSOR_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        for (int qx = 0; qx < 2; ++qx)
            for (int qy = 0; qy < 2; ++qy)
            {
                const glm::vec4 c = Picture(qx * kTintW / 2, qy * kTintH / 2);
                glScissor(qx * kTintW / 2, qy * kTintH / 2, kTintW / 2, kTintH / 2);
                glClearColor(c.r, c.g, c.b, c.a);
                glClear(GL_COLOR_BUFFER_BIT);
            }
        glDisable(GL_SCISSOR_TEST);
    }
    static std::vector<RGBA> ReadDefault()
    {
        std::vector<RGBA> px(size_t(kTintW) * kTintH);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, rvSceneDisplay::_DefaultBuffer._glFrameBuffer);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kTintW, kTintH, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        return px;
    }
    void Release() override { _tint.Release(); }

    shPostTint _tint;
};
} // namespace

TEST_F(PostTint, TintsTheRegionOfTheBufferCopyAndPassesTheRestThrough)
{
    _tint._vTintColor = glm::vec4(1.0f, 0.5f, 0.25f, 1.0f);
    _tint._fTintAmount = 0.8f;
    struct Case
    {
        const char* what;
        bool bWhole;
        int flags;
        float x, y, w, h;
    } cases[] = {
        {"Draw(0): the whole target", true, 0, 0, 0, 0, 0},
        {"centred quad of half the size", false, 0, 0.5f, 0.5f, 0.5f, 0.5f},
        {"left and top edges given", false, QUAD_LEFT | QUAD_TOP, 0.1f, 0.25f, 0.3f, 0.5f},
        {"right and bottom edges given", false, QUAD_RIGHT | QUAD_BOTTOM, 1.0f, 1.0f, 0.25f, 0.25f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        PaintPicture();
        _tint.Use();
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
        if (c.bWhole)
            _tint.Draw(0);
        else
            _tint.DrawQuad(c.flags, c.x, c.y, c.w, c.h);
        _tint.Unuse();
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

        const glm::vec4 region = c.bWhole ? glm::vec4(0.0f, 0.0f, 1.0f, 1.0f)
                                          : shEffectProgram::RegionOf(c.flags, c.x, c.y, c.w, c.h);
        EXPECT_EQ(_tint._vRegionUV, region);
        const std::vector<RGBA> px = ReadDefault();
        int inside = 0;
        for (int y = 0; y < kTintH; ++y)
            for (int x = 0; x < kTintW; ++x)
            {
                // Region in fractions of the target, y from the top; pixel centres decide.
                const float u = (x + 0.5f) / kTintW, v = 1.0f - (y + 0.5f) / kTintH;
                const bool in =
                    u >= region.x && u <= region.x + region.z && v >= region.y && v <= region.y + region.w;
                const glm::vec4 p = Picture(x, y);
                glm::vec3 expected(p);
                if (in)
                {
                    expected =
                        glm::mix(expected, expected * glm::vec3(_tint._vTintColor), _tint._fTintAmount);
                    ++inside;
                }
                const RGBA& got = px[size_t(y) * kTintW + x];
                ASSERT_NEAR(got.r, expected.r * 255.0f, 1.5f) << x << "," << y;
                ASSERT_NEAR(got.g, expected.g * 255.0f, 1.5f) << x << "," << y;
                ASSERT_NEAR(got.b, expected.b * 255.0f, 1.5f) << x << "," << y;
                ASSERT_EQ(got.a, 255) << x << "," << y;
            }
        EXPECT_GT(inside, 0);
    }
}
