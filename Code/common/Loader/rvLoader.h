#pragma once
// The loading bar.
//
// While armed during the start-up loading pass, rvLoader counts the bytes of every read the
// data file reader reports, pumps window events and redraws a progress bar.
#include "Loader/rvDataPack.h"

#include <cstdio>

struct GLFWwindow;

class rvLoader
{
public:
    // Reads the progress table "Data/csv/zq4out.csv" and arms the bar. When the table
    // is missing the bar stays unarmed and the totals keep their values.
    static void Begin(GLFWwindow* window);
    // Called by every read with its byte count (0 when nothing was read). Once the pass is asked
    // to stop (rvStop::Requested) or the window to close, it only counts.
    static void Progress(int bytes);
    // Disarms the bar (also when Begin found no table: loading then simply went on
    // without a bar). In a recording run (environment variable MORVANE_RECORD_LOADING
    // naming a file) it writes every read of the pass there, "path;bytes;archive|disk" per
    // line, and ends the process with 0 (1 when the file cannot be written).
    static void End();

    // Releases the bar's GL program; call while the context still exists.
    static void Release();

    static bool IsArmed();

    // Adds the second field of every line of a progress table to _nTotal.
    static void AddTable(FILE* table);
    // Counts bytes towards the bar: negative counts add nothing, the count stops at the total.
    static void Advance(int bytes);
    // The filled fraction of the bar: _nLoaded / _nTotal, 0 when the total is 0.
    static float Fraction();
    // Draws the bar's three rectangles into the bound framebuffer's viewport.
    static void DrawBar(float fraction);

    static int _nTotal;
    static int _nLoaded;
};
