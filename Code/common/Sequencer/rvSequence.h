#pragma once
// The timeline: an ordered list of effects, a play head in seconds, play, pause, loop and seek,
// and the per-frame pass that moves every effect in and out of its running state. It reads and
// writes timeline files (".seq": {"Items": [effect objects]}) and is the model of the timeline
// widget.
#include "Sequencer/ImCurveEditPoint.h"
#include "Sequencer/ImSequencerInterface.h"

#include <json/json.h>

#include <memory>
#include <string>
#include <vector>

class fxBase;
class rvCurveEdit;
class rvFileBrowser;

class rvSequence : public ImSequencer::SequenceInterface
{
public:
    explicit rvSequence(bool showEditor);
    ~rvSequence() override;
    rvSequence(const rvSequence&) = delete;
    rvSequence& operator=(const rvSequence&) = delete;

    // Every effect, in list order, to State_DemoStoped and deleted; list and selection emptied.
    void Clear();
    // The per-frame pass: editor window, time step, effect windows [Start, End), end and loop.
    void Update(float dt);
    // Reads a ".seq" from the data archive. False (timeline and file name untouched) when the
    // file is missing, empty or not a JSON object.
    bool LoadSequence(const std::string& path, bool reset);
    void LoadItems(const Json::Value& root, bool reset);
    bool SaveSequence(const std::string& path);
    // Appends, recomputes the last frame and sets the effect's timeline; returns the index.
    int AddEffect(fxBase* pEffect);
    // The first effect whose instance name equals name, or null.
    fxBase* FindEffect(const std::string& name);
    int PrevBoundary(int frame);
    int NextBoundary(int frame);
    // Moves the play head by a jump: the next Update hands the running effects a seek target
    // (snapped to a whole frame) instead of a delta.
    void Seek(float time);
    // A jump is waiting for the next Update.
    bool SeekPending() const { return _bSeekPending; }
    // The editor window; built each Update while _bShowEditor is set.
    void DrawWindow(float dt);

    // True when a timeline file path (as a reader would resolve it) is this timeline's file
    // or the file of a timeline that contains it through nested timeline effects.
    bool IncludesFile(const std::string& path) const;

    // ImSequencer::SequenceInterface
    int FirstFrame() override;
    int LastFrame() override;
    int ItemCount() override;
    int TypeCount() override;
    int TypeIndexOf(const char* name) override;
    const char* TypeName(int type) override;
    const char* ItemLabel(int index) override;
    void ItemBar(int index, int** start, int** end, int* type, unsigned int* colour) override;
    int AddItem(int type) override;
    void DeleteItem(int index) override;
    void CloneItem(int index) override;
    int MoveItemToTime(int index) override;
    int MoveItem(int index, int delta) override;
    int MoveItemInList(int index, int places, bool keepSelection) override;
    int MoveItemStart(int index, int delta) override;
    int MoveItemEnd(int index, int delta) override;
    int GetFirstSelected(const std::vector<int>& selection) override;
    int GetLastSelected(const std::vector<int>& selection) override;
    void CopyItems() override;
    void PasteItems() override;

    int _nFrameMin = 0;
    int _nFrameMax = 0; // the largest End over the effects
    float _fTime = 0.f; // the play head, seconds
    bool _bPlaying = false;
    bool _bLoop = false;
    bool _bSeek = false; // the time was set by a jump during this update
    bool _bShowEditor;
    std::vector<int> _anSelected; // most recently selected first
    bool _bTimelineExpanded = true;
    int _nFirstFrame = 0;
    std::string _sFile = "Data/seq";
    fxBase* _pExportEffect = nullptr;
    float _fSavedTimer = 0.f;
    float _fSaveFailedTimer = 0.f; // the banner after a failed save (the old file is kept)
    std::vector<fxBase*> _apEffects;
    fxBase* _pParentEffect = nullptr; // the nested timeline effect that owns this timeline

    // The widget's slots and the editor window's commands. ExtraHeight is answered here
    // (rvSequence.cpp); the rest are defined in the editor library (rvSequenceEditor.cpp), the
    // slots and CloseBrowsers through the Editor* bodies below.
    int ExtraHeight(int index) override;
    void ItemDoubleClicked(int index) override;
    void DrawExpandedRow(int index, ImDrawList* draw, const ImRect& bar, const ImRect& custom,
                         const ImRect& legend, const ImRect& clip, const ImRect& legendClip) override;
    void DrawPlainRow(int index, ImDrawList* draw, const ImRect& bar, const ImRect& custom,
                      const ImRect& clip) override;
    void DrawFades(fxBase* fx, const ImRect& bar, ImDrawList* draw);
    enum Placement
    {
        Placement_MoveLeft,
        Placement_MoveRight,
        Placement_SnapLeft,
        Placement_SnapRight
    };
    void JumpToKey(bool next);                           // "K<" / ">K"
    void PlaceSelection(int ePlacement);                 // "<-Move", "Move->", "<-Snap", "Snap->"
    void CloneSelection();                               // "CloneFxs"
    void ImportEffect(fxBase* pEffect);                  // "ImportFx" with a loaded preset
    void AddKeysToSelection();                           // "AddKeys", K
    void DeleteSelection();                              // Delete
    void MoveSelection(int direction, bool moveEffects); // Up (-1) / Down (+1), Ctrl moves effects
    void CloseBrowsers();                                // deletes the open file browsers
    // Bodies of DrawWindow, CloseBrowsers and the drawing slots, in the editor library: those
    // members forward to them through rvEditorHook, so a timeline without an editor linked
    // plays and draws nothing.
    void EditorDrawWindow(float dt);
    void EditorCloseBrowsers();
    void EditorItemDoubleClicked(int index);
    void EditorDrawExpandedRow(int index, ImDrawList* draw, const ImRect& bar, const ImRect& custom,
                               const ImRect& legend, const ImRect& clip, const ImRect& legendClip);
    void EditorDrawPlainRow(int index, ImDrawList* draw, const ImRect& bar, const ImRect& custom,
                            const ImRect& clip);
    // The curve delegate of the expanded rows, made by the editor when it first needs it.
    rvCurveEdit& CurveEdit();
    rvFileBrowser* _pLoadBrowser = nullptr;
    rvFileBrowser* _pSaveAsBrowser = nullptr;
    rvFileBrowser* _pImportBrowser = nullptr;
    rvFileBrowser* _pExportBrowser = nullptr;
    std::unique_ptr<rvCurveEdit, void (*)(rvCurveEdit*)> _CurveEdit{nullptr, nullptr};
    std::vector<ImCurveEdit::CurvePointRef> _aSelectedPoints;

    // Key times stay relative to their effect's Start (true) or keep their timeline time (false).
    static bool _bLocalKeys;

private:
    bool _bSeekPending = false;
    void AssertIndex(int index) const;
    bool ValidIndex(int index) const { return index >= 0 && index < (int)_apEffects.size(); }
    void UpdateFrameMax();
    void CompensateKeys(fxBase* fx, int applied);
    // Steps one running effect to its target local time.
    void StepEffect(fxBase* fx, float t);
};
