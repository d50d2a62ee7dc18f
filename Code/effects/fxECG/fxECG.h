#pragma once
// A heart-monitor trace on the current vector display: a synthetic heartbeat (P wave, QRS
// complex, T wave, noisy baseline) sampled every 16 ms into a ring of 200 samples and drawn as a
// sweeping polyline that brightens towards its newest sample, with a white dot at its head. The
// whole trace is rebuilt from the local time every frame, so it depends on the time alone.
// "Alpha" steps it through further looks: dimmed, bent into the outline of the vector scene
// ".\Data\fxAnimation.vscene", and finally replaced by that scene.
#include "Factory/fxBase.h"
#include "VectorScene/VectorScene.h"

#include <glm/glm.hpp>
#include <vector>

class fxECG : public fxBase
{
public:
    static const int RING_SIZE = 200;

    struct Sample
    {
        float _fX;
        float _fValue;
        glm::vec3 _vColor;
    };

    struct HeartBeat
    {
        void Step(float dt);
        void AddSample(float fValue, const glm::vec3& color);

        float _fStart = 0.967f;
        float _fAtriaStart = 0.0f;
        float _fBeatTime = -0.967f;
        float _fAtriaDuration = 0.2f;
        float _fVentricleDuration = 0.12f;
        float _fRepolarizationDuration = 0.2f;
        float _fBeatLength = 0.52f;
        float _fPause = 0.2f;
        int _nOctaves = 0;
        float _fPersistence = 0.0f;
        bool _bShowAtriaDepolarization = true;
        bool _bShowVentricleDepolarization = true;
        bool _bShowRepolarization = true;
        bool _bSeparateColors = false;
        float _afPartMax[3] = {8.0f, 70.0f, 20.0f};
    };

    explicit fxECG(fxDescriptor* pDescriptor);
    ~fxECG() override;

    void OnEffectStart() override;
    void Render() override;
    void Draw();

    // mean + deviation x the first polar-method normal of a freshly seeded mt19937.
    static float Normal(float fMean, float fDeviation);

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    float _fPersistence;
    int _nOctaves;
    float _fScale;
    int _nStartVectorScene;
    int _nEndVectorScene;
    float _fAlpha;
    float _fInterBeat;
    bool _bDrawLine;
    HeartBeat _HeartBeat;
    VectorScene _VectorScene;

    static std::vector<Sample> _aSamples;
    static const glm::vec3 TRACE_COLOR;
};
