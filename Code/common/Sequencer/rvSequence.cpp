#include "Sequencer/rvSequence.h"
#include "rvMessage.h"
#include "rvStop.h"

#include "Factory/rvEditorHook.h"

#include "Factory/Factory.h"
#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "Factory/rvJson.h"
#include "Loader/rvDataPack.h"
#include "rvAssert.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

bool rvSequence::_bLocalKeys = true;

namespace
{
// A path as the archive resolves it: "./Data\\a.seq", "/Data/a.seq" and "Data/a.seq" are one file.
std::string ArchiveName(std::string path)
{
    rvDataPack::NormalizePath(path);
    size_t first = path.find_first_not_of('/');
    return first == std::string::npos ? std::string() : path.substr(first);
}

// The local time an Update with this pending delta arrives at (fxBase::Update's step).
float LocalTimeAfter(const fxBase* fx, float pending)
{
    const float delta = pending * rvTimeScale(fx);
    const float t = fx->_fTime + delta;
    return std::min(std::max(t, 0.f), std::max(fx->GetDuration(), 0.f));
}
} // namespace

rvSequence::rvSequence(bool showEditor) : _bShowEditor(showEditor) {}

rvSequence::~rvSequence()
{
    // The effects are neither driven down nor deleted here: an owner that must release them
    // calls Clear first. File browsers the editor window still has open go with it.
    CloseBrowsers();
}

void rvSequence::Clear()
{
    for (fxBase* fx : _apEffects)
    {
        fx->SetState(State_DemoStoped);
        delete fx;
    }
    _apEffects.clear();
    _anSelected.clear();
}

void rvSequence::UpdateFrameMax()
{
    int frameMax = 0;
    for (fxBase* fx : _apEffects)
        frameMax = std::max(frameMax, fx->_nEnd);
    _nFrameMax = frameMax;
}

// The timeline wants the effect at local time (t - S) x TimeScale, within [0, duration].
// fxBase::Update multiplies the pending delta by TimeScale, so the delta written is divided by
// it and nudged by single-precision steps towards the one that lands on the target. Where no
// delta can (the products skip the target's neighbourhood), the local time is set to the
// target after the update, a difference of a rounding step: the local time never drifts.
void rvSequence::StepEffect(fxBase* fx, float t)
{
    const float start = fx->_nStart / 60.0f;
    const float duration = std::max(fx->GetDuration(), 0.f);
    const float scale = rvTimeScale(fx);
    const float target = std::min(std::max((t - start) * scale, 0.f), duration);
    if (_bSeek)
    {
        fx->_fSeekTime = std::round(target * 60.f) / 60.f;
        fx->Update();
        return;
    }
    float pending = target - fx->_fTime;
    if (scale != 0.f)
    {
        pending /= scale;
        for (int i = 0; i < 4; ++i)
        {
            const float reached = LocalTimeAfter(fx, pending);
            if (reached == target) break;
            pending = std::nextafter(pending, (reached < target) == (scale > 0.f) ? INFINITY : -INFINITY);
        }
    }
    fx->_fPendingDelta = pending;
    fx->Update();
    if (scale != 0.f && fx->_eState == State_EffectStarted) fx->_fTime = target;
}

void rvSequence::Seek(float time)
{
    _fTime = time;
    _bSeekPending = true;
}

void rvSequence::Update(float dt)
{
    _bSeek = _bSeekPending;
    _bSeekPending = false;
    if (_bShowEditor) DrawWindow(dt);
    if (_bPlaying) _fTime += dt;

    // Start and End may have changed since the last frame (attribute editor, drivers, loads):
    // the length always follows them.
    UpdateFrameMax();

    const float t = _fTime;
    for (size_t i = 0; i < _apEffects.size(); ++i)
    {
        fxBase* fx = _apEffects[i];
        const float S = fx->_nStart / 60.0f;
        const float E = fx->_nEnd / 60.0f;
        const bool inside = t >= S && t < E;
        if (inside)
        {
            if (fx->_eState != State_EffectStarted) fx->SetState(State_EffectStarted);
        }
        else
        {
            if (fx->_eState == State_EffectStarted) fx->SetState(State_SequenceStarted);
            continue;
        }
        if (fx->_eState == State_EffectStarted) StepEffect(fx, t);
    }

    UpdateFrameMax();
    if (_bPlaying && _fTime > _nFrameMax / 60.0f)
    {
        _bPlaying = false;
        for (fxBase* fx : _apEffects)
            fx->SetState(State_DemoStarted);
        _fTime = _nFrameMax / 60.0f;
        if (_bLoop)
        {
            _fTime = 0.f;
            _bPlaying = true;
            for (fxBase* fx : _apEffects)
                fx->SetState(State_SequenceStarted);
        }
    }
}

