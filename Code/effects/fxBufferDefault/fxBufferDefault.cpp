#include "effects/fxBufferDefault/fxBufferDefault.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "effects/fxBufferDisplay/fxBufferDisplay.h"
#include "rvSceneDisplay.h"

fxBufferDefault::fxBufferDefault(fxDescriptor* pDescriptor) : fxBase(pDescriptor)
{
    _eDebugColor = _eDebugAlpha = _eDebugDepth = 0;
}

void fxBufferDefault::Render()
{
    rvSceneDisplay::SetCurrentBuffer(nullptr);
}

fxDescriptor* fxBufferDefault::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxBufferDefault", &fxBufferDefault::Create);
    return s_pDescriptor;
}

fxBase* fxBufferDefault::Create(fxDescriptor* pDescriptor)
{
    return new fxBufferDefault(pDescriptor);
}

fxDescriptor* fxBufferDefault::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    const char* const* items = fxBufferDisplay::s_apszDebugSlots;
    d->Add(TYPE_ENUM, "Debug Color", rvOffsetOf<fxBufferDefault>(&fxBufferDefault::_eDebugColor))
        ->SetItems(items, 9);
    d->Add(TYPE_ENUM, "Debug Alpha", rvOffsetOf<fxBufferDefault>(&fxBufferDefault::_eDebugAlpha))
        ->SetItems(items, 9);
    d->Add(TYPE_ENUM, "Debug Depth", rvOffsetOf<fxBufferDefault>(&fxBufferDefault::_eDebugDepth))
        ->SetItems(items, 9);
    return d;
}
