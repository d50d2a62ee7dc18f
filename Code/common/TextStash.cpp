#include "TextStash.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "Font/rvFontManager.h"
#include "Font/rvGlyphBitmap.h"

namespace
{
// UTF-8 decoder of Bjoern Hoehrmann (state 0 accepts, 12 rejects and is never left).
constexpr unsigned int kUtf8Accept = 0;

// clang-format off
const unsigned char kUtf8d[] = {
    // byte -> character class
    0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0, 0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,
    0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0, 0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,
    0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0, 0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,
    0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0, 0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,
    1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1, 9,9,9,9,9,9,9,9,9,9,9,9,9,9,9,9,
    7,7,7,7,7,7,7,7,7,7,7,7,7,7,7,7, 7,7,7,7,7,7,7,7,7,7,7,7,7,7,7,7,
    8,8,2,2,2,2,2,2,2,2,2,2,2,2,2,2, 2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,
    10,3,3,3,3,3,3,3,3,3,3,3,3,4,3,3, 11,6,6,6,5,8,8,8,8,8,8,8,8,8,8,8,
    // (state + class) -> state
    0,12,24,36,60,96,84,12,12,12,48,72, 12,12,12,12,12,12,12,12,12,12,12,12,
    12,0,12,12,12,12,12,0,12,0,12,12, 12,24,12,12,12,12,12,24,12,24,12,12,
    12,12,12,12,12,12,12,24,12,12,12,12, 12,24,12,12,12,12,12,12,12,24,12,12,
    12,12,12,12,12,12,12,36,12,36,12,12, 12,36,12,12,12,12,12,36,12,36,12,12,
    12,36,12,12,12,12,12,12,12,12,12,12,
};
// clang-format on

unsigned int DecodeUtf8(unsigned int* state, unsigned int* codep, unsigned int byte)
{
    const unsigned int type = kUtf8d[byte];
    *codep = (*state != kUtf8Accept) ? (byte & 0x3fu) | (*codep << 6) : (0xffu >> type) & byte;
    *state = kUtf8d[256 + *state + type];
    return *state;
}

unsigned int HashInt(unsigned int a)
{
    a += ~(a << 15);
    a ^= (a >> 10);
    a += (a << 3);
    a ^= (a >> 6);
    a += ~(a << 11);
    a ^= (a >> 16);
    return a;
}

short ClampShort(int v)
{
    return short(std::min(std::max(v, int(SHRT_MIN)), int(SHRT_MAX)));
}

// ---- atlas ----

TextStashAtlas* AllocAtlas(int w, int h, int nnodes)
{
    TextStashAtlas* atlas = static_cast<TextStashAtlas*>(std::calloc(1, sizeof(TextStashAtlas)));
    if (!atlas) return nullptr;
    atlas->width = w;
    atlas->height = h;
    atlas->nodes = static_cast<TextStashAtlasNode*>(std::calloc(size_t(nnodes), sizeof(TextStashAtlasNode)));
    if (!atlas->nodes)
    {
        std::free(atlas);
        return nullptr;
    }
    atlas->cnodes = nnodes;
    atlas->nodes[0] = {0, 0, short(w)};
    atlas->nnodes = 1;
    return atlas;
}

void DeleteAtlas(TextStashAtlas* atlas)
{
    if (!atlas) return;
    std::free(atlas->nodes);
    std::free(atlas);
}

bool InsertNode(TextStashAtlas* atlas, int idx, int x, int y, int w)
{
    if (atlas->nnodes + 1 > atlas->cnodes)
    {
        const int cap = atlas->cnodes == 0 ? 8 : atlas->cnodes * 2;
        void* p = std::realloc(atlas->nodes, sizeof(TextStashAtlasNode) * size_t(cap));
        if (!p) return false;
        atlas->nodes = static_cast<TextStashAtlasNode*>(p);
        atlas->cnodes = cap;
    }
    for (int i = atlas->nnodes; i > idx; i--)
        atlas->nodes[i] = atlas->nodes[i - 1];
    atlas->nodes[idx] = {short(x), short(y), short(w)};
    atlas->nnodes++;
    return true;
}

void RemoveNode(TextStashAtlas* atlas, int idx)
{
    if (atlas->nnodes == 0) return;
    for (int i = idx; i < atlas->nnodes - 1; i++)
        atlas->nodes[i] = atlas->nodes[i + 1];
    atlas->nnodes--;
}

bool AddSkylineLevel(TextStashAtlas* atlas, int idx, int x, int y, int w, int h)
{
    if (!InsertNode(atlas, idx, x, y + h, w)) return false;
    for (int i = idx + 1; i < atlas->nnodes; i++)
    {
        TextStashAtlasNode& prev = atlas->nodes[i - 1];
        TextStashAtlasNode& node = atlas->nodes[i];
        if (node.x >= prev.x + prev.width) break;
        const int shrink = prev.x + prev.width - node.x;
        node.x = short(node.x + shrink);
        node.width = short(node.width - shrink);
        if (node.width > 0) break;
        RemoveNode(atlas, i);
        i--;
    }
    for (int i = 0; i < atlas->nnodes - 1; i++)
    {
        if (atlas->nodes[i].y == atlas->nodes[i + 1].y)
        {
            atlas->nodes[i].width = short(atlas->nodes[i].width + atlas->nodes[i + 1].width);
            RemoveNode(atlas, i + 1);
            i--;
        }
    }
    return true;
}

// The y at which a w x h rectangle would sit on node i, or -1.
int RectFits(const TextStashAtlas* atlas, int i, int w, int h)
{
    const int x = atlas->nodes[i].x;
    if (x + w > atlas->width) return -1;
    int y = atlas->nodes[i].y;
    int spaceLeft = w;
    while (spaceLeft > 0)
    {
        if (i == atlas->nnodes) return -1;
        y = std::max(y, int(atlas->nodes[i].y));
        if (y + h > atlas->height) return -1;
        spaceLeft -= atlas->nodes[i].width;
        ++i;
    }
    return y;
}

// ---- stash helpers ----

void AddWhiteRect(TextStashContext* stash, int w, int h)
{
    int gx, gy;
    if (!TextStashPackRect(stash->atlas, w, h, &gx, &gy)) return;
    unsigned char* dst = &stash->texData[gx + gy * stash->params.width];
    for (int y = 0; y < h; y++)
    {
        for (int x = 0; x < w; x++)
            dst[x] = 0xff;
        dst += stash->params.width;
    }
    stash->dirtyRect[0] = std::min(stash->dirtyRect[0], gx);
    stash->dirtyRect[1] = std::min(stash->dirtyRect[1], gy);
    stash->dirtyRect[2] = std::max(stash->dirtyRect[2], gx + w);
    stash->dirtyRect[3] = std::max(stash->dirtyRect[3], gy + h);
}

void FreeFont(TextStashFont* font)
{
    if (!font) return;
    std::free(font->glyphs);
    if (font->freeData) std::free(font->data);
    std::free(font);
}

float ScaleForSize(const TextStashFont* font, float pixelSize)
{
    int ascent = 0, descent = 0, lineGap = 0;
    stbtt_GetFontVMetrics(&font->font, &ascent, &descent, &lineGap);
    const int h = ascent - descent;
    return h > 0 ? pixelSize / float(h) : 0.f;
}

TextStashGlyph* AllocGlyph(TextStashFont* font)
{
    if (font->nglyphs + 1 > font->cglyphs)
    {
        const int cap = font->cglyphs == 0 ? 8 : font->cglyphs * 2;
        void* p = std::realloc(font->glyphs, sizeof(TextStashGlyph) * size_t(cap));
        if (!p) return nullptr;
        font->glyphs = static_cast<TextStashGlyph*>(p);
        font->cglyphs = cap;
    }
    font->nglyphs++;
    return &font->glyphs[font->nglyphs - 1];
}

// One blur pass down every column (zprec 7, aprec 16).
void BlurColumns(unsigned char* dst, int w, int h, int stride, int alpha)
{
    for (int x = 0; x < w; x++)
    {
        int z = 0;
        for (int y = stride; y < h * stride; y += stride)
        {
            z += (alpha * ((int(dst[y]) << 7) - z)) >> 16;
            dst[y] = static_cast<unsigned char>(z >> 7);
        }
        dst[(h - 1) * stride] = 0;
        z = 0;
        for (int y = (h - 2) * stride; y >= 0; y -= stride)
        {
            z += (alpha * ((int(dst[y]) << 7) - z)) >> 16;
            dst[y] = static_cast<unsigned char>(z >> 7);
        }
        dst[0] = 0;
        dst++;
    }
}

// One blur pass along every row.
void BlurRows(unsigned char* dst, int w, int h, int stride, int alpha)
{
    for (int y = 0; y < h; y++)
    {
        int z = 0;
        for (int x = 1; x < w; x++)
        {
            z += (alpha * ((int(dst[x]) << 7) - z)) >> 16;
            dst[x] = static_cast<unsigned char>(z >> 7);
        }
        dst[w - 1] = 0;
        z = 0;
        for (int x = w - 2; x >= 0; x--)
        {
            z += (alpha * ((int(dst[x]) << 7) - z)) >> 16;
            dst[x] = static_cast<unsigned char>(z >> 7);
        }
        dst[0] = 0;
        dst += stride;
    }
}

void Blur(unsigned char* dst, int w, int h, int stride, int blur)
{
    if (blur < 1 || w < 2 || h < 2) return;
    const float sigma = float(blur) * 0.57735f;
    const int alpha = int(65536.f * (1.0f - std::exp(-2.3f / (sigma + 1.0f))));
    BlurColumns(dst, w, h, stride, alpha);
    BlurRows(dst, w, h, stride, alpha);
    BlurColumns(dst, w, h, stride, alpha);
    BlurRows(dst, w, h, stride, alpha);
}

// The glyph a character maps to; 0 (the missing glyph) when the map names one the font lacks.
int GlyphIndex(const stbtt_fontinfo* info, unsigned int codepoint)
{
    if (codepoint > 0x10FFFF) return 0;
    const int g = stbtt_FindGlyphIndex(info, int(codepoint));
    return g > 0 && g < info->numGlyphs ? g : 0;
}

TextStashGlyph* FindGlyph(TextStashContext* stash, TextStashFont* font, unsigned int codepoint, short isize,
                          short iblur)
{
    if (isize < 2) return nullptr;
    if (iblur > TEXTSTASH_MAX_BLUR) iblur = TEXTSTASH_MAX_BLUR;
    if (iblur < 0) iblur = 0;
    const int pad = iblur + 2;
    stash->nscratch = 0;

    const unsigned int h = HashInt(codepoint) & (TEXTSTASH_HASH_LUT_SIZE - 1);
    for (int i = font->lut[h]; i != -1; i = font->glyphs[i].next)
    {
        const TextStashGlyph& g = font->glyphs[i];
        if (g.codepoint == codepoint && g.size == isize && g.blur == iblur) return &font->glyphs[i];
    }

    TextStashFont* renderFont = font;
    int g = GlyphIndex(&font->font, codepoint);
    if (g == 0)
    {
        for (int i = 0; i < font->nfallbacks; ++i)
        {
            TextStashFont* fallback = stash->fonts[font->fallbacks[i]];
            const int fg = GlyphIndex(&fallback->font, codepoint);
            if (fg != 0)
            {
                g = fg;
                renderFont = fallback;
                break;
            }
        }
    }
    const float size = isize / 10.0f;
    const float scale = ScaleForSize(renderFont, size);
    int advance = 0, lsb = 0;
    stbtt_GetGlyphHMetrics(&renderFont->font, g, &advance, &lsb);
    // The box covers the outline whatever box the glyph declares (see rvGlyphBitmap.h): never
    // inverted, never smaller than what the rasterizer draws.
    const rvGlyphBox box = rvGlyphPixelBox(&renderFont->font, g, scale);
    const int x0 = box.x0, y0 = box.y0, x1 = box.x1, y1 = box.y1;
    // A box larger than the atlas (a font whose ascent is next to nothing) cannot be packed.
    if (int64_t(x1) - x0 + pad * 2 > stash->params.width || int64_t(y1) - y0 + pad * 2 > stash->params.height)
        return nullptr;
    const int gw = x1 - x0 + pad * 2;
    const int gh = y1 - y0 + pad * 2;

    int gx = 0, gy = 0;
    if (!TextStashPackRect(stash->atlas, gw, gh, &gx, &gy))
    {
        if (stash->handleError) stash->handleError(stash->errorUptr, TEXTSTASH_ATLAS_FULL, 0);
        if (!TextStashPackRect(stash->atlas, gw, gh, &gx, &gy))
        {
            // Still full: what is queued is drawn with the atlas as it is, then the atlas starts
            // again empty and the text goes on from this glyph. Only a glyph larger than the
            // whole atlas is left out.
            TextStashFlush(stash);
            TextStashResetAtlas(stash);
            if (!TextStashPackRect(stash->atlas, gw, gh, &gx, &gy)) return nullptr;
        }
    }

    TextStashGlyph* glyph = AllocGlyph(font);
    if (!glyph) return nullptr;
    glyph->codepoint = codepoint;
    glyph->size = isize;
    glyph->blur = iblur;
    glyph->index = g;
    glyph->x0 = short(gx);
    glyph->y0 = short(gy);
    glyph->x1 = short(gx + gw);
    glyph->y1 = short(gy + gh);
    glyph->xadv = ClampShort(int(scale * advance * 10.0f));
    glyph->xoff = short(x0 - pad);
    glyph->yoff = short(y0 - pad);
    glyph->next = font->lut[h];
    font->lut[h] = font->nglyphs - 1;

    const int stride = stash->params.width;
    unsigned char* dst = &stash->texData[(gx + pad) + (gy + pad) * stride];
    if (gw - pad * 2 > 0 && gh - pad * 2 > 0)
        rvRasterizeGlyph(&renderFont->font, g, scale, box, dst, gw - pad * 2, gh - pad * 2, stride);

    // A border of zeros keeps interpolation away from the neighbours.
    dst = &stash->texData[gx + gy * stride];
    for (int y = 0; y < gh; y++)
    {
        dst[y * stride] = 0;
        dst[gw - 1 + y * stride] = 0;
    }
    for (int x = 0; x < gw; x++)
    {
        dst[x] = 0;
        dst[x + (gh - 1) * stride] = 0;
    }

    if (iblur > 0) Blur(dst, gw, gh, stride, iblur);

    stash->dirtyRect[0] = std::min(stash->dirtyRect[0], int(glyph->x0));
    stash->dirtyRect[1] = std::min(stash->dirtyRect[1], int(glyph->y0));
    stash->dirtyRect[2] = std::max(stash->dirtyRect[2], int(glyph->x1));
    stash->dirtyRect[3] = std::max(stash->dirtyRect[3], int(glyph->y1));
    return glyph;
}

struct Quad
{
    float x0, y0, s0, t0;
    float x1, y1, s1, t1;
};

void GlyphQuad(TextStashContext* stash, TextStashFont* font, int prevGlyphIndex, const TextStashGlyph* glyph,
               float scale, float spacing, float* x, float* y, Quad* q)
{
    if (prevGlyphIndex != -1)
    {
        const float adv = float(stbtt_GetGlyphKernAdvance(&font->font, prevGlyphIndex, glyph->index)) * scale;
        *x += float(int(adv + spacing + 0.5f));
    }
    const float xoff = float(short(glyph->xoff + 1));
    const float yoff = float(short(glyph->yoff + 1));
    const float x0 = float(glyph->x0 + 1);
    const float y0 = float(glyph->y0 + 1);
    const float x1 = float(glyph->x1 - 1);
    const float y1 = float(glyph->y1 - 1);

    if (stash->params.flags & TEXTSTASH_ORIGIN_TOPLEFT)
    {
        const float rx = float(int(*x + xoff));
        const float ry = float(int(*y + yoff));
        q->x0 = rx;
        q->y0 = ry;
        q->x1 = rx + x1 - x0;
        q->y1 = ry + y1 - y0;
    }
    else
    {
        const float rx = float(int(*x + xoff));
        const float ry = float(int(*y - yoff));
        q->x0 = rx;
        q->y0 = ry;
        q->x1 = rx + x1 - x0;
        q->y1 = ry - y1 + y0;
    }
    q->s0 = x0 * stash->itw;
    q->t0 = y0 * stash->ith;
    q->s1 = x1 * stash->itw;
    q->t1 = y1 * stash->ith;

    *x += float(int(glyph->xadv / 10.0f + 0.5f));
}

void Vertex(TextStashContext* stash, float x, float y, float s, float t, unsigned int c)
{
    stash->verts[stash->nverts * 2 + 0] = x;
    stash->verts[stash->nverts * 2 + 1] = y;
    stash->tcoords[stash->nverts * 2 + 0] = s;
    stash->tcoords[stash->nverts * 2 + 1] = t;
    stash->colors[stash->nverts] = c;
    stash->nverts++;
}

float VertAlign(const TextStashContext* stash, const TextStashFont* font, int align, short isize)
{
    float offset = 0.f;
    if (align & TEXTSTASH_ALIGN_TOP)
        offset = font->ascender * float(isize) / 10.0f;
    else if (align & TEXTSTASH_ALIGN_MIDDLE)
        offset = (font->ascender + font->descender) / 2.0f * float(isize) / 10.0f;
    else if (align & TEXTSTASH_ALIGN_BASELINE)
        offset = 0.f;
    else if (align & TEXTSTASH_ALIGN_BOTTOM)
        offset = font->descender * float(isize) / 10.0f;
    return (stash->params.flags & TEXTSTASH_ORIGIN_TOPLEFT) ? offset : -offset;
}

// The font of the top state when it has data, else null.
TextStashFont* StateFont(TextStashContext* stash, const TextStashState* state)
{
    if (state->font < 0 || state->font >= stash->nfonts) return nullptr;
    TextStashFont* font = stash->fonts[state->font];
    return (font && font->data) ? font : nullptr;
}

// size x 10 kept within the 16 bits the glyph records hold.
short SizeKey(float size)
{
    const float s = size * 10.0f;
    if (!(s > 0.f)) return 0;
    return s >= float(SHRT_MAX) ? SHRT_MAX : short(int(s));
}

short BlurKey(float blur)
{
    if (!(blur > 0.f)) return 0;
    return blur >= float(TEXTSTASH_MAX_BLUR) ? short(TEXTSTASH_MAX_BLUR) : short(int(blur));
}

// Lays the text out with the top state; emits quads when emit is set. Returns the pen x.
float Layout(TextStashContext* stash, float x, float y, const char* str, const char* end, bool emit)
{
    TextStashState* state = TextStashGetState(stash);
    TextStashFont* font = StateFont(stash, state);
    if (!font || !str) return x;
    if (!end) end = str + std::strlen(str);
    const short isize = SizeKey(state->size);
    const short iblur = BlurKey(state->blur);
    const float scale = ScaleForSize(font, isize / 10.0f);

    unsigned int utf8state = 0, codepoint = 0;
    int prevGlyphIndex = -1;
    Quad q;
    for (; str != end; ++str)
    {
        if (DecodeUtf8(&utf8state, &codepoint, static_cast<unsigned char>(*str))) continue;
        TextStashGlyph* glyph = FindGlyph(stash, font, codepoint, isize, iblur);
        if (!glyph)
        {
            prevGlyphIndex = -1;
            continue;
        }
        GlyphQuad(stash, font, prevGlyphIndex, glyph, scale, state->spacing, &x, &y, &q);
        prevGlyphIndex = glyph->index;
        if (!emit) continue;
        if (stash->nverts + 6 > TEXTSTASH_VERTEX_COUNT) TextStashFlush(stash);
        Vertex(stash, q.x0, q.y0, q.s0, q.t0, state->color);
        Vertex(stash, q.x1, q.y1, q.s1, q.t1, state->color);
        Vertex(stash, q.x1, q.y0, q.s1, q.t0, state->color);
        Vertex(stash, q.x0, q.y0, q.s0, q.t0, state->color);
        Vertex(stash, q.x0, q.y1, q.s0, q.t1, state->color);
        Vertex(stash, q.x1, q.y1, q.s1, q.t1, state->color);
    }
    return x;
}
} // namespace

