#include "effects/fxObjVectrex/fxObjVectrex.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "effects/fxBufferDisplay/fxBufferDisplay.h"
#include "rvAssert.h"
#include "rvMessage.h"
#include "rvSceneDisplay.h"
#include "rvShaderProgram.h"

#include <algorithm>
#include <cmath>

namespace
{
const char* const s_pszUnitImage = "Data/img/ZQ4-Unit.png";

// Vertices 0 to 9: body; 10 to 17: base; 18 to 25: the block between them; 26 to 29: the screen,
// 10 units in front of the body's front face.
const float s_aUnitVertices[30][3] = {
    {-500, 200, -500}, {500, 200, -500},  {500, 1200, -500}, {-500, 1200, -500}, {-500, 1200, 200},
    {500, 1200, 200},  {-500, 900, 500},  {500, 900, 500},   {-500, 200, 500},   {500, 200, 500},
    {-500, 0, -500},   {500, 0, -500},    {500, 150, -500},  {-500, 150, -500},  {-500, 0, 500},
    {500, 0, 500},     {500, 150, 500},   {-500, 150, 500},  {-400, 100, -400},  {400, 100, -400},
    {400, 300, -400},  {-400, 300, -400}, {-400, 100, 400},  {400, 100, 400},    {400, 300, 400},
    {-400, 300, 400},  {-400, 330, -510}, {400, 330, -510},  {400, 1130, -510},  {-400, 1130, -510},
};

// Polygons as runs: a count, then that many vertex indices; a count of 0 ends the table. The
// fronts of the body (0, 1, 2, 3) and of the base (10, 11, 12, 13) are drawn by Render.
const unsigned s_aUnitFaces[] = {5, 1,  2,  5,  7,  9,  4, 3,  4,  5,  2,  4, 5,  4,  6,  7,  4, 9,  7,  6,
                                 8, 5,  0,  8,  6,  4,  3, 4,  0,  1,  9,  8, 4,  11, 12, 16, 15, 4, 13, 17,
                                 16, 12, 4, 15, 16, 17, 14, 4, 14, 17, 13, 10, 4, 14, 10, 11, 15, 4, 18, 21,
                                 20, 19, 4, 19, 20, 24, 23, 4, 23, 24, 25, 22, 4, 22, 25, 21, 18, 0};

int ToByte(float a)
{
    if (!std::isfinite(a)) return 0;
    return int(std::clamp(a, 0.0f, 1.0f) * 255.0f);
}
} // namespace

fxObjVectrex::fxObjVectrex(fxDescriptor* pDescriptor) : fxBase(pDescriptor)
{
    _Transform._vScale = glm::vec3(0.01f);
    _Transform.Update();
}

fxObjVectrex::~fxObjVectrex() = default;

rvTexColorProgram2D& fxObjVectrex::Picture()
{
    static rvTexColorProgram2D* s_pPicture = new rvTexColorProgram2D();
    return *s_pPicture;
}

void fxObjVectrex::BuildPoints(const float (*pVertices)[3], int nCount, const glm::vec3& vColor, float fThickness,
                               std::vector<glm::vec4>& aVertices, std::vector<vector_display_point>& aPoints)
{
    aVertices.resize(size_t(nCount));
    aPoints.resize(size_t(nCount));
    for (int i = 0; i < nCount; ++i)
    {
        aVertices[size_t(i)] = glm::vec4(pVertices[i][0], pVertices[i][1], pVertices[i][2], 1.0f);
        aPoints[size_t(i)] = vector_display_point(pVertices[i][0], pVertices[i][1], pVertices[i][2], vColor.r,
                                                  vColor.g, vColor.b, 0, fThickness);
    }
}

void fxObjVectrex::PlacePoints(rvTransform3D& transform, const std::vector<glm::vec4>& aVertices,
                               std::vector<vector_display_point>& aPoints)
{
    transform.Update();
    for (size_t i = 0; i < aVertices.size() && i < aPoints.size(); ++i)
    {
        const glm::vec4 p = transform._mMatrix * aVertices[i];
        aPoints[i].x = p.x;
        aPoints[i].y = p.y;
        aPoints[i].z = p.z;
    }
}

vector_display_point fxObjVectrex::Mapped(vector_display_point p, int u, int v, int nExtraFlags)
{
    const unsigned flags = unsigned(p.flags) | unsigned(PTF_TEXTURE_MAPPING | nExtraFlags) |
                           (unsigned(u & 255) << 24) | (unsigned(v & 255) << 16);
    p.flags = int(flags);
    return p;
}

