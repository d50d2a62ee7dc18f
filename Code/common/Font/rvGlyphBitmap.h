#pragma once
// Glyph bitmaps sized by the outline itself. stb_truetype sizes a glyph's bitmap by the box its
// record declares, and its rasterizer stops on an assertion when the outline leaves the bitmap:
// a stale box (real fonts have composites a few units outside theirs) or a hostile one would end
// the program. Here the box is the union of the declared box (when not inverted) and the
// outline's points, control points included (a curve stays inside their hull).
struct stbtt_fontinfo;

struct rvGlyphBox
{
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0; // pixels, y down; x1 - x0 by y1 - y0 pixels
    int Width() const { return x1 - x0; }
    int Height() const { return y1 - y0; }
};

// The pixel box of a glyph at a scale (the same for x and y), as stb_truetype's bitmap box but
// never smaller than the outline. An empty box for a glyph without an outline.
rvGlyphBox rvGlyphPixelBox(const stbtt_fontinfo* pInfo, int nGlyph, float fScale);

// Rasterizes the glyph into pOut (nWidth x nHeight bytes, nStride per row) with the bitmap's top
// left at the box's (x0, y0). The caller sized it by rvGlyphPixelBox.
void rvRasterizeGlyph(const stbtt_fontinfo* pInfo, int nGlyph, float fScale, const rvGlyphBox& box,
                      unsigned char* pOut, int nWidth, int nHeight, int nStride);
