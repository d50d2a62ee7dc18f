#include "vector_font_simplex.h"

const vector_font_glyph vector_font_simplex[VECTOR_FONT_SIMPLEX_COUNT] = {
#include "vector_font_simplex.inc"
};

const vector_font_glyph* vector_font_simplex_glyph(int c)
{
    if (c < VECTOR_FONT_SIMPLEX_FIRST || c >= VECTOR_FONT_SIMPLEX_FIRST + VECTOR_FONT_SIMPLEX_COUNT)
        return nullptr;
    return &vector_font_simplex[c - VECTOR_FONT_SIMPLEX_FIRST];
}
