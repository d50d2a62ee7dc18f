#include "effects/fxText/fxText.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "Font/rvFont.h"
#include "Font/rvFontManager.h"
#include "Font/rvTextBuilder.h"
#include "Loader/rvLoader.h"
#include "rvAssert.h"
#include "rvMessage.h"
#include "rvSceneDisplay.h"

#include <algorithm>
#include <cstring>

fxText::fxText(fxDescriptor* pDescriptor)
    : fxBase(pDescriptor), _vColor(0.f, 0.5f, 1.f, 1.f), _fThickness(0.35f), _sFont("Data/Font/Rudovadov.ttf"),
      _sText("Hello World !\nWhat's up ?")
{
    _Params._fSize = 20.f;
    _Params._fScale = 1.f;
    _Params._fDotSize = 0.1f;
    _Params._bRenderOutline = true;
    _Params._bRenderDot = false;
    _Params._bRenderLines = false;
    _Params._fFontScale = 1.f;
    _VectorScene._pTransform = &_Transform;
    _pVectorScene = &_VectorScene;
    _pTransform = &_Transform;
}

fxText::~fxText()
{
    _VectorScene.Clear();
}

void fxText::SelectFont()
{
    rvFontManager* pFonts = rvFontManager::GetInstance();
    _pFont = _bRenderSimplex ? pFonts->GetDefaultFont() : pFonts->GetFont(_sFont);
    _bDirty = true;
    if (!_pFont && _sFont != _sUnusableFont)
    {
        _sUnusableFont = _sFont;
        rvReport(rvMessageKind::Warning,
                 "fxText: cannot use the font \"%s\" (missing, or not a TrueType font); "
                 "the text is not drawn",
                 _sFont.c_str());
    }
}

void fxText::TakeText()
{
    _bTextFromFile = false;
    int nSize = 0;
    uint8_t* pData = _sTextFile.empty() ? nullptr : rvDataPack::GetInstance()->ReadAll(_sTextFile, nSize, false);
    if (pData && size_t(nSize) > rvDataPack::kMaxTextBytes)
    {
        // Every character becomes a glyph scene: a text of megabytes would take gigabytes.
        rvReport(rvMessageKind::Warning, "fxText: \"%s\" is larger than %u bytes; \"Text\" is shown instead",
                 _sTextFile.c_str(), unsigned(rvDataPack::kMaxTextBytes));
        delete[] pData;
        pData = nullptr;
    }
    if (pData)
    {
        // The file's bytes up to the first zero byte, if any; "Text" keeps its own value so that
        // saving the effect does not lose it.
        const char* p = reinterpret_cast<const char*>(pData);
        const size_t n = size_t(std::max(nSize, 0));
        _Params._sText.assign(p, std::find(p, p + n, '\0'));
        delete[] pData;
        _bTextFromFile = true;
    }
    else
        _Params._sText = _sText;
    _bDirty = true;
}

void fxText::Init()
{
    SelectFont();
    TakeText();
    BuildGlyphScene();
}

void fxText::BuildGlyphScene()
{
    const float fEpsilon = rvBoundFloat(this, "LOD Epsilon", _fLODEpsilon, 0.f, VectorScene::kMaxEpsilon, 0.f);
    if (!_bDirty && _Params._bRenderOutline == _bPrevOutline && _Params._bRenderDot == _bPrevDot &&
        _Params._bRenderLines == _bPrevLines && _Params._fSize == _fPrevSize && fEpsilon == _VectorScene._fEpsilon)
        return;
    _VectorScene.Clear();
    if (_pFont)
    {
        if (_pFont->_bSimplex)
            BuildTextSimplex(_Params, &_VectorScene, _vColor);
        else
        {
            if (_Params._bRenderOutline) BuildTextOutline(_pFont, _Params, &_VectorScene, _vColor);
            if (_Params._bRenderDot) BuildTextDots(_pFont, _Params, &_VectorScene, _vColor);
            if (_Params._bRenderLines) BuildTextLines(_pFont, _Params, &_VectorScene, _vColor);
        }
        _VectorScene._pTransform = &_Transform;
        _VectorScene.SetTransform(&_Transform);
        _VectorScene.SetWidthPointer(&_fThickness);
        for (VectorScene* pGlyph : _VectorScene._apChildren)
            pGlyph->Simplify(fEpsilon);
        for (VectorSceneLine* pLine : _VectorScene._apLines)
            pLine->Simplify(fEpsilon);
        _VectorScene._fEpsilon = fEpsilon;
    }
    _bPrevOutline = _Params._bRenderOutline;
    _bPrevDot = _Params._bRenderDot;
    _bPrevLines = _Params._bRenderLines;
    _fPrevSize = _Params._fSize;
    _bDirty = false;
}

