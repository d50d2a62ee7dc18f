#pragma once
// Boot text typewriter: types a text onto the current render buffer the way a computer prints its
// start-up messages. Pieces of text appear at delays written into the text file itself, the last
// "NbLineMax" lines of what has appeared are shown, and a cursor blinks after the newest character.
//
// The boot text file: bytes read whole; CR ignored; LF ends a line; the two bytes 0xC2 0xA6 (the
// UTF-8 broken bar) are a pause marker and are not shown. A run of markers releases everything
// before it at the delay accumulated so far, then adds 0.1 s per marker of the run. Text after the
// last run is never shown, so a file ends with a marker.
#include "Factory/fxBase.h"
#include "Loader/rvDataPack.h"
#include "rvShaderProgram.h"
#include "shTextStash.h"

#include <glm/glm.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class fxBootText : public fxBase
{
public:
    // A release: from `time` on, the text up to (line, column) is shown.
    struct STATE
    {
        float time;
        int line;
        int column;
    };
    // Longest text file read; a longer one is refused.
    static constexpr size_t MAX_TEXT_BYTES = rvDataPack::kMaxTextBytes;
    // Most passes drawn over each line.
    static constexpr int MAX_RENDER_PASSES = 16;

    explicit fxBootText(fxDescriptor* pDescriptor);
    ~fxBootText() override;

    void Init() override;
    void OnEffectStart() override;
    void Render() override;

    // Reads and parses the text file; false (the previous text kept) when it cannot be read, else
    // whether any text was stored.
    bool LoadText(const std::string& sPath);
    // Parses boot text bytes into the text, the line starts and the release states.
    static void Parse(const uint8_t* pBytes, size_t nSize, std::string& sText, std::vector<int>& aLineToText,
                      std::vector<STATE>& aStates);
    // Index of the state shown at typing time g, -1 before the first.
    int StateAt(float g) const;
    // The piece of line L shown, cut to nMaxBytes; empty for a line that does not exist.
    std::string LinePiece(int nLine, int nMaxBytes) const;
    // The non-empty pieces drawn for a state, top to bottom: the current line (cut to the state's
    // column) and up to "NbLineMax" - 1 lines before it (cut to 999 bytes). The newest is last
    // only when the current line is not empty.
    std::vector<std::string> VisibleLines(const STATE& s) const;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    std::string _sFont = "Data/Font/DroidSerif-Regular.ttf";
    std::string _sTextFile = "Data/txt/BootSequenceScreen.txt";
    glm::vec2 _vPos = glm::vec2(0.0f);
    glm::vec2 _vSize = glm::vec2(1.0f);
    float _fSpacey = 1.0f;
    glm::vec4 _vColor = glm::vec4(1.0f);
    bool _bGlow = false;
    int _nNbLineMax = 23;
    float _fLocalTimeScale = 1.0f;
    bool _bShowCursor = true;
    float _fBlinkCursor = 0.5f;
    bool _bCursorQuad = true;
    int _nRenderPass = 1;

    std::string _text;
    std::vector<int> _lineToText;
    std::vector<STATE> _states;
    shTextStash _shText;
    rvFillColorProgram2D _shCursor;
};
