#pragma once
// An animated point cloud as glowing dots on the current vector display: a recorded sequence of
// frames, one shown at a time (33.3 frames per second of effect time times "Speed"), rotated,
// scaled and placed, held at the end, looped or played back and forth. From the editor it cuts a
// clip (a range of frames, the points inside a box, placed) into
// "./Data/pointclouds/generated.clip.data".
//
// Files (little-endian, no padding), both read whole from the disk:
//   ".data"      int32 frame count F, then F times: int32 point count n, n points of 8 floats
//                (x, y, z and five floats this effect does not read); normalised at load so that
//                the cloud's longest side spans 200 units centred on the origin.
//   ".clip.data" int32 frame count F, then F times: int32 point count n, n points of three int16
//                (100/32767 display units each).
#include "Factory/AttribDesc.h"
#include "Factory/fxBase.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <string>
#include <vector>

class fxExtruder : public fxBase
{
public:
    struct ClipPoint
    {
        int16_t x, y, z;
    };
    static_assert(sizeof(ClipPoint) == 6, "a clip point is 6 bytes in the file");
    struct Frame
    {
        int32_t nPointCount = 0;
        const ClipPoint* _pPackedPoints = nullptr;
        float* _pFloatPoints = nullptr; // 8 floats per point
    };

    static const char* const GeneratedClipFile;
    // Frames per second of effect time at "Speed" 1 (one frame per 30 ms).
    static constexpr float FRAME_RATE = 33.333332f;

    explicit fxExtruder(fxDescriptor* pDescriptor);
    ~fxExtruder() override;

    void Init() override;
    void Render() override;

    // Cuts the frames of the file in `data` (a clip when bClip) into `frames`, pointing into it,
    // and normalises a point cloud in place. False, with a reason and no frames, when a count is
    // negative or announces more bytes than the file has, or a coordinate is not a finite number.
    static bool ParseFrames(std::vector<uint8_t>& data, bool bClip, std::vector<Frame>& frames,
                            const char** ppszWhy);
    // The frame shown at local time t (never outside 0 .. count - 1; count > 0).
    static int FrameIndex(float t, float fSpeed, float fTimeStart, int count, bool bLoop, bool bPingPong);
    // First frame and end of the frame window of "ClipGeneration/TimeRange".
    void FrameWindow(int& first, int& windowEnd) const;
    // Point j of frame f, before placement.
    glm::vec3 FramePoint(int f, int j) const;
    glm::vec3 Place(const glm::vec3& p) const;
    // The clip file's bytes for the current window, box and placement (sorts the zone ranges).
    std::vector<uint8_t> BuildClip();

    static void GenerateClip(fxBase* pEffect);
    static void CompressClip(fxBase* pEffect);

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    float _fScale;
    float _fSpeed;
    float _fTimeStart;
    glm::vec3 _vPosition;
    glm::vec3 _vRotations;
    std::string _sFile;
    bool _bLoop;
    bool _bPingPong;
    glm::vec3 _vColor;
    float _fThickness;
    glm::vec2 _vZoneRangeX, _vZoneRangeY, _vZoneRangeZ, _vTimeRange;
    float _fCompressionError;
    bool _bZoneDraw;
    AttribButtonFn _pfnGenerateClip;
    AttribButtonFn _pfnCompressClip;
    std::vector<uint8_t> _aData;
    std::vector<Frame> _aFrames;
};