bool TextStashPackRect(TextStashAtlas* atlas, int w, int h, int* x, int* y)
{
    int besti = -1, besth = 0, bestw = 0, bestx = 0, besty = 0;
    for (int i = 0; i < atlas->nnodes; i++)
    {
        const int ny = RectFits(atlas, i, w, h);
        if (ny == -1) continue;
        if (besti == -1 || ny + h < besth || (ny + h == besth && atlas->nodes[i].width < bestw))
        {
            besti = i;
            bestw = atlas->nodes[i].width;
            besth = ny + h;
            bestx = atlas->nodes[i].x;
            besty = ny;
        }
    }
    if (besti == -1) return false;
    if (!AddSkylineLevel(atlas, besti, bestx, besty, w, h)) return false;
    *x = bestx;
    *y = besty;
    return true;
}

TextStashContext* TextStashCreate(const TextStashParams& params)
{
    if (params.width <= 0 || params.height <= 0 || params.width > SHRT_MAX || params.height > SHRT_MAX)
        return nullptr;
    TextStashContext* stash = static_cast<TextStashContext*>(std::calloc(1, sizeof(TextStashContext)));
    if (!stash) return nullptr;
    stash->params = params;
    stash->scratch = static_cast<unsigned char*>(std::malloc(TEXTSTASH_SCRATCH_BUF_SIZE));
    if (!stash->scratch) goto error;
    if (stash->params.renderCreate &&
        stash->params.renderCreate(stash->params.userPtr, stash->params.width, stash->params.height) == 0)
        goto error;
    stash->atlas = AllocAtlas(params.width, params.height, TEXTSTASH_INIT_ATLAS_NODES);
    if (!stash->atlas) goto error;
    stash->fonts = static_cast<TextStashFont**>(std::calloc(TEXTSTASH_INIT_FONTS, sizeof(TextStashFont*)));
    if (!stash->fonts) goto error;
    stash->cfonts = TEXTSTASH_INIT_FONTS;
    stash->nfonts = 0;
    stash->itw = 1.0f / float(params.width);
    stash->ith = 1.0f / float(params.height);
    stash->texData =
        static_cast<unsigned char*>(std::calloc(size_t(params.width) * size_t(params.height), 1));
    if (!stash->texData) goto error;
    stash->dirtyRect[0] = params.width;
    stash->dirtyRect[1] = params.height;
    stash->dirtyRect[2] = 0;
    stash->dirtyRect[3] = 0;
    AddWhiteRect(stash, 2, 2);
    TextStashPushState(stash);
    stash->states[0] = {0, TEXTSTASH_ALIGN_LEFT | TEXTSTASH_ALIGN_BASELINE, 12.0f, 0xffffffffu, 0.f, 0.f};
    return stash;

error:
    TextStashDelete(stash);
    return nullptr;
}

