#include "EffectTestSupport.h"

namespace rvTest
{
fxDescriptor* fxRecorder::GetDescriptor()
{
    static fxDescriptor* s = new fxDescriptor(fxBase::GetDescriptor(), "fxRecorder", &fxRecorder::Create);
    return s;
}

fxDescriptor* fxRecorder::RegisterAttributes()
{
    static const char* const s_items[] = {"A", "B", "C"};
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    d->Add(TYPE_FLOAT, "Motion/Speed", rvOffsetOf<fxRecorder>(&fxRecorder::_fSpeed))->SetRange(-2.0f, 4.0f);
    d->Add(TYPE_INT, "Count", rvOffsetOf<fxRecorder>(&fxRecorder::_nCount))->SetIntRange(1, 9);
    d->Add(TYPE_BOOL, "On", rvOffsetOf<fxRecorder>(&fxRecorder::_bOn));
    d->Add(TYPE_ENUM, "Mode", rvOffsetOf<fxRecorder>(&fxRecorder::_eMode))->SetItems(s_items, 3);
    d->Add(TYPE_SEPARATOR, "_Separator_", 0);
    d->Add(TYPE_COLOR3, "Color", rvOffsetOf<fxRecorder>(&fxRecorder::_aColor));
    d->Add(TYPE_TRANSFORM_3D, "Transform", rvOffsetOf<fxRecorder>(&fxRecorder::_Transform));
    d->Add(TYPE_FILE, "File", rvOffsetOf<fxRecorder>(&fxRecorder::_sFile))->_sFilter = ".svg";
    d->Add(TYPE_FLOAT, "FadeIn", rvOffsetOf<fxRecorder>(&fxRecorder::_fFadeIn));
    return d;
}

Factory* TheFactory()
{
    static Factory* s_pFactory = []
    {
        // Other test fixtures of this program may have made the Factory already.
        Factory* p = Factory::_pInstance ? Factory::_pInstance : new Factory();
        p->RegisterAll();
        if (!p->FindDescriptor("fxRecorder")) p->Register(fxRecorder::RegisterAttributes());
        return p;
    }();
    return s_pFactory;
}

fxRecorder* NewRecorder()
{
    TheFactory();
    return static_cast<fxRecorder*>(fxRecorder::Create(fxRecorder::GetDescriptor()));
}
} // namespace rvTest
