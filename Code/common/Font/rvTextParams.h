#pragma once
// The text layout record every text builder takes. A text effect keeps one as a run of its
// attribute members, starting with "Size".
#include <glm/vec2.hpp>
#include <string>

struct rvTextParams
{
    float _fSize = 1.f;               // "Size"
    std::string _sText;               // read byte by byte
    float _fScale = 1.f;              // "Scale": resolution factor of the pixel modes
    float _fDotSize = 1.f;            // "Dot Size"
    bool _bRenderOutline = false;     // "Render Outline"
    bool _bRenderDot = false;         // "Render Dot"
    bool _bRenderLines = false;       // "Render Lines"
    glm::vec2 _vPen = glm::vec2(0.f); // written by the builders
    float _fFontScale = 0.f;          // font units -> output units; written by the TrueType builders
};
