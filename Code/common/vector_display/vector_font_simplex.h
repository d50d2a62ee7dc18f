#pragma once
// The built-in stroke font: the Hershey simplex glyphs of the characters 32 (space) to
// 126 ("~"). Coordinates are font units, y up, the baseline at 0 and capitals 21 units high;
// the pair (-1, -1) lifts the pen. Used by vector_display_draw_string and the "Simplex" font.

#define VECTOR_FONT_SIMPLEX_FIRST 32
#define VECTOR_FONT_SIMPLEX_COUNT 95
#define VECTOR_FONT_SIMPLEX_MAX_VERTICES 55

struct vector_font_glyph
{
    int count;                                        // vertex pairs used, pen lifts included
    int advance;                                      // pen advance in font units
    int points[VECTOR_FONT_SIMPLEX_MAX_VERTICES * 2]; // x0, y0, x1, y1, ...
};

extern const vector_font_glyph vector_font_simplex[VECTOR_FONT_SIMPLEX_COUNT];

// The glyph of a character, or null outside 32..126.
const vector_font_glyph* vector_font_simplex_glyph(int c);
