#include "svg/SvgParser.h"

#include "Loader/rvDataPack.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
constexpr float kPi = 3.1415927f;
constexpr float kKappa90 = 0.5522848f; // circle constant of a quarter-circle cubic
constexpr int kMaxAttribs = 128;       // attribute stack depth
constexpr int kMaxXmlAttribs = 127;    // attributes kept per element
constexpr double kBoundsEpsilon = 1e-12;

enum Units
{
    UNITS_USER,
    UNITS_PX,
    UNITS_PT,
    UNITS_PC,
    UNITS_MM,
    UNITS_CM,
    UNITS_IN,
    UNITS_PERCENT,
    UNITS_EM,
    UNITS_EX,
};

enum GradientUnits
{
    UNITS_USER_SPACE,
    UNITS_OBJECT_SPACE,
};

enum AlignKind
{
    ALIGN_NONE = 0,
    ALIGN_MEET = 1,
    ALIGN_SLICE = 2,
};

enum PaintKind
{
    PAINT_KIND_NONE = 0,
    PAINT_KIND_COLOR = 1,
    PAINT_KIND_GRADIENT = 2,
};

struct SvgCoordinate
{
    float value;
    int units;
};

struct SvgAttrib
{
    char id[64];
    char cls[20];
    float xform[6];
    uint32_t fillColor;
    uint32_t strokeColor;
    float opacity;
    float fillOpacity;
    float strokeOpacity;
    char fillGradient[64];
    char strokeGradient[64];
    float strokeWidth;
    float strokeDashOffset;
    float strokeDashArray[8];
    int strokeDashCount;
    uint8_t strokeLineJoin;
    uint8_t strokeLineCap;
    float miterLimit;
    uint8_t fillRule;
    float fontSize;
    uint32_t stopColor;
    float stopOpacity;
    float stopOffset;
    uint8_t hasFill;
    uint8_t hasStroke;
    uint8_t visible;
};

struct SvgGradientData
{
    char id[64];
    char ref[64];
    uint8_t type; // SVG_PAINT_LINEAR_GRADIENT or SVG_PAINT_RADIAL_GRADIENT
    // linear: x1, y1, x2, y2; radial: cx, cy, r, fx, fy
    SvgCoordinate coords[5];
    uint8_t spread;
    uint8_t units;
    float xform[6];
    int nstops;
    SvgGradientStop* stops;
    SvgGradientData* next;
};

struct SvgParser
{
    SvgAttrib attr[kMaxAttribs];
    int attrHead;
    float* pts;
    int npts;
    int cpts;
    SvgPath* plist;
    SvgImage* image;
    SvgShape* lastShape;
    SvgGradientData* gradients;
    float viewMinx, viewMiny, viewWidth, viewHeight;
    int alignX, alignY, alignType;
    float dpi;
    int defsDepth; // open "defs" elements: their groups and shapes are not read
};

// ---------------------------------------------------------------------------------------------
// Small helpers
// ---------------------------------------------------------------------------------------------

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsNumStart(char c)
{
    return c == '-' || c == '+' || c == '.' || IsDigit(c);
}

// Copies at most nMax characters and always terminates.
void CopyText(char* dst, const char* src, size_t nMax)
{
    size_t i = 0;
    for (; i < nMax && src[i]; ++i)
        dst[i] = src[i];
    dst[i] = 0;
}

float MinF(float a, float b)
{
    return a < b ? a : b;
}

float MaxF(float a, float b)
{
    return a > b ? a : b;
}

// dst becomes the union of the boxes dst and src (min x, min y, max x, max y).
void UnionBounds(float* dst, const float* src)
{
    dst[0] = MinF(dst[0], src[0]);
    dst[1] = MinF(dst[1], src[1]);
    dst[2] = MaxF(dst[2], src[2]);
    dst[3] = MaxF(dst[3], src[3]);
}

// Matrices (a, b, c, d, e, f): x' = a x + c y + e, y' = b x + d y + f.
void XformIdentity(float* t)
{
    t[0] = 1.0f;
    t[1] = 0.0f;
    t[2] = 0.0f;
    t[3] = 1.0f;
    t[4] = 0.0f;
    t[5] = 0.0f;
}

void XformSet(float* t, float a, float b, float c, float d, float e, float f)
{
    t[0] = a;
    t[1] = b;
    t[2] = c;
    t[3] = d;
    t[4] = e;
    t[5] = f;
}

// t becomes "t first, then s".
void XformMultiply(float* t, const float* s)
{
    const float t0 = t[0] * s[0] + t[1] * s[2];
    const float t2 = t[2] * s[0] + t[3] * s[2];
    const float t4 = t[4] * s[0] + t[5] * s[2] + s[4];
    t[1] = t[0] * s[1] + t[1] * s[3];
    t[3] = t[2] * s[1] + t[3] * s[3];
    t[5] = t[4] * s[1] + t[5] * s[3] + s[5];
    t[0] = t0;
    t[2] = t2;
    t[4] = t4;
}

// t becomes "s first, then t".
void XformPremultiply(float* t, const float* s)
{
    float s2[6];
    std::memcpy(s2, s, sizeof(s2));
    XformMultiply(s2, t);
    std::memcpy(t, s2, sizeof(s2));
}

void XformInverse(float* inv, const float* t)
{
    const double det = double(t[0]) * t[3] - double(t[2]) * t[1];
    if (det > -1e-6 && det < 1e-6)
    {
        XformIdentity(inv);
        return;
    }
    const double invdet = 1.0 / det;
    inv[0] = float(t[3] * invdet);
    inv[2] = float(-t[2] * invdet);
    inv[4] = float((double(t[2]) * t[5] - double(t[3]) * t[4]) * invdet);
    inv[1] = float(-t[1] * invdet);
    inv[3] = float(t[0] * invdet);
    inv[5] = float((double(t[1]) * t[4] - double(t[0]) * t[5]) * invdet);
}

void XformPoint(float* dx, float* dy, float x, float y, const float* t)
{
    *dx = x * t[0] + y * t[2] + t[4];
    *dy = x * t[1] + y * t[3] + t[5];
}

void XformVec(float* dx, float* dy, float x, float y, const float* t)
{
    *dx = x * t[0] + y * t[2];
    *dy = x * t[1] + y * t[3];
}

// ---------------------------------------------------------------------------------------------
// Numbers, units, coordinates
// ---------------------------------------------------------------------------------------------

// Copies one number token (at most 63 characters kept) and returns the text after it.
const char* ParseNumber(const char* s, char* it, int size)
{
    const int last = size - 1;
    int i = 0;
    if (*s == '-' || *s == '+')
    {
        if (i < last) it[i++] = *s;
        s++;
    }
    while (IsDigit(*s))
    {
        if (i < last) it[i++] = *s;
        s++;
    }
    if (*s == '.')
    {
        if (i < last) it[i++] = *s;
        s++;
        while (IsDigit(*s))
        {
            if (i < last) it[i++] = *s;
            s++;
        }
    }
    if ((*s == 'e' || *s == 'E') && s[1] != 'm' && s[1] != 'x')
    {
        if (i < last) it[i++] = *s;
        s++;
        if (*s == '-' || *s == '+')
        {
            if (i < last) it[i++] = *s;
            s++;
        }
        while (IsDigit(*s))
        {
            if (i < last) it[i++] = *s;
            s++;
        }
    }
    it[i] = 0;
    return s;
}

// sign * (integer part + fraction) * 10^exponent; no digits at all gives 0.
double Atof(const char* s)
{
    double sign = 1.0;
    if (*s == '-')
    {
        sign = -1.0;
        s++;
    }
    else if (*s == '+')
        s++;

    bool hasDigits = false;
    double value = 0.0;
    while (IsDigit(*s))
    {
        value = value * 10.0 + (*s - '0');
        hasDigits = true;
        s++;
    }
    if (*s == '.')
    {
        s++;
        double frac = 0.0, scale = 1.0;
        while (IsDigit(*s))
        {
            frac = frac * 10.0 + (*s - '0');
            scale *= 10.0;
            hasDigits = true;
            s++;
        }
        value += frac / scale;
    }
    if (!hasDigits) return 0.0;
    if (*s == 'e' || *s == 'E')
    {
        s++;
        int esign = 1;
        if (*s == '-')
        {
            esign = -1;
            s++;
        }
        else if (*s == '+')
            s++;
        if (IsDigit(*s))
        {
            int e = 0;
            while (IsDigit(*s))
            {
                if (e < 10000) e = e * 10 + (*s - '0');
                s++;
            }
            value *= std::pow(10.0, double(esign * e));
        }
    }
    return sign * value;
}

int ParseUnits(const char* u)
{
    if (u[0] == 'p' && u[1] == 'x') return UNITS_PX;
    if (u[0] == 'p' && u[1] == 't') return UNITS_PT;
    if (u[0] == 'p' && u[1] == 'c') return UNITS_PC;
    if (u[0] == 'm' && u[1] == 'm') return UNITS_MM;
    if (u[0] == 'c' && u[1] == 'm') return UNITS_CM;
    if (u[0] == 'i' && u[1] == 'n') return UNITS_IN;
    if (u[0] == '%') return UNITS_PERCENT;
    if (u[0] == 'e' && u[1] == 'm') return UNITS_EM;
    if (u[0] == 'e' && u[1] == 'x') return UNITS_EX;
    return UNITS_USER;
}

SvgCoordinate ParseCoordinateRaw(const char* s)
{
    while (IsSpace(*s))
        s++;
    char buf[64];
    SvgCoordinate coord;
    coord.units = ParseUnits(ParseNumber(s, buf, 64));
    coord.value = float(Atof(buf));
    return coord;
}

SvgCoordinate Coord(float v, int units)
{
    SvgCoordinate c = {v, units};
    return c;
}

SvgAttrib* GetAttr(SvgParser* p)
{
    return &p->attr[p->attrHead];
}

float ConvertToPixels(SvgParser* p, SvgCoordinate c, float orig, float length)
{
    const SvgAttrib* attr = GetAttr(p);
    switch (c.units)
    {
    case UNITS_USER:
    case UNITS_PX:
        return c.value;
    case UNITS_PT:
        return c.value / 72.0f * p->dpi;
    case UNITS_PC:
        return c.value / 6.0f * p->dpi;
    case UNITS_MM:
        return c.value / 25.4f * p->dpi;
    case UNITS_CM:
        return c.value / 2.54f * p->dpi;
    case UNITS_IN:
        return c.value * p->dpi;
    case UNITS_EM:
        return c.value * attr->fontSize;
    case UNITS_EX:
        return c.value * attr->fontSize * 0.52f;
    case UNITS_PERCENT:
        return orig + c.value / 100.0f * length;
    default:
        return c.value;
    }
}

