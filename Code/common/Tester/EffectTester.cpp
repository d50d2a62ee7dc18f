#include "Tester/EffectTester.h"

#include "Factory/AttribDesc.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/Factory.h"
#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"
#include "FileBrowser/rvFileBrowser.h"
#include "Sequencer/rvSequence.h"
#include "rvMessage.h"

#include <algorithm>
#include <cmath>
#include <imgui.h>

namespace
{
int RegisteredCount()
{
    return Factory::_pInstance ? Factory::_pInstance->GetCount() : 0;
}

void Tooltip(const char* szText)
{
    if (ImGui::IsItemHovered()) ImGui::SetTooltip("%s", szText);
}

// A key-frame driver of the effect has a key exactly at that time.
bool HasKeyAt(fxBase* pEffect, float fTime)
{
    for (NoneDriver* pDriver : pEffect->_apAttribDrivers)
    {
        const KeyFrameDriver* pKeys = dynamic_cast<const KeyFrameDriver*>(pDriver);
        if (pKeys && pDriver->_eType == NoneDriver::DRIVER_KEYFRAME && pKeys->GetKeyIndex(fTime) >= 0)
            return true;
    }
    return false;
}
} // namespace

EffectTester::EffectTester() : rvpersist("EffectTester")
{
    AddInt("_nDescriptorSelected", &_nDescriptorSelected);
    LoadFile();
    // A stored index beyond the last class opens the last one; a negative one the first.
    _nDescriptorSelected = std::min(_nDescriptorSelected, RegisteredCount() - 1);
    if (_nDescriptorSelected < 0 && RegisteredCount() > 0) _nDescriptorSelected = 0;
    CreateSelected();
}

EffectTester::~EffectTester()
{
    DeleteEffect();
    delete _pLoadBrowser;
    delete _pSaveBrowser;
}

float EffectTester::Snap(float fTime)
{
    return float(std::round(double(fTime) * 60.0) / 60.0);
}

void EffectTester::DeleteEffect()
{
    if (!_pEffect) return;
    _pEffect->SetState(State_DemoStoped);
    delete _pEffect;
    _pEffect = nullptr;
}

void EffectTester::CreateSelected()
{
    if (_nDescriptorSelected < 0 || _nDescriptorSelected >= RegisteredCount()) return;
    // Classes not part of the program keep their row without a create function: no effect.
    _pEffect = Factory::_pInstance->CreateEffect(_nDescriptorSelected);
    if (_pEffect) _pEffect->SetState(State_EffectStarted);
}

void EffectTester::DrawWindow(float dt)
{
    // Held keys and held repeat buttons step once per frame after the usual delay.
    ImGui::GetIO().KeyRepeatRate = 1.0f / 60.0f;
    bool bOpen = true; // the close button has no lasting effect
    ImGui::Begin("Effect Tester", &bOpen, 0);
    const bool bFocused = ImGui::IsWindowFocused();
    DrawPresetButtons();
    ImGui::Separator();
    DrawTypeCombo();
    if (_pEffect) DrawTransport(dt, bFocused);
    ImGui::End();
}

void EffectTester::DrawPresetButtons()
{
    if (ImGui::Button("Load FX"))
    {
        delete _pLoadBrowser;
        _pLoadBrowser = new rvFileBrowser("Load Effect", ".fx", _sPath);
    }
    if (_pLoadBrowser)
    {
        std::string sChosen;
        if (_pLoadBrowser->Draw(sChosen))
        {
            delete _pLoadBrowser;
            _pLoadBrowser = nullptr;
            if (!sChosen.empty()) LoadEffect(sChosen);
        }
    }
    ImGui::SameLine();
    const bool bSave = ImGui::Button("Save FX");
    if (!_sFileError.empty()) ImGui::TextColored(ImVec4(1.0f, 0.4f, 0.4f, 1.0f), "%s", _sFileError.c_str());
    if (bSave && _pEffect)
    {
        delete _pSaveBrowser;
        _pSaveBrowser = new rvFileBrowser("Save Effect", ".fx", _sPath);
    }
    if (_pSaveBrowser)
    {
        std::string sChosen;
        if (_pSaveBrowser->Draw(sChosen))
        {
            delete _pSaveBrowser;
            _pSaveBrowser = nullptr;
            // There may be no effect (a class that could not be created).
            if (!sChosen.empty() && _pEffect) SaveEffect(sChosen);
        }
    }
}

