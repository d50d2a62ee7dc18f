#include "rvShaderProgram.h"
#include "rvMipmap.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include <stb_image.h>

#include "Display/rvBufferDisplay.h"
#include "Factory/fxBase.h"
#include "Sequencer/rvSequence.h"
#include "rvMessage.h"
#include "rvSceneDisplay.h"

rvProgram* rvProgram::_currentProgramUsed = nullptr;
int rvProgram::_nLinkCount = 0;
GLuint rvProgram2D::_quadVAO = 0;
GLuint rvProgram2D::_quadVBO = 0;
float rvProgram2D::_quadVertices[6 * 4] = {};

namespace
{
const char* const kHeaderToken = "SHADER_HEADER";
const size_t kHeaderTokenLength = 13;

const char* const kDefaultVertex2D = R"GLSL(SHADER_HEADER
layout (location = 0) in vec2 aPos;
layout (location = 1) in vec2 aTexCoords;
out vec2 TexCoords;
void main()
{
    TexCoords = aTexCoords;
    gl_Position = vec4(aPos.x, aPos.y, 0.0, 1);
}
)GLSL";

const char* const kFillColorFragment = R"GLSL(SHADER_HEADER
out vec4 fragColor;
in vec2 TexCoords;
uniform vec4 FillColor;
uniform vec4 vMulColor;
uniform vec4 vAddColor;
void main()
{
	fragColor = (FillColor+vAddColor)*vMulColor;
}
)GLSL";

const char* const kTexColorFragment = R"GLSL(SHADER_HEADER
out vec4 fragColor;
in vec2 TexCoords;
uniform sampler2D iChannel0;
uniform vec4 vMulColor;
uniform vec4 vAddColor;
void main()
{
	vec4 col = texture( iChannel0, TexCoords );
    fragColor = (col+vAddColor)*vMulColor;
}
)GLSL";

const char* const kTexAlphaFragment = R"GLSL(SHADER_HEADER
out vec4 FragColor;
in vec2 TexCoords;
uniform sampler2D iChannel0;
void main()
{
    float a = texture(iChannel0, TexCoords).a;
    FragColor = vec4(a,a,a,1.);
}
)GLSL";

const char* const kTexDepthFragment = R"GLSL(SHADER_HEADER
out vec4 FragColor;
in vec2 TexCoords;
uniform sampler2D iChannel0;
uniform float zFar;
uniform float zNear;
void main()
{
    float d = pow(texture(iChannel0, TexCoords).r, 100.0);
    FragColor = vec4(d,d,d,1.);
}
)GLSL";

const char* const kDefaultVertex3D = R"GLSL(SHADER_HEADER
in vec4 position;
uniform mat4 MVP;
void main()
{
	gl_Position = MVP * position;
}
)GLSL";

void Report(const std::string& message)
{
    rvReport(rvMessageKind::Error, "%s", message.c_str());
}