glm::vec4 fxText::FadedColor() const
{
    return _vColor * GetFade();
}

void fxText::Render()
{
    if (!_pFont || _pFont->_bSimplex != _bRenderSimplex || (!_bRenderSimplex && _pFont->_sFile != _sFont))
        SelectFont();
    if (_Params._fSize <= 0.f || !_pFont) return;
    // The content is compared, not only its length, so that any edit of "Text" shows.
    if (!_bTextFromFile && _sText != _Params._sText)
    {
        _Params._sText = _sText;
        _bDirty = true;
    }
    BuildGlyphScene();

    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);
    const glm::vec4 color = FadedColor();
    const float fEnd = _fEndChar < 0.f ? float(_VectorScene._apChildren.size()) : _fEndChar;
    for (VectorSceneLine* pLine : _VectorScene._apLines)
    {
        pLine->_vColor = color;
        pLine->_pColor = nullptr;
    }
    for (VectorScene* pGlyph : _VectorScene._apChildren)
        pGlyph->SetColor(color);
    _VectorScene.DrawFraction(_fStartChar, fEnd);
}

fxDescriptor* fxText::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor = new fxDescriptor(fxBase::GetDescriptor(), "fxText", &fxText::Create);
    return s_pDescriptor;
}

fxBase* fxText::Create(fxDescriptor* pDescriptor)
{
    return new fxText(pDescriptor);
}

fxDescriptor* fxText::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    const int nParams = rvOffsetOf<fxText>(&fxText::_Params);
    auto param = [nParams](auto member) { return nParams + rvOffsetOf<rvTextParams, rvTextParams>(member); };
    d->Add(TYPE_FILE, "Font", rvOffsetOf<fxText>(&fxText::_sFont))->_sFilter = ".ttf";
    d->Add(TYPE_STRING, "Text", rvOffsetOf<fxText>(&fxText::_sText))->_bMultiline = true;
    d->Add(TYPE_FILE, "TextFile", rvOffsetOf<fxText>(&fxText::_sTextFile))->_sFilter = ".txt";
    d->Add(TYPE_TRANSFORM_3D, "Transform", rvOffsetOf<fxText>(&fxText::_Transform));
    d->Add(TYPE_FLOAT, "StartChar", rvOffsetOf<fxText>(&fxText::_fStartChar))->SetRange(0.f, 40.f);
    d->Add(TYPE_FLOAT, "EndChar", rvOffsetOf<fxText>(&fxText::_fEndChar))->SetRange(0.f, 40.f);
    d->Add(TYPE_FLOAT, "LOD Epsilon", rvOffsetOf<fxText>(&fxText::_fLODEpsilon))->SetRange(0.f, 1.f);
    d->Add(TYPE_FLOAT, "Size", param(&rvTextParams::_fSize))->SetRange(0.f, 40.f);
    d->Add(TYPE_FLOAT, "Scale", param(&rvTextParams::_fScale))->SetRange(0.05f, 3.f);
    d->Add(TYPE_FLOAT, "Dot Size", param(&rvTextParams::_fDotSize))->SetRange(0.f, 1.f);
    d->Add(TYPE_FLOAT, "Thickness", rvOffsetOf<fxText>(&fxText::_fThickness))->SetRange(0.f, 1.5f);
    d->Add(TYPE_COLOR4, "Color", rvOffsetOf<fxText>(&fxText::_vColor));
    d->Add(TYPE_BOOL, "Render Dot", param(&rvTextParams::_bRenderDot));
    d->Add(TYPE_BOOL, "Render Outline", param(&rvTextParams::_bRenderOutline));
    d->Add(TYPE_BOOL, "Render Lines", param(&rvTextParams::_bRenderLines));
    d->Add(TYPE_BOOL, "Render Simplex", rvOffsetOf<fxText>(&fxText::_bRenderSimplex));
    return d;
}
