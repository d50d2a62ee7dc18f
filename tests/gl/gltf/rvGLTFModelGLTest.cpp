// The glTF model on the GPU: uploaded buffers, a skinned draw, and release.
#include "gltf/rvGLTFModel.h"

#include "GLTestContext.h"
#include "TestSupport.h"

#include <cstdio>

namespace
{
GLuint Compile(GLenum type, const char* source)
{
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    char log[1024] = {};
    glGetShaderInfoLog(shader, sizeof(log), nullptr, log);
    if (log[0]) std::fprintf(stderr, "%s\n", log);
    return shader;
}

// Positions at 0, joints at 1, weights at 2; two joint matrices; the model's units
// scaled into clip space.
GLuint SkinProgram()
{
    const char* vs = R"(#version 430
layout(location = 0) in vec3 aPosition;
layout(location = 1) in uvec4 aJoints;
layout(location = 2) in vec4 aWeights;
uniform mat4 uJoints[2];
void main()
{
    mat4 skin = aWeights.x * uJoints[aJoints.x] + aWeights.y * uJoints[aJoints.y];
    vec4 p = skin * vec4(aPosition, 1.0);
    gl_Position = vec4(p.x * 0.4, p.y * 0.4 - 0.9, 0.0, 1.0);
})";
    const char* fs = R"(#version 430
out vec4 oColor;
void main() { oColor = vec4(1.0); })";
    GLuint program = glCreateProgram();
    GLuint v = Compile(GL_VERTEX_SHADER, vs), f = Compile(GL_FRAGMENT_SHADER, fs);
    glAttachShader(program, v);
    glAttachShader(program, f);
    glLinkProgram(program);
    char log[1024] = {};
    glGetProgramInfoLog(program, sizeof(log), nullptr, log);
    if (log[0]) std::fprintf(stderr, "%s\n", log);
    glDeleteShader(v);
    glDeleteShader(f);
    return program;
}

int LitPixels(const rvTest::RenderTarget& rt)
{
    int lit = 0;
    for (const rvTest::RGBA& p : rt.Read())
        lit += p.r > 128;
    return lit;
}
} // namespace

class GLTFModelGL : public rvTest::GLTest
{
};

TEST_F(GLTFModelGL, UploadsPrimitivesAndDrawsTheSkinnedMesh)
{
    GLuint buffer = 0;
    {
        rvGLTFModel model;
        model._nPositionLocation = 0;
        model._nJointsLocation = 1;
        model._nWeightsLocation = 2;
        model._nTexCoordLocation = 3;
        ASSERT_TRUE(model.Load(rvTest::SourcePath("tests/data/gltf/skinned.glb").c_str()));
        const rvGLTFModel::Primitive* prim = model._apMeshes.at(0)->_apPrimitives.at(0);
        ASSERT_NE(prim->_nVertexArray, 0u);

        // Two texture-coordinate sets: the second one is the one left in the buffer.
        float uv[8] = {};
        glBindBuffer(GL_ARRAY_BUFFER, prim->_nTexCoordBuffer);
        glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(uv), uv);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        EXPECT_EQ(uv[0], 9.0f);
        EXPECT_EQ(uv[7], 6.0f);

        rvTest::RenderTarget rt(64, 64);
        rt.Bind();
        GLuint program = SkinProgram();
        glUseProgram(program);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        auto drawAt = [&](float t)
        {
            model.SampleAnimation(0, t);
            const rvGLTFModel::Mesh* mesh = model._apMeshes[0];
            glUniformMatrix4fv(glGetUniformLocation(program, "uJoints"), mesh->_nJoints, GL_FALSE,
                               &mesh->_amJoints[0][0][0]);
            glClearColor(0, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT);
            model.Draw();
        };
        // At the start the mesh stands in its bind pose, its base on y = 0 (pixel row 9
        // holds y = 0.5); at one second the hip has lifted it by one.
        drawAt(0.0f);
        EXPECT_GT(LitPixels(rt), 20);
        EXPECT_GT(rt.Pixel(32, 9).r, 128);
        drawAt(1.0f);
        EXPECT_GT(LitPixels(rt), 20);
        EXPECT_LT(rt.Pixel(32, 9).r, 128);
        glUseProgram(0);
        glDeleteProgram(program);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        buffer = prim->_nPositionBuffer;
        EXPECT_TRUE(glIsBuffer(buffer));
    }
    EXPECT_FALSE(glIsBuffer(buffer)); // released with the model
}