float ParseCoordinate(SvgParser* p, const char* s, float orig, float length)
{
    return ConvertToPixels(p, ParseCoordinateRaw(s), orig, length);
}

float ActualLength(const SvgParser* p)
{
    const float w = p->viewWidth, h = p->viewHeight;
    return std::sqrt(w * w + h * h) / std::sqrt(2.0f);
}

// Returns the next path item: a number token, or a single character; empty at the end.
const char* GetNextPathItem(const char* s, char* it)
{
    it[0] = 0;
    while (*s && (IsSpace(*s) || *s == ','))
        s++;
    if (!*s) return s;
    if (IsNumStart(*s)) return ParseNumber(s, it, 64);
    it[0] = *s++;
    it[1] = 0;
    return s;
}

// An arc's large-arc and sweep flags are one character each and need no separator after
// them: "a7 7 0 100 14" is the flags 1 and 0, then 0 14. A flag that is not 0 or 1 is read
// as an ordinary item.
const char* GetNextArcFlag(const char* s, char* it)
{
    while (*s && (IsSpace(*s) || *s == ','))
        s++;
    if (*s != '0' && *s != '1') return GetNextPathItem(s, it);
    it[0] = *s++;
    it[1] = 0;
    return s;
}

// ---------------------------------------------------------------------------------------------
// Colours
// ---------------------------------------------------------------------------------------------

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b)
{
    return r | (g << 8) | (b << 16);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

uint32_t ParseColorHex(const char* s)
{
    s++; // '#'
    int n = 0;
    while (s[n] && !IsSpace(s[n]))
        n++;
    if (n == 6)
        return Rgb(uint32_t(HexDigit(s[0]) * 16 + HexDigit(s[1])),
                   uint32_t(HexDigit(s[2]) * 16 + HexDigit(s[3])),
                   uint32_t(HexDigit(s[4]) * 16 + HexDigit(s[5])));
    if (n == 3)
        return Rgb(uint32_t(HexDigit(s[0]) * 17), uint32_t(HexDigit(s[1]) * 17),
                   uint32_t(HexDigit(s[2]) * 17));
    return Rgb(0, 0, 0);
}

// Reads an integer (digits beyond what an int holds are read but not accumulated).
const char* ParseInt(const char* s, int* value)
{
    int sign = 1;
    if (*s == '-' || *s == '+')
    {
        if (*s == '-') sign = -1;
        s++;
    }
    int v = 0;
    while (IsDigit(*s))
    {
        if (v < 100000000) v = v * 10 + (*s - '0');
        s++;
    }
    *value = sign * v;
    return s;
}

uint32_t ParseColorRgb(const char* s)
{
    s += 4; // "rgb("
    int values[3] = {0, 0, 0};
    bool percent = false;
    for (int i = 0; i < 3; ++i)
    {
        s = ParseInt(s, &values[i]);
        bool sepPercent = false;
        while (*s == '%' || *s == ',' || *s == ' ' || *s == '\t')
        {
            if (*s == '%') sepPercent = true;
            s++;
        }
        if (i == 0) percent = sepPercent;
    }
    uint32_t c[3];
    for (int i = 0; i < 3; ++i)
    {
        // In 64 bits: a percentage of up to 10^9 times 255 does not fit an int.
        const int64_t v = percent ? int64_t(values[i]) * 255 / 100 : values[i];
        // Each component stays in its own byte.
        c[i] = uint32_t(v < 0 ? 0 : (v > 255 ? 255 : v));
    }
    return Rgb(c[0], c[1], c[2]);
}

struct NamedColor
{
    const char* name;
    uint32_t color;
};

const NamedColor kColors[] = {
    {"red", Rgb(255, 0, 0)},       {"green", Rgb(0, 128, 0)},    {"blue", Rgb(0, 0, 255)},
    {"yellow", Rgb(255, 255, 0)},  {"cyan", Rgb(0, 255, 255)},   {"magenta", Rgb(255, 0, 255)},
    {"black", Rgb(0, 0, 0)},       {"grey", Rgb(128, 128, 128)}, {"gray", Rgb(128, 128, 128)},
    {"white", Rgb(255, 255, 255)},
};

uint32_t ParseColor(const char* s)
{
    while (*s == ' ')
        s++;
    if (*s == '#') return ParseColorHex(s);
    if (std::strncmp(s, "rgb(", 4) == 0) return ParseColorRgb(s);
    for (const NamedColor& c : kColors)
        if (std::strcmp(c.name, s) == 0) return c.color;
    return Rgb(128, 128, 128);
}

float ParseOpacity(const char* s)
{
    float v = float(Atof(s));
    if (!(v > 0.0f)) v = 0.0f; // NaN included
    if (v > 1.0f) v = 1.0f;
    return v;
}

float ParseMiterLimit(const char* s)
{
    float v = float(Atof(s));
    if (v < 0.0f) v = 0.0f;
    return v;
}

uint8_t ParseLineCap(const char* s)
{
    if (std::strcmp(s, "round") == 0) return SVG_CAP_ROUND;
    if (std::strcmp(s, "square") == 0) return SVG_CAP_SQUARE;
    return SVG_CAP_BUTT;
}

uint8_t ParseLineJoin(const char* s)
{
    if (std::strcmp(s, "round") == 0) return SVG_JOIN_ROUND;
    if (std::strcmp(s, "bevel") == 0) return SVG_JOIN_BEVEL;
    return SVG_JOIN_MITER;
}

uint8_t ParseFillRule(const char* s)
{
    if (std::strcmp(s, "evenodd") == 0) return SVG_FILLRULE_EVENODD;
    return SVG_FILLRULE_NONZERO;
}

void ParseUrl(char* id, const char* s)
{
    s += 4; // "url("
    if (*s == '#') s++;
    int i = 0;
    while (i < 63 && *s && *s != ')')
        id[i++] = *s++;
    id[i] = 0;
}

const char* GetNextDashItem(const char* s, char* it)
{
    int n = 0;
    it[0] = 0;
    while (*s && (IsSpace(*s) || *s == ','))
        s++;
    while (*s && !IsSpace(*s) && *s != ',')
    {
        if (n < 63) it[n++] = *s;
        s++;
    }
    it[n] = 0;
    return s;
}

int ParseStrokeDashArray(SvgParser* p, const char* s, float* dashes)
{
    if (*s == 'n') return 0;
    int count = 0;
    float sum = 0.0f;
    char item[64];
    while (*s)
    {
        s = GetNextDashItem(s, item);
        if (!*item) break;
        if (count < 8) dashes[count++] = std::fabs(ParseCoordinate(p, item, 0.0f, ActualLength(p)));
    }
    for (int i = 0; i < count; ++i)
        sum += dashes[i];
    if (sum <= 1e-6f) count = 0;
    return count;
}

// ---------------------------------------------------------------------------------------------
// Transforms
// ---------------------------------------------------------------------------------------------

// Reads the numbers between "(" and ")". Returns the length consumed (0 when there is no
// complete argument list); na gets the count, or -1 when there were more than maxNa.
int ParseTransformArgs(const char* str, float* args, int maxNa, int* na)
{
    *na = 0;
    const char* ptr = str;
    while (*ptr && *ptr != '(')
        ++ptr;
    if (*ptr == 0) return 0;
    const char* end = ptr;
    while (*end && *end != ')')
        ++end;
    if (*end == 0) return 0;
    char it[64];
    while (ptr < end)
    {
        if (IsNumStart(*ptr))
        {
            const char* next = ParseNumber(ptr, it, 64);
            if (*na >= 0 && *na < maxNa)
                args[(*na)++] = float(Atof(it));
            else
                *na = -1;
            ptr = next;
        }
        else
            ++ptr;
    }
    return int(end - str);
}

// Each call reader fills t (identity when the argument count does not fit the keyword).
int ParseMatrix(float* t, const char* s)
{
    float a[6];
    int na;
    const int len = ParseTransformArgs(s, a, 6, &na);
    XformIdentity(t);
    if (na == 6) XformSet(t, a[0], a[1], a[2], a[3], a[4], a[5]);
    return len;
}

int ParseTranslate(float* t, const char* s)
{
    float a[2];
    int na;
    const int len = ParseTransformArgs(s, a, 2, &na);
    XformIdentity(t);
    if (na == 1) a[1] = 0.0f;
    if (na == 1 || na == 2) XformSet(t, 1, 0, 0, 1, a[0], a[1]);
    return len;
}

int ParseScale(float* t, const char* s)
{
    float a[2];
    int na;
    const int len = ParseTransformArgs(s, a, 2, &na);
    XformIdentity(t);
    if (na == 1) a[1] = a[0];
    if (na == 1 || na == 2) XformSet(t, a[0], 0, 0, a[1], 0, 0);
    return len;
}

int ParseSkewX(float* t, const char* s)
{
    float a[1];
    int na;
    const int len = ParseTransformArgs(s, a, 1, &na);
    XformIdentity(t);
    if (na == 1) XformSet(t, 1, 0, std::tan(a[0] / 180.0f * kPi), 1, 0, 0);
    return len;
}

int ParseSkewY(float* t, const char* s)
{
    float a[1];
    int na;
    const int len = ParseTransformArgs(s, a, 1, &na);
    XformIdentity(t);
    if (na == 1) XformSet(t, 1, std::tan(a[0] / 180.0f * kPi), 0, 1, 0, 0);
    return len;
}

int ParseRotate(float* t, const char* s)
{
    float a[3];
    int na;
    const int len = ParseTransformArgs(s, a, 3, &na);
    XformIdentity(t);
    if (na != 1 && na != 3) return len;
    const float cs = std::cos(a[0] / 180.0f * kPi), sn = std::sin(a[0] / 180.0f * kPi);
    float r[6];
    XformSet(r, cs, sn, -sn, cs, 0, 0);
    if (na == 1)
    {
        std::memcpy(t, r, sizeof(r));
        return len;
    }
    // About (cx, cy): move the point to the origin, rotate, move back.
    float m[6];
    XformSet(t, 1, 0, 0, 1, -a[1], -a[2]);
    XformMultiply(t, r);
    XformSet(m, 1, 0, 0, 1, a[1], a[2]);
    XformMultiply(t, m);
    return len;
}

// The rightmost call applies first to the points.
void ParseTransform(float* xform, const char* s)
{
    float t[6];
    XformIdentity(xform);
    while (*s)
    {
        int len;
        if (std::strncmp(s, "matrix", 6) == 0)
            len = ParseMatrix(t, s);
        else if (std::strncmp(s, "translate", 9) == 0)
            len = ParseTranslate(t, s);
        else if (std::strncmp(s, "scale", 5) == 0)
            len = ParseScale(t, s);
        else if (std::strncmp(s, "rotate", 6) == 0)
            len = ParseRotate(t, s);
        else if (std::strncmp(s, "skewX", 5) == 0)
            len = ParseSkewX(t, s);
        else if (std::strncmp(s, "skewY", 5) == 0)
            len = ParseSkewY(t, s);
        else
        {
            ++s;
            continue;
        }
        if (len == 0)
        {
            ++s; // no complete argument list: skip the keyword's first letter and go on
            continue;
        }
        s += len;
        XformPremultiply(xform, t);
    }
}

// ---------------------------------------------------------------------------------------------
// Attributes
// ---------------------------------------------------------------------------------------------

bool ParseStyle(SvgParser* p, const char* s);

bool ParseAttr(SvgParser* p, const char* name, const char* value)
{
    SvgAttrib* attr = GetAttr(p);
    if (std::strcmp(name, "style") == 0)
        ParseStyle(p, value);
    else if (std::strcmp(name, "display") == 0)
    {
        if (std::strcmp(value, "none") == 0) attr->visible = 0;
    }
    else if (std::strcmp(name, "fill") == 0)
    {
        if (std::strcmp(value, "none") == 0)
            attr->hasFill = PAINT_KIND_NONE;
        else if (std::strncmp(value, "url(", 4) == 0)
        {
            attr->hasFill = PAINT_KIND_GRADIENT;
            ParseUrl(attr->fillGradient, value);
        }
        else
        {
            attr->hasFill = PAINT_KIND_COLOR;
            attr->fillColor = ParseColor(value);
        }
    }
    else if (std::strcmp(name, "opacity") == 0)
        attr->opacity = ParseOpacity(value);
    else if (std::strcmp(name, "fill-opacity") == 0)
        attr->fillOpacity = ParseOpacity(value);
    else if (std::strcmp(name, "stroke") == 0)
    {
        if (std::strcmp(value, "none") == 0)
            attr->hasStroke = PAINT_KIND_NONE;
        else if (std::strncmp(value, "url(", 4) == 0)
        {
            attr->hasStroke = PAINT_KIND_GRADIENT;
            ParseUrl(attr->strokeGradient, value);
        }
        else
        {
            attr->hasStroke = PAINT_KIND_COLOR;
            attr->strokeColor = ParseColor(value);
        }
    }
    else if (std::strcmp(name, "stroke-width") == 0)
        attr->strokeWidth = ParseCoordinate(p, value, 0.0f, ActualLength(p));
    else if (std::strcmp(name, "stroke-dasharray") == 0)
        attr->strokeDashCount = ParseStrokeDashArray(p, value, attr->strokeDashArray);
    else if (std::strcmp(name, "stroke-dashoffset") == 0)
        attr->strokeDashOffset = ParseCoordinate(p, value, 0.0f, ActualLength(p));
    else if (std::strcmp(name, "stroke-opacity") == 0)
        attr->strokeOpacity = ParseOpacity(value);
    else if (std::strcmp(name, "stroke-linecap") == 0)
        attr->strokeLineCap = ParseLineCap(value);
    else if (std::strcmp(name, "stroke-linejoin") == 0)
        attr->strokeLineJoin = ParseLineJoin(value);
    else if (std::strcmp(name, "stroke-miterlimit") == 0)
        attr->miterLimit = ParseMiterLimit(value);
    else if (std::strcmp(name, "fill-rule") == 0)
        attr->fillRule = ParseFillRule(value);
    else if (std::strcmp(name, "font-size") == 0)
        attr->fontSize = ParseCoordinate(p, value, 0.0f, ActualLength(p));
    else if (std::strcmp(name, "transform") == 0)
    {
        float xform[6];
        ParseTransform(xform, value);
        XformPremultiply(attr->xform, xform);
    }
    else if (std::strcmp(name, "stop-color") == 0)
        attr->stopColor = ParseColor(value);
    else if (std::strcmp(name, "stop-opacity") == 0)
        attr->stopOpacity = ParseOpacity(value);
    else if (std::strcmp(name, "offset") == 0)
        attr->stopOffset = ParseCoordinate(p, value, 0.0f, 1.0f);
    else if (std::strcmp(name, "class") == 0)
        CopyText(attr->cls, value, 19);
    else if (std::strcmp(name, "id") == 0)
        CopyText(attr->id, value, 63);
    else
        return false;
    return true;
}

// One "name: value" declaration in [start, end).
void ParseNameValue(SvgParser* p, const char* start, const char* end)
{
    while (start < end && IsSpace(*start))
        start++;
    while (end > start && IsSpace(end[-1]))
        end--;
    const char* colon = start;
    while (colon < end && *colon != ':')
        colon++;

    // Name: up to the first ':', trailing white space removed.
    const char* nameEnd = colon;
    while (nameEnd > start && IsSpace(nameEnd[-1]))
        nameEnd--;
    char name[512], value[512];
    size_t n = size_t(nameEnd - start);
    if (n > 511) n = 511;
    std::memcpy(name, start, n);
    name[n] = 0;

    // Value: after the ':' (and any further ':' and white space).
    const char* val = colon;
    while (val < end && (*val == ':' || IsSpace(*val)))
        ++val;
    n = size_t(end - val);
    if (n > 511) n = 511;
    std::memcpy(value, val, n);
    value[n] = 0;

    ParseAttr(p, name, value);
}

bool ParseStyle(SvgParser* p, const char* s)
{
    while (*s)
    {
        while (*s && IsSpace(*s))
            ++s;
        const char* start = s;
        while (*s && *s != ';')
            ++s;
        const char* end = s;
        while (end > start && IsSpace(end[-1]))
            --end;
        if (end > start) ParseNameValue(p, start, end);
        if (*s) ++s;
    }
    return true;
}

// Applies every attribute through the table ("style" is split into its declarations there).
void ParseAttribs(SvgParser* p, const char** attr)
{
    for (int i = 0; attr[i]; i += 2)
        ParseAttr(p, attr[i], attr[i + 1]);
}

// The same for an element with its own attributes: names the table does not know go to the
// element's reader.
template <class Reader> void ParseAttribs(SvgParser* p, const char** attr, Reader own)
{
    for (int i = 0; attr[i]; i += 2)
        if (!ParseAttr(p, attr[i], attr[i + 1])) own(attr[i], attr[i + 1]);
}

void PushAttr(SvgParser* p)
{
    if (p->attrHead < kMaxAttribs - 1)
    {
        p->attrHead++;
        std::memcpy(&p->attr[p->attrHead], &p->attr[p->attrHead - 1], sizeof(SvgAttrib));
    }
}

void PopAttr(SvgParser* p)
{
    if (p->attrHead > 0) p->attrHead--;
}

// ---------------------------------------------------------------------------------------------
// Point buffer and path building
// ---------------------------------------------------------------------------------------------

void ResetPath(SvgParser* p)
{
    p->npts = 0;
}

void AddPoint(SvgParser* p, float x, float y)
{
    if (p->npts + 1 > p->cpts)
    {
        const int cap = p->cpts ? p->cpts * 2 : 8;
        float* pts = static_cast<float*>(std::realloc(p->pts, size_t(cap) * 2 * sizeof(float)));
        if (!pts) return;
        p->pts = pts;
        p->cpts = cap;
    }
    p->pts[p->npts * 2 + 0] = x;
    p->pts[p->npts * 2 + 1] = y;
    p->npts++;
}

void MoveTo(SvgParser* p, float x, float y)
{
    if (p->npts > 0)
    {
        p->pts[(p->npts - 1) * 2 + 0] = x;
        p->pts[(p->npts - 1) * 2 + 1] = y;
    }
    else
        AddPoint(p, x, y);
}

// A segment needs a start point; with an empty buffer it is dropped.
void CubicBezTo(SvgParser* p, float cpx1, float cpy1, float cpx2, float cpy2, float x, float y)
{
    if (p->npts == 0) return;
    AddPoint(p, cpx1, cpy1);
    AddPoint(p, cpx2, cpy2);
    AddPoint(p, x, y);
}

void LineTo(SvgParser* p, float x, float y)
{
    if (p->npts == 0) return;
    const float px = p->pts[(p->npts - 1) * 2 + 0];
    const float py = p->pts[(p->npts - 1) * 2 + 1];
    const float dx = x - px, dy = y - py;
    CubicBezTo(p, px + dx / 3.0f, py + dy / 3.0f, x - dx / 3.0f, y - dy / 3.0f, x, y);
}

double EvalBezier(double t, double p0, double p1, double p2, double p3)
{
    const double it = 1.0 - t;
    return it * it * it * p0 + 3.0 * it * it * t * p1 + 3.0 * it * t * t * p2 + t * t * t * p3;
}

// Exact bounds of one cubic: the end points and the extrema of x and y.
void CurveBounds(float* bounds, const float* curve)
{
    const float* v0 = &curve[0];
    const float* v1 = &curve[2];
    const float* v2 = &curve[4];
    const float* v3 = &curve[6];
    bounds[0] = MinF(v0[0], v3[0]);
    bounds[1] = MinF(v0[1], v3[1]);
    bounds[2] = MaxF(v0[0], v3[0]);
    bounds[3] = MaxF(v0[1], v3[1]);
    for (int i = 0; i < 2; ++i)
    {
        const double a = -3.0 * v0[i] + 9.0 * v1[i] - 9.0 * v2[i] + 3.0 * v3[i];
        const double b = 6.0 * v0[i] - 12.0 * v1[i] + 6.0 * v2[i];
        const double c = 3.0 * v1[i] - 3.0 * v0[i];
        double roots[2];
        int count = 0;
        if (std::fabs(a) < kBoundsEpsilon)
        {
            if (std::fabs(b) > kBoundsEpsilon)
            {
                const double t = -c / b;
                if (t > kBoundsEpsilon && t < 1.0 - kBoundsEpsilon) roots[count++] = t;
            }
        }
        else
        {
            const double b2ac = b * b - 4.0 * c * a;
            if (b2ac > kBoundsEpsilon)
            {
                double t = (-b + std::sqrt(b2ac)) / (2.0 * a);
                if (t > kBoundsEpsilon && t < 1.0 - kBoundsEpsilon) roots[count++] = t;
                t = (-b - std::sqrt(b2ac)) / (2.0 * a);
                if (t > kBoundsEpsilon && t < 1.0 - kBoundsEpsilon) roots[count++] = t;
            }
        }
        for (int j = 0; j < count; ++j)
        {
            const float v = float(EvalBezier(roots[j], v0[i], v1[i], v2[i], v3[i]));
            bounds[0 + i] = MinF(bounds[0 + i], v);
            bounds[2 + i] = MaxF(bounds[2 + i], v);
        }
    }
}

// Bounds of a whole chain; a chain without a segment keeps (0, 0, 0, 0).
void ChainBounds(float* bounds, const float* pts, int npts)
{
    bounds[0] = bounds[1] = bounds[2] = bounds[3] = 0.0f;
    for (int i = 0; i + 3 < npts; i += 3)
    {
        float cb[4];
        CurveBounds(cb, &pts[i * 2]);
        if (i == 0)
            std::memcpy(bounds, cb, sizeof(cb));
        else
        {
            UnionBounds(bounds, cb);
        }
    }
}

void AddPath(SvgParser* p, bool closed)
{
    SvgAttrib* attr = GetAttr(p);
    if (p->npts < 4 && attr->id[0] == 0) return;
    // Every committed path has at least its start point (an empty "polygon" with an id has none
    // to close back to).
    if (p->npts < 1) return;
    if (closed) LineTo(p, p->pts[0], p->pts[1]);

    SvgPath* path = static_cast<SvgPath*>(std::calloc(1, sizeof(SvgPath)));
    if (!path) return;
    path->_pPoints = static_cast<float*>(std::malloc(size_t(p->npts) * 2 * sizeof(float)));
    if (!path->_pPoints)
    {
        std::free(path);
        return;
    }
    CopyText(path->_sId, attr->id, 63);
    path->_bClosed = closed ? 1 : 0;
    path->_nPoints = p->npts;
    for (int i = 0; i < p->npts; ++i)
        XformPoint(&path->_pPoints[i * 2], &path->_pPoints[i * 2 + 1], p->pts[i * 2], p->pts[i * 2 + 1],
                   attr->xform);
    ChainBounds(path->_aBounds, path->_pPoints, path->_nPoints);
    path->_pNext = p->plist;
    p->plist = path;
}

void DeletePaths(SvgPath* path)
{
    while (path)
    {
        SvgPath* next = path->_pNext;
        std::free(path->_pPoints);
        std::free(path);
        path = next;
    }
}

// ---------------------------------------------------------------------------------------------
// Gradients
// ---------------------------------------------------------------------------------------------

SvgGradientData* FindGradientData(SvgParser* p, const char* id)
{
    if (!id || !*id) return nullptr;
    for (SvgGradientData* grad = p->gradients; grad; grad = grad->next)
        if (std::strcmp(grad->id, id) == 0) return grad;
    return nullptr;
}

int CountGradientData(const SvgParser* p)
{
    int n = 0;
    for (const SvgGradientData* grad = p->gradients; grad; grad = grad->next)
        ++n;
    return n;
}

SvgGradient* CreateGradient(SvgParser* p, const char* id, const float* localBounds, uint8_t* paintType)
{
    SvgAttrib* attr = GetAttr(p);
    SvgGradientData* data = FindGradientData(p, id);
    if (!data) return nullptr;

    // Stops: from the first definition that has some, following "xlink:href"; a chain longer
    // than the definition list has looped.
    const SvgGradientStop* stops = nullptr;
    int nstops = 0;
    const int maxSteps = CountGradientData(p);
    SvgGradientData* ref = data;
    for (int step = 0; ref && step <= maxSteps; ++step)
    {
        if (ref->nstops > 0)
        {
            stops = ref->stops;
            nstops = ref->nstops;
            break;
        }
        ref = FindGradientData(p, ref->ref);
    }
    if (!stops) return nullptr;

    SvgGradient* grad = static_cast<SvgGradient*>(std::calloc(1, sizeof(SvgGradient)));
    if (!grad) return nullptr;
    grad->_pStops = static_cast<SvgGradientStop*>(std::malloc(size_t(nstops) * sizeof(SvgGradientStop)));
    if (!grad->_pStops)
    {
        std::free(grad);
        return nullptr;
    }

    float ox, oy, sw, sh;
    if (data->units == UNITS_OBJECT_SPACE)
    {
        ox = localBounds[0];
        oy = localBounds[1];
        sw = localBounds[2] - localBounds[0];
        sh = localBounds[3] - localBounds[1];
    }
    else
    {
        ox = p->viewMinx;
        oy = p->viewMiny;
        sw = p->viewWidth;
        sh = p->viewHeight;
    }
    const float sl = std::sqrt(sw * sw + sh * sh) / std::sqrt(2.0f);

    if (data->type == SVG_PAINT_LINEAR_GRADIENT)
    {
        const float x1 = ConvertToPixels(p, data->coords[0], ox, sw);
        const float y1 = ConvertToPixels(p, data->coords[1], oy, sh);
        const float x2 = ConvertToPixels(p, data->coords[2], ox, sw);
        const float y2 = ConvertToPixels(p, data->coords[3], oy, sh);
        const float dx = x2 - x1, dy = y2 - y1;
        XformSet(grad->_aXform, dy, -dx, dx, dy, x1, y1);
    }
    else
    {
        const float cx = ConvertToPixels(p, data->coords[0], ox, sw);
        const float cy = ConvertToPixels(p, data->coords[1], oy, sh);
        const float r = ConvertToPixels(p, data->coords[2], 0.0f, sl);
        const float fx = ConvertToPixels(p, data->coords[3], ox, sw);
        const float fy = ConvertToPixels(p, data->coords[4], oy, sh);
        XformSet(grad->_aXform, r, 0, 0, r, cx, cy);
        // A zero radius has no focal point to scale.
        grad->_fFx = r != 0.0f ? fx / r : 0.0f;
        grad->_fFy = r != 0.0f ? fy / r : 0.0f;
    }
    XformMultiply(grad->_aXform, data->xform);
    XformMultiply(grad->_aXform, attr->xform);

    grad->_eSpread = data->spread;
    grad->_nStops = nstops;
    std::memcpy(grad->_pStops, stops, size_t(nstops) * sizeof(SvgGradientStop));
    *paintType = data->type;
    return grad;
}

void DeleteGradient(SvgGradient* grad)
{
    if (!grad) return;
    std::free(grad->_pStops);
    std::free(grad);
}

void DeleteGradientData(SvgGradientData* grad)
{
    while (grad)
    {
        SvgGradientData* next = grad->next;
        std::free(grad->stops);
        std::free(grad);
        grad = next;
    }
}

void ParseGradient(SvgParser* p, const char** attr, uint8_t type)
{
    SvgGradientData* grad = static_cast<SvgGradientData*>(std::calloc(1, sizeof(SvgGradientData)));
    if (!grad) return;
    grad->units = UNITS_OBJECT_SPACE;
    grad->type = type;
    if (type == SVG_PAINT_LINEAR_GRADIENT)
    {
        grad->coords[0] = Coord(0.0f, UNITS_PERCENT);
        grad->coords[1] = Coord(0.0f, UNITS_PERCENT);
        grad->coords[2] = Coord(100.0f, UNITS_PERCENT);
        grad->coords[3] = Coord(0.0f, UNITS_PERCENT);
    }
    else
    {
        grad->coords[0] = Coord(50.0f, UNITS_PERCENT);
        grad->coords[1] = Coord(50.0f, UNITS_PERCENT);
        grad->coords[2] = Coord(50.0f, UNITS_PERCENT);
        grad->coords[3] = Coord(0.0f, UNITS_USER);
        grad->coords[4] = Coord(0.0f, UNITS_USER);
    }
    XformIdentity(grad->xform);

    for (int i = 0; attr[i]; i += 2)
    {
        const char* name = attr[i];
        const char* value = attr[i + 1];
        if (std::strcmp(name, "id") == 0)
            CopyText(grad->id, value, 63);
        else if (!ParseAttr(p, name, value))
        {
            if (std::strcmp(name, "gradientUnits") == 0)
                grad->units =
                    std::strcmp(value, "objectBoundingBox") == 0 ? UNITS_OBJECT_SPACE : UNITS_USER_SPACE;
            else if (std::strcmp(name, "gradientTransform") == 0)
                ParseTransform(grad->xform, value);
            else if (type == SVG_PAINT_RADIAL_GRADIENT && std::strcmp(name, "cx") == 0)
                grad->coords[0] = ParseCoordinateRaw(value);
            else if (type == SVG_PAINT_RADIAL_GRADIENT && std::strcmp(name, "cy") == 0)
                grad->coords[1] = ParseCoordinateRaw(value);
            else if (type == SVG_PAINT_RADIAL_GRADIENT && std::strcmp(name, "r") == 0)
                grad->coords[2] = ParseCoordinateRaw(value);
            else if (type == SVG_PAINT_RADIAL_GRADIENT && std::strcmp(name, "fx") == 0)
                grad->coords[3] = ParseCoordinateRaw(value);
            else if (type == SVG_PAINT_RADIAL_GRADIENT && std::strcmp(name, "fy") == 0)
                grad->coords[4] = ParseCoordinateRaw(value);
            else if (type == SVG_PAINT_LINEAR_GRADIENT && std::strcmp(name, "x1") == 0)
                grad->coords[0] = ParseCoordinateRaw(value);
            else if (type == SVG_PAINT_LINEAR_GRADIENT && std::strcmp(name, "y1") == 0)
                grad->coords[1] = ParseCoordinateRaw(value);
            else if (type == SVG_PAINT_LINEAR_GRADIENT && std::strcmp(name, "x2") == 0)
                grad->coords[2] = ParseCoordinateRaw(value);
            else if (type == SVG_PAINT_LINEAR_GRADIENT && std::strcmp(name, "y2") == 0)
                grad->coords[3] = ParseCoordinateRaw(value);
            else if (std::strcmp(name, "spreadMethod") == 0)
            {
                if (std::strcmp(value, "reflect") == 0)
                    grad->spread = SVG_SPREAD_REFLECT;
                else if (std::strcmp(value, "repeat") == 0)
                    grad->spread = SVG_SPREAD_REPEAT;
                else
                    grad->spread = SVG_SPREAD_PAD;
            }
            else if (std::strcmp(name, "xlink:href") == 0)
            {
                if (*value) CopyText(grad->ref, value + 1, 62);
            }
        }
    }
    grad->next = p->gradients;
    p->gradients = grad;
}

void ParseGradientStop(SvgParser* p, const char** attr)
{
    SvgAttrib* curAttr = GetAttr(p);
    curAttr->stopOffset = 0.0f;
    curAttr->stopColor = 0;
    curAttr->stopOpacity = 1.0f;
    for (int i = 0; attr[i]; i += 2)
        ParseAttr(p, attr[i], attr[i + 1]);

    SvgGradientData* grad = p->gradients;
    if (!grad) return;
    SvgGradientStop* stops = static_cast<SvgGradientStop*>(
        std::realloc(grad->stops, sizeof(SvgGradientStop) * size_t(grad->nstops + 1)));
    if (!stops) return;
    grad->stops = stops;

    int idx = grad->nstops;
    for (int i = 0; i < grad->nstops; ++i)
        if (curAttr->stopOffset < grad->stops[i]._fOffset)
        {
            idx = i;
            break;
        }
    for (int i = grad->nstops; i > idx; --i)
        grad->stops[i] = grad->stops[i - 1];
    grad->stops[idx]._nColor = curAttr->stopColor | (uint32_t(curAttr->stopOpacity * 255.0f) << 24);
    grad->stops[idx]._fOffset = curAttr->stopOffset;
    grad->nstops++;
}

// ---------------------------------------------------------------------------------------------
// Shapes
// ---------------------------------------------------------------------------------------------

float GetAverageScale(const float* t)
{
    const float sx = std::sqrt(t[0] * t[0] + t[2] * t[2]);
    const float sy = std::sqrt(t[1] * t[1] + t[3] * t[3]);
    return (sx + sy) * 0.5f;
}

// Bounds of the pending paths taken back through the inverse of the transform in force.
void GetLocalBounds(float* bounds, const SvgPath* paths, const float* xform)
{
    float inv[6];
    XformInverse(inv, xform);
    bool first = true;
    bounds[0] = bounds[1] = bounds[2] = bounds[3] = 0.0f;
    for (const SvgPath* path = paths; path; path = path->_pNext)
    {
        float curve[8];
        XformPoint(&curve[0], &curve[1], path->_pPoints[0], path->_pPoints[1], inv);
        for (int i = 0; i + 3 < path->_nPoints; i += 3)
        {
            for (int k = 1; k <= 3; ++k)
                XformPoint(&curve[k * 2], &curve[k * 2 + 1], path->_pPoints[(i + k) * 2],
                           path->_pPoints[(i + k) * 2 + 1], inv);
            float cb[4];
            CurveBounds(cb, curve);
            if (first)
            {
                std::memcpy(bounds, cb, sizeof(cb));
                first = false;
            }
            else
            {
                UnionBounds(bounds, cb);
            }
            curve[0] = curve[6];
            curve[1] = curve[7];
        }
    }
}

void SetPaint(SvgParser* p, SvgPaint* paint, uint8_t kind, uint32_t color, float opacity,
              const char* gradientId, const SvgShape* shape)
{
    paint->_eType = SVG_PAINT_NONE;
    if (kind == PAINT_KIND_COLOR)
    {
        paint->_eType = SVG_PAINT_COLOR;
        paint->_nColor = color | (uint32_t(opacity * 255.0f) << 24);
    }
    else if (kind == PAINT_KIND_GRADIENT)
    {
        float localBounds[4];
        GetLocalBounds(localBounds, shape->_pPaths, GetAttr(p)->xform);
        uint8_t type = SVG_PAINT_NONE;
        paint->_pGradient = CreateGradient(p, gradientId, localBounds, &type);
        if (paint->_pGradient) paint->_eType = type;
    }
}

void AddShape(SvgParser* p)
{
    if (!p->plist) return;
    SvgAttrib* attr = GetAttr(p);
    SvgShape* shape = static_cast<SvgShape*>(std::calloc(1, sizeof(SvgShape)));
    if (!shape)
    {
        DeletePaths(p->plist);
        p->plist = nullptr;
        return;
    }
    CopyText(shape->_sId, attr->id, 63);
    CopyText(shape->_sClass, attr->cls, 19);
    const float scale = GetAverageScale(attr->xform);
    shape->_fStrokeWidth = attr->strokeWidth * scale;
    shape->_fStrokeDashOffset = attr->strokeDashOffset * scale;
    shape->_nStrokeDashCount = uint8_t(attr->strokeDashCount);
    for (int i = 0; i < attr->strokeDashCount; ++i)
        shape->_aStrokeDashArray[i] = attr->strokeDashArray[i] * scale;
    shape->_eStrokeLineJoin = attr->strokeLineJoin;
    shape->_eStrokeLineCap = attr->strokeLineCap;
    shape->_fMiterLimit = attr->miterLimit;
    shape->_eFillRule = attr->fillRule;
    shape->_fOpacity = attr->opacity;

    shape->_pPaths = p->plist;
    p->plist = nullptr;
    std::memcpy(shape->_aBounds, shape->_pPaths->_aBounds, sizeof(shape->_aBounds));
    for (const SvgPath* path = shape->_pPaths->_pNext; path; path = path->_pNext)
    {
        UnionBounds(shape->_aBounds, path->_aBounds);
    }

    SetPaint(p, &shape->_Fill, attr->hasFill, attr->fillColor, attr->fillOpacity, attr->fillGradient, shape);
    SetPaint(p, &shape->_Stroke, attr->hasStroke, attr->strokeColor, attr->strokeOpacity,
             attr->strokeGradient, shape);

    shape->_nFlags = attr->visible ? SVG_FLAGS_VISIBLE : 0;
    shape->_pPart = nullptr;
    shape->_bShown = false;

    if (p->lastShape)
        p->lastShape->_pNext = shape;
    else
        p->image->_pShapes = shape;
    p->lastShape = shape;
}

// ---------------------------------------------------------------------------------------------
// Path data
// ---------------------------------------------------------------------------------------------

float VecRat(float ux, float uy, float vx, float vy)
{
    return (ux * vx + uy * vy) / (std::sqrt(ux * ux + uy * uy) * std::sqrt(vx * vx + vy * vy));
}

float VecAng(float ux, float uy, float vx, float vy)
{
    float r = VecRat(ux, uy, vx, vy);
    if (r < -1.0f) r = -1.0f;
    if (r > 1.0f) r = 1.0f;
    return ((ux * vy < uy * vx) ? -1.0f : 1.0f) * std::acos(r);
}

void PathArcTo(SvgParser* p, float* cpx, float* cpy, const float* args, bool rel)
{
    float rx = std::fabs(args[0]);
    float ry = std::fabs(args[1]);
    const float rotx = args[2] / 180.0f * kPi;
    const int fa = std::fabs(args[3]) > 1e-6f ? 1 : 0;
    const int fs = std::fabs(args[4]) > 1e-6f ? 1 : 0;
    const float x1 = *cpx, y1 = *cpy;
    float x2, y2;
    if (rel)
    {
        x2 = *cpx + args[5];
        y2 = *cpy + args[6];
    }
    else
    {
        x2 = args[5];
        y2 = args[6];
    }

    float dx = x1 - x2, dy = y1 - y2;
    float d = std::sqrt(dx * dx + dy * dy);
    if (d < 1e-6f || rx < 1e-6f || ry < 1e-6f)
    {
        LineTo(p, x2, y2);
        *cpx = x2;
        *cpy = y2;
        return;
    }

    // Endpoint to centre conversion.
    const float sinrx = std::sin(rotx), cosrx = std::cos(rotx);
    const float x1p = cosrx * dx / 2.0f + sinrx * dy / 2.0f;
    const float y1p = -sinrx * dx / 2.0f + cosrx * dy / 2.0f;
    d = (x1p * x1p) / (rx * rx) + (y1p * y1p) / (ry * ry);
    if (d > 1.0f)
    {
        d = std::sqrt(d);
        rx *= d;
        ry *= d;
    }
    float s = 0.0f;
    float sa = rx * rx * ry * ry - rx * rx * y1p * y1p - ry * ry * x1p * x1p;
    const float sb = rx * rx * y1p * y1p + ry * ry * x1p * x1p;
    if (sa < 0.0f) sa = 0.0f;
    if (sb > 0.0f) s = std::sqrt(sa / sb);
    if (fa == fs) s = -s;
    const float cxp = s * rx * y1p / ry;
    const float cyp = s * -ry * x1p / rx;
    const float cx = (x1 + x2) / 2.0f + cosrx * cxp - sinrx * cyp;
    const float cy = (y1 + y2) / 2.0f + sinrx * cxp + cosrx * cyp;

    const float ux = (x1p - cxp) / rx, uy = (y1p - cyp) / ry;
    const float vx = (-x1p - cxp) / rx, vy = (-y1p - cyp) / ry;
    const float a1 = VecAng(1.0f, 0.0f, ux, uy);
    float da = VecAng(ux, uy, vx, vy);
    if (fs == 0 && da > 0)
        da -= 2 * kPi;
    else if (fs == 1 && da < 0)
        da += 2 * kPi;

    if (!std::isfinite(da) || !std::isfinite(a1) || !std::isfinite(cx) || !std::isfinite(cy))
    {
        LineTo(p, x2, y2);
        *cpx = x2;
        *cpy = y2;
        return;
    }

    float t[6];
    XformSet(t, cosrx, sinrx, -sinrx, cosrx, cx, cy);

    const int ndivs = int(std::fabs(da) / (kPi * 0.5f) + 1.0f);
    float hda = (da / float(ndivs)) / 2.0f;
    // (1 - cos h) / sin h tends to h / 2 for tiny angles.
    if (hda < 1e-3f && hda > -1e-3f)
        hda *= 0.5f;
    else
        hda = (1.0f - std::cos(hda)) / std::sin(hda);
    float kappa = std::fabs(4.0f / 3.0f * hda);
    if (da < 0.0f) kappa = -kappa;

    float px = 0, py = 0, ptanx = 0, ptany = 0;
    for (int i = 0; i <= ndivs; ++i)
    {
        const float a = a1 + da * (float(i) / float(ndivs));
        dx = std::cos(a);
        dy = std::sin(a);
        float x, y, tanx, tany;
        XformPoint(&x, &y, dx * rx, dy * ry, t);
        XformVec(&tanx, &tany, -dy * rx * kappa, dx * ry * kappa, t);
        if (i > 0) CubicBezTo(p, px + ptanx, py + ptany, x - tanx, y - tany, x, y);
        px = x;
        py = y;
        ptanx = tanx;
        ptany = tany;
    }
    *cpx = x2;
    *cpy = y2;
}

int ArgsPerCommand(char cmd)
{
    switch (cmd)
    {
    case 'v':
    case 'V':
    case 'h':
    case 'H':
        return 1;
    case 'm':
    case 'M':
    case 'l':
    case 'L':
    case 't':
    case 'T':
        return 2;
    case 'q':
    case 'Q':
    case 's':
    case 'S':
        return 4;
    case 'c':
    case 'C':
        return 6;
    case 'a':
    case 'A':
        return 7;
    default:
        return 0;
    }
}

void ParsePathData(SvgParser* p, const char* s)
{
    char item[64];
    float args[10];
    int nargs = 0, rargs = 0;
    char cmd = 0;
    float cpx = 0, cpy = 0, cpx2 = 0, cpy2 = 0;
    ResetPath(p);
    while (*s)
    {
        const bool arcFlag = (cmd == 'a' || cmd == 'A') && (nargs == 3 || nargs == 4);
        s = arcFlag ? GetNextArcFlag(s, item) : GetNextPathItem(s, item);
        if (!*item) break;
        const char c0 = item[0];
        if (IsNumStart(c0) || c0 == 'e' || c0 == 'E')
        {
            if (nargs < 10) args[nargs++] = float(Atof(item));
            if (nargs >= rargs)
            {
                const bool rel = cmd >= 'a' && cmd <= 'z';
                switch (cmd)
                {
                case 'm':
                case 'M':
                    cpx = rel ? cpx + args[0] : args[0];
                    cpy = rel ? cpy + args[1] : args[1];
                    MoveTo(p, cpx, cpy);
                    // Further pairs draw lines.
                    cmd = rel ? 'l' : 'L';
                    rargs = ArgsPerCommand(cmd);
                    cpx2 = cpx;
                    cpy2 = cpy;
                    break;
                case 'l':
                case 'L':
                    cpx = rel ? cpx + args[0] : args[0];
                    cpy = rel ? cpy + args[1] : args[1];
                    LineTo(p, cpx, cpy);
                    cpx2 = cpx;
                    cpy2 = cpy;
                    break;
                case 'h':
                case 'H':
                    cpx = rel ? cpx + args[0] : args[0];
                    LineTo(p, cpx, cpy);
                    cpx2 = cpx;
                    cpy2 = cpy;
                    break;
                case 'v':
                case 'V':
                    cpy = rel ? cpy + args[0] : args[0];
                    LineTo(p, cpx, cpy);
                    cpx2 = cpx;
                    cpy2 = cpy;
                    break;
                case 'c':
                case 'C':
                {
                    const float ox = rel ? cpx : 0.0f, oy = rel ? cpy : 0.0f;
                    const float x1 = ox + args[0], y1 = oy + args[1];
                    const float x2 = ox + args[2], y2 = oy + args[3];
                    const float x = ox + args[4], y = oy + args[5];
                    CubicBezTo(p, x1, y1, x2, y2, x, y);
                    cpx2 = x2;
                    cpy2 = y2;
                    cpx = x;
                    cpy = y;
                    break;
                }
                case 's':
                case 'S':
                {
                    const float ox = rel ? cpx : 0.0f, oy = rel ? cpy : 0.0f;
                    const float x2 = ox + args[0], y2 = oy + args[1];
                    const float x = ox + args[2], y = oy + args[3];
                    const float x1 = 2 * cpx - cpx2, y1 = 2 * cpy - cpy2;
                    CubicBezTo(p, x1, y1, x2, y2, x, y);
                    cpx2 = x2;
                    cpy2 = y2;
                    cpx = x;
                    cpy = y;
                    break;
                }
                case 'q':
                case 'Q':
                {
                    const float ox = rel ? cpx : 0.0f, oy = rel ? cpy : 0.0f;
                    const float x0 = cpx, y0 = cpy;
                    const float qx = ox + args[0], qy = oy + args[1];
                    const float x = ox + args[2], y = oy + args[3];
                    CubicBezTo(p, x0 + 2.0f / 3.0f * (qx - x0), y0 + 2.0f / 3.0f * (qy - y0),
                               x + 2.0f / 3.0f * (qx - x), y + 2.0f / 3.0f * (qy - y), x, y);
                    cpx2 = qx;
                    cpy2 = qy;
                    cpx = x;
                    cpy = y;
                    break;
                }
                case 't':
                case 'T':
                {
                    const float ox = rel ? cpx : 0.0f, oy = rel ? cpy : 0.0f;
                    const float x0 = cpx, y0 = cpy;
                    const float qx = 2 * cpx - cpx2, qy = 2 * cpy - cpy2;
                    const float x = ox + args[0], y = oy + args[1];
                    CubicBezTo(p, x0 + 2.0f / 3.0f * (qx - x0), y0 + 2.0f / 3.0f * (qy - y0),
                               x + 2.0f / 3.0f * (qx - x), y + 2.0f / 3.0f * (qy - y), x, y);
                    cpx2 = qx;
                    cpy2 = qy;
                    cpx = x;
                    cpy = y;
                    break;
                }
                case 'a':
                case 'A':
                    PathArcTo(p, &cpx, &cpy, args, rel);
                    cpx2 = cpx;
                    cpy2 = cpy;
                    break;
                default:
                    break;
                }
                nargs = 0;
            }
        }
        else
        {
            cmd = c0;
            rargs = ArgsPerCommand(cmd);
            if (cmd == 'M' || cmd == 'm')
            {
                if (p->npts > 0) AddPath(p, false);
                ResetPath(p);
                nargs = 0;
            }
            else if (cmd == 'Z' || cmd == 'z')
            {
                nargs = 0;
                if (p->npts > 0)
                {
                    cpx = p->pts[0];
                    cpy = p->pts[1];
                    cpx2 = cpx;
                    cpy2 = cpy;
                    AddPath(p, true);
                }
                ResetPath(p);
                MoveTo(p, cpx, cpy);
            }
        }
    }
    if (p->npts) AddPath(p, false);
}

void ParsePath(SvgParser* p, const char** attr)
{
    const char* d = nullptr;
    for (int i = 0; attr[i]; i += 2)
    {
        if (std::strcmp(attr[i], "d") == 0)
            d = attr[i + 1];
        else
        {
            const char* one[3] = {attr[i], attr[i + 1], nullptr};
            ParseAttribs(p, one);
        }
    }
    if (d) ParsePathData(p, d);
    AddShape(p);
}

void ParseRect(SvgParser* p, const char** attr)
{
    float x = 0, y = 0, w = 0, h = 0, rx = -1, ry = -1;
    ParseAttribs(p, attr,
                 [&](const char* n, const char* v)
                 {
                     if (std::strcmp(n, "x") == 0) x = ParseCoordinate(p, v, p->viewMinx, p->viewWidth);
                     if (std::strcmp(n, "y") == 0) y = ParseCoordinate(p, v, p->viewMiny, p->viewHeight);
                     if (std::strcmp(n, "width") == 0) w = ParseCoordinate(p, v, 0.0f, p->viewWidth);
                     if (std::strcmp(n, "height") == 0) h = ParseCoordinate(p, v, 0.0f, p->viewHeight);
                     if (std::strcmp(n, "rx") == 0) rx = std::fabs(ParseCoordinate(p, v, 0.0f, p->viewWidth));
                     if (std::strcmp(n, "ry") == 0)
                         ry = std::fabs(ParseCoordinate(p, v, 0.0f, p->viewHeight));
                 });
    if (rx < 0.0f && ry > 0.0f) rx = ry;
    if (ry < 0.0f && rx > 0.0f) ry = rx;
    if (rx < 0.0f) rx = 0.0f;
    if (ry < 0.0f) ry = 0.0f;
    if (rx > w / 2.0f) rx = w / 2.0f;
    if (ry > h / 2.0f) ry = h / 2.0f;

    if (w == 0.0f || h == 0.0f) return;
    ResetPath(p);
    if (rx < 0.00001f || ry < 0.0001f)
    {
        MoveTo(p, x, y);
        LineTo(p, x + w, y);
        LineTo(p, x + w, y + h);
        LineTo(p, x, y + h);
    }
    else
    {
        const float k = 1.0f - kKappa90;
        MoveTo(p, x + rx, y);
        LineTo(p, x + w - rx, y);
        CubicBezTo(p, x + w - rx * k, y, x + w, y + ry * k, x + w, y + ry);
        LineTo(p, x + w, y + h - ry);
        CubicBezTo(p, x + w, y + h - ry * k, x + w - rx * k, y + h, x + w - rx, y + h);
        LineTo(p, x + rx, y + h);
        CubicBezTo(p, x + rx * k, y + h, x, y + h - ry * k, x, y + h - ry);
        LineTo(p, x, y + ry);
        CubicBezTo(p, x, y + ry * k, x + rx * k, y, x + rx, y);
    }
    AddPath(p, true);
    AddShape(p);
}

void AddEllipsePath(SvgParser* p, float cx, float cy, float rx, float ry)
{
    ResetPath(p);
    MoveTo(p, cx + rx, cy);
    CubicBezTo(p, cx + rx, cy + ry * kKappa90, cx + rx * kKappa90, cy + ry, cx, cy + ry);
    CubicBezTo(p, cx - rx * kKappa90, cy + ry, cx - rx, cy + ry * kKappa90, cx - rx, cy);
    CubicBezTo(p, cx - rx, cy - ry * kKappa90, cx - rx * kKappa90, cy - ry, cx, cy - ry);
    CubicBezTo(p, cx + rx * kKappa90, cy - ry, cx + rx, cy - ry * kKappa90, cx + rx, cy);
    AddPath(p, true);
    AddShape(p);
}

void ParseCircle(SvgParser* p, const char** attr)
{
    float cx = 0, cy = 0, r = 0;
    ParseAttribs(p, attr,
                 [&](const char* n, const char* v)
                 {
                     if (std::strcmp(n, "cx") == 0) cx = ParseCoordinate(p, v, p->viewMinx, p->viewWidth);
                     if (std::strcmp(n, "cy") == 0) cy = ParseCoordinate(p, v, p->viewMiny, p->viewHeight);
                     if (std::strcmp(n, "r") == 0)
                         r = std::fabs(ParseCoordinate(p, v, 0.0f, ActualLength(p)));
                 });
    if (r > 0.0f) AddEllipsePath(p, cx, cy, r, r);
}

void ParseEllipse(SvgParser* p, const char** attr)
{
    float cx = 0, cy = 0, rx = 0, ry = 0;
    ParseAttribs(p, attr,
                 [&](const char* n, const char* v)
                 {
                     if (std::strcmp(n, "cx") == 0) cx = ParseCoordinate(p, v, p->viewMinx, p->viewWidth);
                     if (std::strcmp(n, "cy") == 0) cy = ParseCoordinate(p, v, p->viewMiny, p->viewHeight);
                     if (std::strcmp(n, "rx") == 0) rx = std::fabs(ParseCoordinate(p, v, 0.0f, p->viewWidth));
                     if (std::strcmp(n, "ry") == 0)
                         ry = std::fabs(ParseCoordinate(p, v, 0.0f, p->viewHeight));
                 });
    if (rx > 0.0f && ry > 0.0f) AddEllipsePath(p, cx, cy, rx, ry);
}

void ParseLine(SvgParser* p, const char** attr)
{
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    ParseAttribs(p, attr,
                 [&](const char* n, const char* v)
                 {
                     if (std::strcmp(n, "x1") == 0) x1 = ParseCoordinate(p, v, p->viewMinx, p->viewWidth);
                     if (std::strcmp(n, "y1") == 0) y1 = ParseCoordinate(p, v, p->viewMiny, p->viewHeight);
                     if (std::strcmp(n, "x2") == 0) x2 = ParseCoordinate(p, v, p->viewMinx, p->viewWidth);
                     if (std::strcmp(n, "y2") == 0) y2 = ParseCoordinate(p, v, p->viewMiny, p->viewHeight);
                 });
    ResetPath(p);
    MoveTo(p, x1, y1);
    LineTo(p, x2, y2);
    AddPath(p, false);
    AddShape(p);
}

void ParsePoly(SvgParser* p, const char** attr, bool closed)
{
    ResetPath(p);
    ParseAttribs(p, attr,
                 [&](const char* n, const char* v)
                 {
                     if (std::strcmp(n, "points") == 0)
                     {
                         const char* s = v;
                         char item[64];
                         float args[2];
                         int nargs = 0, npts = 0;
                         while (*s)
                         {
                             s = GetNextPathItem(s, item);
                             if (!*item) break;
                             args[nargs++] = float(Atof(item));
                             if (nargs >= 2)
                             {
                                 if (npts == 0)
                                     MoveTo(p, args[0], args[1]);
                                 else
                                     LineTo(p, args[0], args[1]);
                                 nargs = 0;
                                 npts++;
                             }
                         }
                     }
                 });
    AddPath(p, closed);
    AddShape(p);
}

// The viewport attributes of an "svg" element (nested ones overwrite them).
void ReadViewport(SvgParser* p, const char* n, const char* v)
{
    if (std::strcmp(n, "width") == 0)
        p->image->_fWidth = ParseCoordinate(p, v, 0.0f, 0.0f);
    else if (std::strcmp(n, "height") == 0)
        p->image->_fHeight = ParseCoordinate(p, v, 0.0f, 0.0f);
    else if (std::strcmp(n, "viewBox") == 0)
    {
        const char* s = v;
        char buf[64];
        float* fields[4] = {&p->viewMinx, &p->viewMiny, &p->viewWidth, &p->viewHeight};
        for (float* field : fields)
        {
            while (*s && (IsSpace(*s) || *s == '%' || *s == ','))
                s++;
            if (!*s) break;
            const char* next = ParseNumber(s, buf, 64);
            // A character that starts no number is skipped, so the scan always moves on.
            *field = float(Atof(buf));
            s = next > s ? next : s + 1;
        }
    }
    else if (std::strcmp(n, "preserveAspectRatio") == 0)
    {
        if (std::strstr(v, "none"))
        {
            p->alignType = ALIGN_NONE;
            return;
        }
        if (std::strstr(v, "xMin"))
            p->alignX = 0;
        else if (std::strstr(v, "xMid"))
            p->alignX = 1;
        else if (std::strstr(v, "xMax"))
            p->alignX = 2;
        // SVG writes the vertical part capitalised ("xMidYMid"); both spellings count.
        if (std::strstr(v, "YMin") || std::strstr(v, "yMin"))
            p->alignY = 0;
        else if (std::strstr(v, "YMid") || std::strstr(v, "yMid"))
            p->alignY = 1;
        else if (std::strstr(v, "YMax") || std::strstr(v, "yMax"))
            p->alignY = 2;
        p->alignType = std::strstr(v, "slice") ? ALIGN_SLICE : ALIGN_MEET;
    }
}

void ParseSvg(SvgParser* p, const char** attr)
{
    ParseAttribs(p, attr, [&](const char* n, const char* v) { ReadViewport(p, n, v); });
}

// ---------------------------------------------------------------------------------------------
// Elements and tokenizer
// ---------------------------------------------------------------------------------------------

void ParsePolyline(SvgParser* p, const char** attr)
{
    ParsePoly(p, attr, false);
}

void ParsePolygon(SvgParser* p, const char** attr)
{
    ParsePoly(p, attr, true);
}

// Drawn elements: each reads its attributes on a pushed copy of the attribute record.
struct ShapeElement
{
    const char* name;
    void (*parse)(SvgParser*, const char**);
};

const ShapeElement kShapeElements[] = {
    {"path", ParsePath}, {"rect", ParseRect},         {"circle", ParseCircle},   {"ellipse", ParseEllipse},
    {"line", ParseLine}, {"polyline", ParsePolyline}, {"polygon", ParsePolygon},
};

// Gradient definitions are read inside and outside "defs"; they are all "defs" reads.
bool StartDefinition(SvgParser* p, const char* el, const char** attr)
{
    if (std::strcmp(el, "linearGradient") == 0)
        ParseGradient(p, attr, SVG_PAINT_LINEAR_GRADIENT);
    else if (std::strcmp(el, "radialGradient") == 0)
        ParseGradient(p, attr, SVG_PAINT_RADIAL_GRADIENT);
    else if (std::strcmp(el, "stop") == 0)
        ParseGradientStop(p, attr);
    else
        return false;
    return true;
}

void StartElement(SvgParser* p, const char* el, const char** attr)
{
    if (StartDefinition(p, el, attr)) return;
    if (p->defsDepth > 0)
    {
        if (std::strcmp(el, "defs") == 0) ++p->defsDepth;
        return;
    }

    if (std::strcmp(el, "g") == 0)
    {
        PushAttr(p);
        ParseAttribs(p, attr);
        return;
    }
    for (const ShapeElement& shape : kShapeElements)
        if (std::strcmp(el, shape.name) == 0)
        {
            PushAttr(p);
            shape.parse(p, attr);
            PopAttr(p);
            return;
        }
    if (std::strcmp(el, "defs") == 0)
        p->defsDepth = 1;
    else if (std::strcmp(el, "svg") == 0)
        ParseSvg(p, attr);
}

void EndElement(SvgParser* p, const char* el)
{
    // Inside "defs" a group was never pushed: its end pops nothing.
    if (p->defsDepth > 0)
    {
        if (std::strcmp(el, "defs") == 0) --p->defsDepth;
    }
    else if (std::strcmp(el, "g") == 0)
        PopAttr(p);
}

void ParseElement(SvgParser* p, char* s)
{
    const char* attr[kMaxXmlAttribs * 2 + 1];
    int nattr = 0;
    bool start = false, end = false;

    while (*s && IsSpace(*s))
        s++;
    if (*s == '/')
    {
        s++;
        end = true;
    }
    else
        start = true;

    if (!*s || *s == '?' || *s == '!') return;

    const char* name = s;
    while (*s && !IsSpace(*s))
        s++;
    if (*s) *s++ = 0;

    while (!end && *s && nattr < kMaxXmlAttribs * 2)
    {
        while (*s && IsSpace(*s))
            s++;
        if (!*s) break;
        if (*s == '/')
        {
            end = true;
            break;
        }
        const char* an = s;
        while (*s && !IsSpace(*s) && *s != '=')
            s++;
        if (*s) *s++ = 0;
        while (*s && *s != '"' && *s != '\'')
            s++;
        if (!*s) break;
        const char quote = *s;
        s++;
        const char* av = s;
        while (*s && *s != quote)
            s++;
        if (*s) *s++ = 0;
        attr[nattr++] = an;
        attr[nattr++] = av;
    }
    attr[nattr] = nullptr;

    // A name ending in '/' (as in "<g/>") is self-closing too.
    char* nameEnd = const_cast<char*>(name) + std::strlen(name);
    if (start && nameEnd > name && nameEnd[-1] == '/')
    {
        nameEnd[-1] = 0;
        end = true;
    }

    if (start) StartElement(p, name, attr);
    if (end) EndElement(p, name);
}

void ParseXml(SvgParser* p, char* input)
{
    char* s = input;
    char* mark = s;
    bool inTag = false;
    while (*s)
    {
        if (*s == '<' && !inTag)
        {
            *s++ = 0;
            mark = s;
            inTag = true;
        }
        else if (*s == '>' && inTag)
        {
            *s++ = 0;
            ParseElement(p, mark);
            mark = s;
            inTag = false;
        }
        else
            s++;
    }
}

// ---------------------------------------------------------------------------------------------
// Viewport
// ---------------------------------------------------------------------------------------------

void ImageBounds(const SvgParser* p, float* bounds)
{
    const SvgShape* shape = p->image->_pShapes;
    if (!shape)
    {
        bounds[0] = bounds[1] = bounds[2] = bounds[3] = 0.0f;
        return;
    }
    std::memcpy(bounds, shape->_aBounds, 4 * sizeof(float));
    for (shape = shape->_pNext; shape; shape = shape->_pNext)
    {
        UnionBounds(bounds, shape->_aBounds);
    }
}

float ViewAlign(float content, float container, int type)
{
    if (type == 0) return 0.0f;
    if (type == 1) return (container - content) * 0.5f;
    return container - content;
}

void ScaleGradient(SvgGradient* grad, float tx, float ty, float sx, float sy)
{
    float t[6];
    XformSet(t, 1, 0, 0, 1, tx, ty);
    XformMultiply(grad->_aXform, t);
    XformSet(t, sx, 0, 0, sy, 0, 0);
    XformMultiply(grad->_aXform, t);
    float inv[6];
    XformInverse(inv, grad->_aXform);
    std::memcpy(grad->_aXform, inv, sizeof(inv));
}

void ScaleToViewbox(SvgParser* p)
{
    float bounds[4];
    ImageBounds(p, bounds);

    if (p->viewWidth == 0)
    {
        if (p->image->_fWidth > 0)
            p->viewWidth = p->image->_fWidth;
        else
        {
            p->viewMinx = bounds[0];
            p->viewWidth = bounds[2] - bounds[0];
        }
    }
    if (p->viewHeight == 0)
    {
        if (p->image->_fHeight > 0)
            p->viewHeight = p->image->_fHeight;
        else
        {
            p->viewMiny = bounds[1];
            p->viewHeight = bounds[3] - bounds[1];
        }
    }
    if (p->image->_fWidth == 0) p->image->_fWidth = p->viewWidth;
    if (p->image->_fHeight == 0) p->image->_fHeight = p->viewHeight;

    float tx = -p->viewMinx;
    float ty = -p->viewMiny;
    float sx = p->viewWidth > 0 ? p->image->_fWidth / p->viewWidth : 0;
    float sy = p->viewHeight > 0 ? p->image->_fHeight / p->viewHeight : 0;
    if (p->alignType == ALIGN_MEET || p->alignType == ALIGN_SLICE)
    {
        sx = sy = p->alignType == ALIGN_MEET ? MinF(sx, sy) : MaxF(sx, sy);
        if (sx != 0.0f)
        {
            tx += ViewAlign(p->viewWidth * sx, p->image->_fWidth, p->alignX) / sx;
            ty += ViewAlign(p->viewHeight * sy, p->image->_fHeight, p->alignY) / sy;
        }
    }

    const float avgs = (sx + sy) * 0.5f;
    for (SvgShape* shape = p->image->_pShapes; shape; shape = shape->_pNext)
    {
        shape->_aBounds[0] = (shape->_aBounds[0] + tx) * sx;
        shape->_aBounds[1] = (shape->_aBounds[1] + ty) * sy;
        shape->_aBounds[2] = (shape->_aBounds[2] + tx) * sx;
        shape->_aBounds[3] = (shape->_aBounds[3] + ty) * sy;
        for (SvgPath* path = shape->_pPaths; path; path = path->_pNext)
        {
            path->_aBounds[0] = (path->_aBounds[0] + tx) * sx;
            path->_aBounds[1] = (path->_aBounds[1] + ty) * sy;
            path->_aBounds[2] = (path->_aBounds[2] + tx) * sx;
            path->_aBounds[3] = (path->_aBounds[3] + ty) * sy;
            for (int i = 0; i < path->_nPoints; ++i)
            {
                path->_pPoints[i * 2 + 0] = (path->_pPoints[i * 2 + 0] + tx) * sx;
                path->_pPoints[i * 2 + 1] = (path->_pPoints[i * 2 + 1] + ty) * sy;
            }
        }
        if (shape->_Fill._eType == SVG_PAINT_LINEAR_GRADIENT ||
            shape->_Fill._eType == SVG_PAINT_RADIAL_GRADIENT)
            ScaleGradient(shape->_Fill._pGradient, tx, ty, sx, sy);
        if (shape->_Stroke._eType == SVG_PAINT_LINEAR_GRADIENT ||
            shape->_Stroke._eType == SVG_PAINT_RADIAL_GRADIENT)
            ScaleGradient(shape->_Stroke._pGradient, tx, ty, sx, sy);
        shape->_fStrokeWidth *= avgs;
        shape->_fStrokeDashOffset *= avgs;
        for (int i = 0; i < shape->_nStrokeDashCount; ++i)
            shape->_aStrokeDashArray[i] *= avgs;
    }
}

SvgParser* CreateParser()
{
    SvgParser* p = static_cast<SvgParser*>(std::calloc(1, sizeof(SvgParser)));
    if (!p) return nullptr;
    p->image = static_cast<SvgImage*>(std::calloc(1, sizeof(SvgImage)));
    if (!p->image)
    {
        std::free(p);
        return nullptr;
    }
    SvgAttrib* a = &p->attr[0];
    XformIdentity(a->xform);
    a->fillColor = Rgb(0, 0, 0);
    a->strokeColor = Rgb(0, 0, 0);
    a->opacity = 1;
    a->fillOpacity = 1;
    a->strokeOpacity = 1;
    a->stopOpacity = 1;
    a->strokeWidth = 1;
    a->strokeLineJoin = SVG_JOIN_MITER;
    a->strokeLineCap = SVG_CAP_BUTT;
    a->miterLimit = 4;
    a->fillRule = SVG_FILLRULE_NONZERO;
    a->hasFill = PAINT_KIND_COLOR;
    a->hasStroke = PAINT_KIND_NONE;
    a->visible = 1;
    return p;
}

void DeleteParser(SvgParser* p)
{
    if (!p) return;
    DeletePaths(p->plist);
    DeleteGradientData(p->gradients);
    std::free(p->pts);
    std::free(p);
}
} // namespace