// Compiles one stage; on failure reports "<STAGE> shader ..." and returns 0.
GLuint CompileStage(rvProgram& program, GLenum type, const char* stageName, const char* source)
{
    if (!source)
    {
        Report(std::string(stageName) + " shader is null!");
        return 0;
    }
    std::string text;
    if (!program.ExpandHeader(source, text))
    {
        Report(std::string(stageName) + " shader bad header (must start with SHADER_HEADER)");
        return 0;
    }
    GLuint shader = glCreateShader(type);
    const char* strings[1] = {text.c_str()};
    glShaderSource(shader, 1, strings, nullptr);
    glCompileShader(shader);
    GLint status = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (!status)
    {
        Report(std::string(stageName) + " shader compilation failed\n" + rvGLInfoLog(shader));
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

bool IsExtensionLine(const char* p)
{
    while (*p == ' ' || *p == '\t')
        ++p;
    return std::strncmp(p, "#extension", 10) == 0;
}
} // namespace

std::string rvGLInfoLog(GLuint shaderOrProgram)
{
    const bool bShader = glIsShader(shaderOrProgram) == GL_TRUE;
    GLint length = 0;
    if (bShader)
        glGetShaderiv(shaderOrProgram, GL_INFO_LOG_LENGTH, &length);
    else
        glGetProgramiv(shaderOrProgram, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) return std::string();
    std::string log(size_t(length), '\0');
    if (bShader)
        glGetShaderInfoLog(shaderOrProgram, length, nullptr, &log[0]);
    else
        glGetProgramInfoLog(shaderOrProgram, length, nullptr, &log[0]);
    log.resize(std::strlen(log.c_str()));
    return log;
}

// ---------------------------------------------------------------------------------------------
// rvProgram

bool rvProgram::Create(const char* vertexSource, const char* fragmentSource, const char* geometrySource)
{
    if (!_pVertexSource) _pVertexSource = vertexSource;
    if (!_pFragmentSource) _pFragmentSource = fragmentSource;
    if (!_pGeometrySource) _pGeometrySource = geometrySource;
    return Build();
}

bool rvProgram::Build()
{
    bool ok = CompileAndLink(_pVertexSource, _pFragmentSource, _pGeometrySource);
    _bRebuild = false;
    return ok;
}

void rvProgram::Use()
{
    // clang-format off
    rvAssert(_currentProgramUsed==nullptr);
    // clang-format on
    if ((programID == 0 || _bRebuild) && !_bBuildFailed) Build();
    glUseProgram(programID);
    _currentProgramUsed = this;
}

bool rvProgram::Prepare()
{
    // Without a current context (an effect made by a test with no window) the first Use builds.
    if (!glfwGetCurrentContext()) return false;
    rvAssert(_currentProgramUsed == nullptr);
    ApplySwitches();
    if ((programID == 0 || _bRebuild) && !_bBuildFailed) Build();
    return programID != 0;
}

void rvProgram::Unuse()
{
    glUseProgram(0);
    _currentProgramUsed = nullptr;
}

void rvProgram::Release()
{
    if (_currentProgramUsed == this) Unuse();
    rvAssert(_currentProgramUsed == nullptr);
    DeleteGLObjects();
    _bBuildFailed = false;
}

rvProgram::~rvProgram()
{
    if (_currentProgramUsed == this) rvProgram::Unuse();
    rvAssert(_currentProgramUsed == nullptr);
    DeleteGLObjects();
}

void rvProgram::DeleteGLObjects()
{
    if (geometryshaderID) glDeleteShader(geometryshaderID);
    if (vertexshaderID) glDeleteShader(vertexshaderID);
    if (fragmentshaderID) glDeleteShader(fragmentshaderID);
    if (programID) glDeleteProgram(programID);
    geometryshaderID = vertexshaderID = fragmentshaderID = programID = 0;
}

bool rvProgram::ExpandHeader(const char* shader_text, std::string& out)
{
    rvAssert(shader_text);
    if (std::strncmp(shader_text, kHeaderToken, kHeaderTokenLength) != 0) return false;
    const char* body = shader_text + kHeaderTokenLength;

    // "#extension" lines must precede every declaration: lift those that open the body up to just
    // after the version line.
    std::string extensions;
    const char* p = body;
    for (;;)
    {
        const char* line = p;
        while (*line == '\n' || *line == '\r')
            ++line;
        if (!IsExtensionLine(line)) break;
        const char* end = std::strchr(line, '\n');
        if (!end) end = line + std::strlen(line);
        extensions.append(line, end);
        extensions += '\n';
        p = *end ? end + 1 : end;
        body = p;
    }

    std::string constants;
    for (const std::string& line : _aSourceConstants)
        constants = line + constants;

    out = "#version 430\n";
    out += extensions;
    out += "#define MORVANE\n";
    out += constants;
    out += "uniform float iTime;\n";
    out += "uniform vec2 iResolution;\n";
    out += body;
    return true;
}

bool rvProgram::CompileAndLink(const char* vertex, const char* fragment, const char* geometry)
{
    DeleteGLObjects();
    _bBuildFailed = true;
    ++_nLinkCount;

    GLuint gs = 0;
    if (geometry)
    {
        gs = CompileStage(*this, GL_GEOMETRY_SHADER, "GEOMETRY", geometry);
        if (!gs) return false;
    }
    GLuint vs = CompileStage(*this, GL_VERTEX_SHADER, "VERTEX", vertex);
    if (!vs)
    {
        if (gs) glDeleteShader(gs);
        return false;
    }
    GLuint fs = CompileStage(*this, GL_FRAGMENT_SHADER, "FRAGMENT", fragment);
    if (!fs)
    {
        if (gs) glDeleteShader(gs);
        glDeleteShader(vs);
        return false;
    }

    geometryshaderID = gs;
    vertexshaderID = vs;
    fragmentshaderID = fs;
    programID = glCreateProgram();
    if (geometryshaderID) glAttachShader(programID, geometryshaderID);
    rvAssert(vertexshaderID);
    glAttachShader(programID, vertexshaderID);
    rvAssert(fragmentshaderID);
    glAttachShader(programID, fragmentshaderID);
    for (size_t i = 0; i < _attriblocation.size(); ++i)
        glBindAttribLocation(programID, GLuint(i), _attriblocation[i].c_str());
    glLinkProgram(programID);

    GLint status = 0;
    glGetProgramiv(programID, GL_LINK_STATUS, &status);
    if (!status)
    {
        Report("PROGRAM link failed\n" + rvGLInfoLog(programID));
        DeleteGLObjects();
        return false;
    }
    _bBuildFailed = false;
    return true;
}

void rvProgram::SetConstant(const char* name, int* cachedValue, int value)
{
    rvAssert(_currentProgramUsed == nullptr);
    rvAssert(name && cachedValue);
    if (*cachedValue == value) return;
    *cachedValue = value;
    const std::string prefix = std::string("const int ") + name + " = ";
    for (size_t i = _aSourceConstants.size(); i-- > 0;)
        if (_aSourceConstants[i].compare(0, prefix.size(), prefix) == 0)
            _aSourceConstants.erase(_aSourceConstants.begin() + long(i));
    _aSourceConstants.push_back(prefix + std::to_string(value) + ";\n");
    _bRebuild = true;
    _bBuildFailed = false;
}

void rvProgram::AddAttribLocation(const char* name, unsigned i)
{
    rvAssert(i == _attriblocation.size());
    _attriblocation.emplace_back(name);
}

int rvProgram::UniformLocation(const char* name) const
{
    if (!programID) return -1;
    return glGetUniformLocation(programID, name);
}

// ---------------------------------------------------------------------------------------------
// rvProgram2D

void rvProgram2D::LookupCommonUniforms()
{
    _location2f_iResolution = UniformLocation("iResolution");
    _location1f_iTime = UniformLocation("iTime");
    _location4f_vAddColor = UniformLocation("vAddColor");
    _location4f_vMulColor = UniformLocation("vMulColor");
}

bool rvProgram2D::Build()
{
    if (!_pVertexSource) _pVertexSource = kDefaultVertex2D;
    bool ok = CompileAndLink(_pVertexSource, _pFragmentSource, _pGeometrySource);
    _bRebuild = false;
    LookupCommonUniforms();
    return ok;
}

void rvProgram2D::Use()
{
    rvProgram::Use();

    _nSavedDepthTest = glIsEnabled(GL_DEPTH_TEST) ? 1 : 0;
    _nSavedBlend = glIsEnabled(GL_BLEND) ? 1 : 0;
    _nSavedCullFace = glIsEnabled(GL_CULL_FACE) ? 1 : 0;
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);

    _vMulColor = glm::vec4(1.f);
    _vUVScale = glm::vec2(1.f);
    _vAddColor = glm::vec4(0.f);
    _fUVRotation = 0.f;
    _vUVOffset = glm::vec2(0.f);
    if (_location4f_vAddColor >= 0) glUniform4fv(_location4f_vAddColor, 1, &_vAddColor[0]);
    if (_location4f_vMulColor >= 0) glUniform4fv(_location4f_vMulColor, 1, &_vMulColor[0]);

    glGetIntegerv(GL_VIEWPORT, _viewport);
    if (_location2f_iResolution >= 0)
    {
        rvAssert(_viewport[2] > 0 && _viewport[3] > 0);
        _vResolution = glm::vec2(float(_viewport[2]), float(_viewport[3]));
        glUniform2fv(_location2f_iResolution, 1, &_vResolution[0]);
    }

    if (_location1f_iTime >= 0)
    {
        float t = ClockTime(_eTimeMode) + _fTimeOffset;
        _fTimeDelta = t - _fTimeValue;
        _fTimeValue = t;
        glUniform1f(_location1f_iTime, t);
    }
}

