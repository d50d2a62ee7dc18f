#include "Font/rvFontManager.h"

#include "Loader/rvDataPack.h"
#include "rvAssert.h"

#include <stb_truetype.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

// Structural checks of a TrueType file before stb_truetype sees it. stb_truetype trusts the
// offsets and counts it reads, so a truncated or hostile file would make it read outside the
// buffer (or recurse without end through composite glyphs). Everything the text builders reach
// is checked here: the table directory, "head", "hhea", "hmtx", "maxp", the character map that
// stb_truetype selects, "loca", every glyph record of "glyf", and the kerning ("kern", and the
// pair adjustments of "GPOS"). Glyph ids that a character map gives are not bounded by this check:
// readers compare them with the font's glyph count.

namespace
{
struct FontBytes
{
    const uint8_t* _p;
    size_t _n;

    bool Has(size_t off, size_t len) const { return off <= _n && len <= _n - off; }
    uint16_t U16(size_t off) const { return uint16_t((_p[off] << 8) | _p[off + 1]); }
    int16_t I16(size_t off) const { return int16_t(U16(off)); }
    uint32_t U32(size_t off) const
    {
        return (uint32_t(_p[off]) << 24) | (uint32_t(_p[off + 1]) << 16) | (uint32_t(_p[off + 2]) << 8) |
               uint32_t(_p[off + 3]);
    }
};

struct FontTable
{
    size_t _nOff = 0, _nLen = 0;
    bool _bFound = false;
};

bool CheckCmapSubtable(const FontBytes& f, const FontTable& cmap, size_t sub)
{
    const size_t end = cmap._nOff + cmap._nLen;
    auto inside = [&](size_t off, size_t len) { return off >= sub && off <= end && len <= end - off; };
    if (!inside(sub, 4)) return false;
    switch (f.U16(sub))
    {
    case 0:
    {
        if (!inside(sub, 6)) return false;
        const size_t bytes = f.U16(sub + 2);
        return bytes <= 6 || inside(sub, bytes);
    }
    case 6:
    {
        if (!inside(sub, 10)) return false;
        return inside(sub + 10, size_t(f.U16(sub + 8)) * 2);
    }
    case 4:
    {
        if (!inside(sub, 14)) return false;
        const size_t segcount = f.U16(sub + 6) >> 1;
        const size_t searchRange = f.U16(sub + 8) >> 1;
        const size_t entrySelector = f.U16(sub + 10);
        const size_t rangeShift = f.U16(sub + 12) >> 1;
        if (segcount == 0 || !inside(sub + 14, segcount * 8 + 2)) return false;
        // The binary search of stb_truetype stays in the table only with the standard header.
        size_t power = 1, log2 = 0;
        while (power * 2 <= segcount)
        {
            power *= 2;
            ++log2;
        }
        if (searchRange != power || entrySelector != log2 || rangeShift != segcount - power) return false;
        const size_t endCount = sub + 14, startCount = endCount + segcount * 2 + 2;
        const size_t idRangeOffset = startCount + segcount * 4;
        for (size_t i = 0; i < segcount; ++i)
        {
            const size_t last = f.U16(endCount + 2 * i), first = f.U16(startCount + 2 * i);
            const size_t offset = f.U16(idRangeOffset + 2 * i);
            if (offset == 0 || first > last) continue;
            if (!inside(idRangeOffset + 2 * i + offset, (last - first + 1) * 2)) return false;
        }
        return true;
    }
    case 12:
    case 13:
    {
        if (!inside(sub, 16)) return false;
        const size_t groups = f.U32(sub + 12);
        return groups <= cmap._nLen / 12 && inside(sub + 16, groups * 12);
    }
    default:
        return false; // formats stb_truetype does not map (or asserts on)
    }
}

// Points a glyph expands to (components included); 0 on a fault. states: 0 new, 1 open, 2 done.
// reach: the largest coordinate (either axis, in absolute value) of the glyph's points as
// stb_truetype stores them; a component whose placement would take a point outside the 16-bit
// range is a fault (stb_truetype converts the placed coordinate to a short).
size_t CheckGlyph(const FontBytes& f, const FontTable& glyf, const std::vector<size_t>& loca, int glyph,
                  std::vector<uint8_t>& states, std::vector<size_t>& points, std::vector<double>& reach, int depth);

constexpr size_t kMaxGlyphPoints = 1000000;
constexpr int kMaxComponentDepth = 16;

size_t CheckGlyph(const FontBytes& f, const FontTable& glyf, const std::vector<size_t>& loca, int glyph,
                  std::vector<uint8_t>& states, std::vector<size_t>& points, std::vector<double>& reach, int depth)
{
    if (states[glyph] == 2) return points[glyph];
    if (states[glyph] == 1 || depth > kMaxComponentDepth) return 0; // a loop, or nested too deep
    states[glyph] = 1;
    const size_t g1 = loca[glyph], g2 = loca[glyph + 1];
    size_t total = 1; // an empty glyph counts as valid
    double extent = 0.0;
    if (g1 != g2)
    {
        // stb_truetype reads a glyph from its first offset on; when the next offset lies before
        // it, the record may run to the end of "glyf".
        const size_t base = glyf._nOff + g1, len = g2 > g1 ? g2 - g1 : glyf._nLen - g1;
        auto has = [&](size_t pos, size_t n) { return pos <= len && n <= len - pos; };
        if (!has(0, 10)) return 0;
        const int contours = f.I16(base);
        if (contours > 0)
        {
            const size_t nc = size_t(contours);
            if (!has(10, nc * 2 + 2)) return 0;
            const size_t n = size_t(f.U16(base + 10 + (nc - 1) * 2)) + 1;
            size_t pos = 10 + nc * 2;
            pos += 2 + f.U16(base + pos); // instructions
            std::vector<uint8_t> flags(n);
            int flagcount = 0;
            uint8_t flag = 0;
            for (size_t i = 0; i < n; ++i)
            {
                if (flagcount == 0)
                {
                    if (!has(pos, 1)) return 0;
                    flag = f._p[base + pos++];
                    if (flag & 8)
                    {
                        if (!has(pos, 1)) return 0;
                        flagcount = f._p[base + pos++];
                    }
                }
                else
                    --flagcount;
                flags[i] = flag;
            }
            // stb_truetype looks one point ahead when a contour starts off the curve: a last
            // contour made of one off-curve point would read past the glyph's points. Contour
            // starts are walked as it walks them (each contour's end read when the previous ends).
            size_t nextStart = 0, contour = 0;
            for (size_t i = 0; i < n; ++i)
            {
                if (i != nextStart) continue;
                if (i + 1 == n && !(flags[i] & 1)) return 0;
                nextStart = 1 + size_t(f.U16(base + 10 + contour * 2)); // at most the instruction length
                ++contour;
            }
            size_t coordBytes = 0;
            for (uint8_t fl : flags)
            {
                coordBytes += (fl & 2) ? 1 : ((fl & 16) ? 0 : 2);
                coordBytes += (fl & 4) ? 1 : ((fl & 32) ? 0 : 2);
            }
            if (!has(pos, coordBytes)) return 0;
            // The coordinates summed as stb_truetype sums them, each kept as 16 bits.
            for (int axis = 0; axis < 2; ++axis)
            {
                const uint8_t shortBit = axis == 0 ? 2 : 4, sameBit = axis == 0 ? 16 : 32;
                int64_t v = 0;
                for (uint8_t fl : flags)
                {
                    if (fl & shortBit)
                    {
                        const int64_t d = f._p[base + pos++];
                        v += (fl & sameBit) ? d : -d;
                    }
                    else if (!(fl & sameBit))
                    {
                        v += f.I16(base + pos);
                        pos += 2;
                    }
                    extent = std::max(extent, std::fabs(double(int16_t(uint16_t(uint64_t(v))))));
                }
            }
            total = n + 1;
        }
        else if (contours < 0)
        {
            size_t pos = 10;
            total = 0;
            bool more = true;
            while (more)
            {
                if (!has(pos, 4)) return 0;
                const uint16_t flags = f.U16(base + pos);
                const int child = f.U16(base + pos + 2);
                pos += 4;
                // Components placed by matching points are not supported by stb_truetype, and it
                // reads the component's glyph index as a signed number.
                if (!(flags & 2) || child >= 0x8000) return 0;
                // The placement as stb_truetype applies it: offsets, then a scale, x and y scales or
                // a 2x2 matrix (2.14 fixed point), each axis multiplied again by its column's length.
                double m[6] = {1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
                if (!has(pos, (flags & 1) ? 4 : 2)) return 0;
                if (flags & 1)
                {
                    m[4] = f.I16(base + pos);
                    m[5] = f.I16(base + pos + 2);
                    pos += 4;
                }
                else
                {
                    m[4] = int8_t(f._p[base + pos]);
                    m[5] = int8_t(f._p[base + pos + 1]);
                    pos += 2;
                }
                auto scale = [&](size_t at) { return has(at, 2) ? f.I16(base + at) / 16384.0 : 0.0; };
                if (flags & 8)
                {
                    m[0] = m[3] = scale(pos);
                    pos += 2;
                }
                else if (flags & 64)
                {
                    m[0] = scale(pos);
                    m[3] = scale(pos + 2);
                    pos += 4;
                }
                else if (flags & 128)
                {
                    for (int k = 0; k < 4; ++k)
                        m[k] = scale(pos + 2 * size_t(k));
                    pos += 8;
                }
                if (pos > len) return 0;
                if (child >= int(states.size())) return 0;
                const size_t childPoints = CheckGlyph(f, glyf, loca, child, states, points, reach, depth + 1);
                if (childPoints == 0) return 0;
                const double r = reach[size_t(child)];
                const double sx = std::sqrt(m[0] * m[0] + m[1] * m[1]), sy = std::sqrt(m[2] * m[2] + m[3] * m[3]);
                const double x = sx * ((std::fabs(m[0]) + std::fabs(m[2])) * r + std::fabs(m[4]));
                const double y = sy * ((std::fabs(m[1]) + std::fabs(m[3])) * r + std::fabs(m[5]));
                if (!(x <= 32767.0 && y <= 32767.0)) return 0;
                extent = std::max(extent, std::max(x, y));
                total += childPoints;
                if (total > kMaxGlyphPoints) return 0;
                more = (flags & 32) != 0;
            }
        }
    }
    states[glyph] = 2;
    points[glyph] = total;
    reach[size_t(glyph)] = extent;
    return total;
}
// "kern" as stb_truetype reads it: the first subtable's header, then its sorted pairs.
bool CheckKern(const FontBytes& f, const FontTable& kern)
{
    if (!kern._bFound) return true;
    const size_t k = kern._nOff, n = kern._nLen;
    if (n < 4) return false;
    if (f.U16(k + 2) < 1) return true; // no subtable: nothing more is read
    if (n < 10) return false;
    if (f.U16(k + 8) != 1) return true; // not horizontal: nothing more is read
    if (n < 12) return false;
    return 18 + size_t(f.U16(k + 10)) * 6 <= n;
}

// Everything the pair kerning of "GPOS" reaches, as stb_truetype reaches it: the lookup list, the
// pair-adjustment lookups, their coverage tables, pair sets, class definitions and class records.
bool CheckGpos(const FontBytes& f, const FontTable& gpos)
{
    if (!gpos._bFound) return true;
    const size_t start = gpos._nOff, end = gpos._nOff + gpos._nLen;
    auto in = [&](size_t off, size_t len) { return off >= start && off <= end && len <= end - off; };
    // One past the largest coverage index a coverage table can give (0 for formats never read).
    auto coverageCount = [&](size_t cov, size_t* count)
    {
        *count = 0;
        if (!in(cov, 2)) return false;
        const uint16_t format = f.U16(cov);
        if (format != 1 && format != 2) return true;
        if (!in(cov, 4)) return false;
        const size_t items = f.U16(cov + 2);
        if (format == 1)
        {
            *count = items;
            return in(cov + 4, items * 2);
        }
        if (!in(cov + 4, items * 6)) return false;
        for (size_t r = 0; r < items; ++r)
        {
            const size_t rec = cov + 4 + r * 6;
            const size_t first = f.U16(rec), last = f.U16(rec + 2), index = f.U16(rec + 4);
            if (last >= first) *count = std::max(*count, index + (last - first) + 1);
        }
        return true;
    };
    auto classDefOk = [&](size_t cd)
    {
        if (!in(cd, 2)) return false;
        const uint16_t format = f.U16(cd);
        if (format == 1) return in(cd, 6) && in(cd + 6, size_t(f.U16(cd + 4)) * 2);
        if (format == 2) return in(cd, 4) && in(cd + 4, size_t(f.U16(cd + 2)) * 6);
        return true;
    };

    if (!in(start, 4)) return false;
    if (f.U16(start) != 1 || f.U16(start + 2) != 0) return true; // other versions are not read
    if (!in(start, 10)) return false;
    const size_t list = start + f.U16(start + 8);
    if (!in(list, 2)) return false;
    const size_t lookups = f.U16(list);
    if (!in(list + 2, lookups * 2)) return false;
    for (size_t i = 0; i < lookups; ++i)
    {
        const size_t lookup = list + f.U16(list + 2 + 2 * i);
        if (!in(lookup, 6)) return false;
        if (f.U16(lookup) != 2) continue;
        const size_t subtables = f.U16(lookup + 4);
        if (!in(lookup + 6, subtables * 2)) return false;
        for (size_t s = 0; s < subtables; ++s)
        {
            const size_t table = lookup + f.U16(lookup + 6 + 2 * s);
            if (!in(table, 4)) return false;
            size_t covered = 0;
            if (!coverageCount(table + f.U16(table + 2), &covered)) return false;
            const uint16_t format = f.U16(table);
            if (covered == 0 || (format != 1 && format != 2)) continue;
            if (!in(table, 8)) return false;
            if (f.U16(table + 4) != 4 || f.U16(table + 6) != 0) continue;
            if (format == 1)
            {
                if (!in(table, 10)) return false;
                const size_t sets = f.U16(table + 8);
                // The pair set's offset is read before its index is compared with the count.
                if (covered > sets || !in(table + 10, sets * 2)) return false;
                for (size_t k = 0; k < sets; ++k)
                {
                    const size_t pairs = table + f.U16(table + 10 + 2 * k);
                    if (!in(pairs, 2) || !in(pairs + 2, size_t(f.U16(pairs)) * 4)) return false;
                }
            }
            else
            {
                if (!in(table, 16)) return false;
                if (!classDefOk(table + f.U16(table + 8)) || !classDefOk(table + f.U16(table + 10))) return false;
                if (!in(table + 16, size_t(f.U16(table + 12)) * f.U16(table + 14) * 2)) return false;
            }
        }
    }
    return true;
}
} // namespace

bool rvFontManager::IsFontDataSafe(const uint8_t* pData, int nSize)
{
    if (!pData || nSize < 12) return false;
    const FontBytes f{pData, size_t(nSize)};
    size_t base = 0;
    if (std::memcmp(pData, "ttcf", 4) == 0)
    {
        if (!f.Has(0, 16)) return false;
        base = f.U32(12);
    }
    if (!f.Has(base, 12)) return false;
    const uint32_t version = f.U32(base);
    if (version != 0x00010000u && std::memcmp(pData + base, "true", 4) != 0) return false;

    // Table directory: every table inside the file; the first of a tag counts, as in stb_truetype.
    const size_t numTables = f.U16(base + 4);
    if (!f.Has(base + 12, numTables * 16)) return false;
    const char* tags[] = {"cmap", "head", "hhea", "hmtx", "maxp", "loca", "glyf", "kern", "GPOS"};
    constexpr int kTags = 9, kRequired = 7;
    FontTable tables[kTags];
    for (size_t i = 0; i < numTables; ++i)
    {
        const size_t rec = base + 12 + 16 * i;
        const size_t off = f.U32(rec + 8), len = f.U32(rec + 12);
        if (!f.Has(off, len)) return false;
        for (int t = 0; t < kTags; ++t)
            if (!tables[t]._bFound && std::memcmp(pData + rec, tags[t], 4) == 0)
            {
                tables[t]._nOff = off;
                tables[t]._nLen = len;
                tables[t]._bFound = true;
            }
    }
    const FontTable &cmap = tables[0], &head = tables[1], &hhea = tables[2], &hmtx = tables[3];
    const FontTable &maxp = tables[4], &loca = tables[5], &glyf = tables[6];
    for (int t = 0; t < kRequired; ++t)
        if (!tables[t]._bFound) return false;
    if (!CheckKern(f, tables[7]) || !CheckGpos(f, tables[8])) return false;
    if (head._nLen < 54 || hhea._nLen < 36 || maxp._nLen < 6 || cmap._nLen < 4) return false;

    const size_t numGlyphs = f.U16(maxp._nOff + 4);
    const size_t numLong = f.U16(hhea._nOff + 34);
    if (numGlyphs == 0 || numLong == 0) return false;
    const size_t hmtxNeed = 4 * numLong + (numGlyphs > numLong ? 2 * (numGlyphs - numLong) : 0);
    if (hmtx._nLen < hmtxNeed) return false;

    // Character maps of the platforms stb_truetype reads (Unicode, Microsoft BMP and full).
    const size_t numMaps = f.U16(cmap._nOff + 2);
    if (cmap._nLen < 4 + numMaps * 8) return false;
    bool anyMap = false;
    for (size_t i = 0; i < numMaps; ++i)
    {
        const size_t rec = cmap._nOff + 4 + 8 * i;
        const uint16_t platform = f.U16(rec), encoding = f.U16(rec + 2);
        const bool used = platform == 0 || (platform == 3 && (encoding == 1 || encoding == 10));
        if (!used) continue;
        if (!CheckCmapSubtable(f, cmap, cmap._nOff + f.U32(rec + 4))) return false;
        anyMap = true;
    }
    if (!anyMap) return false;

    // Glyph locations and records.
    const int locaFormat = f.I16(head._nOff + 50);
    if (locaFormat != 0 && locaFormat != 1) return false;
    const size_t entry = locaFormat ? 4 : 2;
    if (loca._nLen < (numGlyphs + 1) * entry) return false;
    std::vector<size_t> offsets(numGlyphs + 1);
    for (size_t i = 0; i <= numGlyphs; ++i)
    {
        const size_t pos = loca._nOff + i * entry;
        offsets[i] = locaFormat ? f.U32(pos) : size_t(f.U16(pos)) * 2;
        if (offsets[i] > glyf._nLen) return false;
    }
    std::vector<uint8_t> states(numGlyphs, 0);
    std::vector<size_t> points(numGlyphs, 0);
    std::vector<double> reach(numGlyphs, 0.0);
    for (size_t g = 0; g < numGlyphs; ++g)
        if (CheckGlyph(f, glyf, offsets, int(g), states, points, reach, 0) == 0) return false;
    return true;
}

rvFontManager* rvFontManager::GetInstance()
{
    static rvFontManager* s_pInstance = []
    {
        rvFontManager* manager = new rvFontManager();
        rvFont* simplex = manager->AddFont("Simplex", nullptr);
        simplex->_bSimplex = true;
        return manager;
    }();
    return s_pInstance;
}

rvFont* rvFontManager::GetDefaultFont()
{
    // clang-format off
    rvAssert(_aFonts.size()>0);
    rvAssert(_aFonts[0]->_sFile=="Simplex" && _aFonts[0]->_bSimplex==true);
    // clang-format on
    return _aFonts[0];
}

rvFont* rvFontManager::Find(const std::string& sFile)
{
    for (rvFont* font : _aFonts)
        if (font->_sFile == sFile) return font;
    return nullptr;
}

rvFont* rvFontManager::GetFont(const std::string& sFile)
{
    if (rvFont* font = Find(sFile)) return font;

    int size = 0;
    uint8_t* data = rvDataPack::GetInstance()->ReadAll(sFile, size);
    if (!data) return nullptr;
    if (!IsFontDataSafe(data, size))
    {
        delete[] data;
        return nullptr;
    }
    stbtt_fontinfo* info = new stbtt_fontinfo();
    const int offset = stbtt_GetFontOffsetForIndex(data, 0);
    if (offset < 0 || !stbtt_InitFont(info, data, offset))
    {
        delete info;
        delete[] data;
        return nullptr;
    }
    rvFont* font = AddFont(sFile, info);
    font->_pData = data;
    font->_nDataSize = size;
    return font;
}

rvFont* rvFontManager::AddFont(const std::string& sFile, stbtt_fontinfo* pFontInfo)
{
    // clang-format off
    rvAssert(Find(sFile)==nullptr);
    // clang-format on
    rvFont* font = new rvFont();
    font->_sFile = sFile;
    font->_pFontInfo = pFontInfo;
    _aFonts.push_back(font);
    return font;
}
