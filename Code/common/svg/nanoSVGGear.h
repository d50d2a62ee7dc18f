#pragma once
// One gear setting of the SVG machine: the element of its "Gears" array attribute (children
// ".Name", ".Highlight", ".Speed", ".r", ".g", ".b"). Gear i steers part i of the drawing.
#include <string>

class nanoSVGGear
{
public:
    nanoSVGGear() = default;

    std::string _sName;
    bool _bHighlight = false;
    float _fSpeed = 0.1f;
    float _r = 1.0f;
    float _g = 1.0f;
    float _b = 1.0f;
};