float rvProgram2D::ClockTime(int mode)
{
    if (mode == TIME_WALLCLOCK) return float(glfwGetTime());
    if (mode < TIME_EFFECT || mode > TIME_PARENT_SEQUENCE) return 0.f;
    const fxBase* effect = fxBase::_pCurrentEffect;
    if (!effect) return 0.f;

    const rvSequence* sequence = effect->_pSequence;
    if (mode == TIME_EFFECT || !sequence) return effect->_fTime;
    if (mode == TIME_SEQUENCE) return sequence->_fTime;
    // One level up: the timeline of the nested-timeline effect that owns this effect's timeline.
    const fxBase* parent = sequence->_pParentEffect;
    if (!parent) return sequence->_fTime;
    return parent->_pSequence ? parent->_pSequence->_fTime : parent->_fTime;
}

void rvProgram2D::Unuse()
{
    if (_nSavedDepthTest) glEnable(GL_DEPTH_TEST);
    if (_nSavedBlend) glEnable(GL_BLEND);
    if (_nSavedCullFace) glEnable(GL_CULL_FACE);
    rvProgram::Unuse();
}

void rvProgram2D::Draw(int /*flags*/)
{
    DrawQuad(QUAD_LEFT | QUAD_TOP, 0.f, 0.f, 1.f, 1.f);
}

