// TrueType fonts: the safety check, then, for a font it accepts, everything the program does
// with one: vector text as outlines, dots and runs, and the text stash's glyph atlas, kerning
// and layout.
#include "FuzzTarget.h"

#include "Font/rvFont.h"
#include "Font/rvFontManager.h"
#include "Font/rvTextBuilder.h"
#include "TextStash.h"
#include "VectorScene/VectorScene.h"

#include <stb_truetype.h>

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 24) || !rvFontManager::IsFontDataSafe(data, int(size))) return 0;
    stbtt_fontinfo info;
    const int offset = stbtt_GetFontOffsetForIndex(data, 0);
    if (offset < 0 || !stbtt_InitFont(&info, data, offset)) return 0;

    rvFont font;
    font._pFontInfo = &info;
    const glm::vec4 colour(1.f);
    for (float fontSize : {10.f, 60.f})
    {
        rvTextParams params;
        params._fSize = fontSize;
        params._sText = "Ag o\n1\t\x7f\xe9";
        VectorScene outline, dots, runs;
        BuildTextOutline(&font, params, &outline, colour);
        BuildTextDots(&font, params, &dots, colour);
        BuildTextLines(&font, params, &runs, colour);
    }

    TextStashParams sp;
    sp.width = 256;
    sp.height = 256;
    sp.flags = TEXTSTASH_ORIGIN_TOPLEFT;
    TextStashContext* stash = TextStashCreate(sp);
    if (!stash) return 0;
    unsigned char* copy = static_cast<unsigned char*>(std::malloc(size ? size : 1));
    std::memcpy(copy, data, size);
    if (TextStashAddFontMem(stash, "fuzz", copy, int(size)) == 0)
    {
        TextStashState* state = TextStashGetState(stash);
        for (float textSize : {12.f, 40.f})
        {
            state->size = textSize;
            state->blur = textSize > 20.f ? 3.f : 0.f;
            TextStashMeasureWidth(stash, 0.f, 0.f, "AVAV Wo", nullptr);
            TextStashDrawText(stash, 10.f, 50.f, "AVAV Wo \xc3\xa9\xe2\x82\xac");
        }
    }
    TextStashDelete(stash);
    return 0;
}
