// Timeline and effect JSON: a ".seq" document read item by item through the factory (values of
// every attribute kind, drivers of every kind with their keys, curves and formulas), played for a
// few frames with jumps, and saved back to JSON; the first item also as a preset.
#include "FuzzTarget.h"

#include "Factory/AttribDesc.h"
#include "Factory/Factory.h"
#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvJson.h"
#include "Sequencer/rvSequence.h"
#include "rvMath.h"

#include <memory>
#include <sstream>

namespace
{
// An effect with one attribute of each plain kind, so that every value reader and every driver
// target is reached.
class fxFuzzProbe : public fxBase
{
public:
    explicit fxFuzzProbe(fxDescriptor* d) : fxBase(d) {}
    static fxBase* Create(fxDescriptor* d) { return new fxFuzzProbe(d); }
    static fxDescriptor* Descriptor()
    {
        static const char* const s_items[] = {"A", "B", "C"};
        static fxDescriptor* d = []
        {
            using P = fxFuzzProbe;
            fxDescriptor* p = new fxDescriptor(fxBase::RegisterAttributes(), "fxFuzzProbe", &P::Create);
            p->Add(TYPE_BOOL, "On", rvOffsetOf<P>(&P::_bOn));
            p->Add(TYPE_INT, "Count", rvOffsetOf<P>(&P::_nCount))->SetIntRange(1, 9);
            p->Add(TYPE_TIME, "When", rvOffsetOf<P>(&P::_nWhen));
            p->Add(TYPE_FLOAT, "Speed", rvOffsetOf<P>(&P::_fSpeed))->SetRange(-2.f, 4.f);
            p->Add(TYPE_STRING, "Text", rvOffsetOf<P>(&P::_sText));
            p->Add(TYPE_FILE, "File", rvOffsetOf<P>(&P::_sFile));
            p->Add(TYPE_ENUM, "Mode", rvOffsetOf<P>(&P::_eMode))->SetItems(s_items, 3);
            p->Add(TYPE_COLOR3, "Color3", rvOffsetOf<P>(&P::_vColor3));
            p->Add(TYPE_COLOR4, "Color", rvOffsetOf<P>(&P::_vColor4));
            p->Add(TYPE_VEC2, "Pos2", rvOffsetOf<P>(&P::_v2));
            p->Add(TYPE_VEC3, "Pos", rvOffsetOf<P>(&P::_v3));
            p->Add(TYPE_VEC4, "Pos4", rvOffsetOf<P>(&P::_v4));
            p->Add(TYPE_SCALE2, "Scale2", rvOffsetOf<P>(&P::_s2));
            p->Add(TYPE_SCALE3, "Scale", rvOffsetOf<P>(&P::_s3));
            p->Add(TYPE_TRANSFORM_2D, "Transform2D", rvOffsetOf<P>(&P::_Transform2D));
            p->Add(TYPE_TRANSFORM_3D, "Transform", rvOffsetOf<P>(&P::_Transform3D));
            return p;
        }();
        return d;
    }

    bool _bOn = false;
    int _nCount = 3, _nWhen = 0, _eMode = 0;
    float _fSpeed = 0.5f;
    std::string _sText, _sFile;
    glm::vec3 _vColor3{1.f}, _v3{0.f}, _s3{1.f};
    glm::vec4 _vColor4{1.f}, _v4{0.f};
    glm::vec2 _v2{0.f}, _s2{1.f};
    rvTransform2D _Transform2D;
    rvTransform3D _Transform3D;
};
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Factory* factory = Factory::_pInstance ? Factory::_pInstance : new Factory();
    if (!factory->FindDescriptor("fxBase")) factory->Register(fxBase::RegisterAttributes());
    if (!factory->FindDescriptor("fxFuzzProbe")) factory->Register(fxFuzzProbe::Descriptor());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(rvFuzz::Text(data, size));
    Json::Value root;
    if (!rvJson::Parse(in, &root)) return 0;

    const Json::Value& first = rvJson::Element(rvJson::Member(root, "Items"), 0);
    std::unique_ptr<fxBase> preset(Factory::EffectFromJson(first.isObject() ? first : root));
    if (preset)
    {
        Json::Value back;
        Factory::EffectToJson(preset.get(), back);
    }

    rvSequence timeline(false);
    timeline.LoadItems(root, true);
    timeline._bPlaying = true;
    for (fxBase* fx : timeline._apEffects)
        fx->SetState(State_SequenceStarted);
    const float steps[] = {0.f, 1.f / 60.f, 0.1f, 0.1f, 0.05f};
    for (float dt : steps)
        timeline.Update(dt);
    timeline.Seek(float(timeline._nFrameMax) / 60.f * 0.5f);
    timeline.Update(1.f / 60.f);
    timeline.Seek(-1.f);
    timeline.Update(1.f / 60.f);
    Json::Value saved(Json::objectValue);
    for (size_t i = 0; i < timeline._apEffects.size(); ++i)
        Factory::EffectToJson(timeline._apEffects[i], saved["Items"][Json::ArrayIndex(i)]);
    timeline.Clear();
    return 0;
}