void rvProgram2D::DrawRectPixels(int flags, int x, int y, int width, int height)
{
    float scenew = float(_viewport[2]);
    float sceneh = float(_viewport[3]);
    rvAssert(scenew > 0.0f);
    rvAssert(sceneh > 0.0f);
    float w = width < 0 ? scenew : float(width);
    float h = height < 0 ? sceneh : float(height);
    DrawQuad(flags, float(x) / scenew, float(y) / sceneh, w / scenew, h / sceneh);
}

void rvProgram2D::DrawQuad(int flags, float x, float y, float w, float h)
{
    rvAssert(_currentProgramUsed == this);

    float x0 = (flags & QUAD_LEFT) ? x : (flags & QUAD_RIGHT) ? x - w : x - w * 0.5f;
    float x1 = x0 + w;
    float y0 = (flags & QUAD_TOP) ? y : (flags & QUAD_BOTTOM) ? y - h : y - h * 0.5f;
    float y1 = y0 + h;

    float uL = 0.f, uR = 1.f; // u at x0 and x1
    float vT = 1.f, vB = 0.f; // v at the upper edge y0 and the lower edge y1
    if (flags & QUAD_EXTEND)
    {
        if (x0 > 0.f) uL = -x0 / w;
        if (x1 < 1.f) uR = 1.f + (1.f - x1) / w;
        if (y0 > 0.f) vT = 1.f + y0 / h;
        if (y1 < 1.f) vB = -(1.f - y1) / h;
        x0 = std::min(0.f, x0);
        x1 = std::max(1.f, x1);
        y0 = std::min(0.f, y0);
        y1 = std::max(1.f, y1);
    }

    const float cr = std::cos(_fUVRotation), sr = std::sin(_fUVRotation);
    const float cx = 0.5f + _vUVOffset.x, cy = 0.5f + _vUVOffset.y;
    auto uv = [&](float u, float v, float* out)
    {
        u = (u - 0.5f) * _vUVScale.x + 0.5f + _vUVOffset.x;
        v = (v - 0.5f) * _vUVScale.y + 0.5f + _vUVOffset.y;
        float du = u - cx, dv = v - cy;
        out[0] = cx + du * cr - dv * sr;
        out[1] = cy + du * sr + dv * cr;
    };

    const float px0 = 2.f * x0 - 1.f, px1 = 2.f * x1 - 1.f;
    const float py0 = 1.f - 2.f * y0, py1 = 1.f - 2.f * y1;
    float tl[2], bl[2], br[2], tr[2];
    uv(uL, vT, tl);
    uv(uL, vB, bl);
    uv(uR, vB, br);
    uv(uR, vT, tr);
    const float verts[6 * 4] = {
        px0, py0, tl[0], tl[1], px0, py1, bl[0], bl[1], px1, py1, br[0], br[1],
        px0, py0, tl[0], tl[1], px1, py1, br[0], br[1], px1, py0, tr[0], tr[1],
    };
    std::memcpy(_quadVertices, verts, sizeof(verts));

    if (!_quadVAO)
    {
        glGenVertexArrays(1, &_quadVAO);
        glGenBuffers(1, &_quadVBO);
        glBindVertexArray(_quadVAO);
        glBindBuffer(GL_ARRAY_BUFFER, _quadVBO);
        glBufferData(GL_ARRAY_BUFFER, sizeof(_quadVertices), _quadVertices, GL_DYNAMIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 16, (void*)0);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 16, (void*)8);
    }
    else
    {
        glBindVertexArray(_quadVAO);
        glBindBuffer(GL_ARRAY_BUFFER, _quadVBO);
        // The store keeps its size: only the vertices change.
        glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(_quadVertices), _quadVertices);
    }
    glDrawArrays(GL_TRIANGLES, 0, 6);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

