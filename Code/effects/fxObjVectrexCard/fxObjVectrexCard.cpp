#include "effects/fxObjVectrexCard/fxObjVectrexCard.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "effects/fxObjVectrex/fxObjVectrex.h"
#include "rvAssert.h"
#include "rvMessage.h"
#include "rvSceneDisplay.h"

namespace
{
const char* const s_pszCardImage = "Data/img/ZQ4-EpromCart.png";

// The front outline at z = 50, then the same outline at z = -50.
const float s_aCardVertices[16][3] = {
    {-200, -500, 50}, {-200, 0, 50},  {-300, 100, 50},  {-300, 500, 50},  {300, 500, 50},  {300, 100, 50},
    {300, 0, 50},     {300, -500, 50}, {-200, -500, -50}, {-200, 0, -50}, {-300, 100, -50}, {-300, 500, -50},
    {300, 500, -50},  {300, 100, -50}, {300, 0, -50},     {300, -500, -50},
};

// Sides, front, back.
const unsigned s_aCardQuads[14][4] = {
    {0, 1, 9, 8},   {1, 2, 10, 9},  {2, 3, 11, 10}, {3, 4, 12, 11},  {4, 5, 13, 12},
    {5, 6, 14, 13}, {6, 7, 15, 14}, {15, 7, 0, 8},  {6, 1, 0, 7},    {5, 2, 1, 6},
    {4, 3, 2, 5},   {9, 14, 15, 8}, {10, 13, 14, 9}, {10, 11, 12, 13},
};

// (u, v) bytes of each outline vertex, v from the top of the picture; the back repeats them.
const int s_aCardUV[8][2] = {{32, 248}, {32, 140}, {5, 116}, {5, 5}, {232, 5}, {232, 116}, {232, 140}, {232, 248}};
} // namespace

fxObjVectrexCard::fxObjVectrexCard(fxDescriptor* pDescriptor) : fxBase(pDescriptor)
{
    _Transform._vScale = glm::vec3(0.01f);
    _Transform.Update();
}

fxObjVectrexCard::~fxObjVectrexCard()
{
    _imgCard.Release();
}

void fxObjVectrexCard::Init()
{
    if (_bTextured)
    {
        _imgCard.LoadImage(s_pszCardImage, true);
        if (!_imgCard.IsImageLoaded())
            rvReport(rvMessageKind::Warning, "fxObjVectrexCard: cannot use \"%s\"; the card is drawn untextured",
                     s_pszCardImage);
    }
    fxObjVectrex::BuildPoints(s_aCardVertices, 16, _vColor, _fThickness, _aVertices, _aPoints);
}

void fxObjVectrexCard::Render()
{
    vector_display* pDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(pDisplay);
    if (_aPoints.size() != 16) return; // not initialised
    fxObjVectrex::PlacePoints(_Transform, _aVertices, _aPoints);
    const bool bTextured = _bTextured && _imgCard.IsImageLoaded();
    for (const unsigned* q : s_aCardQuads)
    {
        if (!bTextured)
        {
            vector_display_add_quad(pDisplay, &_aPoints[q[0]], &_aPoints[q[1]], &_aPoints[q[2]], &_aPoints[q[3]]);
            continue;
        }
        vector_display_point p[4];
        for (int k = 0; k < 4; ++k)
        {
            const int* uv = s_aCardUV[q[k] & 7];
            p[k] = fxObjVectrex::Mapped(_aPoints[q[k]], uv[0], 255 - uv[1], PTF_TRIANGLE_DISCARDLINE);
        }
        vector_display_add_mapped_quad(pDisplay, &p[0], &p[1], &p[2], &p[3], _imgCard._glTextureBuffer);
    }
}

fxDescriptor* fxObjVectrexCard::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxObjVectrexCard", &fxObjVectrexCard::Create);
    return s_pDescriptor;
}

fxBase* fxObjVectrexCard::Create(fxDescriptor* pDescriptor)
{
    return new fxObjVectrexCard(pDescriptor);
}

fxDescriptor* fxObjVectrexCard::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    typedef fxObjVectrexCard T;
    d->Add(TYPE_TRANSFORM_3D, "Transform", rvOffsetOf<T>(&T::_Transform));
    d->Add(TYPE_FLOAT, "Thickness", rvOffsetOf<T>(&T::_fThickness))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_COLOR3, "Color", rvOffsetOf<T>(&T::_vColor));
    d->Add(TYPE_BOOL, "Textured", rvOffsetOf<T>(&T::_bTextured));
    return d;
}
