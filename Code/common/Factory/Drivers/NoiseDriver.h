#pragma once
// Octave noise between roughly Min and Max; the phase is an offset in noise units.
#include "Factory/Drivers/NoneDriver.h"

class NoiseDriver : public NoneDriver
{
public:
    static constexpr int MAX_OCTAVES = 8;

    NoiseDriver(fxBase* pEffect, AttribDesc* pAttribDesc);

    // Octave counts outside 0 to 8 in a file are brought back into that range.
    void Load(const Json::Value& json) override;
    float GetValue(float fTime, bool bHistory) override;
    void DrawSettings() override;
    void EditorDrawSettings(); // the body of DrawSettings, in the editor library (DriversEditor.cpp)

    int _nOctaves = 4;
    float _fPersistence = 0.5f;
};
