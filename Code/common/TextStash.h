#pragma once
// Text-stash core: TrueType glyphs rendered on demand into one 8-bit coverage atlas (skyline
// packing, optional blur), a stack of text states, UTF-8 layout with kerning and alignment, and
// batches of glyph quads handed to five renderer callbacks. Knows nothing of OpenGL.
#include <stb_truetype.h>

#include <cstdint>

enum TextStashFlags
{
    TEXTSTASH_ORIGIN_TOPLEFT = 1, // y grows downwards
};

enum TextStashAlign
{
    TEXTSTASH_ALIGN_LEFT = 1,
    TEXTSTASH_ALIGN_CENTER = 2,
    TEXTSTASH_ALIGN_RIGHT = 4,
    TEXTSTASH_ALIGN_TOP = 8,
    TEXTSTASH_ALIGN_MIDDLE = 16,
    TEXTSTASH_ALIGN_BOTTOM = 32,
    TEXTSTASH_ALIGN_BASELINE = 64,
};

enum TextStashError
{
    TEXTSTASH_ATLAS_FULL = 1,
    TEXTSTASH_SCRATCH_FULL = 2,
    TEXTSTASH_STATES_OVERFLOW = 3,
};

constexpr int TEXTSTASH_SCRATCH_BUF_SIZE = 64000;
constexpr int TEXTSTASH_INIT_FONTS = 4;
constexpr int TEXTSTASH_INIT_GLYPHS = 256;
constexpr int TEXTSTASH_INIT_ATLAS_NODES = 256;
constexpr int TEXTSTASH_VERTEX_COUNT = 1024;
constexpr int TEXTSTASH_MAX_STATES = 20;
constexpr int TEXTSTASH_MAX_FALLBACKS = 20;
constexpr int TEXTSTASH_HASH_LUT_SIZE = 256;
constexpr int TEXTSTASH_MAX_BLUR = 20;

struct TextStashParams
{
    int width = 0, height = 0;
    unsigned char flags = 0;
    void* userPtr = nullptr;
    int (*renderCreate)(void* uptr, int width, int height) = nullptr;
    int (*renderResize)(void* uptr, int width, int height) = nullptr;
    void (*renderUpdate)(void* uptr, int* rect, const unsigned char* data) = nullptr;
    void (*renderDraw)(void* uptr, const float* verts, const float* tcoords, const unsigned int* colors,
                       int nverts) = nullptr;
    void (*renderDelete)(void* uptr) = nullptr;
};

struct TextStashState
{
    int font;
    int align;
    float size;
    unsigned int color; // RGBA, red in the low byte
    float blur;
    float spacing;
};

struct TextStashGlyph
{
    unsigned int codepoint;
    int index;
    int next;
    short size, blur;
    short x0, y0, x1, y1;
    short xadv, xoff, yoff;
};

struct TextStashFont
{
    stbtt_fontinfo font;
    char name[64];
    unsigned char* data;
    int dataSize;
    unsigned char freeData;
    float ascender;
    float descender;
    float lineh;
    TextStashGlyph* glyphs;
    int cglyphs;
    int nglyphs;
    int lut[TEXTSTASH_HASH_LUT_SIZE];
    int fallbacks[TEXTSTASH_MAX_FALLBACKS];
    int nfallbacks;
};

struct TextStashAtlasNode
{
    short x, y, width;
};

struct TextStashAtlas
{
    int width, height;
    TextStashAtlasNode* nodes;
    int nnodes;
    int cnodes;
};

struct TextStashContext
{
    TextStashParams params;
    float itw, ith;
    unsigned char* texData;
    int dirtyRect[4];
    TextStashFont** fonts;
    int cfonts;
    int nfonts;
    TextStashAtlas* atlas;
    float verts[TEXTSTASH_VERTEX_COUNT * 2];
    float tcoords[TEXTSTASH_VERTEX_COUNT * 2];
    unsigned int colors[TEXTSTASH_VERTEX_COUNT];
    int nverts;
    unsigned char* scratch;
    int nscratch;
    TextStashState states[TEXTSTASH_MAX_STATES];
    int nstates;
    void (*handleError)(void* uptr, int error, int val);
    void* errorUptr;
};

// The context, or null when the renderer or an allocation failed.
TextStashContext* TextStashCreate(const TextStashParams& params);
// Calls the delete callback and frees everything the context holds (null is ignored).
void TextStashDelete(TextStashContext* stash);

// Adds a font from TrueType bytes allocated with malloc; the context owns them from here on (they
// are freed at once when the font cannot be used). Returns the font index or -1.
int TextStashAddFontMem(TextStashContext* stash, const char* name, unsigned char* data, int dataSize);

void TextStashSetErrorCallback(TextStashContext* stash, void (*callback)(void* uptr, int error, int val),
                               void* uptr);

// The state every operation reads (the top of the stack).
TextStashState* TextStashGetState(TextStashContext* stash);
void TextStashPushState(TextStashContext* stash);
void TextStashPopState(TextStashContext* stash);

// Draws with the top state and returns the pen x after the last glyph.
float TextStashDrawText(TextStashContext* stash, float x, float y, const char* text);
// How far the pen moves over the text (end null: up to the terminating NUL).
float TextStashMeasureWidth(TextStashContext* stash, float x, float y, const char* text,
                            const char* end = nullptr);
// Uploads pending atlas changes and draws pending quads.
void TextStashFlush(TextStashContext* stash);
// Forgets every stored glyph and empties the atlas (the white block stays); the whole atlas is
// uploaded at the next flush. A full atlas resets itself this way while text is drawn.
void TextStashResetAtlas(TextStashContext* stash);

// Skyline packer: places a w x h rectangle; false when it does not fit.
bool TextStashPackRect(TextStashAtlas* atlas, int w, int h, int* x, int* y);
