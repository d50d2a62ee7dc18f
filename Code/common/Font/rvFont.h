#pragma once
// One font entry of rvFontManager: the built-in stroke font "Simplex", or a TrueType font read
// from the data archive. Created by the manager only and never deleted; the file's bytes stay
// allocated for the entry's life because the stb_truetype record points into them.
#include <cstdint>
#include <string>

struct stbtt_fontinfo;

class rvFont
{
public:
    bool _bSimplex = false;
    std::string _sFile;                   // "Simplex", or the path exactly as the caller gave it
    stbtt_fontinfo* _pFontInfo = nullptr; // null for "Simplex"
    const uint8_t* _pData = nullptr;      // the font file, kept for _pFontInfo
    int _nDataSize = 0;
};
