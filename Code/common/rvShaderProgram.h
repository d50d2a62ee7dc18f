#pragma once
// GLSL program classes. Every source text begins with the token "SHADER_HEADER", replaced at build
// time by the common prologue (version, product define, integer source constants, "iTime" and
// "iResolution"). One program is in use at a time (`rvProgram::_currentProgramUsed`).
//
// rvProgram            compile/link, source constants, attribute names
//  +- rvProgram2D      screen-aligned quads, "iResolution", "iTime", "vMulColor", "vAddColor"
//  |   +- rvFillColorProgram2D, rvTexColorProgram2D, rvTexAlphaProgram2D, rvTexDepthProgram2D
//  +- rvProgram3D      "MVP" from the current render buffer, depth test while in use
#include <epoxy/gl.h>

#include <glm/glm.hpp>

#include <cstdint>
#include <string>
#include <vector>

#include "rvAssert.h"

// Drawing flags of rvProgram2D::DrawQuad and friends.
enum
{
    QUAD_WIDTH_FROM_HEIGHT = 1, // texture program: width follows the height and the texture's aspect
    QUAD_HEIGHT_FROM_WIDTH = 2, // texture program, when 1 is clear: height follows the width
    QUAD_LEFT = 4,              // x is the left edge
    QUAD_RIGHT = 8,             // x is the right edge (when 4 is clear); neither: x is the centre
    QUAD_TOP = 0x10,            // y is the top edge
    QUAD_BOTTOM = 0x20,         // y is the bottom edge (when 0x10 is clear); neither: y is the centre
    QUAD_EXTEND = 0x40,         // grow the quad over the whole target, texture kept in place
};

// Levels 1 and below of the 2D texture bound now, from its level 0 pixels (`channels` values per
// pixel, rows packed): halved on the processor (rvMipmap.h) and uploaded level by level, in place of
// glGenerateMipmap. The unpack alignment must suit the rows.
void rvUploadMipmaps(GLenum internalFormat, GLenum format, const uint8_t* level0, int w, int h, int channels);
void rvUploadMipmaps(GLenum internalFormat, GLenum format, const uint16_t* level0, int w, int h, int channels);

// The info log of a shader or of a program (the two share one name space); empty when there is none.
std::string rvGLInfoLog(GLuint shaderOrProgram);

// "iTime" clocks of rvProgram2D::_eTimeMode.
enum
{
    TIME_EFFECT = 0,          // local time of the effect being rendered
    TIME_SEQUENCE = 1,        // time of that effect's timeline
    TIME_PARENT_SEQUENCE = 2, // time of the timeline one level up
    TIME_WALLCLOCK = 3,       // glfwGetTime
};

struct rvProgram
{
    rvProgram() = default;
    rvProgram(const rvProgram&) = delete;
    rvProgram& operator=(const rvProgram&) = delete;

    // Stores each source only where none is set yet, then builds.
    virtual bool Create(const char* vertexSource, const char* fragmentSource,
                        const char* geometrySource = nullptr);
    virtual bool Build();
    virtual void Use();
    virtual void Unuse();
    virtual void Release();
    virtual ~rvProgram();
    // Sets the compile-time switches of the program's class as source constants (none here).
    virtual void ApplySwitches() {}
    // Builds now what the next Use would build, switches applied first: an effect's Init calls it
    // for the programs it draws with, so the loading pass compiles them and no frame waits for the
    // driver. False when the program cannot be built.
    bool Prepare();

    // Replaces the leading "SHADER_HEADER" by the prologue; false when the token is missing.
    bool ExpandHeader(const char* source, std::string& out);
    // Deletes the previous program, compiles the given stages, binds the attribute names and links.
    // Every failure is reported (with the driver's log) on the debug output and gives false.
    bool CompileAndLink(const char* vertex, const char* fragment, const char* geometry);
    // Integer source constant "const int <name> = <value>;". No-op when value equals *cachedValue.
    void SetConstant(const char* name, int* cachedValue, int value);
    void SetConstant(const char* name, int& cachedValue, int value)
    {
        SetConstant(name, &cachedValue, value);
    }
    void AddAttribLocation(const char* name, unsigned index);

    // Uniform location in the linked program, -1 when absent or when the program is not built.
    int UniformLocation(const char* name) const;
    bool IsBuilt() const { return programID != 0; }

    GLuint programID = 0;
    GLuint geometryshaderID = 0, vertexshaderID = 0, fragmentshaderID = 0;
    bool _bRebuild = true;
    const char* _pVertexSource = nullptr;
    const char* _pFragmentSource = nullptr;
    const char* _pGeometrySource = nullptr;
    std::vector<std::string> _aSourceConstants;
    std::vector<std::string> _attriblocation;
    // The last build failed with the current sources and constants: Use does not try again until a
    // source constant changes, Create or Build is called, or the program is released.
    bool _bBuildFailed = false;

    static rvProgram* _currentProgramUsed;
    // Programs linked since the process started (successful or not): a frame that has to build
    // one stalls for the driver's compile, so the loading pass builds what the timeline will use.
    static int _nLinkCount;

protected:
    void DeleteGLObjects();
};