namespace
{
// A coordinate beyond this, or one that is not a number, comes from a broken or hostile file:
// past it, the flattening, the tessellator and the edge graph overflow into infinities and NaN.
constexpr float kMaxCoordinate = 1e7f;

bool UsableCoordinate(float v)
{
    return std::isfinite(v) && std::fabs(v) <= kMaxCoordinate;
}

void DeleteShape(SvgShape* shape)
{
    DeletePaths(shape->_pPaths);
    if (shape->_Fill._eType == SVG_PAINT_LINEAR_GRADIENT || shape->_Fill._eType == SVG_PAINT_RADIAL_GRADIENT)
        DeleteGradient(shape->_Fill._pGradient);
    if (shape->_Stroke._eType == SVG_PAINT_LINEAR_GRADIENT ||
        shape->_Stroke._eType == SVG_PAINT_RADIAL_GRADIENT)
        DeleteGradient(shape->_Stroke._pGradient);
    std::free(shape);
}

// Drops every path with an unusable point (its shape stays, with its id and class, and may be
// left without a path); a size that is not usable counts as absent.
void DropUnusableGeometry(SvgImage* image)
{
    if (!UsableCoordinate(image->_fWidth) || image->_fWidth < 0.f) image->_fWidth = 0.f;
    if (!UsableCoordinate(image->_fHeight) || image->_fHeight < 0.f) image->_fHeight = 0.f;
    for (SvgShape* shape = image->_pShapes; shape; shape = shape->_pNext)
    {
        SvgPath** pathLink = &shape->_pPaths;
        bool dropped = false;
        while (SvgPath* path = *pathLink)
        {
            bool usable = true;
            for (int i = 0; i < path->_nPoints * 2 && usable; ++i)
                usable = UsableCoordinate(path->_pPoints[i]);
            if (usable)
            {
                pathLink = &path->_pNext;
                continue;
            }
            *pathLink = path->_pNext;
            path->_pNext = nullptr;
            DeletePaths(path);
            dropped = true;
        }
        if (dropped)
        {
            std::memset(shape->_aBounds, 0, sizeof(shape->_aBounds));
            if (shape->_pPaths)
            {
                std::memcpy(shape->_aBounds, shape->_pPaths->_aBounds, sizeof(shape->_aBounds));
                for (const SvgPath* path = shape->_pPaths->_pNext; path; path = path->_pNext)
                    UnionBounds(shape->_aBounds, path->_aBounds);
            }
        }
    }
}
} // namespace

