#pragma once
// Demo-wide parameters that other effects read instead of their own attributes ("MonochromeColor",
// read by the VHS post effect). A default instance exists from program start, so
// _pCurrentParams is never null: an instance becomes current in its Init, and its Kill or
// destruction returns to the default instance.
#include "Factory/fxBase.h"

#include <glm/glm.hpp>

class fxDemoGlobalParams : public fxBase
{
public:
    explicit fxDemoGlobalParams(fxDescriptor* pDescriptor);
    ~fxDemoGlobalParams() override;

    void Init() override;
    void Kill() override;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    // Adds "MonochromeColor" only while the class's list is empty (it runs for the default
    // instance and again from the Factory).
    static fxDescriptor* RegisterAttributes();

    glm::vec4 _vMonochromeColor;

    static fxDemoGlobalParams _DefaultParams;
    static fxDemoGlobalParams* _pCurrentParams;
    // The same pointer under the name the post effects use.
    static fxDemoGlobalParams*& _pCurrent;
};