struct rvProgram2D : rvProgram
{
    bool Build() override;
    void Use() override;
    void Unuse() override;
    virtual void Draw(int flags);
    virtual void DrawRectPixels(int flags, int x, int y, int width, int height);
    virtual void DrawQuad(int flags, float x, float y, float width, float height);

    // The assertion texts are kept exactly as reported.
    // clang-format off
    void SetMulColor(float r, float g, float b)
    {
        rvAssert(_location4f_vMulColor>=0);
        _vMulColor = glm::vec4(r, g, b, _vMulColor.a);
        glUniform4fv(_location4f_vMulColor, 1, &_vMulColor[0]);
    }
    void SetMulAlpha(float a)
    {
        rvAssert(_location4f_vMulColor>=0);
        _vMulColor.a = a;
        glUniform4fv(_location4f_vMulColor, 1, &_vMulColor[0]);
    }
    void SetAddColor(float r, float g, float b)
    {
        rvAssert(_location4f_vAddColor>=0);
        _vAddColor = glm::vec4(r, g, b, _vAddColor.a);
        glUniform4fv(_location4f_vAddColor, 1, &_vAddColor[0]);
    }
    // clang-format on

    // The value of clock `mode` now (before the offset is added).
    static float ClockTime(int mode);

    int _location2f_iResolution = -1;
    glm::vec2 _vResolution{0.f, 0.f};
    int _location1f_iTime = -1;
    float _fTimeValue = 0.f;
    int _location4f_vAddColor = -1;
    glm::vec4 _vAddColor{0.f};
    int _location4f_vMulColor = -1;
    glm::vec4 _vMulColor{1.f};
    float _fUVRotation = 0.f;
    glm::vec2 _vUVScale{1.f, 1.f};
    glm::vec2 _vUVOffset{0.f, 0.f};
    float _fTimeDelta = 0.f;
    float _fTimeOffset = 0.f;
    int _eTimeMode = TIME_EFFECT;
    int _nSavedDepthTest = 0, _nSavedBlend = 0, _nSavedCullFace = 0;
    int _viewport[4] = {0, 0, 0, 0};

    static GLuint _quadVAO, _quadVBO;
    static float _quadVertices[6 * 4];

protected:
    void LookupCommonUniforms();
};

struct rvFillColorProgram2D : rvProgram2D
{
    bool Build() override;
    void Use() override;
    void UseWithColor(float r, float g, float b, float a);

    int _location4f_FillColor = -1;
    glm::vec4 _vFillColor{1.f, 0.f, 0.f, 1.f};
};

// What became of an image file: loaded, not there (or empty), or there but not an image the
// decoder takes (corrupt, cut, another format).
enum class rvImageLoad
{
    Loaded,
    Missing,
    Unusable,
};

struct rvTexColorProgram2D : rvProgram2D
{
    bool Build() override;
    void Use() override;
    void Unuse() override;
    void Release() override;
    void Draw(int flags) override;
    void DrawQuad(int flags, float x, float y, float width, float height) override;

    // Makes the program's own texture from an image file of the data archive.
    rvImageLoad LoadImage(const char* path, bool mipmaps);
    // The same from encoded image bytes (PNG, JPEG, ...). False when they cannot be decoded, when
    // their header gives a size that does not fit (ImageSizeFits) or when the driver cannot make
    // the texture; the previous texture and size are then gone.
    bool LoadImageFromMemory(const unsigned char* data, int size, bool mipmaps);
    // Most pixels of an image made into a texture (64 MB of RGBA, before mipmaps).
    static constexpr int64_t kMaxImagePixels = int64_t(4096) * 4096;
    // Whether an image of this size is decoded at all: each side within the driver's largest
    // texture, the whole within kMaxImagePixels.
    static bool ImageSizeFits(int width, int height);
    // Uses the program with an outside texture (never owned).
    void UseTexture(GLuint texture);
    // The same with a texture whose size the caller knows (no query of the driver).
    void UseTexture(GLuint texture, int width, int height);
    bool IsImageLoaded() const { return _glTextureBuffer != 0 && _imageWidth > 0 && _imageHeight > 0; }

    int _imageWidth = 0, _imageHeight = 0;
    GLuint _glTextureBuffer = 0;

protected:
    void DeleteOwnTexture();
};

// Shows the alpha of a texture as grey. Its plain Use refuses; UseTexture takes an outside texture.
struct rvTexAlphaProgram2D : rvProgram2D
{
    bool Build() override;
    void Use() override { rvAssert(false); }
    void Unuse() override;
    void UseTexture(GLuint texture);
};

// Shows a depth texture as grey. Its plain Use refuses; UseTexture takes an outside texture.
struct rvTexDepthProgram2D : rvProgram2D
{
    bool Build() override;
    void Use() override { rvAssert(false); }
    void Unuse() override;
    void UseTexture(GLuint texture);

    int _location1f_zFar = -1;
    float _fZFar = 0.f;
    int _location1f_zNear = -1;
    float _fZNear = 0.f;
};

struct rvProgram3D : rvProgram
{
    bool Build() override;
    void Use() override;
    void Unuse() override;

    static const char* DefaultVertexSource();

    int _locationm4_MVP = -1;
    glm::mat4 _mMVP{1.f};
};