SvgImage* SvgParse(char* sInput, float fDpi)
{
    SvgParser* p = CreateParser();
    if (!p) return nullptr;
    p->dpi = fDpi;
    if (sInput) ParseXml(p, sInput);
    ScaleToViewbox(p);
    DropUnusableGeometry(p->image);
    SvgImage* image = p->image;
    p->image = nullptr;
    DeleteParser(p);
    return image;
}

SvgImage* SvgParseFile(const char* sPath, float fDpi)
{
    if (!sPath) return nullptr;
    FILE* fp = rvDataPack::GetInstance()->OpenAsFILE(sPath);
    if (!fp) return nullptr;
    std::fseek(fp, 0, SEEK_END);
    const long size = std::ftell(fp);
    std::fseek(fp, 0, SEEK_SET);
    if (size < 0)
    {
        std::fclose(fp);
        return nullptr;
    }
    char* data = static_cast<char*>(std::malloc(size_t(size) + 1));
    if (!data)
    {
        std::fclose(fp);
        return nullptr;
    }
    if (std::fread(data, 1, size_t(size), fp) != size_t(size))
    {
        std::free(data);
        std::fclose(fp);
        return nullptr;
    }
    data[size] = 0;
    std::fclose(fp);
    SvgImage* image = SvgParse(data, fDpi);
    std::free(data);
    return image;
}

void SvgSetPaintColor(SvgPaint* pPaint, uint32_t nColor)
{
    if (pPaint->_eType == SVG_PAINT_LINEAR_GRADIENT || pPaint->_eType == SVG_PAINT_RADIAL_GRADIENT)
        DeleteGradient(pPaint->_pGradient);
    pPaint->_eType = SVG_PAINT_COLOR;
    pPaint->_nColor = nColor;
}

void SvgDelete(SvgImage* pImage)
{
    if (!pImage) return;
    SvgShape* shape = pImage->_pShapes;
    while (shape)
    {
        SvgShape* next = shape->_pNext;
        DeleteShape(shape);
        shape = next;
    }
    std::free(pImage);
}
