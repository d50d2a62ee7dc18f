#include "effects/fxBasicScene/fxBasicScene.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Font/rvFontManager.h"
#include "Font/rvTextBuilder.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <cmath>

namespace
{
const float PI = 3.14159265f;
}

fxBasicScene::fxBasicScene(fxDescriptor* pDescriptor)
    : fxBase(pDescriptor), _fThicknessBlue(0.3f), _fThicknessGreen(0.3f), _fThicknessOrange(1.0f),
      _fThicknessPurple(1.0f), _fThicknessYellow(1.0f), _fThicknessWhite(0.3f), _pFont(nullptr)
{
    _Params._fSize = 20.0f;
    _Params._sText = TEXT;
    _Params._fScale = 1.0f;
    _Params._fDotSize = 0.1f;
    _Params._bRenderOutline = true;
    _Params._bRenderDot = false;
    _Params._bRenderLines = false;
    _Params._fFontScale = 1.0f;
}

fxBasicScene::~fxBasicScene()
{
    _VectorScene.Clear();
}

void fxBasicScene::Init()
{
    _VectorScene.Clear();
    _pFont = rvFontManager::GetInstance()->GetFont(FONT_FILE);
    _Params._fSize = 20.0f;
    _Params._sText = TEXT;
    const glm::vec4 white(1.0f);
    if (_pFont)
    {
        if (_pFont->_bSimplex)
            BuildTextSimplex(_Params, &_VectorScene, white);
        else
        {
            if (_Params._bRenderOutline) BuildTextOutline(_pFont, _Params, &_VectorScene, white);
            if (_Params._bRenderDot) BuildTextDots(_pFont, _Params, &_VectorScene, white);
            if (_Params._bRenderLines) BuildTextLines(_pFont, _Params, &_VectorScene, white);
        }
    }
    // The text's width follows "ThicknessWhite" without a rebuild.
    for (VectorSceneLine* pLine : _VectorScene._apLines)
        pLine->_pWidth = &_fThicknessWhite;
    for (VectorScene* pChild : _VectorScene._apChildren)
        pChild->SetWidthPointer(&_fThicknessWhite);
}

void fxBasicScene::AddPillar(const glm::vec3& c, const glm::vec3& h, float a) const
{
    const float ca = std::cos(a), sa = std::sin(a);
    const glm::vec3 corners[8] = {
        {c.x - h.x, c.y - h.y, c.z + h.z}, {c.x - h.x, c.y - h.y, c.z - h.z}, {c.x + h.x, c.y - h.y, c.z - h.z},
        {c.x + h.x, c.y - h.y, c.z + h.z}, {c.x - h.x, c.y + h.y, c.z + h.z}, {c.x - h.x, c.y + h.y, c.z - h.z},
        {c.x + h.x, c.y + h.y, c.z - h.z}, {c.x + h.x, c.y + h.y, c.z + h.z}};
    for (int i = 0; i < 8; ++i)
    {
        const glm::vec3& p = corners[i];
        vector_display_cube_points[i] = vector_display_point(p.x * ca - p.z * sa, p.y, p.x * sa + p.z * ca, 0.0f,
                                                             0.5f, 1.0f, 0, _fThicknessBlue);
    }
    vector_display_add_cube(rvSceneDisplay::_pCurrentDisplay);
}

