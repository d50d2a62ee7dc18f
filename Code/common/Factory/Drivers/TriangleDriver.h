#pragma once
// A triangle wave between Min and Max; the symmetry moves the peak within the period.
#include "Factory/Drivers/NoneDriver.h"

class TriangleDriver : public NoneDriver
{
public:
    TriangleDriver(fxBase* pEffect, AttribDesc* pAttribDesc);

    float GetValue(float fTime, bool bHistory) override;
    void DrawSettings() override;
    void EditorDrawSettings(); // the body of DrawSettings, in the editor library (DriversEditor.cpp)

    float _fSymmetry = 0.5f; // 0.5 symmetric, 1 rising saw, 0 falling saw
};
