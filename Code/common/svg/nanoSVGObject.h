#pragma once
// One run of consecutive shapes of an SVG drawing sharing an id (or, for "ENG" names, its first
// four characters). The shapes belong to the drawing's image; fill objects ("CACHE" names) own
// a triangulated mesh on the GPU.
#include <string>
#include <vector>

struct SvgShape;

class nanoSVGObject
{
public:
    std::string _sName;
    std::vector<SvgShape*> _apShapes;
    bool _bVisible = true;
    bool _bEng = false;
    bool _bCache = false;
    bool _bCache3 = false;
    unsigned _nVertexBuffer = 0;
    unsigned _nIndexBuffer = 0;
    unsigned _nVertexArray = 0;
    int _nIndexCount = 0;
    unsigned _eIndexType = 0; // GL_UNSIGNED_SHORT once triangulated
};