void fxObjVectrex::MapQuad(vector_display* pDisplay, int a, int b, int c, int d, const UVRECT& uv, unsigned texture,
                           int nExtraFlags) const
{
    const int uA = uv[0], vA = uv[1], uB = uv[2], vB = uv[3];
    const int uL = _bMirrorU ? uB : uA, uR = _bMirrorU ? uA : uB; // u of b and c, of a and d
    const int vLow = _bMirrorV ? vA : vB, vHigh = _bMirrorV ? vB : vA; // v of a and b, of c and d
    const vector_display_point pa = Mapped(_aPoints[size_t(a)], uR, vLow, nExtraFlags);
    const vector_display_point pb = Mapped(_aPoints[size_t(b)], uL, vLow, nExtraFlags);
    const vector_display_point pc = Mapped(_aPoints[size_t(c)], uL, vHigh, nExtraFlags);
    const vector_display_point pd = Mapped(_aPoints[size_t(d)], uR, vHigh, nExtraFlags);
    vector_display_add_mapped_quad(pDisplay, &pa, &pd, &pc, &pb, texture);
}

void fxObjVectrex::Init()
{
    rvTexColorProgram2D& picture = Picture();
    if (_bTextured && !picture.IsImageLoaded())
    {
        picture.LoadImage(s_pszUnitImage, true);
        if (!picture.IsImageLoaded())
            rvReport(rvMessageKind::Warning, "fxObjVectrex: cannot use \"%s\"; the console is drawn untextured",
                     s_pszUnitImage);
    }
    BuildPoints(s_aUnitVertices, 30, _vColor, _fThickness, _aVertices, _aPoints);
    _uvScreen[0] = uint8_t(ToByte(_vScreenUVi.x));
    _uvScreen[1] = uint8_t(255 - ToByte(_vScreenUVi.y));
    _uvScreen[2] = uint8_t(ToByte(_vScreenUVf.x));
    _uvScreen[3] = uint8_t(255 - ToByte(_vScreenUVf.y));
    _pScreenFx = fxBufferDisplay::FindNamed(this, _sScreenFxBuffer);
    if (!_pScreenFx && !_sScreenFxBuffer.empty() && _pSequence)
        ReportNoEffectNamed("ScreenFxBuffer", _sScreenFxBuffer, "fxBufferDisplay");
}

void fxObjVectrex::Render()
{
    vector_display* pDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(pDisplay);
    if (_aPoints.size() != 30) return; // not initialised
    PlacePoints(_Transform, _aVertices, _aPoints);
    for (const unsigned* pFace = s_aUnitFaces; *pFace; pFace += *pFace + 1)
        vector_display_add_fan(pDisplay, _aPoints.data(), pFace + 1, *pFace);

    // Looked up each frame, so that a buffer effect removed from the timeline is never reached.
    _pScreenFx = fxBufferDisplay::FindNamed(this, _sScreenFxBuffer);
    const bool bLive = _pScreenFx && _pScreenFx->_eState == State_EffectStarted;
    const unsigned screenTexture = bLive ? _pScreenFx->_Buffer._glColorTexture : 0;
    // Without its picture the console is drawn as when untextured.
    const bool bTextured = _bTextured && Picture().IsImageLoaded();
    if (bTextured)
    {
        MapQuad(pDisplay, 0, 1, 2, 3, _uvFront, Picture()._glTextureBuffer, 0);
        if (bLive) MapQuad(pDisplay, 26, 27, 28, 29, _uvScreen, screenTexture, PTF_TRIANGLE_DISCARDLINE);
        MapQuad(pDisplay, 10, 11, 12, 13, _uvBase, Picture()._glTextureBuffer, 0);
        return;
    }
    if (bLive)
        MapQuad(pDisplay, 0, 1, 2, 3, _uvScreen, screenTexture, 0);
    else
        vector_display_add_quad(pDisplay, &_aPoints[0], &_aPoints[3], &_aPoints[2], &_aPoints[1]);
    vector_display_add_quad(pDisplay, &_aPoints[10], &_aPoints[13], &_aPoints[12], &_aPoints[11]);
}

fxDescriptor* fxObjVectrex::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxObjVectrex", &fxObjVectrex::Create);
    return s_pDescriptor;
}

fxBase* fxObjVectrex::Create(fxDescriptor* pDescriptor)
{
    return new fxObjVectrex(pDescriptor);
}

fxDescriptor* fxObjVectrex::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    typedef fxObjVectrex T;
    d->Add(TYPE_TRANSFORM_3D, "Transform", rvOffsetOf<T>(&T::_Transform));
    d->Add(TYPE_FLOAT, "Thickness", rvOffsetOf<T>(&T::_fThickness))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_COLOR3, "Color", rvOffsetOf<T>(&T::_vColor));
    d->Add(TYPE_BOOL, "Textured", rvOffsetOf<T>(&T::_bTextured));
    d->Add(TYPE_SEPARATOR, "_Separator_", 0);
    d->Add(TYPE_STRING, "ScreenFxBuffer", rvOffsetOf<T>(&T::_sScreenFxBuffer));
    d->Add(TYPE_VEC2, "ScreenUVi", rvOffsetOf<T>(&T::_vScreenUVi))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_VEC2, "ScreenUVf", rvOffsetOf<T>(&T::_vScreenUVf))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_BOOL, "MirrorU", rvOffsetOf<T>(&T::_bMirrorU));
    d->Add(TYPE_BOOL, "MirrorV", rvOffsetOf<T>(&T::_bMirrorV));
    return d;
}
