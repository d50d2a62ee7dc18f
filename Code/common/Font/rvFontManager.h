#pragma once
// The process-wide font list. Entry 0 is always the stroke font "Simplex"; TrueType fonts are
// read from the data archive on first request and kept (one entry per distinct path string).
#include "Font/rvFont.h"

#include <string>
#include <vector>

class rvFontManager
{
public:
    // Created on the first call, with "Simplex" as entry 0; never destroyed.
    static rvFontManager* GetInstance();

    // Entry 0, the stroke font (asserted).
    rvFont* GetDefaultFont();
    // The entry whose file string is exactly sFile, or null.
    rvFont* Find(const std::string& sFile);
    // Find, else read the file from the archive and add it; null when the file is missing or is
    // not a TrueType font that can be read safely (nothing is added then).
    rvFont* GetFont(const std::string& sFile);
    // Appends a new entry (asserts that sFile is not present yet).
    rvFont* AddFont(const std::string& sFile, stbtt_fontinfo* pFontInfo);

    // Checks that a font file's tables lie inside it and that the parts the text builders read
    // (character map, glyph locations, outlines, metrics) stay inside their tables.
    static bool IsFontDataSafe(const uint8_t* pData, int nSize);

    std::vector<rvFont*> _aFonts;

private:
    rvFontManager() = default;
};
