#include "effects/nanoSVGScene/nanoSVGScene.h"

#include "Display/rvBufferDisplay.h"
#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvEditorHook.h"
#include "rvAssert.h"
#include "rvMessage.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <vector>

bool nanoSVGScene::_bProcessSettingsDone = false;

nanoSVGScene::nanoSVGScene(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

nanoSVGScene::~nanoSVGScene() = default;

void nanoSVGScene::Init()
{
    _OccludingShader.Prepare(); // compiled in the loading pass, not by the first frame
    _SVG.Release();
    _SVG.Load(_sFile.c_str());
    _bGearOverflowReported = false;
    _Transform._vScale.x = 0.06f;
    _Transform._vScale.y = 0.06f;
    if (_bAutoTransform) _Transform._vPivot = glm::vec3(_SVG._vPivot.x, _SVG._vPivot.y, 0.f);
}

void nanoSVGScene::Kill()
{
    if (_nRenderingMode == 0) _SVG.Release();
}

void nanoSVGScene::UpdateMatrix(rvTransform3D& transform) const
{
    if (_SVG._bHasCache)
        transform.UpdateRotateThenScale();
    else
        transform.Update();
}

void nanoSVGScene::ApplyGearSettings()
{
    const int nParts = int(_SVG._apParts.size());
    for (int i = 0; i < _nGears && i < nParts && i < GEARS_MAX; ++i)
    {
        nanoSVGGear& gear = _aGears[i];
        nanoSVGPart* part = _SVG._apParts[size_t(i)];
        if (gear._sName.empty()) gear._sName = part->_sName;
        part->_bHighlight = gear._bHighlight;
        part->_fSpeed = gear._fSpeed;
        part->_vColor = glm::vec3(gear._r, gear._g, gear._b);
    }
    // "Gears" holds GEARS_MAX elements: the parts beyond them keep their own settings.
    if (nParts > GEARS_MAX && !_bGearOverflowReported)
    {
        rvReport(rvMessageKind::Warning, "%s: %d gears, only the first %d follow \"Gears\"", _sFile.c_str(), nParts,
                 GEARS_MAX);
        _bGearOverflowReported = true;
    }
    _nGears = std::min(nParts, GEARS_MAX);
}

void nanoSVGScene::UpdateParts()
{
    for (nanoSVGPart* part : _SVG._apParts)
    {
        _PartTransform._vRotation = _Transform._vRotation;
        _PartTransform._vScale = _Transform._vScale;
        _PartTransform._vPosition = _Transform._vPosition;
        _PartTransform._vPivot = _Transform._vPivot;
        UpdateMatrix(_PartTransform);
        part->_vAngles.z += part->_fSpeed;
        part->UpdateTransform(_PartTransform, _fDeltaTime);
    }
}

void nanoSVGScene::DrawOccluders()
{
    _OccludingShader.Use();
    for (const nanoSVGObject* object : _SVG._apObjects)
    {
        if (!object->_bCache || !object->_bVisible || !object->_nVertexArray) continue;
        glBindVertexArray(object->_nVertexArray);
        glDrawElements(GL_TRIANGLES, object->_nIndexCount, object->_eIndexType, nullptr);
        glBindVertexArray(0);
    }
    _OccludingShader.Unuse();
}

template <class Filter> void nanoSVGScene::DrawObjects(const glm::vec4& color, Filter keep)
{
    std::vector<bool> abVisible(_SVG._apObjects.size());
    for (size_t i = 0; i < _SVG._apObjects.size(); ++i)
    {
        nanoSVGObject* object = _SVG._apObjects[i];
        abVisible[i] = object->_bVisible;
        object->_bVisible = object->_bVisible && keep(*object);
    }
    _SVG.Draw(color);
    for (size_t i = 0; i < _SVG._apObjects.size(); ++i)
        _SVG._apObjects[i]->_bVisible = abVisible[i];
}

void nanoSVGScene::Render()
{
    // Faded, and kept inside 0..1 for the display's colour check.
    const glm::vec4 c = glm::clamp(_vColor * GetFade(), glm::vec4(0.f), glm::vec4(1.f));
    // The "SVG Loader" window (nanoSVGSceneEditor.cpp): statistics and the occlusion switches.
    if (_bDebug) rvEditorHook<&nanoSVGScene::Render>::Call(*this);
    ApplyGearSettings();
    UpdateMatrix(_Transform);

    rvBufferDisplay* pBuffer = rvSceneDisplay::_pCurrentBuffer;
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    if (!_bProcessSettingsDone && pBuffer && _pCurrentDisplay)
    {
        // The wide view starts with the next frame: changing the camera now would draw whatever
        // this frame already holds at another scale.
        pBuffer->SetFovFromNextFrame(2.2f);
        _pCurrentDisplay->current_thickness = 0.215f;
        _bProcessSettingsDone = true;
    }
    if (_nRenderingMode != 0) return;
    rvAssert(_pCurrentDisplay);
    rvAssert(pBuffer);

    _SVG._mFitMatrix = _Transform._mMatrix;
    UpdateParts();

    if (_bShowOccluders)
    {
        pBuffer->UpdateMatrices(_Transform._mMatrix);
        DrawOccluders();
        pBuffer->UpdateMatrices(glm::mat4(1.f));
    }

    unsigned nFramebuffer = vector_display_begin_frame(_pCurrentDisplay, true);
    if (_bOcclusion)
    {
        rvSceneDisplay::SetupOccluderStencil();
        const glm::vec3 vScale = _Transform._vScale;
        _Transform._vScale *= _fOccluderScale;
        UpdateMatrix(_Transform);
        pBuffer->UpdateMatrices(_Transform._mMatrix);
        _Transform._vScale = vScale;
        UpdateMatrix(_Transform);
        DrawOccluders();
        pBuffer->UpdateMatrices(glm::mat4(1.f));
        glStencilFunc(GL_EQUAL, _bReverseStencil ? 1 : 2, 255);
        glStencilMask(0);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDepthMask(GL_TRUE);
    }
    else
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBindFramebuffer(GL_FRAMEBUFFER, nFramebuffer);

    if (_bShowGears) DrawObjects(c, [](const nanoSVGObject& o) { return o._bEng; });

    if (_bOcclusion)
    {
        // The gears are drawn now, under the stencil test; what follows is drawn without it.
        vector_display_draw(_pCurrentDisplay, nullptr, false);
        glStencilMask(255);
        glStencilFunc(GL_ALWAYS, 1, 255);
        glDisable(GL_STENCIL_TEST);
        glEnable(GL_DEPTH_TEST);
        // The gears stay in the display's target: only its depth is cleared.
        nFramebuffer = vector_display_begin_frame(_pCurrentDisplay, false);
        glClear(GL_DEPTH_BUFFER_BIT);
        glBindFramebuffer(GL_FRAMEBUFFER, nFramebuffer);
    }

    if (_bShowOthers) DrawObjects(c, [](const nanoSVGObject& o) { return !o._bEng && !o._bCache; });
    vector_display_draw(_pCurrentDisplay, nullptr, false);
}

fxDescriptor* nanoSVGScene::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "nanoSVGScene", &nanoSVGScene::Create);
    return s_pDescriptor;
}