void fxBasicScene::Render()
{
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);
    const float t = _fTime;

    // Pillars: a quarter turn every 2 seconds about the origin.
    const glm::vec3 h(5.0f, 30.0f, 5.0f);
    for (const glm::vec3& c : {glm::vec3(-20, 0, 0), glm::vec3(0, 0, 20), glm::vec3(0, 0, -20), glm::vec3(20, 0, 0)})
        AddPillar(c, h, t * PI / 4.0f);

    // Text: swings between -20 and 20 degrees, 40 units left of the origin.
    _Transform._fRotation = 20.0f * std::cos(PI * t);
    _Transform._vPosition.x = -40.0f;
    _VectorScene.CopyMatrix(_Transform, true);
    _VectorScene.Draw();

    // Floor.
    for (int i = 0; i < FLOOR_LINES; ++i)
    {
        const float z = 50.0f - 20.0f * float(i);
        const vector_display_point a(-100.0f, -40.0f, z, 0.5f, 0.5f, 0.0f, 0, _fThicknessYellow);
        const vector_display_point b(100.0f, -40.0f, z, 0.5f, 0.5f, 0.0f, 0, _fThicknessYellow);
        vector_display_add_line(_pCurrentDisplay, &a, &b);
    }

    // Dots.
    for (int i = 0; i < DOTS; ++i)
    {
        const float fi = float(i);
        const vector_display_point p(30.0f * std::cos(0.1234f * fi + t), 30.0f * std::sin(0.4321f * fi + t),
                                     (fi - 50.0f) * 30.0f / 50.0f, 1.0f, 0.5f, 0.0f, 0, _fThicknessOrange);
        vector_display_add_dot(_pCurrentDisplay, &p);
    }

    // Green group one: bars with a dot at each end.
    auto green = [&]() {
        if (_fThicknessGreen > 0.0f) _pCurrentDisplay->current_thickness = _fThicknessGreen;
        vector_display_set_rgb(_pCurrentDisplay, 0.0f, 1.0f, 0.0f);
    };
    auto strip = [&](float x, float y0, float y1, float z) {
        vector_display_strip_begin(_pCurrentDisplay, x, y0, z);
        vector_display_strip_to(_pCurrentDisplay, x, y1, z);
        vector_display_strip_end(_pCurrentDisplay);
    };
    auto dot = [&](float x, float y, float z) {
        vector_display_strip_begin(_pCurrentDisplay, x, y, z);
        vector_display_strip_end(_pCurrentDisplay);
    };
    green();
    for (int i = 0; i < GREEN_ROWS; ++i)
    {
        const float z = 40.0f - 4.0f * float(i);
        strip(-50.0f, 10.0f, -10.0f, z);
        dot(-50.0f, 11.0f, z);
        dot(-50.0f, -11.0f, z);
    }
    // Green group two: bars and a filled rectangle of three triangles.
    green();
    for (int i = 0; i < GREEN_ROWS; ++i)
    {
        const float z = 40.0f - 4.0f * float(i);
        strip(50.0f, 10.0f, -10.0f, z);
        const glm::vec3 tri[3][3] = {{{51, -10, z}, {60, 0, z}, {51, 10, z}},
                                     {{60, -10, z}, {60, 0, z}, {51, -10, z}},
                                     {{51, 10, z}, {60, 0, z}, {60, 10, z}}};
        for (const auto& v : tri)
            vector_display_add_triangle(_pCurrentDisplay, &v[0], &v[1], &v[2]);
    }

    // Ceiling.
    if (_fThicknessPurple > 0.0f) _pCurrentDisplay->current_thickness = _fThicknessPurple;
    vector_display_set_rgb(_pCurrentDisplay, 1.0f, 0.0f, 1.0f);
    const glm::vec3 ceiling[2][3] = {{{70, 40, 20}, {-70, 40, 20}, {-70, 40, -500}},
                                     {{70, 40, 20}, {-70, 40, -500}, {70, 40, -500}}};
    for (const auto& v : ceiling)
        vector_display_add_triangle(_pCurrentDisplay, &v[0], &v[1], &v[2]);
}

fxDescriptor* fxBasicScene::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxBasicScene", &fxBasicScene::Create);
    return s_pDescriptor;
}

fxBase* fxBasicScene::Create(fxDescriptor* pDescriptor)
{
    return new fxBasicScene(pDescriptor);
}

fxDescriptor* fxBasicScene::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    using S = fxBasicScene;
    d->Add(TYPE_TRANSFORM_2D, "Transform", rvOffsetOf<S>(&S::_Transform));
    d->Add(TYPE_FLOAT, "ThicknessBlue", rvOffsetOf<S>(&S::_fThicknessBlue))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_FLOAT, "ThicknessGreen", rvOffsetOf<S>(&S::_fThicknessGreen))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_FLOAT, "ThicknessOrange", rvOffsetOf<S>(&S::_fThicknessOrange))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_FLOAT, "ThicknessPurple", rvOffsetOf<S>(&S::_fThicknessPurple))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_FLOAT, "ThicknessYellow", rvOffsetOf<S>(&S::_fThicknessYellow))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_FLOAT, "ThicknessWhite", rvOffsetOf<S>(&S::_fThicknessWhite))->SetRange(0.0f, 2.0f);
    return d;
}
