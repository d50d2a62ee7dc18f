#include "effects/fxSVG/fxSVG.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "svg/SvgParser.h"

#include <algorithm>
#include <cmath>
#include <cstring>

fxSVG::fxSVG(fxDescriptor* pDescriptor) : fxBase(pDescriptor)
{
    _VectorScene._pTransform = &_Transform;
    _pVectorScene = &_VectorScene;
    _pTransform = &_Transform;
}

fxSVG::~fxSVG() = default;

void fxSVG::AddCubicBezier(VectorSceneLine* pLine, float x1, float y1, float x2, float y2, float x3, float y3,
                           float x4, float y4, float fTolerance, int nLevel)
{
    if (nLevel > 12) return;
    const float x12 = (x1 + x2) * 0.5f, y12 = (y1 + y2) * 0.5f;
    const float x23 = (x2 + x3) * 0.5f, y23 = (y2 + y3) * 0.5f;
    const float x34 = (x3 + x4) * 0.5f, y34 = (y3 + y4) * 0.5f;
    const float x123 = (x12 + x23) * 0.5f, y123 = (y12 + y23) * 0.5f;
    const float x234 = (x23 + x34) * 0.5f, y234 = (y23 + y34) * 0.5f;
    const float x1234 = (x123 + x234) * 0.5f, y1234 = (y123 + y234) * 0.5f;
    const float dx = x4 - x1, dy = y4 - y1;
    const float dd = dx * dx + dy * dy;
    float t = (x1234 - x1) * dx + (y1234 - y1) * dy;
    if (dd != 0.f) t /= dd;
    t = std::min(std::max(t, 0.f), 1.f);
    const float ex = x1234 - (x1 + t * dx), ey = y1234 - (y1 + t * dy);
    const float e = ex * ex + ey * ey;
    // A curve with a point that is not a finite number (from a hostile file) adds nothing.
    if (!std::isfinite(e)) return;
    if (e > fTolerance * fTolerance)
    {
        AddCubicBezier(pLine, x1, y1, x12, y12, x123, y123, x1234, y1234, fTolerance, nLevel + 1);
        AddCubicBezier(pLine, x1234, y1234, x234, y234, x34, y34, x4, y4, fTolerance, nLevel + 1);
    }
    else
        pLine->AddPoint(x4, y4, 0.f);
}

float fxSVG::LODEpsilon() const
{
    return rvBoundFloat(this, "LOD Epsilon", _fLODEpsilon, 0.f, VectorScene::kMaxEpsilon, 0.f);
}

void fxSVG::Simplify()
{
    const float fEpsilon = LODEpsilon();
    for (VectorScene* pChild : _VectorScene._apChildren)
        pChild->Simplify(fEpsilon);
    for (VectorSceneLine* pLine : _VectorScene._apLines)
        pLine->Simplify(fEpsilon);
    _VectorScene._fEpsilon = fEpsilon;
}

void fxSVG::BuildScene(const SvgImage* pImage)
{
    const SvgPath* pPivot = nullptr;
    for (const SvgShape* pShape = pImage->_pShapes; pShape; pShape = pShape->_pNext)
    {
        VectorScene* pNode = _VectorScene.AddChild();
        for (const SvgPath* pPath = pShape->_pPaths; pPath; pPath = pPath->_pNext)
        {
            if (!pPivot && std::strncmp(pPath->_sId, "PIVOT", 5) == 0) pPivot = pPath;
            VectorSceneLine* pLine = pNode->AddLine();
            const float* p = pPath->_pPoints;
            pLine->AddPoint(p[0], p[1], 0.f);
            for (int i = 0; i < pPath->_nPoints - 1; i += 3)
                AddCubicBezier(pLine, p[i * 2], p[i * 2 + 1], p[i * 2 + 2], p[i * 2 + 3], p[i * 2 + 4], p[i * 2 + 5],
                               p[i * 2 + 6], p[i * 2 + 7], 1.f, 0);
            if (pPath->_bClosed) pLine->AddPoint(p[0], p[1], 0.f);
        }
    }
    if (_bAutoTransform)
    {
        _Transform._vPivot.x = pPivot ? pPivot->_pPoints[0] : pImage->_fWidth * 0.5f;
        _Transform._vPivot.y = pPivot ? pPivot->_pPoints[1] : pImage->_fHeight * 0.5f;
        const float fLonger = std::max(pImage->_fWidth, pImage->_fHeight);
        // A drawing without a size keeps the loaded scale.
        if (fLonger > 0.f)
        {
            const float s = 100.f / fLonger;
            _Transform._vScale = glm::vec3(s, s, 1.f);
        }
    }
    _VectorScene._pTransform = &_Transform;
    _VectorScene.SetTransform(&_Transform);
    Simplify();
}

void fxSVG::Init()
{
    _VectorScene.Clear();
    // Lengths in physical units are read at the reader's usual resolution: at 0 dots per inch
    // they would measure nothing and the drawing would scale to infinity.
    SvgImage* pImage = SvgParseFile(_sFile.c_str(), kDpi);
    if (!pImage) return;
    BuildScene(pImage);
    SvgDelete(pImage);
}

void fxSVG::Render()
{
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);
    const glm::vec4 c = _vColor * GetFade();
    for (VectorSceneLine* pLine : _VectorScene._apLines)
    {
        pLine->_vColor = c;
        pLine->_pColor = nullptr;
        pLine->_fWidth = _fThickness;
        pLine->_pWidth = nullptr;
    }
    for (VectorScene* pChild : _VectorScene._apChildren)
    {
        pChild->SetColor(c);
        pChild->SetWidth(_fThickness);
    }
    if (_bLODEnabled)
    {
        if (_VectorScene._fEpsilon != LODEpsilon()) Simplify();
        _VectorScene.DrawSimplified();
    }
    else
    {
        const rvTransform* pT = _VectorScene.GetTransform();
        for (VectorSceneLine* pLine : _VectorScene._apLines)
            pLine->Draw(pT);
        for (VectorScene* pChild : _VectorScene._apChildren)
            pChild->Draw();
    }
}

fxDescriptor* fxSVG::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor = new fxDescriptor(fxBase::GetDescriptor(), "fxSVG", &fxSVG::Create);
    return s_pDescriptor;
}

fxBase* fxSVG::Create(fxDescriptor* pDescriptor)
{
    return new fxSVG(pDescriptor);
}

fxDescriptor* fxSVG::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    d->Add(TYPE_TRANSFORM_3D, "Transform", rvOffsetOf<fxSVG>(&fxSVG::_Transform));
    d->Add(TYPE_COLOR4, "Color", rvOffsetOf<fxSVG>(&fxSVG::_vColor));
    d->Add(TYPE_FLOAT, "Thickness", rvOffsetOf<fxSVG>(&fxSVG::_fThickness))->SetRange(0.f, 2.f);
    d->Add(TYPE_FILE, "SVG", rvOffsetOf<fxSVG>(&fxSVG::_sFile))->_sFilter = ".svg";
    d->Add(TYPE_BOOL, "Auto Transform", rvOffsetOf<fxSVG>(&fxSVG::_bAutoTransform));
    d->Add(TYPE_BOOL, "LOD Enabled", rvOffsetOf<fxSVG>(&fxSVG::_bLODEnabled));
    d->Add(TYPE_FLOAT, "LOD Epsilon", rvOffsetOf<fxSVG>(&fxSVG::_fLODEpsilon))->SetRange(0.f, 1.f);
    return d;
}