bool rvSequence::LoadSequence(const std::string& path, bool reset)
{
    // Every failure is named here, once per load: the player ends on its demo timeline's, and
    // plays on past a nested one's.
    std::vector<char> bytes;
    if (!rvDataPack::GetInstance()->ReadInto(path, bytes, false) || bytes.empty())
    {
        rvReport(rvMessageKind::Error, "cannot read timeline \"%s\"\n", path.c_str());
        return false;
    }
    bytes.erase(std::remove(bytes.begin(), bytes.end(), '\r'), bytes.end());

    // A file that does not parse (or is not an object) changes nothing: a later save must not
    // overwrite it with a half-read timeline.
    std::istringstream text(std::string(bytes.begin(), bytes.end()));
    Json::Value root;
    if (!rvJson::Parse(text, &root) || !root.isObject())
    {
        rvReport(rvMessageKind::Error, "timeline \"%s\" is not a JSON object\n", path.c_str());
        return false;
    }

    if (path != _sFile) _sFile = path;
    LoadItems(root, reset);
    return true;
}

void rvSequence::LoadItems(const Json::Value& root, bool reset)
{
    Clear();
    if (root.isObject())
    {
        const Json::Value& items = root["Items"];
        if (items.isArray() || items.isObject())
        {
            int index = 0;
            for (const Json::Value& item : items)
            {
                Json::Value copy = item;
                if (fxBase* fx = Factory::EffectFromJson(copy))
                    AddEffect(fx);
                else
                {
                    // An item the factory cannot make is skipped, and named.
                    std::string sClass;
                    rvJson::ReadString(rvJson::Member(item, "Class"), &sClass);
                    rvReport(rvMessageKind::Warning, "timeline \"%s\": item %d: effect class \"%s\" is %s; skipped\n",
                             _sFile.c_str(), index, sClass.c_str(),
                             Factory::_pInstance && Factory::_pInstance->FindDescriptor(sClass) ? "not available"
                                                                                               : "unknown");
                }
                ++index;
            }
        }
    }
    if (reset)
    {
        // A stop asked for during the load (a signal; a window close or Escape while the loading
        // pass runs) is seen between two Inits: the effects not yet initialised stay stopped.
        for (fxBase* fx : _apEffects)
        {
            if (rvStop::Requested()) break;
            fx->SetState(State_DemoStarted);
        }
        _fTime = 0.f;
    }
}

bool rvSequence::SaveSequence(const std::string& path)
{
    Json::Value root(Json::objectValue);
    root["Items"] = Json::Value(Json::arrayValue);
    for (size_t i = 0; i < _apEffects.size(); ++i)
        Factory::EffectToJson(_apEffects[i], root["Items"][(Json::ArrayIndex)i]);
    return rvJson::SaveFile(path, root);
}

int rvSequence::AddEffect(fxBase* pEffect)
{
    rvAssert(pEffect);
    _apEffects.push_back(pEffect);
    UpdateFrameMax();
    pEffect->_pSequence = this;
    return (int)_apEffects.size() - 1;
}

fxBase* rvSequence::FindEffect(const std::string& name)
{
    for (fxBase* fx : _apEffects)
        if (fx->_sName == name) return fx;
    return nullptr;
}

int rvSequence::PrevBoundary(int frame)
{
    int best = _nFrameMin;
    for (fxBase* fx : _apEffects)
        for (int f : {fx->_nStart, fx->_nEnd})
            if (f < frame && f > best) best = f;
    return best;
}

int rvSequence::NextBoundary(int frame)
{
    UpdateFrameMax();
    int best = _nFrameMax;
    for (fxBase* fx : _apEffects)
        for (int f : {fx->_nStart, fx->_nEnd})
            if (f > frame && f < best) best = f;
    return best;
}