void TextStashDelete(TextStashContext* stash)
{
    if (!stash) return;
    if (stash->params.renderDelete) stash->params.renderDelete(stash->params.userPtr);
    for (int i = 0; i < stash->nfonts; ++i)
        FreeFont(stash->fonts[i]);
    DeleteAtlas(stash->atlas);
    std::free(stash->fonts);
    std::free(stash->texData);
    std::free(stash->scratch);
    std::free(stash);
}

void TextStashSetErrorCallback(TextStashContext* stash, void (*callback)(void* uptr, int error, int val),
                               void* uptr)
{
    if (!stash) return;
    stash->handleError = callback;
    stash->errorUptr = uptr;
}

TextStashState* TextStashGetState(TextStashContext* stash)
{
    return &stash->states[stash->nstates - 1];
}

void TextStashPushState(TextStashContext* stash)
{
    if (stash->nstates >= TEXTSTASH_MAX_STATES)
    {
        if (stash->handleError) stash->handleError(stash->errorUptr, TEXTSTASH_STATES_OVERFLOW, 0);
        return;
    }
    if (stash->nstates > 0) stash->states[stash->nstates] = stash->states[stash->nstates - 1];
    stash->nstates++;
}

void TextStashPopState(TextStashContext* stash)
{
    // The bottom state stays: every operation reads the top one.
    if (stash->nstates > 1) stash->nstates--;
}