// ---------------------------------------------------------------------------------------------
// rvFillColorProgram2D

bool rvFillColorProgram2D::Build()
{
    if (!_pFragmentSource) _pFragmentSource = kFillColorFragment;
    bool ok = rvProgram2D::Build();
    _location4f_FillColor = UniformLocation("FillColor");
    return ok;
}

void rvFillColorProgram2D::Use()
{
    rvProgram2D::Use();
    // clang-format off
    rvAssert(_location4f_FillColor>=0);
    // clang-format on
    glUniform4fv(_location4f_FillColor, 1, &_vFillColor[0]);
}

void rvFillColorProgram2D::UseWithColor(float r, float g, float b, float a)
{
    rvProgram2D::Use();
    _vFillColor = glm::vec4(r, g, b, a);
    // clang-format off
    rvAssert(_location4f_FillColor>=0);
    // clang-format on
    glUniform4fv(_location4f_FillColor, 1, &_vFillColor[0]);
}

// ---------------------------------------------------------------------------------------------
// rvTexColorProgram2D

bool rvTexColorProgram2D::Build()
{
    if (!_pFragmentSource) _pFragmentSource = kTexColorFragment;
    return rvProgram2D::Build();
}

void rvTexColorProgram2D::Use()
{
    rvAssert(_glTextureBuffer);
    rvProgram2D::Use();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, _glTextureBuffer);
}

void rvTexColorProgram2D::UseTexture(GLuint texture)
{
    rvProgram2D::Use();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &_imageWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &_imageHeight);
}

void rvTexColorProgram2D::UseTexture(GLuint texture, int width, int height)
{
    rvProgram2D::Use();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    _imageWidth = width;
    _imageHeight = height;
}

void rvTexColorProgram2D::Unuse()
{
    glBindTexture(GL_TEXTURE_2D, 0);
    rvProgram2D::Unuse();
}

void rvTexColorProgram2D::DeleteOwnTexture()
{
    if (_glTextureBuffer)
    {
        glDeleteTextures(1, &_glTextureBuffer);
        _glTextureBuffer = 0;
        _imageWidth = 0;
        _imageHeight = 0;
    }
}

void rvTexColorProgram2D::Release()
{
    DeleteOwnTexture();
    rvProgram::Release();
}

void rvTexColorProgram2D::Draw(int flags)
{
    rvAssert(_imageWidth > 0 && _imageHeight > 0);
    float x = (flags & QUAD_LEFT) ? 0.f : (flags & QUAD_RIGHT) ? 1.f : 0.5f;
    float y = (flags & QUAD_TOP) ? 0.f : (flags & QUAD_BOTTOM) ? 1.f : 0.5f;
    DrawQuad(flags, x, y, 1.f, 1.f);
}

void rvTexColorProgram2D::DrawQuad(int flags, float x, float y, float w, float h)
{
    if (_imageWidth > 0 && _imageHeight > 0 && _viewport[2] > 0 && _viewport[3] > 0)
    {
        const float aspect = float(_imageWidth) / float(_imageHeight);
        if (flags & QUAD_WIDTH_FROM_HEIGHT)
            w = aspect * (float(_viewport[3]) * h) / float(_viewport[2]);
        else if (flags & QUAD_HEIGHT_FROM_WIDTH)
            h = (1.f / aspect) * (float(_viewport[2]) * w) / float(_viewport[3]);
    }
    rvProgram2D::DrawQuad(flags, x, y, w, h);
}

namespace
{
template <typename T>
void UploadMipmapChain(GLenum internalFormat, GLenum format, GLenum type, const T* level0, int w, int h, int channels)
{
    std::vector<T> level;
    const T* src = level0;
    for (int mip = 1; w > 1 || h > 1; ++mip)
    {
        int nw = 0, nh = 0;
        level = rvHalveImage(src, w, h, channels, nw, nh);
        glTexImage2D(GL_TEXTURE_2D, mip, GLint(internalFormat), nw, nh, 0, format, type, level.data());
        w = nw;
        h = nh;
        src = level.data();
    }
}
} // namespace

void rvUploadMipmaps(GLenum internalFormat, GLenum format, const uint8_t* level0, int w, int h, int channels)
{
    UploadMipmapChain(internalFormat, format, GL_UNSIGNED_BYTE, level0, w, h, channels);
}

