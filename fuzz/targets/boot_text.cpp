// The boot text typewriter's text file: the parse into text, line starts and release states,
// then what the effect shows at every state: the state at each release time and the visible
// lines, for a short and a long window.
#include "FuzzTarget.h"

#include "effects/fxBootText/fxBootText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > fxBootText::MAX_TEXT_BYTES) return 0;
    static fxBootText* s_pEffect = static_cast<fxBootText*>(fxBootText::Create(fxBootText::RegisterAttributes()));
    fxBootText& fx = *s_pEffect;
    fxBootText::Parse(data, size, fx._text, fx._lineToText, fx._states);
    size_t shown = 0;
    for (int lines : {1, 23, 1000})
    {
        fx._nNbLineMax = lines;
        for (size_t i = 0; i < fx._states.size() && i < 2000; ++i)
        {
            const fxBootText::STATE& s = fx._states[i];
            if (fx.StateAt(s.time) < 0) __builtin_trap();
            for (const std::string& line : fx.VisibleLines(s))
                shown += line.size();
        }
    }
    fx.LinePiece(-1, 10);
    fx.LinePiece(int(fx._lineToText.size()), 10);
    (void)shown;
    return 0;
}
