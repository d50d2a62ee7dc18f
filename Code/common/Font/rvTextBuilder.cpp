#include "Font/rvTextBuilder.h"

#include "Font/rvFont.h"
#include "Font/rvGlyphBitmap.h"
#include "VectorScene/VectorScene.h"
#include "rvNumeric.h"
#include "vector_display/vector_font_simplex.h"

#include <stb_truetype.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace
{
VectorSceneLine* NewLine(VectorScene* pChild, const glm::vec4& color)
{
    VectorSceneLine* line = pChild->AddLine();
    line->_vColor = color;
    line->_pColor = nullptr;
    return line;
}

// Ascent - descent in font units, or 0 when the font has no usable vertical metrics.
int FontHeight(const stbtt_fontinfo* info)
{
    int ascent = 0, descent = 0, lineGap = 0;
    stbtt_GetFontVMetrics(info, &ascent, &descent, &lineGap);
    return ascent - descent;
}

int GlyphOf(const stbtt_fontinfo* info, char c)
{
    // Text is ASCII. A byte above 127 would be looked up as a negative code, which no map of a
    // usable font holds (and which makes a format-0 map read before its table): no glyph.
    const int code = int(static_cast<signed char>(c));
    if (code < 0) return 0;
    // A map entry past the font's glyph count would make the metrics read outside "hmtx".
    const int glyph = stbtt_FindGlyphIndex(info, code);
    return glyph >= 0 && glyph < info->numGlyphs ? glyph : 0;
}

int AdvanceOf(const stbtt_fontinfo* info, int glyph)
{
    int advance = 0, lsb = 0;
    stbtt_GetGlyphHMetrics(info, glyph, &advance, &lsb);
    return advance;
}

// Curve flattening in font units; points are mapped to output units when appended.
struct OutlineWalker
{
    VectorSceneLine* _pLine = nullptr;
    glm::vec2 _vPen;
    float _fScale;
    float _fTolerance = 1.0f;
    static constexpr int kMaxDepth = 16;

    void Append(float x, float y)
    {
        if (_pLine) _pLine->AddPoint(_vPen.x + x * _fScale, _vPen.y + y * _fScale, 0.f);
    }

    // Past the depth limit a piece is taken as its chord (its end point is appended), so the
    // outline never skips part of a curve.
    void Quadratic(glm::vec2 p0, glm::vec2 p1, glm::vec2 p2, int depth)
    {
        if (depth > kMaxDepth)
        {
            Append(p2.x, p2.y);
            return;
        }
        const glm::vec2 m = (p0 + 2.f * p1 + p2) * 0.25f;
        const glm::vec2 d = (p0 + p2) * 0.5f - m;
        if (d.x * d.x + d.y * d.y > _fTolerance)
        {
            Quadratic(p0, (p0 + p1) * 0.5f, m, depth + 1);
            Quadratic(m, (p1 + p2) * 0.5f, p2, depth + 1);
        }
        else
            Append(p2.x, p2.y);
    }

    void Cubic(glm::vec2 p0, glm::vec2 p1, glm::vec2 p2, glm::vec2 p3, int depth)
    {
        if (depth > kMaxDepth)
        {
            Append(p3.x, p3.y);
            return;
        }
        const float longLen = glm::length(p1 - p0) + glm::length(p2 - p1) + glm::length(p3 - p2);
        const float shortLen = glm::length(p3 - p0);
        if (longLen * longLen - shortLen * shortLen > _fTolerance)
        {
            const glm::vec2 p01 = (p0 + p1) * 0.5f, p12 = (p1 + p2) * 0.5f, p23 = (p2 + p3) * 0.5f;
            const glm::vec2 a = (p01 + p12) * 0.5f, b = (p12 + p23) * 0.5f, m = (a + b) * 0.5f;
            Cubic(p0, p01, a, m, depth + 1);
            Cubic(m, b, p23, p3, depth + 1);
        }
        else
            Append(p3.x, p3.y);
    }
};

// The largest side of a glyph bitmap the pixel modes render, whatever the text size.
constexpr int kMaxGlyphSide = 4096;

// Shared by the two pixel modes: renders each glyph at _fSize * _fScale / height and hands the
// coverage bitmap to the emitter with the pixel position of its top left corner (x right, y down
// from the first baseline). The pen is in pixels; a newline moves it to the start of the next
// line, _fSize output units down as in the outline mode, and makes a child only when asked.
template <class Emit>
void BuildPixelText(rvFont* pFont, rvTextParams& params, VectorScene* pParent, bool bNewlineChild, Emit emit)
{
    if (!pFont || !pFont->_pFontInfo || !pParent) return;
    const stbtt_fontinfo* info = pFont->_pFontInfo;
    const int height = FontHeight(info);
    // A zero or negative resolution factor, or a font without height, has no pixel to show.
    if (height <= 0 || !(params._fScale > 0.f)) return;
    const float fs = params._fSize * params._fScale / float(height);
    params._fFontScale = fs;
    params._vPen = glm::vec2(0.f);
    // A glyph is drawn within four times the text height (real glyphs stay within two or three):
    // a font whose ascent is next to nothing, or whose outlines reach far beyond their em, would
    // otherwise ask for bitmaps of gigabytes, and the dot mode for a line per pixel.
    const int maxSide = rvClampToInt(4.0 * double(params._fSize) * double(params._fScale) + 16.0, 16,
                                     kMaxGlyphSide, 16);

    for (char c : params._sText)
    {
        if (c == '\n')
        {
            params._vPen.x = 0.f;
            params._vPen.y -= params._fSize * params._fScale;
            if (bNewlineChild) pParent->AddChild();
            continue;
        }
        const int glyph = GlyphOf(info, c);
        VectorScene* child = pParent->AddChild();
        if (fs > 0.f)
        {
            // The bitmap covers the outline whatever box the glyph declares.
            const rvGlyphBox box = rvGlyphPixelBox(info, glyph, fs);
            const int w = box.Width(), h = box.Height();
            if (w > 0 && h > 0 && w <= maxSide && h <= maxSide)
            {
                std::vector<unsigned char> bitmap(size_t(w) * size_t(h), 0);
                rvRasterizeGlyph(info, glyph, fs, box, bitmap.data(), w, h, w);
                emit(child, bitmap.data(), w, h, params._vPen.x + float(box.x0), float(box.y0) - params._vPen.y);
            }
        }
        params._vPen.x += float(AdvanceOf(info, glyph)) * fs;
    }
}
} // namespace