int TextStashAddFontMem(TextStashContext* stash, const char* name, unsigned char* data, int dataSize)
{
    if (!stash)
    {
        std::free(data);
        return -1;
    }
    if (stash->nfonts + 1 > stash->cfonts)
    {
        const int cap = stash->cfonts == 0 ? 8 : stash->cfonts * 2;
        void* p = std::realloc(stash->fonts, sizeof(TextStashFont*) * size_t(cap));
        if (!p)
        {
            std::free(data);
            return -1;
        }
        stash->fonts = static_cast<TextStashFont**>(p);
        stash->cfonts = cap;
    }
    TextStashFont* font = static_cast<TextStashFont*>(std::calloc(1, sizeof(TextStashFont)));
    if (!font)
    {
        std::free(data);
        return -1;
    }
    font->glyphs = static_cast<TextStashGlyph*>(std::calloc(TEXTSTASH_INIT_GLYPHS, sizeof(TextStashGlyph)));
    font->cglyphs = font->glyphs ? TEXTSTASH_INIT_GLYPHS : 0;
    std::strncpy(font->name, name ? name : "", sizeof(font->name));
    font->name[sizeof(font->name) - 1] = '\0';
    for (int i = 0; i < TEXTSTASH_HASH_LUT_SIZE; ++i)
        font->lut[i] = -1;
    font->data = data;
    font->dataSize = dataSize;
    font->freeData = 1;

    // stb_truetype trusts the offsets inside the file: only data whose tables check out is read.
    int offset = -1;
    if (font->glyphs && data && rvFontManager::IsFontDataSafe(data, dataSize))
        offset = stbtt_GetFontOffsetForIndex(data, 0);
    font->font.userdata = stash;
    if (offset < 0 || !stbtt_InitFont(&font->font, data, offset))
    {
        FreeFont(font);
        return -1;
    }
    int ascent = 0, descent = 0, lineGap = 0;
    stbtt_GetFontVMetrics(&font->font, &ascent, &descent, &lineGap);
    const int fh = ascent - descent;
    if (fh <= 0)
    {
        FreeFont(font);
        return -1;
    }
    font->ascender = float(ascent) / float(fh);
    font->descender = float(descent) / float(fh);
    font->lineh = float(fh + lineGap) / float(fh);
    stash->fonts[stash->nfonts++] = font;
    return stash->nfonts - 1;
}

