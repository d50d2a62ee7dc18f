#pragma once
// The model interface of the timeline widget. The widget sees its rows only through these
// slots; rvSequence implements them. Only the slots the timeline model provides today are
// declared here; the widget's drawing slots (extra row height, double click, expanded and
// plain row drawing) join them with the widget itself.
#include <vector>

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
    virtual void ItemBar(int index, int** start, int** end, int* type, unsigned int* colour) = 0;
    virtual int AddItem(int type) = 0;
    virtual void DeleteItem(int index) = 0;
    virtual void CloneItem(int index) = 0;
    virtual int MoveItemToTime(int index) = 0;
    virtual int MoveItem(int index, int delta) = 0;
    virtual int MoveItemInList(int index, int places, bool keepSelection) = 0;
    virtual int MoveItemStart(int index, int delta) = 0;
    virtual int MoveItemEnd(int index, int delta) = 0;
    virtual int GetFirstSelected(const std::vector<int>& selection) = 0;
    virtual int GetLastSelected(const std::vector<int>& selection) = 0;
    virtual void CopyItems() = 0;
    virtual void PasteItems() = 0;

    virtual ~SequenceInterface() = default;
};
} // namespace ImSequencer
