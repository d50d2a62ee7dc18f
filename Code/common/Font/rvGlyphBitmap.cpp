#include "Font/rvGlyphBitmap.h"

#include "rvNumeric.h"

// The outline reader and the rasterizer used here are a private copy of stb_truetype's, built
// without its assertions: the rasterizer checks the float error it accumulates along an edge,
// and a steep edge of a hostile outline (a data value, not a programming error) exceeds it. The
// check guards coverage accuracy only; every write stays inside the scanline. The fonts are
// still opened by the shared library (the record is the same header's).
#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_assert(x) ((void)0)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_truetype.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <climits>
#include <cmath>

rvGlyphBox rvGlyphPixelBox(const stbtt_fontinfo* pInfo, int nGlyph, float fScale)
{
    rvGlyphBox box;
    stbtt_vertex* vertices = nullptr;
    const int count = stbtt_GetGlyphShape(pInfo, nGlyph, &vertices);
    if (count <= 0) return box;
    int minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool any = false;
    auto add = [&](int x, int y)
    {
        minX = any ? std::min(minX, x) : x;
        maxX = any ? std::max(maxX, x) : x;
        minY = any ? std::min(minY, y) : y;
        maxY = any ? std::max(maxY, y) : y;
        any = true;
    };
    int bx0 = 0, by0 = 0, bx1 = 0, by1 = 0;
    if (stbtt_GetGlyphBox(pInfo, nGlyph, &bx0, &by0, &bx1, &by1) && bx0 <= bx1 && by0 <= by1)
    {
        add(bx0, by0);
        add(bx1, by1);
    }
    for (int i = 0; i < count; ++i)
    {
        const stbtt_vertex& v = vertices[i];
        add(v.x, v.y);
        if (v.type == STBTT_vcurve || v.type == STBTT_vcubic) add(v.cx, v.cy);
        if (v.type == STBTT_vcubic) add(v.cx1, v.cy1);
    }
    stbtt_FreeShape(pInfo, vertices);
    // As stb_truetype rounds its box: the pixels the outline touches (y down). A scale from a
    // file may be anything: the sides stop within the int range.
    auto pixel = [](double v) { return rvClampToInt(v, INT_MIN / 2, INT_MAX / 2, 0); };
    box.x0 = pixel(std::floor(double(float(minX) * fScale)));
    box.y0 = pixel(std::floor(double(float(-maxY) * fScale)));
    box.x1 = pixel(std::ceil(double(float(maxX) * fScale)));
    box.y1 = pixel(std::ceil(double(float(-minY) * fScale)));
    return box;
}

void rvRasterizeGlyph(const stbtt_fontinfo* pInfo, int nGlyph, float fScale, const rvGlyphBox& box,
                      unsigned char* pOut, int nWidth, int nHeight, int nStride)
{
    if (!pOut || nWidth <= 0 || nHeight <= 0) return;
    stbtt_vertex* vertices = nullptr;
    const int count = stbtt_GetGlyphShape(pInfo, nGlyph, &vertices);
    if (count > 0)
    {
        stbtt__bitmap bitmap;
        bitmap.w = nWidth;
        bitmap.h = nHeight;
        bitmap.stride = nStride;
        bitmap.pixels = pOut;
        stbtt_Rasterize(&bitmap, 0.35f, vertices, count, fScale, fScale, 0.f, 0.f, box.x0, box.y0, 1,
                        pInfo->userdata);
    }
    stbtt_FreeShape(pInfo, vertices);
}
