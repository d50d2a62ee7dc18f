#pragma once
// A sea of short-lived waves on the vector display. Each wave is a line along x on the plane at
// "SeaLevel" with a crest that runs from one end to the other over the wave's life, growing and
// sinking with its age; brightness and width peak at the crest. Waves are born at random places
// and sizes within a box and replaced when they die, so that "WaveCount" stay alive.
#include "Factory/fxBase.h"

#include <glm/glm.hpp>
#include <vector>

struct fxSeaWave
{
    float x, y, z;     // centre before "SeaLevel" is added
    float fHalfLength; // half the length along x
    float fAmplitude;
    float fAge;  // seconds, 0 at birth
    float fLife; // seconds
};

class fxSea : public fxBase
{
public:
    // Bounds on what a stored file or a driver may ask of one frame.
    static constexpr int MAX_WAVES = 4096;
    static constexpr int MAX_RESOLUTION = 4096;

    explicit fxSea(fxDescriptor* pDescriptor);
    ~fxSea() override;

    void Render() override;

    // Appends one wave, drawing 24 values from the C runtime's rand() in a fixed order.
    void SpawnWave();
    // A unit value in [0, 1) from four bytes, the first the lowest.
    static float Unit(unsigned b0, unsigned b1, unsigned b2, unsigned b3);

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    float _fThickness;
    glm::vec4 _vColor;
    int _nWaveCount;
    int _nWaveResolution;
    float _fSeaLevel;
    glm::vec3 _vSeaDimensions;
    glm::vec2 _vWaveDimensionMin;
    glm::vec2 _vWaveDimensionMax;
    float _fWaveLifeMin;
    float _fWaveLifeMax;
    std::vector<fxSeaWave> _aWaves;

private:
    void DrawWave(struct vector_display* pDisplay, const fxSeaWave& wave, const glm::vec4& color) const;
};
