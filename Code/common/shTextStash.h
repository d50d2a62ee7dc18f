#pragma once
// Filled, anti-aliased text from a TrueType font of the data archive: one text-stash context with a
// 512 x 512 atlas and the GL3 back end. Positions and sizes are fractions of the viewport read at
// Begin (x and y from its top-left corner, sizes of its width).
//
//     text.LoadFont("Data/Font/DroidSerif-Regular.ttf");   // once
//     text.Begin(); text.SetSize(0.05f); text.SetColor(1, 1, 1, 1);
//     float xEnd = text.DrawText(0.1f, 0.5f, "Hello");
//     text.End();
//
// Begin enables blending (src alpha, one minus src alpha) and disables depth testing; neither Begin
// nor End restores them. The colour's alpha does not reach the pixels: the atlas coverage does.
#include "TextStash.h"

struct shTextStash
{
    shTextStash() = default;
    shTextStash(const shTextStash&) = delete;
    shTextStash& operator=(const shTextStash&) = delete;
    ~shTextStash();

    void Create();
    // False when the font cannot be opened, read or parsed; the font index is then -1.
    bool LoadFont(const char* path);
    void Begin();
    void SetSize(float size);
    void SetColor(float r, float g, float b, float a);
    // Draws at (x, y) of the viewport and returns where the pen ended, as a fraction of its width.
    float DrawText(float x, float y, const char* text);
    void End();

    TextStashContext* _fs = nullptr;
    int _nFontIndex = -1;
    bool _drawing = false;
    int _viewport[4] = {0, 0, 0, 0};
};
