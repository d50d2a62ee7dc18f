#include "effects/fxVectorDisplay/fxVectorDisplay.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "effects/fxBufferDisplay/fxBufferDisplay.h"
#include "rvSceneDisplay.h"

#include <algorithm>
#include <cstddef>

namespace
{
const char* const s_apszImport[] = {"No", "Copy"};
const char* const s_apszExport[] = {"Copy", "Add", "Max", "Alpha"};

float Lerp(float a, float b, float f)
{
    return a + (b - a) * f;
}
} // namespace

fxVectorDisplay::fxVectorDisplay(fxDescriptor* pDescriptor) : fxBase(pDescriptor)
{
    vector_display_settings_defaults(&_StartSettings);
    vector_display_settings_defaults(&_Settings);
    _eDebugColor = _eDebugAlpha = _eDebugGlow = _eDebugDepth = 0;
}

void fxVectorDisplay::OnEffectStart()
{
    vector_display* pDisplay = rvSceneDisplay::BindedDisplay();
    _StartSettings = pDisplay->settings;
    vector_display_buffers_init(&_Buffers);
}

void fxVectorDisplay::OnEffectStop()
{
    vector_display_buffers_delete(&_Buffers);
}

void fxVectorDisplay::ApplySettings(vector_display* pDisplay) const
{
    vector_display_settings& s = pDisplay->settings;
    if (_fFadeIn != 0.f && _fFadeIn > _fTime)
    {
        const float f = std::max(_fTime / _fFadeIn, 0.f);
        const vector_display_settings& a = _StartSettings;
        const vector_display_settings& b = _Settings;
        s.decay_steps = Lerp(a.decay_steps, b.decay_steps, f);
        s.decay_initial = Lerp(a.decay_initial, b.decay_initial, f);
        s.decay_final = Lerp(a.decay_final, b.decay_final, f);
        s.thickness_factor = Lerp(a.thickness_factor, b.thickness_factor, f);
        s.thickness_min = Lerp(a.thickness_min, b.thickness_min, f);
        s.thickness_max = Lerp(a.thickness_max, b.thickness_max, f);
        s.color_intensity = Lerp(a.color_intensity, b.color_intensity, f);
        s.color_brightness = Lerp(a.color_brightness, b.color_brightness, f);
        s.fog_zmin = Lerp(a.fog_zmin, b.fog_zmin, f);
        s.fog_zmax = Lerp(a.fog_zmax, b.fog_zmax, f);
        s.fog_power = Lerp(a.fog_power, b.fog_power, f);
        s.decay_camera = b.decay_camera;
        s.triangle_culling = b.triangle_culling;
        s.import_color = b.import_color;
        s.import_depth = b.import_depth;
        s.export_color = b.export_color;
        s.export_depth = b.export_depth;
    }
    else
    {
        s = _Settings;
    }
}

void fxVectorDisplay::Render()
{
    vector_display* pDisplay = rvSceneDisplay::BindedDisplay();
    ApplySettings(pDisplay);
    vector_display_draw(pDisplay, &_Buffers, true);
}

void fxVectorDisplay::Seek(float, float, float)
{
    rvSceneDisplay::BindedDisplay();
}

fxDescriptor* fxVectorDisplay::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxVectorDisplay", &fxVectorDisplay::Create);
    return s_pDescriptor;
}

fxBase* fxVectorDisplay::Create(fxDescriptor* pDescriptor)
{
    return new fxVectorDisplay(pDescriptor);
}

fxDescriptor* fxVectorDisplay::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    const int s = rvOffsetOf<fxVectorDisplay>(&fxVectorDisplay::_Settings);
    auto field = [s](size_t offset) { return s + int(offset); };
    d->Add(TYPE_BOOL, "Decay Camera", field(offsetof(vector_display_settings, decay_camera)));
    d->Add(TYPE_FLOAT, "Decay Steps", field(offsetof(vector_display_settings, decay_steps)))
        ->SetRange(1.f, 32.f);
    d->Add(TYPE_FLOAT, "Decay Initial", field(offsetof(vector_display_settings, decay_initial)))
        ->SetRange(0.f, 1.f);
    d->Add(TYPE_FLOAT, "Decay Final", field(offsetof(vector_display_settings, decay_final)))
        ->SetRange(0.f, 1.f);
    static_assert(offsetof(vector_display_settings, thickness_max) ==
                      offsetof(vector_display_settings, thickness_min) + sizeof(float),
                  "the pair is two consecutive floats");
    d->Add(TYPE_VEC2, "Thickness Min|Max", field(offsetof(vector_display_settings, thickness_min)))
        ->SetRange(0.f, 10.f);
    d->Add(TYPE_FLOAT, "Thickness Factor", field(offsetof(vector_display_settings, thickness_factor)))
        ->SetRange(0.f, 2.f);
    d->Add(TYPE_FLOAT, "Color Intensity", field(offsetof(vector_display_settings, color_intensity)))
        ->SetRange(0.f, 2.f);
    d->Add(TYPE_FLOAT, "Color Brightness", field(offsetof(vector_display_settings, color_brightness)))
        ->SetRange(0.f, 2.f);
    static_assert(offsetof(vector_display_settings, fog_zmax) ==
                      offsetof(vector_display_settings, fog_zmin) + sizeof(float),
                  "the pair is two consecutive floats");
    d->Add(TYPE_VEC2, "Fog Zmin|Zmax", field(offsetof(vector_display_settings, fog_zmin)))
        ->SetRange(0.f, 1000.f);
    d->Add(TYPE_FLOAT, "Fog Power", field(offsetof(vector_display_settings, fog_power)))
        ->SetRange(1.f, 100.f);
    d->Add(TYPE_BOOL, "Triangle Culling", field(offsetof(vector_display_settings, triangle_culling)));
    d->Add(TYPE_SEPARATOR, "_Separator_", 0);
    d->Add(TYPE_ENUM, "Import Color", field(offsetof(vector_display_settings, import_color)))
        ->SetItems(s_apszImport, 2);
    d->Add(TYPE_ENUM, "Import Depth", field(offsetof(vector_display_settings, import_depth)))
        ->SetItems(s_apszImport, 2);
    d->Add(TYPE_ENUM, "Export Color", field(offsetof(vector_display_settings, export_color)))
        ->SetItems(s_apszExport, 4);
    d->Add(TYPE_ENUM, "Export Depth", field(offsetof(vector_display_settings, export_depth)))
        ->SetItems(s_apszImport, 2);
    d->Add(TYPE_SEPARATOR, "_Separator_", 0);
    const char* const* slots = fxBufferDisplay::s_apszDebugSlots;
    d->Add(TYPE_ENUM, "Debug Color", rvOffsetOf<fxVectorDisplay>(&fxVectorDisplay::_eDebugColor))
        ->SetItems(slots, 9);
    d->Add(TYPE_ENUM, "Debug Alpha", rvOffsetOf<fxVectorDisplay>(&fxVectorDisplay::_eDebugAlpha))
        ->SetItems(slots, 9);
    d->Add(TYPE_ENUM, "Debug Glow", rvOffsetOf<fxVectorDisplay>(&fxVectorDisplay::_eDebugGlow))
        ->SetItems(slots, 9);
    d->Add(TYPE_ENUM, "Debug Depth", rvOffsetOf<fxVectorDisplay>(&fxVectorDisplay::_eDebugDepth))
        ->SetItems(slots, 9);
    return d;
}
