#include "shTextStash.h"

#include <epoxy/gl.h>

#include <cstdio>
#include <cstdlib>

#include "Loader/rvDataPack.h"
#include "TextStashGL.h"
#include "rvAssert.h"

namespace
{
constexpr int kAtlasSize = 512;

// Column-major template of the pixel projection: (px, py) from the top-left corner lands at
// (2 px / w - 1, 1 - 2 py / h); Begin writes the two scales.
const float kProjectionTemplate[16] = {1.f, 0.f, 0.f, 0.f, 0.f,  -1.f, 0.f,  0.f,
                                       0.f, 0.f, 2.f, 0.f, -1.f, 1.f,  -1.f, 1.f};
} // namespace

shTextStash::~shTextStash()
{
    if (_fs) TextStashDelete(_fs);
    _fs = nullptr;
}

void shTextStash::Create()
{
    // clang-format off
    rvAssert(!_fs);
    // clang-format on
    TextStashGLContext* gl = static_cast<TextStashGLContext*>(std::calloc(1, sizeof(TextStashGLContext)));
    TextStashParams params;
    params.width = kAtlasSize;
    params.height = kAtlasSize;
    params.flags = TEXTSTASH_ORIGIN_TOPLEFT;
    params.userPtr = gl;
    params.renderCreate = TextStashGLCreate;
    params.renderResize = TextStashGLResize;
    params.renderUpdate = TextStashGLUpdate;
    params.renderDraw = TextStashGLDraw;
    params.renderDelete = TextStashGLDelete;
    _fs = gl ? TextStashCreate(params) : nullptr;
    rvAssert(_fs);
}

bool shTextStash::LoadFont(const char* path)
{
    if (!_fs) Create();
    rvAssert(_fs);
    _nFontIndex = -1;
    if (!path) return false;
    FILE* file = rvDataPack::GetInstance()->OpenAsFILE(path);
    if (!file) return false;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    if (size <= 0 || size > 0x7fffffffL || std::fseek(file, 0, SEEK_SET) != 0)
    {
        std::fclose(file);
        return false;
    }
    unsigned char* data = static_cast<unsigned char*>(std::malloc(size_t(size)));
    const size_t read = data ? std::fread(data, 1, size_t(size), file) : 0;
    std::fclose(file);
    if (read != size_t(size))
    {
        std::free(data);
        return false;
    }
    _nFontIndex = TextStashAddFontMem(_fs, path, data, int(size));
    return _nFontIndex != -1;
}

void shTextStash::Begin()
{
    if (!_fs) Create();
    rvAssert(_fs);
    glGetIntegerv(GL_VIEWPORT, _viewport);
    const float w = float(_viewport[2] > 0 ? _viewport[2] : 1);
    const float h = float(_viewport[3] > 0 ? _viewport[3] : 1);
    TextStashGLContext* gl = static_cast<TextStashGLContext*>(_fs->params.userPtr);
    for (int i = 0; i < 16; ++i)
        gl->projMat[i] = kProjectionTemplate[i];
    gl->projMat[0] = 2.f / w;
    gl->projMat[5] = -2.f / h;

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    GLint mask = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &mask);
    if ((mask & GL_CONTEXT_CORE_PROFILE_BIT) == 0) glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    TextStashGetState(_fs)->font = _nFontIndex;
    _drawing = true;
}

void shTextStash::SetSize(float size)
{
    rvAssert(_fs);
    TextStashGetState(_fs)->size = size * float(_viewport[2]);
}

void shTextStash::SetColor(float r, float g, float b, float a)
{
    rvAssert(_fs);
    const unsigned int ir = unsigned(int(r * 255.f)) & 255u;
    const unsigned int ig = unsigned(int(g * 255.f)) & 255u;
    const unsigned int ib = unsigned(int(b * 255.f)) & 255u;
    const unsigned int ia = unsigned(int(a * 255.f)) & 255u;
    TextStashGetState(_fs)->color = ir | (ig << 8) | (ib << 16) | (ia << 24);
}

float shTextStash::DrawText(float x, float y, const char* text)
{
    if (!text || !*text) return x;
    // clang-format off
    rvAssert(_fs && _drawing);
    // clang-format on
    if (_viewport[2] <= 0 || _viewport[3] <= 0) return x;
    const float w = float(_viewport[2]), h = float(_viewport[3]);
    return TextStashDrawText(_fs, x * w, y * h, text) / w;
}

void shTextStash::End()
{
    _drawing = false;
}
