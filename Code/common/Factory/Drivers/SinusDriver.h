#pragma once
// A sum of up to four sines between Min and Max.
#include "Factory/Drivers/NoneDriver.h"

class SinusDriver : public NoneDriver
{
public:
    static constexpr int MAX_SINES = 4;

    SinusDriver(fxBase* pEffect, AttribDesc* pAttribDesc);

    // Counts outside 1 to 4 in a file are brought back into that range.
    void Load(const Json::Value& json) override;
    float GetValue(float fTime, bool bHistory) override;
    void DrawSettings() override;
    void EditorDrawSettings(); // the body of DrawSettings, in the editor library (DriversEditor.cpp)

    // Sets every sine, used or not, from rand(): the "Random Values" button.
    void RandomValues();

    int _Count = 1;
    float _Period[MAX_SINES] = {2.0f, 2.0f, 2.0f, 2.0f};
    float _AmplitudeFactor[MAX_SINES] = {1.0f, 1.0f, 1.0f, 1.0f};
    float _Phase[MAX_SINES] = {0.0f, 0.0f, 0.0f, 0.0f};
};
