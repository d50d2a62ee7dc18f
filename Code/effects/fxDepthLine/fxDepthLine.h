#pragma once
// A stored 16-bit depth image ("./Data/depth.data" in the archive) over the whole current render
// buffer as a grey picture with dark scan lines, through rvQuadDepthProgram. The near/far window
// starts at the image's own smallest and largest sample and is edited in the "Depth Line" window.
//
// File layout (little-endian): int32 width, int32 height, int32 bytes per sample (2), then
// width * height unsigned 16-bit samples, row after row, the first row at the top.
#include "Factory/fxBase.h"
#include "effects/fxDepthLine/rvQuadDepthProgram.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class fxDepthLine : public fxBase
{
public:
    // The largest side accepted from a file.
    static constexpr int MAX_SIDE = 8192;

    struct DepthImage
    {
        int nWidth = 0, nHeight = 0;
        std::vector<uint16_t> aSamples;
        uint16_t nMin = 32767, nMax = 0; // smallest and largest sample, from 32767 and 0
    };

    explicit fxDepthLine(fxDescriptor* pDescriptor);
    ~fxDepthLine() override;

    void Init() override;
    void Render() override;

    // The "Depth Line" window (fxDepthLineEditor.cpp).
    void DrawSettings();

    // Reads "./Data/depth.data" and makes the texture; 0 (min and max untouched) when the file is
    // missing or unusable.
    GLuint LoadDepthTexture(uint16_t& min, uint16_t& max);
    // The same from the bytes of a depth file.
    static GLuint MakeDepthTexture(const std::vector<uint8_t>& bytes, uint16_t& min, uint16_t& max);
    // Checks a depth file against its own header and reads it. False, with a reason, when the
    // header is short, a side is not positive or above MAX_SIDE, the sample size is not 2, or the
    // samples it announces are not all there.
    static bool ParseDepthImage(const uint8_t* pData, size_t nSize, DepthImage& out, const char** ppszWhy);

    // The class's descriptor is made by the Factory's registration (no attributes of its own).
    static fxBase* Create(fxDescriptor* pDescriptor);

    static const char* const DepthFile;

    rvQuadDepthProgram _DepthProgram;
    GLuint _glDepthTexture = 0;
    GLuint _glVAO = 0, _glVBO = 0;
    uint16_t _nDepthMin = 32767, _nDepthMax = 0;
};
