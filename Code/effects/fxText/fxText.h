#pragma once
// Vector text: the text of "Text" (or of a ".txt" file read at Init) laid out as one scene node
// per glyph, from the stroke font "Simplex" or from a TrueType font drawn as outlines, dot rows or
// pixel runs, and revealed glyph by glyph from "StartChar" to "EndChar", the last glyph drawn
// along its strokes. The scene is the effect's vector scene, so other effects can take the text
// as a shape by instance name.
#include "Factory/fxBase.h"
#include "Font/rvTextParams.h"
#include "VectorScene/VectorScene.h"
#include "rvMath.h"

#include <glm/vec4.hpp>
#include <string>

class rvFont;

class fxText : public fxBase
{
public:
    explicit fxText(fxDescriptor* pDescriptor);
    ~fxText() override;

    void Init() override;
    void Render() override;

    // Rebuilds the glyph scene when the font, the text, "Size", "LOD Epsilon" or a TrueType mode
    // changed since the last build.
    void BuildGlyphScene();
    // Picks the stroke font or the TrueType font of "Font" and asks for a rebuild.
    void SelectFont();
    // The text to lay out: the file of "TextFile" when it can be read, else "Text".
    void TakeText();
    // "Color" times the fade factor, each channel kept inside 0..1.
    glm::vec4 FadedColor() const;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    VectorScene _VectorScene;
    rvTransform3D _Transform;
    glm::vec4 _vColor;
    float _fThickness;
    std::string _sFont;
    rvTextParams _Params;
    bool _bPrevOutline = true, _bPrevDot = false, _bPrevLines = false;
    float _fPrevSize = 0.f;
    float _fStartChar = 0.f;
    float _fEndChar = -1.f;
    float _fLODEpsilon = 0.1f;
    std::string _sTextFile;
    std::string _sText;
    bool _bRenderSimplex = false;
    rvFont* _pFont = nullptr;
    bool _bDirty = true;
    // The last "Font" that could not be used: named once on stderr, not every frame that tries it.
    std::string _sUnusableFont;
    // Whether _Params._sText came from "TextFile" (then "Text" is not followed).
    bool _bTextFromFile = false;
};
