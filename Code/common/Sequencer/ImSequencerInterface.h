#pragma once
// The timeline widget's view of its model (ImSequencer.h draws it). ImGui-free: the drawing slots
// name ImGui's types only through pointers and references, so a model can implement the
// interface without including ImGui.
#include <vector>

struct ImDrawList;
struct ImRect;

namespace ImSequencer
{
class SequenceInterface
{
public:
    bool _bFocused = false;    // the hosting window (or a child) has focus; written by the widget
    int _nVisibleFrames = 1;   // whole frames that fit in the visible width; written by the widget
    bool _bShowSeconds = true; // ruler labels in seconds instead of frames

    virtual int FirstFrame() = 0;
    virtual int LastFrame() = 0;
    virtual int ItemCount() = 0;
    virtual int TypeCount() = 0;
    virtual int TypeIndexOf(const char* name) = 0;
    virtual const char* TypeName(int type) = 0;
    virtual const char* ItemLabel(int index) = 0;
    // Null out-pointers are skipped. The widget reads start and end through the addresses and
    // changes them only through the Move slots.
    virtual void ItemBar(int index, int** start, int** end, int* type, unsigned int* colour) = 0;
    virtual int AddItem(int type) = 0;
    virtual void DeleteItem(int index) = 0;
    virtual void CloneItem(int index) = 0;
    virtual int MoveItemToTime(int index) = 0;
    // The Move slots return the delta actually applied.
    virtual int MoveItem(int index, int delta) = 0;
    virtual int MoveItemInList(int index, int places, bool keepSelection) = 0;
    virtual int MoveItemStart(int index, int delta) = 0;
    virtual int MoveItemEnd(int index, int delta) = 0;
    // The selected item that starts first / ends last; -1 for an empty selection.
    virtual int GetFirstSelected(const std::vector<int>& selection) = 0;
    virtual int GetLastSelected(const std::vector<int>& selection) = 0;
    virtual void CopyItems() = 0;
    virtual void PasteItems() = 0;
    // Extra pixel height below the row's bar; 0 for a plain row.
    virtual int ExtraHeight(int index) = 0;
    // The item's bar was double-clicked.
    virtual void ItemDoubleClicked(int index) = 0;
    // The custom area of a row with extra height (drawn without the rows' clip rectangle).
    virtual void DrawExpandedRow(int index, ImDrawList* draw, const ImRect& bar, const ImRect& custom,
                                 const ImRect& legend, const ImRect& clip, const ImRect& legendClip) = 0;
    // Drawn over a plain row, inside the rows' clip rectangle.
    virtual void DrawPlainRow(int index, ImDrawList* draw, const ImRect& bar, const ImRect& custom,
                              const ImRect& clip) = 0;

    virtual ~SequenceInterface() = default;
};
} // namespace ImSequencer
