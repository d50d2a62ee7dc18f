#pragma once
// Text as polylines of a VectorScene. Each builder appends one child node per character (see
// each function for the exceptions) to the parent and adds lines to it; every new line takes
// the given colour as its own and keeps the default width; all points have z = 0. Nothing is
// cleared, so several builders may append to the same parent.
//
// Rule of use: for the stroke font run BuildTextSimplex alone; otherwise BuildTextOutline when
// _bRenderOutline is set, then BuildTextDots when _bRenderDot is set, then BuildTextLines when
// _bRenderLines is set, all on the same parent.
#include "Font/rvTextParams.h"

#include <glm/vec4.hpp>

class rvFont;
class VectorScene;

// The stroke font: size 0.03 output units per font unit and size; newline 35 font units down,
// tab stops every 40 font units. Bytes outside 32..126 other than newline and tab are skipped.
void BuildTextSimplex(rvTextParams& params, VectorScene* pParent, const glm::vec4& color);

// TrueType outlines flattened into polylines, one line per contour; no child for a glyph-less
// character (its advance still applies).
void BuildTextOutline(rvFont* pFont, rvTextParams& params, VectorScene* pParent, const glm::vec4& color);

// The pixel modes place each glyph's bitmap where its outline lies (the outline mode's layout: a
// newline _fSize down); no child for a newline in the dot mode, an empty one in the run mode.
// One horizontal stroke of _fDotSize per inked pixel (coverage 128 or more) of the glyph
// rendered at _fScale times the resolution.
void BuildTextDots(rvFont* pFont, rvTextParams& params, VectorScene* pParent, const glm::vec4& color);

// One stroke per horizontal run of inked pixels.
void BuildTextLines(rvFont* pFont, rvTextParams& params, VectorScene* pParent, const glm::vec4& color);
