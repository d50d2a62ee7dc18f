#pragma once
// The timeline widget: a frame ruler with the play head, one row per item with its label in a
// legend column and a coloured bar from its start to its end frame, multiple selection, dragging
// of bars and of their ends, a popup that adds items by type, horizontal zoom and scrolling, and
// rows that grow to show content drawn by the model (curves). The widget sees its model only
// through SequenceInterface.
#include <imgui.h>
#include <imgui_internal.h> // ImRect

#include "Sequencer/ImSequencerInterface.h"

#include <vector>

namespace ImSequencer
{

// Layout constants, pixels.
constexpr float LEGEND_WIDTH = 150.f;
constexpr int ROW_HEIGHT = 20;
constexpr float SCROLLBAR_HEIGHT = 14.f;
constexpr float SCROLL_HANDLE_WIDTH = 14.f;
constexpr float MIN_THUMB_WIDTH = 44.f;
constexpr float MIN_PIXELS_PER_FRAME = 0.05f;
constexpr float MAX_PIXELS_PER_FRAME = 40.f;
constexpr float ZOOM_STEP = 1.1f;

// Widget state, shared by every timeline drawn and kept between frames.
extern float _fPixelsPerFrame;
extern float _fPixelsPerFrameTarget;
extern int _nDragItem;   // -1: no item dragged
extern int _nDragPart;   // 1 start handle, 2 end handle, 3 whole bar
extern int _nDragStartX; // mouse x (whole pixels) at the last applied drag step
extern bool _bDraggingPlayhead;
extern bool _bDraggingScrollBar;
extern bool _bResizingBarLeft;
extern bool _bResizingBarRight;
extern bool _bPanning;
extern ImVec2 _vPanStart; // shared by panning and scroll-thumb dragging
extern int _nPanStartFrame;

// One frame of the widget at the window's cursor, using all the space left in the window.
// currentFrame: the play head (may be changed); expanded: rows shown (null: always);
// selection: selected rows, most recently selected first; firstFrame: first visible frame
// (null: 0 and never changed). Always returns false.
bool DrawTimeline(SequenceInterface* sequence, int* currentFrame, bool* expanded, std::vector<int>* selection,
                  int* firstFrame);

// A 16 x 16 "+" or "-" button; returns whether the mouse is over it.
bool DrawPlusMinusButton(ImDrawList* draw, ImVec2 pos, bool plus);

// clearFirst empties the selection; every occurrence of index is removed, and with toggle the
// call returns false right after removing the first one; otherwise index goes to the front and
// the call returns true.
bool SelectEntry(std::vector<int>* selection, int index, bool clearFirst, bool toggle);

// Ruler steps at a zoom: frames between labels and between ticks.
void RulerSteps(float pixelsPerFrame, int* labelStep, int* tickStep);

// Resets the shared widget state (zoom 1, nothing dragged).
void ResetState();
} // namespace ImSequencer
