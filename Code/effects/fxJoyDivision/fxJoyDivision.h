#pragma once
// Stacked waveform lines: a stack of horizontal lines, each bulging in its middle with a noisy
// moving wave and hiding the lines behind it, like a ridged landscape. Lines can be emphasised in
// a rhythm (every 5th, 10th and 20th), spread in perspective and bent into a polar mapping. Every
// attribute is a value of the program `_shProgram`; the waves run on timeline time.
#include "Factory/fxBase.h"
#include "effects/fxJoyDivision/shJoyDivision.h"

class fxJoyDivision : public fxBase
{
public:
    explicit fxJoyDivision(fxDescriptor* pDescriptor);
    ~fxJoyDivision() override;

    void Init() override;
    void Render() override;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    shJoyDivision _shProgram;
};
