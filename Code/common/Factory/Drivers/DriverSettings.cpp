#include "DriverSettings.h"

#include "Factory/AttribDesc.h"
#include "Factory/Drivers/NoneDriver.h"

#include <imgui.h>

void DrawMinMaxSliders(NoneDriver* pDriver)
{
    float fLo = -100.0f, fHi = 100.0f;
    const AttribDesc* pDesc = pDriver->_pAttribDesc;
    if (pDesc && pDesc->_pRange)
    {
        if (pDesc->IsInt())
        {
            fLo = float(pDesc->_pRange->_min.i);
            fHi = float(pDesc->_pRange->_max.i);
        }
        else
        {
            fLo = pDesc->_pRange->_min.f;
            fHi = pDesc->_pRange->_max.f;
        }
    }
    ImGui::SliderFloat("Min", &pDriver->_fMin, fLo, fHi, "%.2f");
    ImGui::SliderFloat("Max", &pDriver->_fMax, fLo, fHi, "%.2f");
}