float TextStashMeasureWidth(TextStashContext* stash, float x, float y, const char* text, const char* end)
{
    if (!stash || !text) return 0.f;
    return Layout(stash, x, y, text, end, false) - x;
}

float TextStashDrawText(TextStashContext* stash, float x, float y, const char* text)
{
    if (!stash || !text) return x;
    TextStashState* state = TextStashGetState(stash);
    TextStashFont* font = StateFont(stash, state);
    if (!font) return x;
    if (!(state->align & TEXTSTASH_ALIGN_LEFT))
    {
        const float width = TextStashMeasureWidth(stash, x, y, text);
        if (state->align & TEXTSTASH_ALIGN_RIGHT)
            x -= width;
        else if (state->align & TEXTSTASH_ALIGN_CENTER)
            x -= width * 0.5f;
    }
    y += VertAlign(stash, font, state->align, SizeKey(state->size));
    x = Layout(stash, x, y, text, nullptr, true);
    TextStashFlush(stash);
    return x;
}

void TextStashResetAtlas(TextStashContext* stash)
{
    if (!stash) return;
    TextStashAtlas* atlas = stash->atlas;
    atlas->nodes[0] = {0, 0, short(atlas->width)};
    atlas->nnodes = 1;
    for (int i = 0; i < stash->nfonts; ++i)
    {
        TextStashFont* font = stash->fonts[i];
        font->nglyphs = 0;
        for (int& l : font->lut)
            l = -1;
    }
    std::memset(stash->texData, 0, size_t(stash->params.width) * size_t(stash->params.height));
    stash->dirtyRect[0] = stash->params.width;
    stash->dirtyRect[1] = stash->params.height;
    stash->dirtyRect[2] = 0;
    stash->dirtyRect[3] = 0;
    AddWhiteRect(stash, 2, 2);
    // The whole picture changed: the next flush uploads all of it.
    stash->dirtyRect[0] = 0;
    stash->dirtyRect[1] = 0;
    stash->dirtyRect[2] = stash->params.width;
    stash->dirtyRect[3] = stash->params.height;
}

void TextStashFlush(TextStashContext* stash)
{
    if (stash->dirtyRect[0] < stash->dirtyRect[2] && stash->dirtyRect[1] < stash->dirtyRect[3])
    {
        if (stash->params.renderUpdate)
            stash->params.renderUpdate(stash->params.userPtr, stash->dirtyRect, stash->texData);
        stash->dirtyRect[0] = stash->params.width;
        stash->dirtyRect[1] = stash->params.height;
        stash->dirtyRect[2] = 0;
        stash->dirtyRect[3] = 0;
    }
    if (stash->nverts > 0)
    {
        if (stash->params.renderDraw)
            stash->params.renderDraw(stash->params.userPtr, stash->verts, stash->tcoords, stash->colors,
                                     stash->nverts);
        stash->nverts = 0;
    }
}
