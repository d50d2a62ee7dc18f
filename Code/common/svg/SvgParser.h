#pragma once
// The SVG reader: turns a drawing into a flat, ordered list of shapes whose outlines are chains
// of cubic Bezier segments in image pixels. It reads a fixed subset of SVG 1.1: basic shapes,
// path data, groups with inherited presentation attributes, transforms, the viewport ("viewBox",
// "preserveAspectRatio"), linear and radial gradients. Everything else is skipped. Besides the
// presentation data it keeps the "id" in force for every shape and path and the "class" text
// for every shape; the SVG object layer gives them their meaning.
//
// A plain procedural module: records linked by pointers, allocated by the parser and released
// together by SvgDelete. Malformed input is never an error: unknown items are skipped, and no
// input reads or writes outside its buffers.
#include <cstdint>

class nanoSVGPart;

enum SvgPaintType : uint8_t
{
    SVG_PAINT_NONE = 0,
    SVG_PAINT_COLOR = 1,
    SVG_PAINT_LINEAR_GRADIENT = 2,
    SVG_PAINT_RADIAL_GRADIENT = 3,
};

enum SvgSpread : uint8_t
{
    SVG_SPREAD_PAD = 0,
    SVG_SPREAD_REFLECT = 1,
    SVG_SPREAD_REPEAT = 2,
};

enum SvgLineJoin : uint8_t
{
    SVG_JOIN_MITER = 0,
    SVG_JOIN_ROUND = 1,
    SVG_JOIN_BEVEL = 2,
};

enum SvgLineCap : uint8_t
{
    SVG_CAP_BUTT = 0,
    SVG_CAP_ROUND = 1,
    SVG_CAP_SQUARE = 2,
};

enum SvgFillRule : uint8_t
{
    SVG_FILLRULE_NONZERO = 0,
    SVG_FILLRULE_EVENODD = 1,
};

enum SvgFlags : uint8_t
{
    SVG_FLAGS_VISIBLE = 0x01,
};

// Packed colours: red in bits 0-7, green 8-15, blue 16-23, alpha 24-31.
struct SvgGradientStop
{
    uint32_t _nColor;
    float _fOffset;
};

struct SvgGradient
{
    float _aXform[6]; // image pixels -> gradient space (linear: along y, 0..1; radial: unit circle)
    uint8_t _eSpread;
    float _fFx, _fFy; // radial: focal point / radius
    int _nStops;
    SvgGradientStop* _pStops; // _nStops entries, sorted by offset
};

struct SvgPaint
{
    uint8_t _eType; // SvgPaintType
    union
    {
        uint32_t _nColor;
        SvgGradient* _pGradient;
    };
};

struct SvgPath
{
    char _sId[64];
    float* _pPoints; // x, y pairs: the start point, then 3 points per cubic segment
    int _nPoints;    // 1 + 3 * segments; at least 1
    uint8_t _bClosed;
    float _aBounds[4]; // min x, min y, max x, max y
    SvgPath* _pNext;
};

struct SvgShape
{
    char _sId[64];
    char _sClass[20];
    SvgPaint _Fill;
    SvgPaint _Stroke;
    float _fOpacity;
    float _fStrokeWidth;
    float _fStrokeDashOffset;
    float _aStrokeDashArray[8];
    uint8_t _nStrokeDashCount;
    uint8_t _eStrokeLineJoin;
    uint8_t _eStrokeLineCap;
    float _fMiterLimit;
    uint8_t _eFillRule;
    uint8_t _nFlags;
    float _aBounds[4];
    SvgPath* _pPaths; // newest subpath first; null when every path had unusable coordinates
    SvgShape* _pNext;
    nanoSVGPart* _pPart; // set by the SVG object layer; null from the parser
    bool _bShown;        // set by the SVG object layer; false from the parser
};

struct SvgImage
{
    float _fWidth;
    float _fHeight;
    SvgShape* _pShapes; // document order
};

// Reads a drawing through the data file reader and parses it; null when the file is missing,
// cannot be read whole, or memory runs out. Lengths in pt, pc, mm, cm and in use the dpi.
SvgImage* SvgParseFile(const char* sPath, float fDpi);

// Parses a zero-terminated text, which is cut in place (pass a private copy). Null only when
// memory runs out.
SvgImage* SvgParse(char* sInput, float fDpi);

// Makes a paint a plain colour, releasing the gradient it held.
void SvgSetPaintColor(SvgPaint* pPaint, uint32_t nColor);

// Releases an image and everything it owns; null does nothing.
void SvgDelete(SvgImage* pImage);
