#pragma once
// Ocean: an open sea under a sky, seen through the camera of the current render buffer, ray-marched
// per pixel by the program `_shProgram`, with the depth of every hit written so that 3D drawing in
// the same buffer hides correctly behind or below the water. "Weather" moves everything from calm
// and clear to stormy and grey. The waves do not run on the raw clock: Init integrates their speed
// ("TimeSpeed" times a weather factor, both taken from their drivers second by second) over the
// effect's length into a table that Render reads, so speed and weather can be animated without the
// waves jumping.
#include "Factory/fxBase.h"
#include "effects/fxOcean/shOcean.h"

#include <vector>

class fxOcean : public fxBase
{
public:
    explicit fxOcean(fxDescriptor* pDescriptor);
    ~fxOcean() override;

    void Init() override;
    void OnEffectStart() override;
    void Render() override;

    static constexpr float kMaxSteps = 1000.0f; // bound of "MaxSteps", the march's steps a pixel
    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    // Adds the attributes only while the descriptor has none; always returns the descriptor.
    static fxDescriptor* RegisterAttributes();

    // The wave time at each whole second of local time, from the current Start, End, "Weather",
    // "TimeSpeed" and their drivers: entry i is reached after i seconds at 3 * (1 + weather) * speed
    // units per second. A driver that gives no value at some second leaves the attribute's own value.
    void BuildWaveTimeTable();
    // The wave time at local time t, interpolated in the table (and continued at its last rate
    // past its end).
    float WaveTime(float fTime) const;

    // Speed ratio of each wave octave to the one above it.
    static constexpr float OCTAVE_RATIO = 0.471f;
    // Longest table (seconds of effect): an End far away asks for no more than this.
    static const int MAX_TABLE_ENTRIES = 100000;

    shOcean _shProgram;
    float _fTimeSeek = 0.0f;
    float _fTimeSpeed = 1.0f;
    std::vector<float> _aTimeIntegral;
};