void BuildTextSimplex(rvTextParams& params, VectorScene* pParent, const glm::vec4& color)
{
    if (!pParent) return;
    const float s = params._fSize * 0.03f;
    params._vPen = glm::vec2(0.f);
    for (char ch : params._sText)
    {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == 10)
        {
            params._vPen.x = 0.f;
            params._vPen.y -= 35.f * s;
            continue;
        }
        if (c == 9)
        {
            // The next stop of 40 font units strictly after the pen (a zero size has no stops).
            if (s != 0.f)
                params._vPen.x = (std::floor((params._vPen.x + 0.001f) / s / 40.f) + 1.f) * 40.f * s;
            continue;
        }
        const vector_font_glyph* glyph = vector_font_simplex_glyph(c);
        if (!glyph) continue;

        VectorScene* child = pParent->AddChild();
        VectorSceneLine* line = nullptr;
        for (int i = 0; i < glyph->count && i < VECTOR_FONT_SIMPLEX_MAX_VERTICES; ++i)
        {
            const int x = glyph->points[i * 2], y = glyph->points[i * 2 + 1];
            if (x == -1 && y == -1)
            {
                line = nullptr;
                continue;
            }
            if (!line) line = NewLine(child, color);
            line->AddPoint(params._vPen.x + float(x) * s, params._vPen.y + float(y) * s, 0.f);
        }
        params._vPen.x += float(glyph->advance) * s;
    }
}

