#pragma once
// A real TrueType file edited in place, byte by byte, into the faults hostile fonts carry.
#include <stb_truetype.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace rvTest
{
struct FontEdit
{
    std::string bytes;

    explicit FontEdit(std::string b) : bytes(std::move(b)) {}

    uint16_t U16(size_t off) const { return uint16_t((uint8_t(bytes[off]) << 8) | uint8_t(bytes[off + 1])); }
    uint32_t U32(size_t off) const { return (uint32_t(U16(off)) << 16) | U16(off + 2); }
    void Put16(size_t off, uint16_t v)
    {
        bytes[off] = char(v >> 8);
        bytes[off + 1] = char(v & 0xff);
    }
    const uint8_t* Data() const { return reinterpret_cast<const uint8_t*>(bytes.data()); }
    int Size() const { return int(bytes.size()); }

    // Offset of a table's data; 0 when the file has none.
    size_t Table(const char* tag) const
    {
        for (size_t i = 0, n = U16(4); i < n; ++i)
            if (std::memcmp(&bytes[12 + 16 * i], tag, 4) == 0) return U32(12 + 16 * i + 8);
        return 0;
    }
    int Glyph(int codepoint) const
    {
        stbtt_fontinfo info;
        if (!stbtt_InitFont(&info, Data(), 0)) return 0;
        return stbtt_FindGlyphIndex(&info, codepoint);
    }
    // Offset of a glyph's record in the file.
    size_t GlyphRecord(int glyph) const
    {
        const size_t loca = Table("loca");
        const bool longLoca = U16(Table("head") + 50) != 0;
        return Table("glyf") + (longLoca ? U32(loca + 4 * size_t(glyph)) : size_t(U16(loca + 2 * size_t(glyph))) * 2);
    }

    // The character's last contour becomes its last point alone, off the curve.
    void LastContourOffCurve(int codepoint)
    {
        const size_t g = GlyphRecord(Glyph(codepoint));
        const size_t contours = U16(g);
        const size_t points = size_t(U16(g + 10 + 2 * (contours - 1))) + 1;
        Put16(g + 10 + 2 * (contours - 2), uint16_t(points - 2));
        size_t pos = g + 10 + 2 * contours;
        pos += 2 + U16(pos);
        for (size_t i = 0; i < points;)
        {
            const uint8_t flag = uint8_t(bytes[pos]);
            const size_t run = 1 + ((flag & 8) ? uint8_t(bytes[pos + 1]) : 0);
            if (i + run >= points)
            {
                bytes[pos] = char(flag & ~1); // every point of the last run off the curve
                break;
            }
            i += run;
            pos += (flag & 8) ? 2 : 1;
        }
    }
    // The character's box stored with its minimum and maximum x swapped.
    void InvertBox(int codepoint)
    {
        const size_t g = GlyphRecord(Glyph(codepoint));
        const uint16_t xMin = U16(g + 2), xMax = U16(g + 6);
        Put16(g + 2, xMax);
        Put16(g + 6, xMin);
    }
    // The character's box shrunk to its lower left quarter: the outline leaves it.
    void ShrinkBox(int codepoint)
    {
        const size_t g = GlyphRecord(Glyph(codepoint));
        Put16(g + 6, uint16_t((int16_t(U16(g + 2)) + int16_t(U16(g + 6))) / 2));
        Put16(g + 8, uint16_t((int16_t(U16(g + 4)) + int16_t(U16(g + 8))) / 2));
    }
    // Ascent 1, descent 0: every glyph scales to thousands of times its size.
    void TinyAscent()
    {
        const size_t hhea = Table("hhea");
        Put16(hhea + 4, 1);
        Put16(hhea + 6, 0);
    }
    // Fewer glyphs than the character map names.
    void GlyphCount(uint16_t n) { Put16(Table("maxp") + 4, n); }
};
} // namespace rvTest