bool rvSequence::IncludesFile(const std::string& path) const
{
    const std::string name = ArchiveName(path);
    for (const rvSequence* seq = this; seq;)
    {
        if (ArchiveName(seq->_sFile) == name) return true;
        seq = seq->_pParentEffect ? seq->_pParentEffect->_pSequence : nullptr;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Widget interface

void rvSequence::AssertIndex(int index) const
{
    // clang-format off
    rvAssert(index>=0 && index<(int)_apEffects.size());
    // clang-format on
}

int rvSequence::FirstFrame()
{
    return _nFrameMin;
}

int rvSequence::LastFrame()
{
    UpdateFrameMax();
    return _nFrameMax;
}

int rvSequence::ItemCount()
{
    return (int)_apEffects.size();
}

int rvSequence::TypeCount()
{
    return Factory::_pInstance ? (int)Factory::_pInstance->_apDescriptors.size() : 0;
}

int rvSequence::TypeIndexOf(const char* name)
{
    if (!name || !Factory::_pInstance) return -1;
    const auto& list = Factory::_pInstance->_apDescriptors;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i]->_sClassName == name) return (int)i;
    return -1;
}

const char* rvSequence::TypeName(int type)
{
    rvAssert(Factory::_pInstance && type >= 0 && type < TypeCount());
    return Factory::_pInstance->_apDescriptors[type]->_sClassName.c_str();
}

const char* rvSequence::ItemLabel(int index)
{
    AssertIndex(index);
    return _apEffects[index]->_sName.c_str();
}

void rvSequence::ItemBar(int index, int** start, int** end, int* type, unsigned int* colour)
{
    AssertIndex(index);
    fxBase* fx = _apEffects[index];
    if (start) *start = &fx->_nStart;
    if (end) *end = &fx->_nEnd;
    const int classIndex = fx->_pDescriptor ? fx->_pDescriptor->_nId : 0;
    if (type) *type = classIndex;
    if (colour) *colour = Factory::TimelineColor(classIndex);
}

int rvSequence::AddItem(int type)
{
    rvAssert(Factory::_pInstance && type >= 0 && type < TypeCount());
    fxDescriptor* desc = Factory::_pInstance->_apDescriptors[type];
    fxBase* fx = desc->_pfnCreate ? desc->_pfnCreate(desc) : nullptr;
    if (!fx) return -1;
    // Known to its timeline before Init, so a nested timeline effect sees where it lives.
    fx->_pSequence = this;
    fx->SetState(State_DemoStarted);
    int index = AddEffect(fx);
    MoveItemToTime(index);
    if (!_anSelected.empty())
    {
        int highest = *std::max_element(_anSelected.begin(), _anSelected.end());
        index += MoveItemInList(index, highest - index + 1, true);
    }
    return index;
}

void rvSequence::DeleteItem(int index)
{
    AssertIndex(index);
    fxBase* fx = _apEffects[index];
    fx->SetState(State_DemoStoped);
    delete fx;
    _apEffects.erase(_apEffects.begin() + index);
    UpdateFrameMax();
}

void rvSequence::CloneItem(int index)
{
    AssertIndex(index);
}

void rvSequence::CompensateKeys(fxBase* fx, int applied)
{
    if (!_bLocalKeys && applied != 0) fx->OffsetKeys(-applied / 60.0f);
}

int rvSequence::MoveItemToTime(int index)
{
    if (!ValidIndex(index)) return 0;
    fxBase* fx = _apEffects[index];
    const int oldStart = fx->_nStart;
    fx->_nStart = (int)std::lround(_fTime * 60.0f);
    fx->_nEnd += fx->_nStart - oldStart;
    UpdateFrameMax();
    return fx->_nStart - oldStart;
}

int rvSequence::MoveItem(int index, int delta)
{
    if (!ValidIndex(index)) return 0;
    UpdateFrameMax();
    fxBase* fx = _apEffects[index];
    int applied;
    if (delta < 0)
        applied = std::min(0, std::max(fx->_nStart + delta, _nFrameMin) - fx->_nStart);
    else
        applied = std::max(0, std::min(fx->_nEnd + delta, _nFrameMax) - fx->_nEnd);
    fx->_nStart += applied;
    fx->_nEnd += applied;
    CompensateKeys(fx, applied);
    UpdateFrameMax();
    return applied;
}