void rvUploadMipmaps(GLenum internalFormat, GLenum format, const uint16_t* level0, int w, int h, int channels)
{
    UploadMipmapChain(internalFormat, format, GL_UNSIGNED_SHORT, level0, w, h, channels);
}

bool rvTexColorProgram2D::LoadImageFromMemory(const unsigned char* data, int size, bool mipmaps)
{
    // A failed load leaves no stale size and no texture without image data.
    DeleteOwnTexture();
    if (!data || size <= 0) return false;
    // The size is read from the header first: a few hundred bytes of PNG may claim 20000 x 20000
    // pixels, which the decoder would fill (1.6 GB) before the driver refused the texture.
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(data, size, &width, &height, &channels) || !ImageSizeFits(width, height))
        return false;
    stbi_set_flip_vertically_on_load(1);
    unsigned char* pixels = stbi_load_from_memory(data, size, &width, &height, &channels, 4);
    if (!pixels) return false;

    glGenTextures(1, &_glTextureBuffer);
    glBindTexture(GL_TEXTURE_2D, _glTextureBuffer);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    // The driver may still refuse (out of memory): its texture then has no level 0, and the
    // error it raised is this load's, not left for whoever checks next.
    GLint madeWidth = 0, madeHeight = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &madeWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &madeHeight);
    const bool made = madeWidth == width && madeHeight == height;
    if (made && mipmaps) rvUploadMipmaps(GL_RGBA8, GL_RGBA, pixels, width, height, 4);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glBindTexture(GL_TEXTURE_2D, 0);
    stbi_image_free(pixels);
    if (!made)
    {
        while (glGetError() != GL_NO_ERROR)
        {
        }
        glDeleteTextures(1, &_glTextureBuffer);
        _glTextureBuffer = 0;
        return false;
    }

    _imageWidth = width;
    _imageHeight = height;
    return true;
}

bool rvTexColorProgram2D::ImageSizeFits(int width, int height)
{
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    return width > 0 && height > 0 && width <= maxSide && height <= maxSide &&
           int64_t(width) * int64_t(height) <= kMaxImagePixels;
}

// ---------------------------------------------------------------------------------------------
// rvTexAlphaProgram2D, rvTexDepthProgram2D

bool rvTexAlphaProgram2D::Build()
{
    if (!_pFragmentSource) _pFragmentSource = kTexAlphaFragment;
    return rvProgram2D::Build();
}

void rvTexAlphaProgram2D::UseTexture(GLuint texture)
{
    rvProgram2D::Use();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
}

void rvTexAlphaProgram2D::Unuse()
{
    glBindTexture(GL_TEXTURE_2D, 0);
    rvProgram2D::Unuse();
}

bool rvTexDepthProgram2D::Build()
{
    if (!_pFragmentSource) _pFragmentSource = kTexDepthFragment;
    bool ok = rvProgram2D::Build();
    _location1f_zFar = UniformLocation("zFar");
    _location1f_zNear = UniformLocation("zNear");
    return ok;
}

void rvTexDepthProgram2D::UseTexture(GLuint texture)
{
    rvProgram2D::Use();
    if (_location1f_zFar >= 0) glUniform1f(_location1f_zFar, _fZFar);
    if (_location1f_zNear >= 0) glUniform1f(_location1f_zNear, _fZNear);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
}

void rvTexDepthProgram2D::Unuse()
{
    glBindTexture(GL_TEXTURE_2D, 0);
    rvProgram2D::Unuse();
}

// ---------------------------------------------------------------------------------------------
// rvProgram3D

const char* rvProgram3D::DefaultVertexSource()
{
    return kDefaultVertex3D;
}

bool rvProgram3D::Build()
{
    if (!_pVertexSource) _pVertexSource = kDefaultVertex3D;
    bool ok = CompileAndLink(_pVertexSource, _pFragmentSource, _pGeometrySource);
    _bRebuild = false;
    _locationm4_MVP = UniformLocation("MVP");
    return ok;
}

void rvProgram3D::Use()
{
    rvProgram::Use();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    if (_locationm4_MVP >= 0)
    {
        if (rvSceneDisplay::_pCurrentBuffer) _mMVP = rvSceneDisplay::_pCurrentBuffer->_mViewProjection;
        glUniformMatrix4fv(_locationm4_MVP, 1, GL_FALSE, &_mMVP[0][0]);
    }
}

void rvProgram3D::Unuse()
{
    glDisable(GL_DEPTH_TEST);
    rvProgram::Unuse();
}
