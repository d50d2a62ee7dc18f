#include "effects/fxDemoGlobalParams/fxDemoGlobalParams.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"

fxDemoGlobalParams fxDemoGlobalParams::_DefaultParams(fxDemoGlobalParams::RegisterAttributes());
fxDemoGlobalParams* fxDemoGlobalParams::_pCurrentParams = &fxDemoGlobalParams::_DefaultParams;
fxDemoGlobalParams*& fxDemoGlobalParams::_pCurrent = fxDemoGlobalParams::_pCurrentParams;

fxDemoGlobalParams::fxDemoGlobalParams(fxDescriptor* pDescriptor) : fxBase(pDescriptor)
{
    _vMonochromeColor = glm::vec4(1.f, 1.f, 1.f, 1.f);
}

fxDemoGlobalParams::~fxDemoGlobalParams()
{
    _pCurrentParams = &_DefaultParams;
}

void fxDemoGlobalParams::Init()
{
    _pCurrentParams = this;
}

void fxDemoGlobalParams::Kill()
{
    _pCurrentParams = &_DefaultParams;
}

fxDescriptor* fxDemoGlobalParams::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxDemoGlobalParams", &fxDemoGlobalParams::Create);
    return s_pDescriptor;
}

fxBase* fxDemoGlobalParams::Create(fxDescriptor* pDescriptor)
{
    return new fxDemoGlobalParams(pDescriptor);
}

fxDescriptor* fxDemoGlobalParams::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (d->_apAttribs.empty())
        d->Add(TYPE_COLOR4, "MonochromeColor",
               rvOffsetOf<fxDemoGlobalParams>(&fxDemoGlobalParams::_vMonochromeColor));
    return d;
}