int rvSequence::MoveItemInList(int index, int places, bool keepSelection)
{
    if (!ValidIndex(index)) return 0;
    const int target = std::clamp(index + places, 0, (int)_apEffects.size() - 1);
    const int step = target > index ? 1 : -1;
    for (int p = index; p != target; p += step)
    {
        const int q = p + step;
        std::swap(_apEffects[p], _apEffects[q]);
        if (keepSelection)
            for (int& s : _anSelected)
                s = s == p ? q : s == q ? p : s;
    }
    return target - index;
}

int rvSequence::MoveItemStart(int index, int delta)
{
    if (!ValidIndex(index)) return 0;
    fxBase* fx = _apEffects[index];
    const int oldStart = fx->_nStart;
    if (fx->_nStart + delta < _nFrameMin)
        fx->_nStart = _nFrameMin;
    else
        fx->_nStart = std::min(fx->_nStart + delta, fx->_nEnd - 1);
    const int applied = fx->_nStart - oldStart;
    CompensateKeys(fx, applied);
    UpdateFrameMax();
    return applied;
}

int rvSequence::MoveItemEnd(int index, int delta)
{
    if (!ValidIndex(index)) return 0;
    UpdateFrameMax();
    fxBase* fx = _apEffects[index];
    const int oldEnd = fx->_nEnd;
    if (fx->_nEnd + delta < fx->_nStart + 1)
        fx->_nEnd = fx->_nStart + 1;
    else
        fx->_nEnd = std::min(fx->_nEnd + delta, _nFrameMax);
    UpdateFrameMax();
    return fx->_nEnd - oldEnd;
}

int rvSequence::GetFirstSelected(const std::vector<int>& selection)
{
    int best = -1;
    for (int i : selection)
    {
        fxBase* fx = ValidIndex(i) ? _apEffects[i] : nullptr;
        rvAssert(fx);
        if (best < 0 || fx->_nStart < _apEffects[best]->_nStart) best = i;
    }
    return best;
}

int rvSequence::GetLastSelected(const std::vector<int>& selection)
{
    int best = -1;
    for (int i : selection)
    {
        fxBase* fx = ValidIndex(i) ? _apEffects[i] : nullptr;
        rvAssert(fx);
        if (best < 0 || fx->_nEnd > _apEffects[best]->_nEnd) best = i;
    }
    return best;
}

void rvSequence::CopyItems() {}

void rvSequence::PasteItems() {}

// ---------------------------------------------------------------------------------------------
// Rows of the timeline widget that need no drawing

int rvSequence::ExtraHeight(int index)
{
    AssertIndex(index);
    const fxBase* fx = _apEffects[index];
    return fx->_bExpanded ? 100 + 14 * int(fx->_apAttribDrivers.size()) : 0;
}


// ---------------------------------------------------------------------------------------------
// The editor half (rvSequenceEditor.cpp, editor library), reached through its hooks: without
// an editor linked a timeline plays and draws nothing.

void rvSequence::DrawWindow(float dt)
{
    rvEditorHook<&rvSequence::DrawWindow>::Call(*this, dt);
}

void rvSequence::CloseBrowsers()
{
    rvEditorHook<&rvSequence::CloseBrowsers>::Call(*this);
}

void rvSequence::ItemDoubleClicked(int index)
{
    rvEditorHook<&rvSequence::ItemDoubleClicked>::Call(*this, index);
}

void rvSequence::DrawExpandedRow(int index, ImDrawList* draw, const ImRect& bar, const ImRect& custom,
                                 const ImRect& legend, const ImRect& clip, const ImRect& legendClip)
{
    rvEditorHook<&rvSequence::DrawExpandedRow>::Call(*this, index, draw, bar, custom, legend, clip, legendClip);
}

void rvSequence::DrawPlainRow(int index, ImDrawList* draw, const ImRect& bar, const ImRect& custom,
                              const ImRect& clip)
{
    rvEditorHook<&rvSequence::DrawPlainRow>::Call(*this, index, draw, bar, custom, clip);
}