bool EffectTester::SaveEffect(const std::string& sPath)
{
    // A failed save leaves the old file as it was (temporary file, then rename) and says so.
    if (!_pEffect || !Factory::SavePreset(_pEffect, sPath))
    {
        _sFileError = "Save failed, file unchanged: \"" + sPath + "\"";
        return false;
    }
    _sPath = sPath;
    _sFileError.clear();
    return true;
}

bool EffectTester::LoadEffect(const std::string& sPath)
{
    // Loaded first: the tested effect is replaced only by one that exists.
    fxBase* pLoaded = Factory::LoadPreset(sPath);
    if (!pLoaded)
    {
        _sFileError = "Could not load \"" + sPath + "\"; the current effect is kept.";
        rvReport(rvMessageKind::Error, "effect preset \"%s\" could not be loaded; the tested effect is kept",
                 sPath.c_str());
        return false;
    }
    DeleteEffect();
    _pEffect = pLoaded;
    _sFileError.clear();
    _sPath = sPath;
    _pEffect->SetState(State_EffectStarted);
    _nDescriptorSelected = _pEffect->_pDescriptor->_nId; // shown, not stored
    return true;
}

void EffectTester::DrawTypeCombo()
{
    Factory* pFactory = Factory::_pInstance;
    const int nCount = RegisteredCount();
    const fxDescriptor* pCurrent = (_nDescriptorSelected >= 0 && _nDescriptorSelected < nCount)
                                       ? pFactory->GetDescriptor(_nDescriptorSelected)
                                       : nullptr;
    int nPicked = -1;
    if (ImGui::BeginCombo("Type", pCurrent ? pCurrent->_sClassName.c_str() : ""))
    {
        for (int i = 0; i < nCount; ++i)
        {
            const fxDescriptor* pDescriptor = pFactory->GetDescriptor(i);
            const bool bSelected = i == _nDescriptorSelected;
            if (ImGui::Selectable(pDescriptor ? pDescriptor->_sClassName.c_str() : "", bSelected))
                nPicked = i;
            if (bSelected) ImGui::SetItemDefaultFocus();
        }
        ImGui::EndCombo();
    }
    // Picking the current class changes nothing while it runs; without an effect (a preset
    // that did not load) it creates one.
    if (nPicked < 0 || (nPicked == _nDescriptorSelected && _pEffect)) return;
    DeleteEffect();
    _nDescriptorSelected = nPicked;
    SaveFile();
    CreateSelected();
}