fxBase* nanoSVGScene::Create(fxDescriptor* pDescriptor)
{
    return new nanoSVGScene(pDescriptor);
}

fxDescriptor* nanoSVGScene::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    d->Add(TYPE_BOOL, "Auto Transform", rvOffsetOf<nanoSVGScene>(&nanoSVGScene::_bAutoTransform));
    d->Add(TYPE_INT, "Rendering Mode", rvOffsetOf<nanoSVGScene>(&nanoSVGScene::_nRenderingMode))->SetIntRange(0, 2);
    d->Add(TYPE_TRANSFORM_3D, "Transform", rvOffsetOf<nanoSVGScene>(&nanoSVGScene::_Transform));
    d->Add(TYPE_FILE, "SVG File", rvOffsetOf<nanoSVGScene>(&nanoSVGScene::_sFile))->_sFilter = ".svg";
    d->Add(TYPE_COLOR4, "Color", rvOffsetOf<nanoSVGScene>(&nanoSVGScene::_vColor));
    d->Add(TYPE_SEPARATOR, "_Separator_", 0);
    d->AddArray("Gears", TYPE_GEAR, int(sizeof(nanoSVGGear)), rvOffsetOf<nanoSVGScene>(&nanoSVGScene::_aGears),
                rvOffsetOf<nanoSVGScene>(&nanoSVGScene::_nGears), GEARS_MAX);
    return d;
}
