// The timeline editor window: transport, file, key and placement commands above the timeline
// widget, the "Properties" window of the selected effect, the keyboard shortcuts, and the
// drawing of the widget's rows (driver curves of the expanded row, key marks and fades).
#include "Sequencer/rvSequence.h"

#include "Factory/rvEditorHook.h"
#include "Sequencer/ImSequencer.h"
#include "Sequencer/rvCurveEdit.h"

#include "Factory/AttribDesc.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/Factory.h"
#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"
#include "rvAssert.h"

#include "FileBrowser/rvFileBrowser.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace
{
const char* const CLONE_BUFFER = "Data/fx/_fxCloned.fx";

bool KeyPressed(ImGuiKey key, bool repeat)
{
    const int index = ImGui::GetKeyIndex(key);
    return index >= 0 && ImGui::IsKeyPressed(index, repeat);
}

// Letter keys are reported under their upper-case character code.
bool LetterPressed(char c, bool repeat)
{
    return ImGui::IsKeyPressed(int(c), repeat);
}

void Tooltip(const char* text)
{
    if (ImGui::IsItemHovered()) ImGui::SetTooltip("%s", text);
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Window

void rvSequence::EditorDrawWindow(float dt)
{
    ImGuiIO& io = ImGui::GetIO();
    int frame = int(std::round(_fTime * 60.f));
    int startFrame = frame;

    // 1. Title, with the blinking banner for three seconds after a save.
    std::string title = "Sequence : " + _sFile;
    bool blackTitle = false;
    if (_fSavedTimer > 0.f)
    {
        title += " ---> Saved <---";
        _fSavedTimer -= dt;
        blackTitle = std::fmod(_fSavedTimer, 0.5f) > 0.25f;
    }
    else if (_fSaveFailedTimer > 0.f)
    {
        title += " ---> Save failed, file unchanged <---";
        _fSaveFailedTimer -= dt;
        blackTitle = std::fmod(_fSaveFailedTimer, 0.5f) > 0.25f;
    }
    title += "###Sequencer";
    if (blackTitle) ImGui::PushStyleColor(ImGuiCol_Text, 0xFF000000);
    ImGui::Begin(title.c_str());
    if (blackTitle) ImGui::PopStyleColor();
    // Keys are shortcuts only while no text field takes them: the file browsers are popups of
    // this window, so their name box counts as focused too.
    const bool typing = io.WantTextInput;
    const bool focused = (_bFocused || ImGui::IsWindowFocused()) && !typing;

    // 2. Controls.
    ImGui::PushItemWidth(130.f);
    float shownTime = _fTime;
    ImGui::InputFloat("Time", &shownTime, 0.f, 0.f, "%.3f", ImGuiInputTextFlags_ReadOnly);

    ImGui::SameLine();
    if (ImGui::Button("|<") || (focused && KeyPressed(ImGuiKey_Home, true)))
    {
        if (io.KeyCtrl)
            _nFirstFrame = 0;
        else
            frame = 0;
    }
    Tooltip("[Home] Goto start\n[Ctrl+Home] View Start");

    ImGui::SameLine();
    if (ImGui::Button("<") || (focused && !io.KeyCtrl && KeyPressed(ImGuiKey_LeftArrow, true)))
        frame = std::max(frame - 1, 0);
    Tooltip("[Left] Prev Frame");

    ImGui::SameLine();
    if (ImGui::Button(_bPlaying ? "Pause###Play" : "Play###Play") ||
        (focused && KeyPressed(ImGuiKey_Space, false)))
    {
        _bPlaying = !_bPlaying;
        if (_bPlaying && _fTime >= _nFrameMax / 60.f) _fTime = 0.f;
    }
    Tooltip("[Space] Play / Pause");

    ImGui::SameLine();
    if (ImGui::Button(">") || (focused && !io.KeyCtrl && KeyPressed(ImGuiKey_RightArrow, true)))
        frame = std::min(frame + 1, _nFrameMax);
    Tooltip("[Right] Next Frame\n[Ctrl+Rigth] Scroll View ->");
    // Ctrl+Right scrolls the view by a tenth of what it shows, up to its end.
    if (focused && io.KeyCtrl && KeyPressed(ImGuiKey_RightArrow, true))
    {
        const int last = std::max(_nFrameMax - _nVisibleFrames, _nFrameMin);
        _nFirstFrame = std::min(_nFirstFrame + std::max(_nVisibleFrames / 10, 1), last);
        _nFirstFrame = std::max(_nFirstFrame, _nFrameMin);
    }

    ImGui::SameLine();
    if (ImGui::Button(">|") || (focused && KeyPressed(ImGuiKey_End, true)))
    {
        if (io.KeyCtrl)
            _nFirstFrame = _nFrameMax - _nVisibleFrames;
        else
            frame = _nFrameMax;
    }
    Tooltip("[End] Goto End\n[Ctrl+End] View to end");

    ImGui::SameLine();
    ImGui::Checkbox("Loop", &_bLoop);

    ImGui::SameLine();
    if (ImGui::Button("K<"))
    {
        JumpToKey(false);
        frame = startFrame = int(std::round(_fTime * 60.f));
    }
    Tooltip("Go to previous key in selected fx\n");

    ImGui::SameLine();
    const bool addKeys = ImGui::Button("AddKeys") || (focused && LetterPressed('K', false));
    Tooltip("Create Key at this time\nand for current values\n[K]");

    ImGui::SameLine();
    if (ImGui::Button(">K"))
    {
        JumpToKey(true);
        frame = startFrame = int(std::round(_fTime * 60.f));
    }
    Tooltip("Go to next key in selected fx\n");

    ImGui::SameLine();
    if (ImGui::Button(_bLocalKeys ? "LocalKeys###KeyMode" : "GlobalKeys###KeyMode"))
        _bLocalKeys = !_bLocalKeys;

    ImGui::SameLine();
    if (ImGui::Button("Clear")) ImGui::OpenPopup("Clear?");

    ImGui::SameLine();
    if (ImGui::Button("Load"))
    {
        delete _pLoadBrowser;
        _pLoadBrowser = new rvFileBrowser("Load Sequence", ".seq", _sFile);
    }

    ImGui::SameLine();
    if (ImGui::Button("Save") || (focused && io.KeyCtrl && LetterPressed('S', false)))
    {
        (SaveSequence(_sFile) ? _fSavedTimer : _fSaveFailedTimer) = 3.f;
    }
    Tooltip("[Ctrl+S] Save current sequence");

    ImGui::SameLine();
    if (ImGui::Button("SaveAs"))
    {
        delete _pSaveAsBrowser;
        _pSaveAsBrowser = new rvFileBrowser("Save Sequence", ".seq", _sFile);
    }

    ImGui::SameLine();
    if (ImGui::Button("CloneFxs")) CloneSelection();

    ImGui::SameLine();
    if (ImGui::Button("ImportFx"))
    {
        delete _pImportBrowser;
        _pImportBrowser = new rvFileBrowser("ImportFx", ".fx", "Data/fx");
    }
    ImGui::SameLine();
    if (ImGui::Button("ExportFx") && _anSelected.size() == 1 && ValidIndex(_anSelected[0]))
    {
        delete _pExportBrowser;
        _pExportBrowser = new rvFileBrowser("ExportFx", ".fx", "Data/fx");
        _pExportEffect = _apEffects[_anSelected[0]];
    }

    ImGui::SameLine();
    if (io.KeyCtrl)
    {
        if (ImGui::Button("<-Move")) PlaceSelection(Placement_MoveLeft);
        Tooltip("Move Left");
        ImGui::SameLine();
        if (ImGui::Button("Move->")) PlaceSelection(Placement_MoveRight);
        Tooltip("Move Right");
    }
    else
    {
        if (ImGui::Button("<-Snap")) PlaceSelection(Placement_SnapLeft);
        Tooltip("Snap Left");
        ImGui::SameLine();
        if (ImGui::Button("Snap->")) PlaceSelection(Placement_SnapRight);
        Tooltip("Snap Right");
    }
    ImGui::PopItemWidth();

    // The "Clear?" confirmation.
    if (ImGui::BeginPopupModal("Clear?", nullptr, ImGuiWindowFlags_AlwaysAutoResize))
    {
        ImGui::Text("Are you sure ?\nThis operation cannot be undone!\n\n");
        ImGui::Separator();
        if (ImGui::Button("OK", ImVec2(120.f, 0.f)))
        {
            _pExportEffect = nullptr;
            CurveEdit()._pEffect = nullptr;
            Clear();
            ImGui::CloseCurrentPopup();
        }
        ImGui::SetItemDefaultFocus();
        ImGui::SameLine();
        if (ImGui::Button("Cancel", ImVec2(120.f, 0.f))) ImGui::CloseCurrentPopup();
        ImGui::EndPopup();
    }

    // The file browsers; each reports once that it closed, with an empty path when cancelled.
    std::string path;
    if (_pLoadBrowser && _pLoadBrowser->Draw(path))
    {
        delete _pLoadBrowser;
        _pLoadBrowser = nullptr;
        fxBase* exportEffect = _pExportEffect;
        if (!path.empty() && LoadSequence(path, true))
        {
            // The previous effects are gone.
            exportEffect = nullptr;
            CurveEdit()._pEffect = nullptr;
        }
        _pExportEffect = exportEffect;
    }
    path.clear();
    if (_pSaveAsBrowser && _pSaveAsBrowser->Draw(path))
    {
        delete _pSaveAsBrowser;
        _pSaveAsBrowser = nullptr;
        if (!path.empty() && SaveSequence(path))
        {
            _fSavedTimer = 3.f;
            _sFile = path;
        }
        else if (!path.empty())
            _fSaveFailedTimer = 3.f;
    }
    path.clear();
    if (_pImportBrowser && _pImportBrowser->Draw(path))
    {
        delete _pImportBrowser;
        _pImportBrowser = nullptr;
        if (fxBase* fx = path.empty() ? nullptr : Factory::LoadPreset(path)) ImportEffect(fx);
    }
    path.clear();
    if (_pExportBrowser && _pExportBrowser->Draw(path))
    {
        delete _pExportBrowser;
        _pExportBrowser = nullptr;
        if (_pExportEffect && !path.empty()) Factory::SavePreset(_pExportEffect, path);
        _pExportEffect = nullptr;
    }

    // 3. The timeline widget.
    ImSequencer::DrawTimeline(this, &frame, &_bTimelineExpanded, &_anSelected, &_nFirstFrame);
    ImGui::End();

    // 4. Properties of the one selected effect.
    if (_anSelected.size() == 1 && ValidIndex(_anSelected[0]))
    {
        fxBase* fx = _apEffects[_anSelected[0]];
        ImGui::Begin("Properties");
        fxBase::DrawButtons(fx, fx->_pDescriptor);
        ImGui::NewLine();
        const int oldStart = fx->_nStart;
        fxBase::DrawProperties(fx, fx->_pDescriptor);
        if (fx->_nStart != oldStart && !_bLocalKeys) fx->OffsetKeys((oldStart - fx->_nStart) / 60.f);
        ImGui::End();
        fx->ApplyDriverTypeChanges();
    }

    // 5. Keys at the play head.
    if (addKeys) AddKeysToSelection();

    // 6. Keys.
    const bool keysFocused = (_bFocused || focused) && !typing;
    if (keysFocused)
    {
        if (KeyPressed(ImGuiKey_Delete, false)) DeleteSelection();
        if (KeyPressed(ImGuiKey_UpArrow, true)) MoveSelection(-1, io.KeyCtrl);
        if (KeyPressed(ImGuiKey_DownArrow, true)) MoveSelection(1, io.KeyCtrl);
    }

    // 7. A changed frame is a jump.
    if (frame != startFrame)
    {
        _fTime = frame / 60.f;
        _bSeek = true;
    }
}

// ---------------------------------------------------------------------------------------------
// Commands

void rvSequence::JumpToKey(bool next)
{
    float best = (next ? _nFrameMax : _nFrameMin) / 60.f;
    bool moved = false;
    for (int s : _anSelected)
    {
        if (!ValidIndex(s)) continue;
        fxBase* fx = _apEffects[s];
        bool found = false;
        const float k = next ? fxBase::NextKeyTime(fx, &found) : fxBase::PrevKeyTime(fx, &found);
        if (!found) continue;
        const float t = k + fx->_nStart / 60.f;
        if (next ? (_fTime < t && best > t) : (_fTime > t && best < t))
        {
            best = t;
            moved = true;
        }
    }
    if (moved) _fTime = best;
    _bSeek = true;
}

void rvSequence::PlaceSelection(int ePlacement)
{
    if (_anSelected.empty()) return;
    const bool left = ePlacement == Placement_MoveLeft || ePlacement == Placement_SnapLeft;
    const int anchor = left ? GetFirstSelected(_anSelected) : GetLastSelected(_anSelected);
    if (!ValidIndex(anchor)) return;
    const fxBase* a = _apEffects[anchor];
    const int target = left ? PrevBoundary(a->_nStart) : NextBoundary(a->_nEnd);
    // The moves all use the anchor's distance before any item moved.
    const int delta = left ? target - a->_nStart : target - a->_nEnd;
    for (int s : _anSelected)
    {
        if (!ValidIndex(s)) continue;
        switch (ePlacement)
        {
        case Placement_MoveLeft:
        case Placement_MoveRight:
            MoveItem(s, delta);
            break;
        case Placement_SnapLeft:
            MoveItemStart(s, target - _apEffects[s]->_nStart);
            break;
        case Placement_SnapRight:
            MoveItemEnd(s, target - _apEffects[s]->_nEnd);
            break;
        default:
            break;
        }
    }
}

void rvSequence::CloneSelection()
{
    if (_anSelected.empty()) return;
    std::sort(_anSelected.begin(), _anSelected.end());
    const int last = _anSelected.back();
    std::vector<int> clones;
    for (int s : _anSelected)
    {
        if (!ValidIndex(s)) continue;
        // A buffer that could not be written would hand back the previous clone.
        if (!Factory::SavePreset(_apEffects[s], CLONE_BUFFER)) continue;
        fxBase* fx = Factory::LoadPreset(CLONE_BUFFER);
        if (!fx) continue;
        const int n = AddEffect(fx);
        // Right after the last selected row and the clones made before this one.
        const int place = last + int(clones.size());
        clones.push_back(n + MoveItemInList(n, place - n + 1, true));
    }
    _anSelected = clones;
}

void rvSequence::ImportEffect(fxBase* pEffect)
{
    const int front = _anSelected.empty() ? -1 : _anSelected.front();
    const int n = AddEffect(pEffect);
    _anSelected.assign(1, n);
    MoveItemToTime(n);
    if (front >= 0) MoveItemInList(n, front - n + 1, true);
}

void rvSequence::AddKeysToSelection()
{
    for (int s : _anSelected)
    {
        if (!ValidIndex(s)) continue;
        for (NoneDriver* d : _apEffects[s]->_apAttribDrivers)
            if (d && d->_eType == NoneDriver::DRIVER_KEYFRAME)
                static_cast<KeyFrameDriver*>(d)->AddKeyAtCurrentTime();
    }
}

void rvSequence::DeleteSelection()
{
    std::vector<int> sorted = _anSelected;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    for (auto it = sorted.rbegin(); it != sorted.rend(); ++it)
    {
        if (!ValidIndex(*it)) continue;
        fxBase* fx = _apEffects[*it];
        if (fx == _pExportEffect) _pExportEffect = nullptr; // its export is dropped
        if (fx == CurveEdit()._pEffect) CurveEdit()._pEffect = nullptr;
        DeleteItem(*it);
    }
    _anSelected.clear();
}

void rvSequence::MoveSelection(int direction, bool moveEffects)
{
    if (_anSelected.empty() || direction == 0) return;
    direction = direction < 0 ? -1 : 1;
    const auto range = std::minmax_element(_anSelected.begin(), _anSelected.end());
    if (direction < 0 && *range.first <= 0) return;
    if (direction > 0 && *range.second >= ItemCount() - 1) return;
    if (moveEffects)
    {
        std::vector<int> order = _anSelected;
        std::sort(order.begin(), order.end());
        if (direction > 0) std::reverse(order.begin(), order.end());
        for (int s : order)
            MoveItemInList(s, direction, false);
    }
    for (int& s : _anSelected)
        s += direction;
}

void rvSequence::EditorCloseBrowsers()
{
    for (rvFileBrowser** slot : {&_pLoadBrowser, &_pSaveAsBrowser, &_pImportBrowser, &_pExportBrowser})
    {
        delete *slot;
        *slot = nullptr;
    }
    _pExportEffect = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Rows



void rvSequence::EditorDrawExpandedRow(int index, ImDrawList* draw, const ImRect& bar, const ImRect& custom,
                                 const ImRect& legend, const ImRect& clip, const ImRect& legendClip)
{
    AssertIndex(index);
    fxBase* fx = _apEffects[index];
    CurveEdit()._pEffect = fx;
    DrawFades(fx, bar, draw);
    CurveEdit()._vRangeMin.x = float(_nFrameMin);
    CurveEdit()._vRangeMax.x = float(_nFrameMax);

    // Driver names; a press on one shows or hides its curve.
    draw->PushClipRect(legendClip.Min, legendClip.Max, true);
    const ImVec2 mouse = ImGui::GetIO().MousePos;
    for (int i = 0; i < int(CurveEdit().CurveCount()); ++i)
    {
        NoneDriver* d = fx->_apAttribDrivers[i];
        if (!d) continue;
        const ImVec2 pos(legend.Min.x + 30.f, legend.Min.y + 14.f * i);
        const char* name = d->_pAttribDesc ? d->_pAttribDesc->_sName.c_str() : d->_attribName.c_str();
        draw->AddText(pos, d->_bVisible ? 0xFFFFFFFF : 0x80FFFFFF, name);
        if (ImGui::IsMouseClicked(0) && pos.x <= mouse.x && mouse.x < legend.Max.x && pos.y <= mouse.y &&
            mouse.y < legend.Min.y + 14.f * (i + 1))
            d->_bVisible = !d->_bVisible;
    }
    draw->PopClipRect();

    ImGui::SetCursorScreenPos(custom.Min);
    ImVector<ImCurveEdit::CurvePointRef> selected;
    ImCurveEdit::DrawCurves(CurveEdit(), custom.GetSize(), 137 + index, &clip, &selected);
    _aSelectedPoints.assign(selected.begin(), selected.end());

    if (_bFocused && !ImGui::GetIO().WantTextInput && LetterPressed('F', true))
        CurveEdit().ComputeValueRange();
}

void rvSequence::EditorDrawPlainRow(int index, ImDrawList* draw, const ImRect& bar, const ImRect& custom,
                              const ImRect& clip)
{
    AssertIndex(index);
    fxBase* fx = _apEffects[index];
    draw->PushClipRect(clip.Min, clip.Max, true);
    fxBase* previous = CurveEdit()._pEffect;
    CurveEdit()._pEffect = fx;
    CurveEdit()._vRangeMin.x = float(_nFrameMin);
    CurveEdit()._vRangeMax.x = float(_nFrameMax);
    const float span = float(_nFrameMax - _nFrameMin);
    if (span > 0.f)
    {
        for (int c = 0; c < int(CurveEdit().CurveCount()); ++c)
        {
            const int points = int(CurveEdit().PointCount(c));
            for (int p = 0; p < points; ++p)
            {
                const float f = CurveEdit().PointAt(c, p).x;
                if (f < fx->_nStart || f > fx->_nEnd) continue;
                const float x = custom.Min.x + (f - _nFrameMin) / span * custom.GetWidth();
                draw->AddLine(ImVec2(x, custom.Min.y + 6.f), ImVec2(x, custom.Max.y - 4.f), 0xAA000000, 3.f);
            }
        }
    }
    CurveEdit()._pEffect = previous;
    DrawFades(fx, bar, draw);
    draw->PopClipRect();
}

void rvSequence::DrawFades(fxBase* fx, const ImRect& bar, ImDrawList* draw)
{
    const float w = bar.Max.x - bar.Min.x;
    // In 64 bits: a bar may run from the first int frame to the last.
    const int64_t frames = int64_t(fx->_nEnd) - fx->_nStart + 1;
    if (frames <= 0) return; // no bar to place the fades in
    auto x = [&](float f) { return bar.Min.x + (f - fx->_nStart) / float(frames) * w; };
    const float bottom = bar.Max.y - 1.f, top = bar.Min.y + 3.f;
    if (fx->_fFadeIn > 0.f)
    {
        const float a = std::round(fx->_nStart / 60.f * 60.f);
        const float b = std::round((fx->_nStart / 60.f + fx->_fFadeIn) * 60.f);
        draw->AddTriangleFilled(ImVec2(x(a), bottom), ImVec2(x(b), top), ImVec2(x(b), bottom), 0x80FFFFFF);
    }
    if (fx->_fFadeOut > 0.f)
    {
        const float a = std::round(fx->_nEnd / 60.f * 60.f);
        const float b = std::round((fx->_nEnd / 60.f - fx->_fFadeOut) * 60.f);
        draw->AddTriangleFilled(ImVec2(x(a), bottom), ImVec2(x(b), top), ImVec2(x(b), bottom), 0x80FFFFFF);
    }
}

void rvSequence::EditorItemDoubleClicked(int index)
{
    AssertIndex(index);
    fxBase* fx = _apEffects[index];
    if (fx->_bExpanded)
    {
        fx->_bExpanded = false;
        return;
    }
    for (fxBase* other : _apEffects)
        other->_bExpanded = false;
    fx->_bExpanded = true;
    CurveEdit()._pEffect = fx;
    CurveEdit().ComputeValueRange();
}

rvCurveEdit& rvSequence::CurveEdit()
{
    if (!_CurveEdit) _CurveEdit = {new rvCurveEdit(), [](rvCurveEdit* p) { delete p; }};
    return *_CurveEdit;
}

// ---------------------------------------------------------------------------------------------
// The editor half, installed into the timeline's members when the program starts.

namespace
{
const rvEditorHook<&rvSequence::DrawWindow>::Install s_DrawWindow([](rvSequence& s, float dt)
                                                                  { s.EditorDrawWindow(dt); });
const rvEditorHook<&rvSequence::CloseBrowsers>::Install s_CloseBrowsers([](rvSequence& s)
                                                                        { s.EditorCloseBrowsers(); });
const rvEditorHook<&rvSequence::ItemDoubleClicked>::Install s_ItemDoubleClicked(
    [](rvSequence& s, int index) { s.EditorItemDoubleClicked(index); });
const rvEditorHook<&rvSequence::DrawExpandedRow>::Install s_DrawExpandedRow(
    [](rvSequence& s, int index, ImDrawList* draw, const ImRect& bar, const ImRect& custom, const ImRect& legend,
       const ImRect& clip, const ImRect& legendClip)
    { s.EditorDrawExpandedRow(index, draw, bar, custom, legend, clip, legendClip); });
const rvEditorHook<&rvSequence::DrawPlainRow>::Install s_DrawPlainRow(
    [](rvSequence& s, int index, ImDrawList* draw, const ImRect& bar, const ImRect& custom, const ImRect& clip)
    { s.EditorDrawPlainRow(index, draw, bar, custom, clip); });
} // namespace
