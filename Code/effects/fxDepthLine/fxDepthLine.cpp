#include "effects/fxDepthLine/fxDepthLine.h"

#include "Factory/fxDescriptor.h"
#include "Factory/rvEditorHook.h"
#include "Loader/rvLoader.h"
#include "effects/shEffectProgram.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "rvMessage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

const char* const fxDepthLine::DepthFile = "./Data/depth.data";

namespace
{
// Two triangles over the buffer: position x, y, then texture u, v (v = 0 at the top).
const float kQuad[6 * 4] = {
    -1.f, 1.f, 0.f, 0.f, -1.f, -1.f, 0.f, 1.f, 1.f, -1.f, 1.f, 1.f,
    -1.f, 1.f, 0.f, 0.f, 1.f,  -1.f, 1.f, 1.f, 1.f, 1.f,  1.f, 0.f,
};

int32_t ReadInt32(const uint8_t* p)
{
    uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    int32_t n;
    std::memcpy(&n, &v, 4);
    return n;
}
} // namespace

fxDepthLine::fxDepthLine(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

// The program goes with its member (the rvProgram destructor deletes its GL program).
fxDepthLine::~fxDepthLine() = default;

bool fxDepthLine::ParseDepthImage(const uint8_t* pData, size_t nSize, DepthImage& out, const char** ppszWhy)
{
    const char* pszWhy = nullptr;
    if (!pData || nSize < 12) pszWhy = "shorter than its header";
    const int32_t w = pszWhy ? 0 : ReadInt32(pData);
    const int32_t h = pszWhy ? 0 : ReadInt32(pData + 4);
    const int32_t b = pszWhy ? 0 : ReadInt32(pData + 8);
    if (!pszWhy && (w <= 0 || h <= 0 || w > MAX_SIDE || h > MAX_SIDE)) pszWhy = "size out of bounds";
    if (!pszWhy && b != 2) pszWhy = "samples are not 16-bit";
    const uint64_t nSamples = uint64_t(w > 0 ? w : 0) * uint64_t(h > 0 ? h : 0);
    if (!pszWhy && (nSize - 12) / 2 < nSamples) pszWhy = "fewer samples than its header announces";
    if (ppszWhy) *ppszWhy = pszWhy;
    if (pszWhy) return false;

    out.nWidth = w;
    out.nHeight = h;
    out.aSamples.resize(size_t(nSamples));
    out.nMin = 32767;
    out.nMax = 0;
    for (size_t i = 0; i < out.aSamples.size(); ++i)
    {
        const uint16_t s = uint16_t(pData[12 + 2 * i] | (pData[13 + 2 * i] << 8));
        out.aSamples[i] = s;
        out.nMin = std::min(out.nMin, s);
        out.nMax = std::max(out.nMax, s);
    }
    return true;
}

GLuint fxDepthLine::MakeDepthTexture(const std::vector<uint8_t>& bytes, uint16_t& min, uint16_t& max)
{
    DepthImage image;
    const char* pszWhy = nullptr;
    if (!ParseDepthImage(bytes.data(), bytes.size(), image, &pszWhy))
    {
        rvReport(rvMessageKind::Warning, "fxDepthLine: \"%s\" cannot be used: %s", DepthFile, pszWhy);
        return 0;
    }
    GLint nMaxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &nMaxSize);
    if (image.nWidth > nMaxSize || image.nHeight > nMaxSize)
    {
        rvReport(rvMessageKind::Warning, "fxDepthLine: \"%s\" is larger than a texture can be", DepthFile);
        return 0;
    }
    min = image.nMin;
    max = image.nMax;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R16, image.nWidth, image.nHeight, 0, GL_RED, GL_UNSIGNED_SHORT,
                 image.aSamples.data());
    rvUploadMipmaps(GL_R16, GL_RED, image.aSamples.data(), image.nWidth, image.nHeight, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

GLuint fxDepthLine::LoadDepthTexture(uint16_t& min, uint16_t& max)
{
    std::vector<uint8_t> bytes;
    if (!rvDataPack::GetInstance()->ReadInto(DepthFile, bytes))
    {
        rvReport(rvMessageKind::Warning, "fxDepthLine: \"%s\" is missing", DepthFile);
        return 0;
    }
    return MakeDepthTexture(bytes, min, max);
}

void fxDepthLine::Init()
{
    // The full-screen vertex source: "aPos" and "aTexCoords" in, "fragCoord" in pixels out.
    _DepthProgram.Create(shEffectProgram::FullScreenVertexSource, rvQuadDepthProgram::FragmentSource,
                         nullptr);

    glGenVertexArrays(1, &_glVAO);
    glGenBuffers(1, &_glVBO);
    glBindVertexArray(_glVAO);
    glBindBuffer(GL_ARRAY_BUFFER, _glVBO);
    glBufferData(GL_ARRAY_BUFFER, sizeof(kQuad), kQuad, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float),
                          reinterpret_cast<const void*>(2 * sizeof(float)));
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);

    _glDepthTexture = LoadDepthTexture(_nDepthMin, _nDepthMax);
    _DepthProgram._fZNear = float(_nDepthMin);
    _DepthProgram._fZFar = float(_nDepthMax);
}

void fxDepthLine::Render()
{
    DrawSettings();
    rvAssert(rvSceneDisplay::_pCurrentDisplay);
    rvAssert(rvSceneDisplay::_pCurrentBuffer);
    _DepthProgram.Use();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, _glDepthTexture);
    glBindVertexArray(_glVAO);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindVertexArray(0);
    _DepthProgram.Unuse();
}

fxBase* fxDepthLine::Create(fxDescriptor* pDescriptor)
{
    return new fxDepthLine(pDescriptor);
}

// The editor window (fxDepthLineEditor.cpp); nothing without the editor.
void fxDepthLine::DrawSettings()
{
    rvEditorHook<&fxDepthLine::DrawSettings>::Call(*this);
}
