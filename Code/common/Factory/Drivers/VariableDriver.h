#pragma once
// Reads a named variable that another effect publishes (rvVariable).
#include "Factory/Drivers/NoneDriver.h"

class VariableDriver : public NoneDriver
{
public:
    VariableDriver(fxBase* pEffect, AttribDesc* pAttribDesc);

    // The first published variable of that name; no value when there is none.
    float GetValue(float fTime, bool bHistory) override;
    void DrawSettings() override;
    void EditorDrawSettings(); // the body of DrawSettings, in the editor library (DriversEditor.cpp)

    std::string _sVarName;
};
