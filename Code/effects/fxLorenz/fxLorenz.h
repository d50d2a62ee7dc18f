#pragma once
// Thousands of glowing dots that each follow the Lorenz system and together trace the two-lobed
// attractor on the current vector display. Dots are spawned at random in a cube at a steady rate
// up to a limit and fade in over a second; during the fade-out the attractor is blown outwards.
// Up to three other effects of the timeline (by instance name) hand over their drawn shape: at
// Init it is sampled into dots, which are released into the attractor when "/Transfer" turns on.
#include "Factory/fxBase.h"
#include "vector_display/vector_display.h"

#include <glm/glm.hpp>
#include <random>
#include <string>
#include <vector>

class fxLorenz : public fxBase
{
public:
    static const int INPUT_COUNT = 3;

    struct Dot
    {
        vector_display_point _Point; // position in attractor space, colour, flags 0, thickness
        float _fThicknessBlend;
        float _fFadeIn;
        float _fSpeed;
        float _fAcceleration;
        float _fTargetThickness;
    };

    struct Input
    {
        Input();
        std::string _sFxName;
        float _fTransfer;
        int _nPoints;
        float _fAccelerationMin;
        float _fAccelerationRnd;
        float _fThicknessFactori;
        float _fThicknessFactorf;
        Dot* _pDots;    // prepared at Init, owned, or null
        int _nNext;     // first prepared dot not yet released
        int _nPrepared; // number of dots in _pDots
    };

    explicit fxLorenz(fxDescriptor* pDescriptor);
    ~fxLorenz() override;

    void Init() override;
    void Kill() override;
    void Render() override;

    // Releases one prepared dot whose position is in display space into the attractor.
    void AddDot(const Dot& dot);

    // One 15-bit draw (0 to 32767) of the effect's own generator.
    int Rand15();

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    // Bounds of the stored counts: dots spawned in all, dots spawned a second, dots prepared
    // from each input.
    static constexpr int kMaxDots = 100000;
    static constexpr int kMaxSpawnPerSec = 100000;
    static constexpr int kMaxInputPoints = 100000;

    int _nCountStart;
    int _nCountMax;
    int _nSpawnPerSec;
    float _fSpawnRange;
    glm::vec4 _vDotColor;
    float _fDotThickness;
    glm::vec2 _vPos;
    float _fDefaultZ;
    glm::vec2 _vSize;
    float _fSigma;
    float _fRho;
    float _fBeta;
    float _fSpeed;
    int _nSpawned;
    float _fSpawnCarry;
    Input _aInputs[INPUT_COUNT];
    std::vector<Dot> _aDots;

    // Seed of the next Init; 0 takes the calendar time, so that every run differs.
    unsigned _nSeed;
    std::minstd_rand _Random;

private:
    void SpawnDot(float fTargetThickness);
    void PrepareInput(Input& input);
    static void FreeInput(Input& input);
};