void BuildTextOutline(rvFont* pFont, rvTextParams& params, VectorScene* pParent, const glm::vec4& color)
{
    if (!pFont || !pFont->_pFontInfo || !pParent) return;
    const stbtt_fontinfo* info = pFont->_pFontInfo;
    const int height = FontHeight(info);
    if (height <= 0) return;
    const float fs = params._fSize / float(height);
    params._fFontScale = fs;
    params._vPen = glm::vec2(0.f);

    for (char c : params._sText)
    {
        if (c == '\n')
        {
            params._vPen.x = 0.f;
            params._vPen.y -= params._fSize;
            continue;
        }
        const int glyph = GlyphOf(info, c);
        if (glyph != 0)
        {
            VectorScene* child = pParent->AddChild();
            stbtt_vertex* vertices = nullptr;
            const int count = stbtt_GetGlyphShape(info, glyph, &vertices);
            OutlineWalker walker;
            walker._vPen = params._vPen;
            walker._fScale = fs;
            glm::vec2 prev(0.f);
            for (int i = 0; i < count; ++i)
            {
                const stbtt_vertex& v = vertices[i];
                const glm::vec2 p(v.x, v.y);
                switch (v.type)
                {
                case STBTT_vmove:
                    walker._pLine = NewLine(child, color);
                    walker.Append(p.x, p.y);
                    break;
                case STBTT_vline:
                    if (!walker._pLine) walker._pLine = NewLine(child, color); // outline without a move
                    walker.Append(p.x, p.y);
                    break;
                case STBTT_vcurve:
                    if (!walker._pLine) walker._pLine = NewLine(child, color);
                    walker.Quadratic(prev, glm::vec2(v.cx, v.cy), p, 0);
                    break;
                case STBTT_vcubic:
                    if (!walker._pLine) walker._pLine = NewLine(child, color);
                    walker.Cubic(prev, glm::vec2(v.cx, v.cy), glm::vec2(v.cx1, v.cy1), p, 0);
                    break;
                default:
                    continue; // not a vertex of the outline: does not become the previous one
                }
                prev = p;
            }
            if (vertices) stbtt_FreeShape(info, vertices);
        }
        params._vPen.x += float(AdvanceOf(info, glyph)) * fs;
    }
}

void BuildTextDots(rvFont* pFont, rvTextParams& params, VectorScene* pParent, const glm::vec4& color)
{
    const float half = params._fDotSize * 0.5f;
    const float scale = params._fScale;
    BuildPixelText(pFont, params, pParent, false,
                   [&](VectorScene* child, const unsigned char* bitmap, int w, int h, float left, float top)
                   {
                       for (int i = 0; i < h; ++i)
                           for (int j = 0; j < w; ++j)
                           {
                               if (bitmap[i * w + j] < 128) continue;
                               const float x = (float(j) + 0.5f + left) / scale;
                               const float y = -(float(i) + 0.5f + top) / scale;
                               VectorSceneLine* line = NewLine(child, color);
                               line->AddPoint(x - half, y, 0.f);
                               line->AddPoint(x + half, y, 0.f);
                           }
                   });
}

void BuildTextLines(rvFont* pFont, rvTextParams& params, VectorScene* pParent, const glm::vec4& color)
{
    const float scale = params._fScale;
    BuildPixelText(pFont, params, pParent, true,
                   [&](VectorScene* child, const unsigned char* bitmap, int w, int h, float left, float top)
                   {
                       for (int i = 0; i < h; ++i)
                       {
                           const float y = -(float(i) + top) / scale;
                           int j = 0;
                           while (j < w)
                           {
                               if (bitmap[i * w + j] < 128)
                               {
                                   ++j;
                                   continue;
                               }
                               const int j0 = j;
                               while (j + 1 < w && bitmap[i * w + j + 1] >= 128)
                                   ++j;
                               VectorSceneLine* line = NewLine(child, color);
                               line->AddPoint((float(j0) + left) / scale, y, 0.f);
                               line->AddPoint((float(j) + left) / scale, y, 0.f);
                               ++j;
                           }
                       }
                   });
}