void EffectTester::DrawTransport(float dt, bool bFocused)
{
    const ImGuiIO& io = ImGui::GetIO();
    // An End before Start gives an empty span, not a negative one.
    const float fDuration = std::max(_pEffect->GetDuration(), 0.0f);
    auto seekTo = [&](float x) { _pEffect->_fSeekTime = Snap(std::min(std::max(x, 0.0f), fDuration)); };
    auto keyPressed = [&](ImGuiKey eKey, bool bRepeat)
    {
        // Keys typed into a text field (a name, a number) are text, not shortcuts.
        const int nIndex = ImGui::GetKeyIndex(eKey); // -1 when the backend maps no key
        return bFocused && !io.WantTextInput && nIndex >= 0 && ImGui::IsKeyPressed(nIndex, bRepeat);
    };
    const float fOneFrame = 1.0f / 60.0f;

    const float m = _pEffect->_fTime;
    float t = m;

    // A frame step (held: repeated); with Ctrl a jump to the neighbouring key, or to the
    // start or end when there is none.
    auto stepButton = [&](const char* szId, ImGuiDir eDir, ImGuiKey eKey, int nSign, const char* szTooltip)
    {
        ImGui::PushButtonRepeat(true);
        if (ImGui::ArrowButton(szId, eDir) || keyPressed(eKey, true))
        {
            if (io.KeyCtrl)
            {
                t = nSign < 0 ? fxBase::PrevKeyTime(_pEffect, nullptr)
                              : fxBase::NextKeyTime(_pEffect, nullptr);
                seekTo(t);
            }
            else
            {
                seekTo(_pEffect->_fTime + nSign * fOneFrame);
            }
        }
        ImGui::PopButtonRepeat();
        Tooltip(szTooltip);
        ImGui::SameLine();
    };

    if (ImGui::Button("|<-") || keyPressed(ImGuiKey_Home, true)) seekTo(0.0f);
    Tooltip("Jump to start\n[Home]");
    ImGui::SameLine();

    stepButton("##left", ImGuiDir_Left, ImGuiKey_LeftArrow, -1, "Previous frame\n[Left arrow]");
    // Blinks once per second of local time while playing.
    const float fAlpha = (_bPlaying && t - std::floor(t) > 0.5f) ? 1.0f : 0.4f;
    ImGui::PushStyleColor(ImGuiCol_Button, ImVec4(0.26f, 0.59f, 0.98f, fAlpha));
    const bool bPlayPressed = ImGui::Button(_bPlaying ? "|>" : "||", ImVec2(50.0f, 19.0f));
    ImGui::PopStyleColor();
    Tooltip("Play/Pause\n[Spacebar]");
    if (bPlayPressed || keyPressed(ImGuiKey_Space, false))
    {
        _bPlaying = !_bPlaying;
        if (_bPlaying)
        {
            _pEffect->SetState(State_EffectStarted);
            if (m >= fDuration)
            {
                t = 0.0f;
                seekTo(0.0f);
            }
        }
        else
        {
            t = Snap(m);
            seekTo(t);
        }
    }
    ImGui::SameLine();

    stepButton("##right", ImGuiDir_Right, ImGuiKey_RightArrow, +1, "Next frame\n[Right arrow]");
    if (ImGui::Button("->|") || keyPressed(ImGuiKey_End, true)) seekTo(fDuration);
    Tooltip("Jump to end\n[End]");
    ImGui::SameLine();
    ImGui::Checkbox("Loop", &_bLoop);

    // The sliders light up while the play head stands on a key.
    const bool bOnKey = HasKeyAt(_pEffect, Snap(_pEffect->_fTime));
    if (bOnKey)
    {
        const ImVec4 keyColor(1.0f, 0.49f, 0.48f, 0.5f);
        ImGui::PushStyleColor(ImGuiCol_SliderGrab, keyColor);
        ImGui::PushStyleColor(ImGuiCol_SliderGrabActive, keyColor);
    }
    if (ImGui::SliderFloat("Time", &t, 0.0f, fDuration, "%.2f")) t = Snap(t);
    int nFrame = int(std::lround(double(t) * 60.0));
    if (ImGui::SliderInt("Frame", &nFrame, 0, int(std::lround(double(fDuration) * 60.0)), "%d"))
        t = float(nFrame / 60.0);
    if (bOnKey) ImGui::PopStyleColor(2);
    ImGui::SameLine();
    if (ImGui::Button("Frames/Seconds")) AttribDesc::_bTimeInFrames = !AttribDesc::_bTimeInFrames;
    Tooltip("Change between Frame and Seconds view");

    if (t != m)
    {
        seekTo(t);
    }
    else
    {
        _pEffect->_fPendingDelta = _bPlaying ? dt : 0.0f;
        if (_bPlaying && t >= fDuration)
        {
            _pEffect->SetState(State_SequenceStarted);
            if (_bLoop)
                _pEffect->SetState(State_EffectStarted); // restarts at local time 0
            else
                _bPlaying = false;
        }
    }

    _pEffect->Update();

    fxBase::DrawButtons(_pEffect, _pEffect->_pDescriptor);
    const int nOldStart = _pEffect->_nStart;
    ImGui::NewLine();
    fxBase::DrawProperties(_pEffect, _pEffect->_pDescriptor);
    // With global key times the keys keep their place in timeline time.
    if (_pEffect->_nStart != nOldStart && !rvSequence::_bLocalKeys)
        _pEffect->OffsetKeys(float((nOldStart - _pEffect->_nStart) / 60.0));
    _pEffect->ApplyDriverTypeChanges();
}
